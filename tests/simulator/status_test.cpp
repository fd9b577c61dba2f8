// Server status, error texts, the common interface and item properties.
#include "sim_test.h"

using namespace simtest;

namespace {

class Status : public SimTest {};

std::string SystemText(HRESULT hr) {
  comown::local_mem<WCHAR> buffer;
  FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                 static_cast<DWORD>(hr), 0, reinterpret_cast<LPWSTR>(buffer.put()), 0, nullptr);
  return comown::to_utf8(buffer.get());
}

}  // namespace

// Vendor, version and state are checked through the client and the command line.
TEST_F(Status, CountsTheGroupsAndGivesRealTimes) {
  AddGroup("counted");
  comown::task_server_status status;
  ASSERT_EQ(S_OK, server_->GetStatus(status.put()));
  const OPCSERVERSTATUS& s = *status.get();
  EXPECT_EQ(1u, s.dwGroupCount);
  EXPECT_NE(0u, s.ftStartTime.dwHighDateTime);
  EXPECT_GE(s.ftCurrentTime.dwHighDateTime, s.ftStartTime.dwHighDateTime);
}

TEST_F(Status, ErrorStringsAreTheStandardTextsOrTheSystemsOwn) {
  LPWSTR text = nullptr;
  ASSERT_EQ(S_OK, server_->GetErrorString(OPC_E_UNKNOWNITEMID, LOCALE_SYSTEM_DEFAULT, &text));
  EXPECT_EQ("The item is no longer available in the server address space.", Take(text));
  ASSERT_EQ(S_OK, server_->GetErrorString(E_FAIL, 0x0409, &text));
  EXPECT_EQ(SystemText(E_FAIL), Take(text)) << "other codes get the system's text";
  EXPECT_EQ(E_INVALIDARG, server_->GetErrorString(E_FAIL, 0x0407, &text)) << "German is not offered";
  EXPECT_EQ(nullptr, text);
  ASSERT_EQ(S_OK, common_->GetErrorString(OPC_E_BADRIGHTS, &text));
  EXPECT_EQ("The item's access rights do not allow the operation.", Take(text));
}

TEST_F(Status, CommonInterfaceKeepsTheLocale) {
  LCID lcid = 0;
  EXPECT_EQ(E_INVALIDARG, common_->SetLocaleID(0x0407));
  EXPECT_EQ(S_OK, common_->SetLocaleID(LOCALE_SYSTEM_DEFAULT));
  ASSERT_EQ(S_OK, common_->GetLocaleID(&lcid));
  EXPECT_EQ(DWORD(LOCALE_SYSTEM_DEFAULT), lcid);
  DWORD count = 0;
  comown::task_values<LCID> ids;
  ASSERT_EQ(S_OK, common_->QueryAvailableLocaleIDs(&count, ids.put()));
  EXPECT_EQ(std::vector<LCID>{0x0409}, std::vector<LCID>(ids.get(), ids.get() + count));
}

TEST_F(Status, ItemPropertiesOneToSixAndTheDescription) {
  DWORD count = 0;
  comown::task_values<DWORD> ids;
  comown::task_strings texts;
  comown::task_values<VARTYPE> types;
  ASSERT_EQ(S_OK, properties_->QueryAvailableProperties(const_cast<LPWSTR>(OLESTR("Plant.Area1.Line1.Temperature")),
                                                        &count, ids.put(), texts.put(), types.put()));
  texts.set_size(count);
  ASSERT_EQ(7u, count);
  EXPECT_EQ(101u, ids[6]);
  EXPECT_EQ("Item Canonical DataType", comown::to_utf8(texts[0]));

  const struct {
    const char* item;
    DWORD property;
    HRESULT error;
    const char* text;
  } cases[] = {
      {"Plant.WriteOnly.Command", OPC_PROP_CDT, S_OK, "3"},
      {"Plant.WriteOnly.Command", OPC_PROP_VALUE, OPC_E_BADRIGHTS, ""},
      {"Plant.Area1.Line1.Speed", OPC_PROP_VALUE, S_OK, "1200"},
      {"Plant.WriteOnly.Command", OPC_PROP_QUALITY, S_OK, "192"},
      {"Plant.WriteOnly.Command", OPC_PROP_RIGHTS, S_OK, "2"},
      {"Plant.WriteOnly.Command", OPC_PROP_SCANRATE, S_OK, "10"},
      {"Plant.WriteOnly.Command", 101, OPC_E_INVALID_PID, ""},
      {"Plant.Area1.Line1.Temperature", 101, S_OK, "Line 1 temperature"},
      {"Plant.WriteOnly.Command", 9999, OPC_E_INVALID_PID, ""},
  };
  comown::task_variants data(1);
  comown::task_values<HRESULT> errors;
  for (const auto& c : cases) {
    DWORD property = c.property;
    ASSERT_EQ(SUCCEEDED(c.error) ? S_OK : S_FALSE,
              properties_->GetItemProperties(comown::to_wide(c.item).data(), 1, &property, data.put(), errors.put()));
    EXPECT_EQ(c.error, errors[0]) << c.property;
    EXPECT_EQ(c.text, opcsim::variant::Text(data[0])) << c.property;
  }
  DWORD cdt = OPC_PROP_CDT;
  EXPECT_EQ(OPC_E_UNKNOWNITEMID, properties_->GetItemProperties(const_cast<LPWSTR>(OLESTR("Plant.None")), 1, &cdt,
                                                                data.put(), errors.put()));
  EXPECT_EQ(OPC_E_INVALIDITEMID, properties_->QueryAvailableProperties(const_cast<LPWSTR>(OLESTR("")), &count,
                                                                      ids.put(), texts.put(), types.put()));
}
