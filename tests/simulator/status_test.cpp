// Server status, error texts and the common interface.
#include "sim_test.h"

using namespace simtest;

namespace {

opcsim::Options StateSix() {
  opcsim::Options o;
  o.classes[0].state = 6;
  o.classes[0].vendor = "Acme Simulation";
  o.classes[0].majorVersion = 3;
  o.classes[0].minorVersion = 1;
  o.classes[0].buildNumber = 42;
  return o;
}

class Status : public SimTest {};

std::string SystemText(HRESULT hr) {
  comown::local_mem<WCHAR> buffer;
  FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                 static_cast<DWORD>(hr), 0, reinterpret_cast<LPWSTR>(buffer.put()), 0, nullptr);
  return comown::to_utf8(buffer.get());
}
class OddStatus : public SimTest {
 protected:
  OddStatus() : SimTest(StateSix()) {}
};

}  // namespace

TEST_F(Status, ReportsVendorVersionStateAndTimes) {
  AddGroup("counted");
  comown::task_server_status holder;
  ASSERT_EQ(S_OK, server_->GetStatus(holder.put()));
  OPCSERVERSTATUS* status = holder.get();
  EXPECT_EQ("Simulation OPC DA Server", comown::to_utf8(status->szVendorInfo));
  EXPECT_EQ(2, status->wMajorVersion);
  EXPECT_EQ(5, status->wMinorVersion);
  EXPECT_EQ(0, status->wBuildNumber);
  EXPECT_EQ(OPC_STATUS_RUNNING, status->dwServerState);
  EXPECT_EQ(1u, status->dwGroupCount);
  EXPECT_NE(0u, status->ftStartTime.dwHighDateTime);
  EXPECT_GE(status->ftCurrentTime.dwHighDateTime, status->ftStartTime.dwHighDateTime);

  sim_.SetServerState(OPC_STATUS_SUSPENDED);
  ASSERT_EQ(S_OK, server_->GetStatus(holder.put()));
  EXPECT_EQ(OPC_STATUS_SUSPENDED, holder.get()->dwServerState);
}

TEST_F(OddStatus, ReportsAStateOutsideTheEnumeration) {
  comown::task_server_status status;
  ASSERT_EQ(S_OK, server_->GetStatus(status.put()));
  EXPECT_EQ(6, static_cast<int>(status.get()->dwServerState));
  EXPECT_EQ("Acme Simulation", comown::to_utf8(status.get()->szVendorInfo));
  EXPECT_EQ(3, status.get()->wMajorVersion);
  EXPECT_EQ(42, status.get()->wBuildNumber);
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

TEST_F(Status, CommonInterfaceKeepsLocaleAndClientName) {
  LCID lcid = 0;
  ASSERT_EQ(S_OK, common_->GetLocaleID(&lcid));
  EXPECT_EQ(0x0409u, lcid);
  EXPECT_EQ(E_INVALIDARG, common_->SetLocaleID(0x0407));
  EXPECT_EQ(S_OK, common_->SetLocaleID(LOCALE_SYSTEM_DEFAULT));
  ASSERT_EQ(S_OK, common_->GetLocaleID(&lcid));
  EXPECT_EQ(DWORD(LOCALE_SYSTEM_DEFAULT), lcid);
  DWORD count = 0;
  comown::task_values<LCID> ids;
  ASSERT_EQ(S_OK, common_->QueryAvailableLocaleIDs(&count, ids.put()));
  ASSERT_EQ(1u, count);
  EXPECT_EQ(0x0409u, ids[0]);
  EXPECT_EQ(S_OK, common_->SetClientName(OLESTR("TestClient")));
  EXPECT_EQ("TestClient", sim_.Calls().Last("IOPCCommon::SetClientName").Arg("name"));
}

TEST_F(Status, ItemPropertiesOneToSixAndTheDescription) {
  DWORD count = 0;
  comown::task_values<DWORD> ids;
  comown::task_strings descriptions;
  comown::task_values<VARTYPE> types;
  ASSERT_EQ(S_OK, properties_->QueryAvailableProperties(const_cast<LPWSTR>(OLESTR("Plant.Area1.Line1.Temperature")),
                                                        &count, ids.put(), descriptions.put(), types.put()));
  descriptions.set_size(count);
  ASSERT_EQ(7u, count);
  EXPECT_EQ(101u, ids[6]);
  EXPECT_EQ("Item Canonical DataType", comown::to_utf8(descriptions[0]));

  DWORD wanted[] = {1, 2, 3, 4, 5, 6, 101, 9999};
  comown::task_variants data(8);
  comown::task_values<HRESULT> errors;
  ASSERT_EQ(S_FALSE, properties_->GetItemProperties(const_cast<LPWSTR>(OLESTR("Plant.WriteOnly.Command")), 8, wanted,
                                                    data.put(), errors.put()));
  EXPECT_EQ(VT_I4, data[0].iVal);
  EXPECT_EQ(OPC_E_BADRIGHTS, errors[1]) << "a write-only value cannot be read";
  EXPECT_EQ(OPC_QUALITY_GOOD, data[2].iVal);
  EXPECT_EQ(VT_DATE, data[3].vt);
  EXPECT_EQ(OPC_WRITEABLE, data[4].lVal);
  EXPECT_EQ(VT_R4, data[5].vt);
  EXPECT_EQ(OPC_E_INVALID_PID, errors[6]) << "this item has no description";
  EXPECT_EQ(OPC_E_INVALID_PID, errors[7]);
  EXPECT_EQ(OPC_E_UNKNOWNITEMID, properties_->GetItemProperties(const_cast<LPWSTR>(OLESTR("Plant.None")), 1, wanted,
                                                                data.put(), errors.put()));
  EXPECT_EQ(OPC_E_INVALIDITEMID, properties_->QueryAvailableProperties(const_cast<LPWSTR>(OLESTR("")), &count,
                                                                      ids.put(), descriptions.put(), types.put()));
}
