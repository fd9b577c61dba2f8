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
  d.hClient = 42;
  d.vtRequestedDataType = vt;
  return d;
}

}  // namespace

TEST_F(ItemManagement, AddItemsReportsEachItemAndSFalseWhenSomeFail) {
  com_ptr<IOPCItemMgt> group = AddGroup("items");
  OPCITEMDEF defs[] = {
      Def(OLESTR("Plant.Area1.Line1.Speed")),
      Def(OLESTR("Plant.Area1.Line1.Nothing")),
      Def(OLESTR("Plant..Speed")),
      Def(OLESTR("Plant.Types.String"), VT_R8),                // "text" is no number
      Def(OLESTR("Plant.Types.Int32"), VT_BSTR),               // converts
      Def(OLESTR("Plant.Area2.Tank1.Setpoint"), VT_EMPTY, OLESTR("COM3")),
      Def(OLESTR("Plant.Area2.Tank1.Setpoint"), VT_EMPTY, OLESTR("COM2")),
      Def(OLESTR("Plant.WriteOnly.Command")),
  };
  comown::task_item_results results(8);
  comown::task_values<HRESULT> errors;
  ASSERT_EQ(S_FALSE, group->AddItems(8, defs, results.put(), errors.put()));
  EXPECT_EQ(S_OK, errors[0]);
  EXPECT_EQ(OPC_E_UNKNOWNITEMID, errors[1]);
  EXPECT_EQ(OPC_E_INVALIDITEMID, errors[2]);
  EXPECT_EQ(OPC_E_BADTYPE, errors[3]);
  EXPECT_EQ(S_OK, errors[4]);
  EXPECT_EQ(OPC_E_UNKNOWNPATH, errors[5]);
  EXPECT_EQ(S_OK, errors[6]);
  EXPECT_EQ(VT_I4, results[0].vtCanonicalDataType);
  EXPECT_EQ(DWORD(OPC_READABLE | OPC_WRITEABLE), results[0].dwAccessRights);
  EXPECT_EQ(DWORD(OPC_WRITEABLE), results[7].dwAccessRights);
  EXPECT_NE(0u, results[0].hServer);
  EXPECT_NE(results[0].hServer, results[4].hServer);
  EXPECT_EQ(nullptr, results[0].pBlob);

  EXPECT_EQ(E_INVALIDARG, group->AddItems(0, defs, results.put(), errors.put()));
  EXPECT_FALSE(results);
}

TEST_F(ItemManagement, ValidateItemsChecksWithoutAdding) {
  com_ptr<IOPCItemMgt> group = AddGroup("validate");
  OPCITEMDEF defs[] = {Def(OLESTR("Plant.Types.Bool")), Def(OLESTR("Nope"))};
  comown::task_item_results results(2);
  comown::task_values<HRESULT> errors;
  ASSERT_EQ(S_FALSE, group->ValidateItems(2, defs, FALSE, results.put(), errors.put()));
  EXPECT_EQ(VT_BOOL, results[0].vtCanonicalDataType);
  EXPECT_EQ(0u, results[0].hServer);
  EXPECT_EQ(OPC_E_UNKNOWNITEMID, errors[1]);
  com_ptr<IUnknown> e;
  EXPECT_EQ(S_FALSE, group->CreateEnumerator(IID_IEnumOPCItemAttributes, e.put())) << "still no item";
}

TEST_F(ItemManagement, HandleBasedMethodsRejectUnknownHandles) {
  com_ptr<IOPCItemMgt> group = AddGroup("handles");
  std::vector<OPCHANDLE> h = AddItems(group.get(), {"Plant.Types.Int16", "Plant.Types.Double"});
  OPCHANDLE handles[] = {h[0], 999999, h[1]};
  comown::task_values<HRESULT> errors;
  EXPECT_EQ(S_FALSE, group->SetActiveState(3, handles, FALSE, errors.put()));
  EXPECT_EQ(OPC_E_INVALIDHANDLE, errors[1]);
  OPCHANDLE clients[] = {1, 2, 3};
  EXPECT_EQ(S_FALSE, group->SetClientHandles(3, handles, clients, errors.put()));
  VARTYPE types[] = {VT_BSTR, VT_R8, VT_DATE | VT_ARRAY};
  EXPECT_EQ(S_FALSE, group->SetDatatypes(3, handles, types, errors.put()));
  EXPECT_EQ(S_OK, errors[0]);
  EXPECT_EQ(OPC_E_BADTYPE, errors[2]) << "arrays do not convert";

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
  EXPECT_EQ(S_OK, errors[0]);
  EXPECT_EQ(OPC_E_INVALIDHANDLE, errors[1]);
  EXPECT_EQ(S_FALSE, group->RemoveItems(1, handles, errors.put())) << "already removed";
}

TEST_F(ItemManagement, GroupStateNamesAndClones) {
  OPCHANDLE handle = 0;
  com_ptr<IOPCItemMgt> group = AddGroup("state", TRUE, 250, &handle);
  com_ptr<IOPCGroupStateMgt> state = group.as<IOPCGroupStateMgt>();
  ASSERT_TRUE(state);
  DWORD rate = 0, lcid = 0;
  BOOL active = FALSE;
  LPWSTR name = nullptr;
  LONG bias = 0;
  FLOAT deadband = -1;
  OPCHANDLE client = 0, server = 0;
  ASSERT_EQ(S_OK, state->GetState(&rate, &active, &name, &bias, &deadband, &lcid, &client, &server));
  EXPECT_EQ("state", Take(name));
  EXPECT_EQ(250u, rate);
  EXPECT_TRUE(active);
  EXPECT_EQ(0.0f, deadband);
  EXPECT_EQ(7u, client);
  EXPECT_EQ(handle, server);

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
  ASSERT_EQ(S_OK, clone->GetState(&rate, &active, &name, &bias, &deadband, &lcid, &client, &server));
  EXPECT_EQ("copy", Take(name));
  EXPECT_FALSE(active) << "a clone starts inactive";
  EXPECT_NE(handle, server);
}

TEST_F(ItemManagement, GroupEnumeratorAndRemoval) {
  OPCHANDLE first = 0, second = 0;
  AddGroup("one", TRUE, 100, &first);
  com_ptr<IOPCItemMgt> two = AddGroup("two", TRUE, 100, &second);
  com_ptr<IEnumString> names;
  ASSERT_EQ(S_OK, server_->CreateGroupEnumerator(OPC_ENUM_ALL, IID_IEnumString, PutUnknown(names)));
  EXPECT_EQ((std::vector<std::string>{"one", "two"}), ReadAll(names.get()));
  com_ptr<IEnumUnknown> groups;
  EXPECT_EQ(S_FALSE, server_->CreateGroupEnumerator(OPC_ENUM_PUBLIC, IID_IEnumUnknown, PutUnknown(groups)));

  EXPECT_EQ(S_OK, server_->RemoveGroup(first, FALSE));
  EXPECT_EQ(OPC_S_INUSE, server_->RemoveGroup(second, FALSE)) << "the test still holds the group";
  EXPECT_EQ(E_INVALIDARG, server_->RemoveGroup(second, TRUE));
  std::vector<HRESULT> errors;
  AddItems(two.get(), {"Plant.Types.Bool"}, &errors);
  EXPECT_EQ(S_OK, errors.at(0)) << "a removed group stays usable until released";
}
