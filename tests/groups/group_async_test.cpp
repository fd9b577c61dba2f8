// The asynchronous group: its writes and its subscription.
#include <algorithm>

#include "group_test_support.h"

using namespace grouptest;

namespace {

const Ids kInputs = {"Plant.Types.Int32", "Plant.Types.Double", "Plant.Types.String"};

class AsyncTest : public GroupTest {
 protected:
  unsigned long DefineInputs(unsigned char async = 1) {
    return Defined({"VEM_APP_INPUTS", kInputs, {}, nullptr, 1, 1, async});
  }
};

TEST_F(AsyncTest, WritesWithTransactionZeroAndEndsTheSubscriptionAtStop) {
  const unsigned long group = DefineInputs();
  Values values(3);
  values[0] = variant::I4(42);
  values[2] = variant::Str("async");
  for (unsigned char git : {0, 1}) {
    ASSERT_EQ(S_OK, client->ASyncWriteGroup(group, Array(values), git));
    const opcsim::Call write = sim->Calls().Last("IOPCAsyncIO2::Write");
    EXPECT_EQ("0", write.Arg("transactionId"));
    EXPECT_EQ(Ids({"3", "8"}), write.List("types"));
  }
  EXPECT_EQ(Shown(*values[0]) + Shown(*values[2]), Held(kInputs[0]) + Held(kInputs[2]));
  sim->Calls().Clear();
  EXPECT_EQ(S_OK, client->OpcStop());
  EXPECT_FALSE(VEMDcnOpcClientInspector(*client).Subscribed());
  const Ids stop = sim->Calls().Methods();
  EXPECT_EQ(1, std::count(stop.begin(), stop.end(), "IConnectionPoint::Unadvise"));
  EXPECT_LT(std::find(stop.begin(), stop.end(), "IConnectionPoint::Unadvise"),
            std::find(stop.begin(), stop.end(), "IOPCServer::RemoveGroup"));
}

TEST_F(AsyncTest, ServerOutcomes) {
  const struct {
    bool asyncGroup;
    unsigned char useGIT;
    Fault fault;
    long hr;
    const char* context;  // null: no error object
  } rows[] = {
      {true, 0, Fault::Refuse("IOPCAsyncIO2::Write", {kInputs[1]}), E_FAIL, "IOPCAsyncIO2->Write - Partial failure"},
      {true, 1, Fault::Fail("IOPCAsyncIO2::Write", E_OUTOFMEMORY), E_FAIL, "IOPCAsyncIO2->Write"},
      // Any other group has no asynchronous interface: nothing is sent.
      {false, 0, Fault::Answer("IOPCAsyncIO2::Write", S_OK), S_OK, nullptr},
      {false, 1, Fault::Answer("IOPCAsyncIO2::Write", S_OK), E_FAIL, "IOPCAsyncIO2->Write"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::to_string(row.asyncGroup) + std::to_string(row.useGIT));
    const unsigned long group = DefineInputs(row.asyncGroup);
    sim->Faults().Add(row.fault);
    Values values = {variant::I4(1), variant::R8(2), variant::Str("3")};
    const long hr = client->ASyncWriteGroup(group, Array(values), row.useGIT);
    EXPECT_EQ(row.hr, hr);
    const ReportedError error = Reported(hr);
    EXPECT_EQ(row.context ? row.context : "", error.present ? error.parameters.at(2) : "");
    EXPECT_EQ(row.asyncGroup ? 1u : 0u, sim->Calls().Count("IOPCAsyncIO2::Write"));
    sim->Faults().Clear();
    StartClient();
  }
}

TEST_F(AsyncTest, TheSubscriptionEndsOnceWhateverUnadviseSays) {
  VEMDcnOpcClientInspector view(*client);
  EXPECT_EQ(S_OK, view.AsyncInterfaceEnd());  // nothing subscribed
  DefineInputs();
  sim->Faults().Add(Fault::Fail("IConnectionPoint::Unadvise", E_UNEXPECTED));
  EXPECT_EQ(E_UNEXPECTED, view.AsyncInterfaceEnd());
  EXPECT_FALSE(Reported(E_UNEXPECTED).present || view.Subscribed());
  EXPECT_EQ(S_OK, view.AsyncInterfaceEnd());
  EXPECT_EQ(S_OK, client->OpcStop());
  EXPECT_EQ(1u, sim->Calls().Count("IConnectionPoint::Unadvise"));
}

// A framework error raised by what a guarded block calls (here by the fault
// rule's predicate, which runs inside the server's call) becomes E_FAIL, a
// failed assertion in the log and an error that carries its message.
TEST_F(AsyncTest, FrameworkErrorsRaisedInTheGuardedBlocks) {
  const auto raise = [](const opcsim::Call&) {
    (new QARError("RAISED_BY_SERVER", "VEMDcnOpcClient"))->Throw(nullptr, 0, nullptr);
    return false;
  };
  sim->Faults().Add(Fault::Fail("IConnectionPoint::Advise", E_FAIL).When(raise));
  unsigned long group = 0;
  long hr = Define({"VEM_APP_INPUTS", kInputs, {}, nullptr, 1, 1, 1}, group);
  EXPECT_EQ("RAISED_BY_SERVER", Reported(hr).parameters.at(2));
  sim->Faults().Clear();
  DefineInputs();
  sim->Faults().Add(Fault::Fail("IConnectionPoint::Unadvise", E_FAIL).When(raise));
  hr = client->OpcStop();
  EXPECT_EQ("RAISED_BY_SERVER", Reported(hr).parameters.at(2));
  const Ids lines = log.Lines();
  EXPECT_EQ(2, std::count_if(lines.begin(), lines.end(),
                             [](const std::string& line) { return line.find("AssertionFailed:FALSE") == 0; }));
}

}  // namespace
