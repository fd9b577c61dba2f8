// VEMDcnOpcError: its class identity, copies, and showing an error to the user.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "QARTestSupport.h"
#include "VEMDcnOpcError.h"
#include "comown.h"

namespace {

using comown::com_ptr;

const char kCatalog[] = "VEMDcnOpcClient";
const char kShown[] = "OPC Client Error: Cannot start the OPC server Plant.Sim: Class not registered";

class TrackedOpcError : public VEMDcnOpcError {
 public:
  explicit TrackedOpcError(int* destroyed) : VEMDcnOpcError(2, "VEMOPCERR13", kCatalog), _Destroyed(destroyed) {
    const QARUnicodeString server("Plant.Sim");
    const QARUnicodeString inner("Class not registered");
    SetNLSParameters(2, &server, &inner);
  }
  ~TrackedOpcError() override { ++*_Destroyed; }

 private:
  int* _Destroyed;
};

class OpcErrorTest : public testing::Test {
 protected:
  void TearDown() override { QARError::QARCleanLastError(); }
  HRESULT KeepTracked(int* destroyed) {
    return QARError::GetReturn(QARError::ReturnAndKeep, new TrackedOpcError(destroyed), nullptr, nullptr, 0);
  }
  com_ptr<QARError> LastError(HRESULT hr) { return com_ptr<QARError>(QARError::QARGetLastError(hr), comown::attach); }
  QARErrorLogCapture _Log;
};

}  // namespace

TEST_F(OpcErrorTest, IsAnErrorOfItsOwnClassThatCopiesAndClonesKeep) {
  VEMDcnOpcError error(4, "VEMOPCERR02", kCatalog);
  EXPECT_EQ(1, error.IsAKindOf("QARError"));  // hosts look for errors by the base class
  EXPECT_EQ(&error, error.Setup("VEMDcn/VEMDcnOpcClient.m/src/VEMDcnOpcClient", 120));
  const QARUnicodeString heading(""), severity("Information"), context("ctx"), description("desc");
  error.SetNLSParameters(4, &heading, &severity, &context, &description);
  const com_ptr<QARError> clone(error.CloneSelf(), comown::attach);
  ASSERT_TRUE(clone);
  EXPECT_STREQ("VEMDcnOpcError", clone->IsA());
  EXPECT_EQ(120, clone->GetSourceLineNumber());
  EXPECT_EQ("Information - ctx: desc", std::string(clone->GetNLSMessage().ConvertToChar().ConvertToChar()));
  QARSimulateAllocationFailures(1);
  EXPECT_EQ(nullptr, error.CloneSelf());

  VEMDcnOpcError assigned(9);
  assigned = error;
  EXPECT_EQ(4u, assigned.GetId());
  EXPECT_STREQ("VEMOPCERR02", assigned.GetMsgId());
  EXPECT_EQ(1u, assigned.GetRefCount());
}

TEST_F(OpcErrorTest, DisplayWithoutAnErrorShowsAndCleansOnlyTheLastErrorForTheCode) {
  QARError* other = new QARError(2);
  other->SetReturnCode(E_ACCESSDENIED);
  const HRESULT otherCode = QARError::GetReturn(QARError::ReturnAndKeep, other, nullptr, nullptr, 0);
  VEMDcnOpcError::GetAndDisplayOPCError(E_FAIL, nullptr);
  EXPECT_TRUE(_Log.Lines().empty());
  EXPECT_EQ(other, LastError(otherCode).get());

  int destroyed = 0;
  const HRESULT hr = KeepTracked(&destroyed);
  VEMDcnOpcError::GetAndDisplayOPCError(hr, nullptr);
  EXPECT_EQ(1, destroyed);
  EXPECT_FALSE(LastError(hr));
  EXPECT_EQ(std::vector<std::string>{kShown}, _Log.Lines());
}

TEST_F(OpcErrorTest, DisplayOfAGivenErrorReleasesItAndLeavesTheLastErrorAlone) {
  int lastDestroyed = 0;
  const HRESULT hr = KeepTracked(&lastDestroyed);
  int shownDestroyed = 0;
  VEMDcnOpcError::GetAndDisplayOPCError(hr, new TrackedOpcError(&shownDestroyed));
  EXPECT_EQ(1, shownDestroyed);
  EXPECT_EQ(0, lastDestroyed);
  EXPECT_EQ(std::vector<std::string>{kShown}, _Log.Lines());
  EXPECT_TRUE(LastError(hr));
}
