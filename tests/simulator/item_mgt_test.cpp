// Groups and their items: per-item results, handles and the item enumerator.
#include "sim_test.h"

using namespace simtest;

namespace {

class ItemManagement : public SimTest {};

OPCITEMDEF Def(LPCWSTR id, VARTYPE vt = VT_EMPTY, LPCWSTR path = OLESTR("")) {
  OPCITEMDEF d = {};
  d.szAccessPath = const_cast<LPWSTR>(path);
  d.szItemID = const_cast<LPWSTR>(id);
  d.bActive = TRUE;
  d.vtRequestedDataType = vt;
  return d;
}

}  // namespace

TEST_F(ItemManagement, AddAndValidateReportEachItemAndSFalseWhenSomeFail) {
  const struct {
    OPCITEMDEF def;
    HRESULT error;
  } cases[] = {
      {Def(OLESTR("Plant.Area1.Line1.Speed")), S_OK},
      {Def(OLESTR("Plant.Area1.Line1.Nothing")), OPC_E_UNKNOWNITEMID},
      {Def(OLESTR("Plant..Speed")), OPC_E_INVALIDITEMID},
      {Def(OLESTR("Plant.Types.String"), VT_R8), OPC_E_BADTYPE},  // "text" is no number
      {Def(OLESTR("Plant.Types.Int32"), VT_BSTR), S_OK},
      {Def(OLESTR("Plant.Area2.Tank1.Setpoint"), VT_EMPTY, OLESTR("COM3")), OPC_E_UNKNOWNPATH},
      {Def(OLESTR("Plant.Area2.Tank1.Setpoint"), VT_EMPTY, OLESTR("COM2")), S_OK},
      {Def(OLESTR("Plant.WriteOnly.Command")), S_OK},
  };
  std::vector<OPCITEMDEF> defs;
  for (const auto& c : cases) defs.push_back(c.def);
  com_ptr<IOPCItemMgt> group = AddGroup("items");
  for (bool add : {false, true}) {
    comown::task_item_results results(defs.size());
    comown::task_values<HRESULT> errors;
    ASSERT_EQ(S_FALSE, add ? group->AddItems(8, defs.data(), results.put(), errors.put())
                           : group->ValidateItems(8, defs.data(), FALSE, results.put(), errors.put()));
    for (std::size_t i = 0; i < defs.size(); ++i) EXPECT_EQ(cases[i].error, errors[i]) << i;
    EXPECT_EQ(VT_I4, results[0].vtCanonicalDataType);
    EXPECT_EQ(DWORD(OPC_READABLE | OPC_WRITEABLE), results[0].dwAccessRights);
    EXPECT_EQ(DWORD(OPC_WRITEABLE), results[7].dwAccessRights);
    EXPECT_EQ(add, results[0].hServer != 0);
    EXPECT_TRUE(!add || results[0].hServer != results[4].hServer) << "each item its own handle";
    com_ptr<IUnknown> items;
    EXPECT_EQ(add ? S_OK : S_FALSE, group->CreateEnumerator(IID_IEnumOPCItemAttributes, items.put()));
  }
  comown::task_item_results results;
  comown::task_values<HRESULT> errors;
  EXPECT_EQ(E_INVALIDARG, group->AddItems(0, defs.data(), results.put(), errors.put()));
  EXPECT_FALSE(results);
}

TEST_F(ItemManagement, HandleBasedMethodsChangeKnownItemsAndRejectOthers) {
  com_ptr<IOPCItemMgt> group = AddGroup("handles");
  std::vector<OPCHANDLE> h = AddItems(group.get(), {"Plant.Types.Int16", "Plant.Types.Double"});
  OPCHANDLE handles[] = {h[0], 999999, h[1]};
  comown::task_values<HRESULT> errors;
  using Errors = std::vector<HRESULT>;
  EXPECT_EQ(S_FALSE, group->SetActiveState(3, handles, FALSE, errors.put()));
  EXPECT_EQ((Errors{S_OK, OPC_E_INVALIDHANDLE, S_OK}), Values(errors, 3));
  OPCHANDLE clients[] = {1, 2, 3};
  EXPECT_EQ(S_FALSE, group->SetClientHandles(3, handles, clients, errors.put()));
  VARTYPE types[] = {VT_BSTR, VT_R8, VT_DATE | VT_ARRAY};
  EXPECT_EQ(S_FALSE, group->SetDatatypes(3, handles, types, errors.put()));
  EXPECT_EQ((Errors{S_OK, OPC_E_INVALIDHANDLE, OPC_E_BADTYPE}), Values(errors, 3)) << "arrays do not convert";

  com_ptr<IEnumOPCItemAttributes> e;
  ASSERT_EQ(S_OK, group->CreateEnumerator(IID_IEnumOPCItemAttributes, PutUnknown(e)));
  comown::task_item_attributes attributes;
  ULONG fetched = 0;
  ASSERT_EQ(S_FALSE, e->Next(5, attributes.put(), &fetched));
  attributes.set_size(fetched);
  ASSERT_EQ(2u, fetched);
  EXPECT_EQ("Plant.Types.Int16", comown::to_utf8(attributes[0].szItemID));
  EXPECT_EQ(1u, attributes[0].hClient);
  EXPECT_FALSE(attributes[0].bActive);
  EXPECT_EQ(VT_BSTR, attributes[0].vtRequestedDataType);
  EXPECT_EQ(VT_I2, attributes[0].vtCanonicalDataType);

  EXPECT_EQ(S_FALSE, group->RemoveItems(3, handles, errors.put()));
  EXPECT_EQ((Errors{S_OK, OPC_E_INVALIDHANDLE, S_OK}), Values(errors, 3));
  EXPECT_EQ(S_FALSE, group->RemoveItems(1, handles, errors.put())) << "already removed";
}

