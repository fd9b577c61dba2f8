// Synchronous read and write of a group: values, packing, server outcomes.
#include <cstring>

#include "group_test_support.h"
#include "opcerror.h"

using namespace grouptest;

namespace {

class SyncIOTest : public GroupTest {};

TEST_F(SyncIOTest, ReadsAndWritesEveryTypeBitForBit) {
  const Ids ids = {"Plant.Types.Int8",  "Plant.Types.UInt8",  "Plant.Types.Int16", "Plant.Types.UInt16",
                   "Plant.Types.Int32", "Plant.Types.UInt32", "Plant.Types.Float", "Plant.Types.Double",
                   "Plant.Types.Bool",  "Plant.Types.String", "Plant.Types.Date",  "Plant.Types.DoubleArray",
                   "Plant.Types.LongArray"};
  const double doubles[] = {9.5, -8.25};
  const LONG longs[] = {7, 6, 5};
  Values written;
  for (auto&& value : {variant::I1(-5), variant::UI1(200), variant::I2(-300), variant::UI2(60000), variant::I4(-70000),
                       variant::UI4(4000000000u), variant::R4(1.25f), variant::R8(-2.5e10), variant::Bool(false),
                       variant::Str("\xC3\xBCnic\xC3\xB6" "de"), variant::Date(45001.25), variant::R8Array(doubles, 2),
                       variant::I4Array(longs, 3)})
    written.push_back(value);
  const unsigned long group = Defined({"G", ids});
  Values read(ids.size());
  ASSERT_EQ(S_OK, client->SyncReadGroup(group, Array(read), 1, OPC_DS_DEVICE));
  for (size_t i = 0; i < ids.size(); ++i) EXPECT_EQ(Held(ids[i]), Shown(*read[i])) << ids[i];

  std::vector<VARIANT> before(written.size());
  std::memcpy(before.data(), Array(written), before.size() * sizeof(VARIANT));
  ASSERT_EQ(S_OK, client->SyncWriteGroup(group, Array(written), 0));
  // The caller's VARIANTs are untouched, down to the strings and arrays they own.
  EXPECT_EQ(0, std::memcmp(before.data(), Array(written), before.size() * sizeof(VARIANT)));
  for (comown::com_variant& value : read) value.clear();  // a read overwrites without clearing
  ASSERT_EQ(S_OK, client->SyncReadGroup(group, Array(read), 0, OPC_DS_CACHE));
  for (size_t i = 0; i < ids.size(); ++i) EXPECT_EQ(Shown(*written[i]), Shown(*read[i])) << ids[i];
  EXPECT_EQ(Ids({"device", "cache"}), Ids({sim->Calls().Of("IOPCSyncIO::Read")[0].Arg("source"),
                                           sim->Calls().Last("IOPCSyncIO::Read").Arg("source")}));
}

TEST_F(SyncIOTest, EmptyValuesAreSkippedAndTheRestPacked) {
  const Ids ids = {"Plant.Types.Int32", "Plant.Types.Double", "Plant.Types.String", "Plant.Types.Bool"};
  const unsigned long group = Defined({"G", ids});
  const std::string untouched = Held(ids[2]);
  Values values(4);
  values[1] = variant::R8(0.5);
  values[3] = variant::Bool(false);
  ASSERT_EQ(S_OK, client->SyncWriteGroup(group, Array(values), 1));
  const opcsim::Call write = sim->Calls().Last("IOPCSyncIO::Write");
  const VEMDcnOpcGroup& record = *VEMDcnOpcClientInspector(*client).Group(1);
  EXPECT_EQ(Ids({std::to_string(record._pServerHandles[1]), std::to_string(record._pServerHandles[3])}),
            write.List("handles"));
  EXPECT_EQ(Ids({"5", "11"}), write.List("types"));
  EXPECT_EQ(Shown(*values[1]) + untouched, Held(ids[1]) + Held(ids[2]));
  for (unsigned i = 0; i < record._NbItems; ++i) EXPECT_EQ(0u, record._pWriteHandles[i]);
  // Nothing to write is still asked of the server, which refuses a count of 0.
  Values none(4);
  const long hr = client->SyncWriteGroup(group, Array(none), 1);
  EXPECT_EQ("0", sim->Calls().Last("IOPCSyncIO::Write").Arg("count"));
  EXPECT_EQ("IOPCSyncIOInput->Write", Reported(hr).parameters.at(2));
}

// The server's answer decides the result; a read that fails leaves the
// caller's array alone.
TEST_F(SyncIOTest, ServerOutcomes) {
  const Ids ids = {"Plant.Types.Int32", "Plant.Types.String"};
  const struct {
    Fault fault;
    unsigned char useGIT;
    long hr;
    const char* context;  // null: no error object
  } rows[] = {
      {Fault::Refuse("IOPCSyncIO::Read", {ids[1]}), 0, E_FAIL, "IOPCSyncIO->Read() - Partial Error"},
      {Fault::Answer("IOPCSyncIO::Read", OPC_S_CLAMP), 1, E_FAIL, "IOPCSyncIO->Read() - Partial Error"},
      {Fault::Answer("IOPCSyncIO::Read", E_OUTOFMEMORY), 0, E_FAIL, "IOPCSyncIO->Read()"},  // with its results
      {Fault::NullOut("IOPCSyncIO::Read"), 1, E_FAIL, "IOPCSyncIO->Read()"},
      {Fault::Refuse("IOPCSyncIO::Write", {ids[1]}), 0, E_FAIL, "IOPCSyncIOInput->Write - Partial failure"},
      {Fault::Answer("IOPCSyncIO::Write", OPC_S_CLAMP), 1, OPC_S_CLAMP, nullptr},
      {Fault::Fail("IOPCSyncIO::Write", E_OUTOFMEMORY), 1, E_FAIL, "IOPCSyncIOInput->Write"},
  };
  const unsigned long group = Defined({"G", ids});
  for (const auto& row : rows) {
    SCOPED_TRACE(row.fault.Method() + " " + std::to_string(row.fault.Code()));
    sim->Faults().Add(row.fault);
    Values values = {variant::I4(12345), variant::Str("mine")};
    const bool read = row.fault.Method() == "IOPCSyncIO::Read";
    const long hr = read ? client->SyncReadGroup(group, Array(values), row.useGIT, OPC_DS_CACHE)
                         : client->SyncWriteGroup(group, Array(values), row.useGIT);
    EXPECT_EQ(row.hr, hr);
    const ReportedError error = Reported(hr);
    EXPECT_EQ(row.context ? row.context : "", error.present ? error.parameters.at(2) : "");
    EXPECT_EQ("3:12345 8:mine", Shown(*values[0]) + " " + Shown(*values[1]));
    sim->Faults().Clear();
  }
  // Only a group registered in the table can be fetched from it.
  const unsigned long unregistered = Defined({"Unregistered", ids, {}, nullptr, 0});
  Values values(2);
  EXPECT_EQ("IOPCSyncIO->Read()", Reported(client->SyncReadGroup(unregistered, Array(values), 1, OPC_DS_CACHE))
                                      .parameters.at(2));
  EXPECT_EQ("IOPCSyncIOInput->Write", Reported(client->SyncWriteGroup(unregistered, Array(values), 1)).parameters.at(2));
}

// A null array, a handle no group has, and useGIT on a client without the
// table are refused before anything is sent; so is a write of a group without
// items.
TEST_F(SyncIOTest, MissingInputsAreRefused) {
  sim->Faults().Add(Fault::NullOut("IOPCItemMgt::AddItems").OnCall(1));  // a server that takes an empty group
  const unsigned long empty = Defined({"Empty", {}, {}, nullptr, 0});
  const unsigned long group = Defined({"G", {"Plant.Types.Int32"}, {}, nullptr, 0});
  Values values(1);
  using Write = long (VEMDcnOpcClient::*)(unsigned long, VARIANT*, const unsigned char&);
  for (Write write : {Write(&VEMDcnOpcClient::SyncWriteGroup), Write(&VEMDcnOpcClient::ASyncWriteGroup)}) {
    EXPECT_EQ(E_POINTER, (client.get()->*write)(group, nullptr, 0));
    EXPECT_EQ(E_POINTER, (client.get()->*write)(group + 100, Array(values), 0));
    EXPECT_EQ(E_FAIL, (client.get()->*write)(empty, Array(values), 0));
    EXPECT_FALSE(Reported(E_FAIL).present);
  }
  EXPECT_EQ(E_POINTER, client->SyncReadGroup(group, nullptr, 0, OPC_DS_CACHE));
  EXPECT_EQ(E_POINTER, client->SyncReadGroup(group + 100, Array(values), 0, OPC_DS_CACHE));
  EXPECT_EQ(6u, log.Count("Invalid NULL input pointer"));
  StartClient(0);
  EXPECT_EQ(E_POINTER, client->SyncReadGroup(Defined({"G", {"Plant.Types.Int32"}, {}, nullptr, 0}), Array(values), 1,
                                             OPC_DS_CACHE));
  EXPECT_EQ(0u, sim->Calls().Count("IOPCSyncIO::Read"));
}

}  // namespace
