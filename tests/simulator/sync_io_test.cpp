// Synchronous reads and writes: values kept, types converted, per-item errors.
#include "sim_test.h"

using namespace simtest;

namespace {

class SyncIO : public SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    group_ = AddGroup("sync");
    io_ = group_.as<IOPCSyncIO>();
    ASSERT_TRUE(io_);
  }
  void TearDown() override {
    io_.reset();
    group_.reset();
    SimTest::TearDown();
  }

  // Reads one item: its error, value, quality and time.
  HRESULT ReadOne(OPCHANDLE h, opcsim::Variant* value, WORD* quality = nullptr, OPCDATASOURCE source = OPC_DS_DEVICE) {
    comown::task_item_states states(1);
    comown::task_values<HRESULT> errors;
    HRESULT hr = io_->Read(source, 1, &h, states.put(), errors.put());
    if (FAILED(hr)) return hr;
    *value = opcsim::Variant(states[0].vDataValue);
    if (quality) *quality = states[0].wQuality;
    time_ = states[0].ftTimeStamp;
    EXPECT_EQ(100u, states[0].hClient);
    return errors[0];
  }

  com_ptr<IOPCItemMgt> group_;
  com_ptr<IOPCSyncIO> io_;
  FILETIME time_ = {0, 0};
};

}  // namespace

TEST_F(SyncIO, WritesAreKeptAndReadBackInTheRequestedType) {
  OPCHANDLE speed = AddItems(group_.get(), {"Plant.Area1.Line1.Speed"}).at(0);
  opcsim::Variant value = opcsim::variant::Str("1500");
  comown::task_values<HRESULT> errors;
  ASSERT_EQ(S_OK, io_->Write(1, &speed, value.get(), errors.put()));
  WORD quality = 0;
  ASSERT_EQ(S_OK, ReadOne(speed, &value, &quality));
  EXPECT_EQ(VT_I4, value.vt());
  EXPECT_EQ(1500, value.get()->lVal);
  EXPECT_EQ(OPC_QUALITY_GOOD, quality);
  EXPECT_NE(0u, time_.dwHighDateTime) << "timestamps are real";
  OPCHANDLE asText = AddItems(group_.get(), {"Plant.Area1.Line1.Speed"}, nullptr, {VT_BSTR}).at(0);
  ASSERT_EQ(S_OK, ReadOne(asText, &value));
  EXPECT_EQ("1500", opcsim::variant::Text(*value));
  EXPECT_EQ(VT_BSTR, value.vt());
}

TEST_F(SyncIO, EveryTypeOfThePlantReadsInItsCanonicalType) {
  const std::vector<std::pair<std::string, VARTYPE>> types = {
      {"Int8", VT_I1},    {"UInt8", VT_UI1},   {"Int16", VT_I2},  {"UInt16", VT_UI2},
      {"Int32", VT_I4},   {"UInt32", VT_UI4},  {"Float", VT_R4},  {"Double", VT_R8},
      {"Bool", VT_BOOL},  {"String", VT_BSTR}, {"Date", VT_DATE}, {"Int64", VT_I8},
      {"Currency", VT_CY}, {"DoubleArray", VT_ARRAY | VT_R8}, {"LongArray", VT_ARRAY | VT_I4}};
  for (const auto& t : types) {
    OPCHANDLE h = AddItems(group_.get(), {"Plant.Types." + t.first}).at(0);
    opcsim::Variant value;
    ASSERT_EQ(S_OK, ReadOne(h, &value)) << t.first;
    EXPECT_EQ(t.second, value.vt()) << t.first;
  }
}

TEST_F(SyncIO, PerItemErrorsMakeTheCallAnswerSFalse) {
  std::vector<OPCHANDLE> h = AddItems(
      group_.get(), {"Plant.ReadOnly.Serial", "Plant.WriteOnly.Command", "Plant.Types.Int8", "Plant.Types.DoubleArray"});
  OPCHANDLE handles[] = {h[0], h[1], h[2], h[3], 424242};
  VARIANT values[5] = {};
  values[0].vt = VT_I4, values[0].lVal = 1;
  values[1].vt = VT_I4, values[1].lVal = 2;
  values[2].vt = VT_I4, values[2].lVal = 1000;  // does not fit a signed byte
  values[3].vt = VT_R8, values[3].dblVal = 1;   // a scalar for an array
  values[4].vt = VT_I4, values[4].lVal = 3;
  comown::task_values<HRESULT> errors;
  ASSERT_EQ(S_FALSE, io_->Write(5, handles, values, errors.put()));
  EXPECT_EQ((std::vector<HRESULT>{OPC_E_BADRIGHTS, S_OK, OPC_E_RANGE, OPC_E_BADTYPE, OPC_E_INVALIDHANDLE}),
            Values(errors, 5));
  comown::task_item_states states(5);
  ASSERT_EQ(S_FALSE, io_->Read(OPC_DS_DEVICE, 5, handles, states.put(), errors.put()));
  EXPECT_EQ((std::vector<HRESULT>{S_OK, OPC_E_BADRIGHTS, S_OK, S_OK, OPC_E_INVALIDHANDLE}), Values(errors, 5));
  EXPECT_EQ(VT_EMPTY, states[4].vDataValue.vt);
  EXPECT_EQ(E_INVALIDARG, io_->Read(OPC_DS_DEVICE, 0, handles, states.put(), errors.put()));
}

TEST_F(SyncIO, CacheReadsOfInactiveItemsAreOutOfServiceAndDeviceReadsSample) {
  OPCHANDLE counter = AddItems(group_.get(), {"Plant.Area1.Line1.Produced"}).at(0);
  opcsim::Variant first, second;
  ASSERT_EQ(S_OK, ReadOne(counter, &first));
  ASSERT_EQ(S_OK, ReadOne(counter, &second));
  EXPECT_EQ(first.get()->ulVal + 1, second.get()->ulVal) << "a counter moves with every sample";
  comown::task_values<HRESULT> errors;
  ASSERT_EQ(S_OK, group_->SetActiveState(1, &counter, FALSE, errors.put()));
  WORD quality = 0;
  ASSERT_EQ(S_OK, ReadOne(counter, &first, &quality, OPC_DS_CACHE));
  EXPECT_EQ(OPC_QUALITY_OUT_OF_SERVICE, quality);
  ASSERT_EQ(S_OK, sim_.SetQuality("Plant.Area1.Line1.Produced", OPC_QUALITY_UNCERTAIN));
  ASSERT_EQ(S_OK, ReadOne(counter, &first, &quality));
  EXPECT_EQ(OPC_QUALITY_UNCERTAIN, quality);
}
