// Errors as a host meets them: returned through the thread's last error,
// thrown into a QARXHContext, described by the catalogue.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "FrameworkTestSupport.h"
#include "QARCOMErrors.h"
#include "QARError.h"
#include "QARMsgCatalog.h"
#include "QARTestSupport.h"
#include "QARXHContext.h"

namespace {

const char kCatalogText[] =
    "Failed = /p1 failed: /p2\n"
    "Failed.Advice = Check /p1\n";
const QARMsgCatalogRegistration registration("ErrorsTest", kCatalogText);

// An error that counts its destruction, to see who released it.
class TrackedError : public QARError {
 public:
  explicit TrackedError(int* destroyed) : QARError(2, "Failed", "ErrorsTest"), _Destroyed(destroyed) {}
  ~TrackedError() override { ++*_Destroyed; }

 private:
  int* _Destroyed;
};

class ErrorsTest : public testing::Test {
 protected:
  void TearDown() override { QARError::QARCleanLastError(); }
};

}  // namespace

TEST_F(ErrorsTest, GetReturnKeepsTheErrorForTheCodeItYields) {
  QARError* error = new QARError(2, "Failed", "ErrorsTest");
  const HRESULT hr = QARError::GetReturn(QARError::ReturnAndKeep, error, nullptr, "src/Module", 42);
  EXPECT_EQ(E_FAIL, hr);

  QARError* found = QARError::QARGetLastError(hr, nullptr);
  ASSERT_EQ(error, found);
  EXPECT_STREQ("src/Module", found->GetSourceFileName());
  EXPECT_EQ(42, found->GetSourceLineNumber());
  EXPECT_EQ(2u, found->GetRefCount());  // the thread's and ours
  found->Release();

  EXPECT_EQ(nullptr, QARError::QARGetLastError(E_POINTER, nullptr));
  QARError::QARCleanLastError();
  EXPECT_EQ(nullptr, QARError::QARGetLastError(hr, nullptr));
}

TEST_F(ErrorsTest, GetReturnYieldsTheErrorsOwnFailureCode) {
  QARError* own = new QARError(2);
  own->SetReturnCode(E_ACCESSDENIED);
  EXPECT_EQ(E_ACCESSDENIED, QARError::GetReturn(QARError::ReturnAndKeep, own, nullptr, nullptr, 0));
  QARError* found = QARError::QARGetLastError(E_ACCESSDENIED);
  EXPECT_EQ(own, found);
  found->Release();

  QARError* success = new QARError(4);
  success->SetReturnCode(S_FALSE);  // not a failure: the operation still fails
  EXPECT_EQ(E_FAIL, QARError::GetReturn(QARError::ReturnAndKeep, success, nullptr, nullptr, 0));
  EXPECT_EQ(nullptr, QARError::QARGetLastError(E_ACCESSDENIED));  // replaced, and released

  EXPECT_EQ(E_FAIL, QARError::GetReturn(QARError::ReturnAndKeep, nullptr, nullptr, nullptr, 0));
}

TEST_F(ErrorsTest, ReturnOnlyReleasesTheErrorAndKeepsNothing) {
  int destroyed = 0;
  EXPECT_EQ(E_FAIL, QARError::GetReturn(QARError::ReturnOnly, new TrackedError(&destroyed), nullptr, nullptr, 0));
  EXPECT_EQ(1, destroyed);
  EXPECT_EQ(nullptr, QARError::QARGetLastError(E_FAIL));
}

TEST_F(ErrorsTest, KeepingAnotherErrorOrCleaningReleasesTheFormerOne) {
  int destroyed = 0;
  QARError::GetReturn(QARError::ReturnAndKeep, new TrackedError(&destroyed), nullptr, nullptr, 0);
  QARError::GetReturn(QARError::ReturnAndKeep, new QARError(1), nullptr, nullptr, 0);
  EXPECT_EQ(1, destroyed);
  QARError::GetReturn(QARError::ReturnAndKeep, new TrackedError(&destroyed), nullptr, nullptr, 0);
  QARError::QARCleanLastError();
  EXPECT_EQ(2, destroyed);
}

