// VEMDcnOpcError: its class identity, copies, and showing an error to the user.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "QARTestSupport.h"
#include "VEMDcnOpcError.h"

namespace {

const char kCatalog[] = "VEMDcnOpcClient";

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
  QARErrorLogCapture _Log;
};

}  // namespace

TEST_F(OpcErrorTest, ConstructorsSetIdentifierKeyAndCatalogue) {
  const VEMDcnOpcError byId(3);
  EXPECT_EQ(3u, byId.GetId());
  EXPECT_STREQ("", byId.GetMsgId());

  const VEMDcnOpcError full(2, "VEMOPCERR02", kCatalog);
  EXPECT_EQ(2u, full.GetId());
  EXPECT_STREQ("VEMOPCERR02", full.GetMsgId());
  EXPECT_STREQ(kCatalog, full.GetMsgCatalog());

  const VEMDcnOpcError keyOnly("VEMOPCERR15", kCatalog);
  EXPECT_STREQ("VEMOPCERR15", keyOnly.GetMsgId());

  VEMDcnOpcError assigned(9);
  assigned = full;
  EXPECT_EQ(2u, assigned.GetId());
  EXPECT_EQ(1u, assigned.GetRefCount());
}

TEST_F(OpcErrorTest, DeclaresItsClassUnderTheLibrarysName) {
  const VEMDcnOpcError error(2, "VEMOPCERR02", kCatalog);
  EXPECT_STREQ("VEMDcnOpcError", error.IsA());
  EXPECT_STREQ("VEMDcnOpcError", VEMDcnOpcError::ClassName());
  EXPECT_EQ(1, error.IsAKindOf("VEMDcnOpcError"));
  EXPECT_EQ(1, error.IsAKindOf(QARError::ClassName()));
  EXPECT_EQ(1, error.IsAKindOf("QARBaseUnknown"));
  EXPECT_EQ(0, error.IsAKindOf("QARCOMErrors"));

  QARMetaClass* meta = VEMDcnOpcError::MetaObject();
  EXPECT_EQ(meta, error.GetMetaObject());
  EXPECT_EQ(QARError::MetaObject(), meta->GetParent());
  EXPECT_EQ(QARImplementationClass, meta->GetTypeOfClass());
  EXPECT_STREQ("QARNull", meta->GetExtendedClassName());
  EXPECT_STREQ("VEMDcn", meta->GetFrameworkName());
  EXPECT_EQ(sizeof(VEMDcnOpcError), meta->GetInstanceSize());
  EXPECT_TRUE(IsEqualGUID(VEMDcnOpcError::ClassId(), meta->GetClassId()));
  EXPECT_EQ(nullptr, VEMDcnOpcError::CreateItself());

  const QARError& asBase = error;
  EXPECT_STREQ("VEMDcnOpcError", asBase.IsA());
}

TEST_F(OpcErrorTest, DeclaresNoErrorTable) {
  const VEMDcnOpcError error(2);
  unsigned int length = 99;
  QARErrDsc* table = nullptr;
  error.GetErrorTable(&length, &table);
  EXPECT_EQ(0u, length);
  EXPECT_EQ(VEMDcnOpcError::errorTable, table);
  EXPECT_EQ(0u, VEMDcnOpcError::errorTableLength);
}

TEST_F(OpcErrorTest, CloneSelfAndSetupKeepTheClass) {
  VEMDcnOpcError error(4, "VEMOPCERR02", kCatalog);
  EXPECT_EQ(&error, error.Setup("VEMDcn/VEMDcnOpcClient.m/src/VEMDcnOpcClient", 120));
  EXPECT_EQ(&error, error.Self());
  const QARUnicodeString heading(""), severity("Information"), context("ctx"), description("desc");
  error.SetNLSParameters(4, &heading, &severity, &context, &description);

  QARError* clone = error.CloneSelf();
  ASSERT_NE(nullptr, clone);
  EXPECT_STREQ("VEMDcnOpcError", clone->IsA());
  EXPECT_EQ(120, clone->GetSourceLineNumber());
  EXPECT_EQ(error.GetNLSMessage(), clone->GetNLSMessage());
  EXPECT_EQ("Information - ctx: desc", std::string(clone->GetNLSMessage().ConvertToChar().ConvertToChar()));
  clone->Release();

  QARSimulateAllocationFailures(1);
  EXPECT_EQ(nullptr, error.CloneSelf());
}

TEST_F(OpcErrorTest, DisplayWithoutErrorOrLastErrorShowsAndCleansNothing) {
  QARError* other = new QARError(2);
  other->SetReturnCode(E_ACCESSDENIED);
  const HRESULT otherCode = QARError::GetReturn(QARError::ReturnAndKeep, other, nullptr, nullptr, 0);

  VEMDcnOpcError::GetAndDisplayOPCError(E_FAIL, nullptr);
  EXPECT_TRUE(_Log.Lines().empty());
  QARError* kept = QARError::QARGetLastError(otherCode);
  EXPECT_EQ(other, kept);
  kept->Release();
}

TEST_F(OpcErrorTest, DisplayOfAGivenErrorReleasesItAndLeavesTheLastErrorAlone) {
  int lastDestroyed = 0;
  const HRESULT hr =
      QARError::GetReturn(QARError::ReturnAndKeep, new TrackedOpcError(&lastDestroyed), nullptr, nullptr, 0);
  int shownDestroyed = 0;
  VEMDcnOpcError::GetAndDisplayOPCError(hr, new TrackedOpcError(&shownDestroyed));

  EXPECT_EQ(1, shownDestroyed);
  EXPECT_EQ(0, lastDestroyed);
  EXPECT_EQ((std::vector<std::string>{"OPC Client Error: Cannot start the OPC server Plant.Sim: Class not registered"}),
            _Log.Lines());
  QARError* kept = QARError::QARGetLastError(hr);
  ASSERT_NE(nullptr, kept);
  kept->Release();
}

TEST_F(OpcErrorTest, DisplayWithoutErrorShowsAndCleansTheLastErrorForTheCode) {
  int destroyed = 0;
  const HRESULT hr = QARError::GetReturn(QARError::ReturnAndKeep, new TrackedOpcError(&destroyed), nullptr, nullptr, 0);
  VEMDcnOpcError::GetAndDisplayOPCError(hr, nullptr);

  EXPECT_EQ(1, destroyed);
  EXPECT_EQ(nullptr, QARError::QARGetLastError(hr));
  ASSERT_EQ(1u, _Log.Lines().size());
  EXPECT_EQ("OPC Client Error: Cannot start the OPC server Plant.Sim: Class not registered", _Log.Lines()[0]);
}