TEST_F(ItemManagement, GroupStateNamesAndClones) {
  OPCHANDLE handle = 0;
  com_ptr<IOPCGroupStateMgt> state = AddGroup("state", TRUE, 250, &handle).as<IOPCGroupStateMgt>();
  ASSERT_TRUE(state);
  DWORD rate = 0, lcid = 0;
  BOOL active = FALSE;
  comown::task_string name;
  LONG bias = 0;
  FLOAT deadband = -1;
  OPCHANDLE client = 0, server = 0;
  auto describe = [&](IOPCGroupStateMgt* group) {
    EXPECT_EQ(S_OK, group->GetState(&rate, &active, name.put(), &bias, &deadband, &lcid, &client, &server));
    return comown::to_utf8(name.get()) + " rate " + std::to_string(rate) + (active ? " active" : "") + " client " +
           std::to_string(client) + (server == handle ? " same handle" : "");
  };
  EXPECT_EQ("state rate 250 active client 7 same handle", describe(state.get()));
  DWORD requested = 0, revised = 0;
  EXPECT_EQ(OPC_S_UNSUPPORTEDRATE, state->SetState(&requested, &revised, nullptr, nullptr, nullptr, nullptr, nullptr));
  EXPECT_EQ(10u, revised);
  AddGroup("other");
  EXPECT_EQ(OPC_E_DUPLICATENAME, state->SetName(OLESTR("other")));
  EXPECT_EQ(S_OK, state->SetName(OLESTR("renamed")));
  com_ptr<IUnknown> byName;
  EXPECT_EQ(S_OK, server_->GetGroupByName(OLESTR("renamed"), IID_IUnknown, byName.put()));
  EXPECT_EQ(E_INVALIDARG, server_->GetGroupByName(OLESTR("state"), IID_IUnknown, byName.put()));

  com_ptr<IOPCGroupStateMgt> clone;
  ASSERT_EQ(S_OK, state->CloneGroup(OLESTR("copy"), IID_IOPCGroupStateMgt, PutUnknown(clone)));
  EXPECT_EQ("copy rate 10 client 7", describe(clone.get())) << "a clone starts inactive, with its own handle";
}

TEST_F(ItemManagement, GroupEnumeratorAndRemoval) {
  OPCHANDLE first = 0, second = 0;
  AddGroup("one", TRUE, 100, &first);
  com_ptr<IOPCItemMgt> two = AddGroup("two", TRUE, 100, &second);
  com_ptr<IEnumString> names;
  ASSERT_EQ(S_OK, server_->CreateGroupEnumerator(OPC_ENUM_ALL, IID_IEnumString, PutUnknown(names)));
  EXPECT_EQ((std::vector<std::string>{"one", "two"}), ReadAll(names.get()));
  com_ptr<IEnumUnknown> groups;
  ASSERT_EQ(S_OK, server_->CreateGroupEnumerator(OPC_ENUM_ALL, IID_IEnumUnknown, PutUnknown(groups)));
  IUnknown* got[3] = {};
  ULONG fetched = 0;
  EXPECT_EQ(S_FALSE, groups->Next(3, got, &fetched));
  EXPECT_EQ(2u, fetched);
  for (IUnknown* g : got) com_ptr<IUnknown> released(g, comown::attach);
  EXPECT_EQ(S_FALSE, server_->CreateGroupEnumerator(OPC_ENUM_PUBLIC, IID_IEnumUnknown, PutUnknown(groups)));

  EXPECT_EQ(S_OK, server_->RemoveGroup(first, FALSE));
  EXPECT_EQ(OPC_S_INUSE, server_->RemoveGroup(second, FALSE)) << "the test still holds the group";
  EXPECT_EQ(E_INVALIDARG, server_->RemoveGroup(second, TRUE));
  std::vector<HRESULT> errors;
  AddItems(two.get(), {"Plant.Types.Bool"}, &errors);
  EXPECT_EQ(S_OK, errors.at(0)) << "a removed group stays usable until released";
}

// Tests tell a given optional argument from an absent one by the call log.
TEST_F(ItemManagement, TheCallLogShowsOptionalArgumentsAsGiven) {
  LONG bias = 60;
  OPCHANDLE handle = 0;
  DWORD revised = 0;
  com_ptr<IUnknown> group;
  ASSERT_EQ(S_OK, server_->AddGroup(OLESTR("biased"), TRUE, 100, 0, &bias, nullptr, 0, &handle, &revised, IID_IUnknown,
                                    group.put()));
  const opcsim::Call added = sim_.Calls().Last("IOPCServer::AddGroup");
  EXPECT_EQ("60|null", added.Arg("timeBias") + "|" + added.Arg("deadband"));
}