TEST_F(ErrorsTest, TheLastErrorBelongsToItsThread) {
  QARError* mine = new QARError(2);
  const HRESULT hr = QARError::GetReturn(QARError::ReturnAndKeep, mine, nullptr, nullptr, 0);

  QARError* seenByOther = mine;
  int destroyedInOther = 0;
  std::thread other([&] {
    seenByOther = QARError::QARGetLastError(hr);
    QARError::GetReturn(QARError::ReturnAndKeep, new TrackedError(&destroyedInOther), nullptr, nullptr, 0);
    QARError::QARCleanLastError();
  });
  other.join();
  EXPECT_EQ(nullptr, seenByOther);
  EXPECT_EQ(1, destroyedInOther);

  QARError* stillMine = QARError::QARGetLastError(hr);
  EXPECT_EQ(mine, stillMine);
  stillMine->Release();
}

// A thread's last error goes with the thread, while other threads allocate
// (on Windows the per-thread slot must not be written after its storage is gone).
TEST_F(ErrorsTest, WorkerThreadsThatFailReadTheirErrorAndExitLeaveNothingBehind) {
  int destroyed = 0;
  for (int round = 0; round < 8; ++round) {
    std::vector<std::string> churn;
    std::thread worker([&] {
      const HRESULT hr = QARError::GetReturn(QARError::ReturnAndKeep, new TrackedError(&destroyed), nullptr, nullptr, 0);
      QARError* error = QARError::QARGetLastError(hr);
      EXPECT_NE(nullptr, error);
      if (error != nullptr) error->Release();
    });
    for (int i = 0; i < 200; ++i) churn.emplace_back(64, 'x');
    worker.join();
  }
  EXPECT_EQ(8, destroyed);
}

TEST_F(ErrorsTest, ComErrorsAreFoundForTheirCodeAndObject) {
  QARBaseUnknown server;
  QARBaseUnknown otherServer;
  const HRESULT hr = static_cast<HRESULT>(0x80040154);
  EXPECT_EQ(hr, QARCOMErrors::KeepAsLastError(hr, "Class not registered by the server", &server));

  EXPECT_EQ(nullptr, QARError::QARGetLastError(hr, &otherServer));
  QARError* found = QARError::QARGetLastError(hr, &server);
  ASSERT_NE(nullptr, found);
  EXPECT_EQ(1, found->IsAKindOf("QARCOMErrors"));
  EXPECT_EQ(1, found->IsAKindOf(QARError::ClassName()));
  EXPECT_EQ("Class not registered by the server", Utf8(found->GetNLSMessage()));
  found->Release();
  found = QARError::QARGetLastError(hr, nullptr);  // no object named: any will do
  ASSERT_NE(nullptr, found);
  found->Release();

  QARCOMErrors::KeepAsLastError(E_NOINTERFACE, "", nullptr);
  found = QARError::QARGetLastError(E_NOINTERFACE, &server);
  ASSERT_NE(nullptr, found);
  EXPECT_EQ("COM error 0x80004002", Utf8(found->GetNLSMessage()));
  found->Release();
}

TEST_F(ErrorsTest, MessagesComeFromTheCatalogueWithTheirParameters) {
  QARError error(2, "Failed", "ErrorsTest");
  const QARUnicodeString call("IOPCServer::GetStatus");
  const QARUnicodeString reason("Unspecified error");
  EXPECT_EQ(S_OK, error.SetNLSParameters(2, &call, &reason));
  EXPECT_EQ("IOPCServer::GetStatus failed: Unspecified error", Utf8(error.GetNLSMessage()));
  EXPECT_EQ(2, error.GetNLSParameterCount());
  EXPECT_EQ("Unspecified error", Utf8(error.GetNLSParameter(2)));
  EXPECT_EQ("", Utf8(error.GetNLSParameter(3)));

  error.SetNLSAdviceParams(1, &call);
  EXPECT_EQ("Check IOPCServer::GetStatus", Utf8(error.GetNLSAdvice()));
  EXPECT_EQ("", Utf8(error.GetNLSRequest()));

  error.Setup("src/Module", 7);
  EXPECT_EQ("IOPCServer::GetStatus failed: Unspecified error (src/Module, line 7)", Utf8(error.GetMessageText()));

  QARError unknown(2, "NoSuchKey", "ErrorsTest");
  unknown.SetNLSParameters(2, &call, nullptr);
  EXPECT_EQ("NoSuchKey: IOPCServer::GetStatus, ", Utf8(unknown.GetNLSMessage()));
}

TEST_F(ErrorsTest, CloneSelfCopiesEverythingButTheReferenceCount) {
  QARError error(3, "Failed", "ErrorsTest");
  const QARUnicodeString call("Read");
  error.SetNLSParameters(1, &call);
  error.SetSourceContext("Host");
  error.SetReturnCode(E_ABORT);
  error.AddRef();
  QARError* clone = error.CloneSelf();
  ASSERT_NE(nullptr, clone);
  EXPECT_EQ(1u, clone->GetRefCount());
  EXPECT_EQ(3u, clone->GetId());
  EXPECT_STREQ("Host", clone->GetSourceContext());
  EXPECT_EQ(E_ABORT, clone->GetReturnCode());
  EXPECT_EQ(error.GetNLSMessage(), clone->GetNLSMessage());
  clone->Release();

  QARSimulateAllocationFailures(1);
  EXPECT_EQ(nullptr, error.CloneSelf());
}

TEST_F(ErrorsTest, AContextCatchesWhatThrowRaisesInsideIt) {
  QARXHContext context;
  int destroyed = 0;
  bool afterThrow = false;
  const int completed = context.Run([&] {
    (new TrackedError(&destroyed))->Throw("src/Module", 12, nullptr);
    afterThrow = true;
  });
  EXPECT_EQ(0, completed);
  EXPECT_FALSE(afterThrow);
  QARError* caught = context.GetError();
  ASSERT_NE(nullptr, caught);
  EXPECT_EQ(1, caught->IsAKindOf(QARError::ClassName()));
  EXPECT_EQ(12, caught->Self()->GetSourceLineNumber());
  EXPECT_EQ(1u, caught->GetRefCount());
  context.Flush();
  EXPECT_EQ(1, destroyed);
  EXPECT_EQ(nullptr, context.GetError());

  EXPECT_EQ(1, context.Run([] {}));
}

TEST_F(ErrorsTest, OtherExceptionsPassThroughTheContext) {
  QARXHContext context;
  EXPECT_THROW(context.Run([] { throw std::runtime_error("not ours"); }), std::runtime_error);
  EXPECT_EQ(nullptr, context.GetError());

  // The guard is off again: Throw no longer throws.
  QARErrorLogCapture log;
  (new QARError(2, "Failed", "ErrorsTest"))->Throw(nullptr, 0, nullptr);
  EXPECT_EQ(1u, log.Lines().size());
}

TEST_F(ErrorsTest, AnErrorThrownOnReachesTheEnclosingContext) {
  QARXHContext outer;
  int destroyed = 0;
  const int completed = outer.Run([&] {
    QARXHContext inner;
    if (!inner.Run([&] { (new TrackedError(&destroyed))->Throw(nullptr, 0, nullptr); })) {
      inner.Detach()->Throw(nullptr, 0, nullptr);
    }
  });
  EXPECT_EQ(0, completed);
  ASSERT_NE(nullptr, outer.GetError());
  EXPECT_EQ(0, destroyed);
  QARError* taken = outer.Detach();
  EXPECT_EQ(nullptr, outer.GetError());
  taken->Release();
  EXPECT_EQ(1, destroyed);
}

TEST_F(ErrorsTest, ThrowWithoutAContextLogsAndKeepsTheErrorAsLastError) {
  QARErrorLogCapture log;
  QARError* error = new QARError(2, "Failed", "ErrorsTest");
  const QARUnicodeString call("OpcStop");
  const QARUnicodeString reason("Unspecified error");
  error->SetNLSParameters(2, &call, &reason);
  error->Throw("src/Client", 210, nullptr);

  ASSERT_EQ(1u, log.Lines().size());
  EXPECT_EQ("Unhandled error: OpcStop failed: Unspecified error (src/Client, line 210)", log.Lines()[0]);
  QARError* kept = QARError::QARGetLastError(E_FAIL);
  EXPECT_EQ(error, kept);
  kept->Release();
}

TEST_F(ErrorsTest, ADestroyedContextReleasesAnErrorItStillHolds) {
  int destroyed = 0;
  {
    QARXHContext context;
    context.Run([&] { (new TrackedError(&destroyed))->Throw(nullptr, 0, nullptr); });
  }
  EXPECT_EQ(1, destroyed);
}
