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

HRESULT Keep(QARError* error) { return QARError::GetReturn(QARError::ReturnAndKeep, error, nullptr, nullptr, 0); }

class ErrorsTest : public testing::Test {
 protected:
  void TearDown() override { QARError::QARCleanLastError(); }
  int _Destroyed = 0;
};

}  // namespace

TEST_F(ErrorsTest, GetReturnKeepsTheErrorForTheCodeItYields) {
  QARError* error = new QARError(2, "Failed", "ErrorsTest");
  const HRESULT hr = QARError::GetReturn(QARError::ReturnAndKeep, error, nullptr, "src/Module", 42);
  EXPECT_EQ(E_FAIL, hr);
  {
    const com_ptr<QARError> found = LastError(hr);
    ASSERT_EQ(error, found.get());
    EXPECT_STREQ("src/Module", found->GetSourceFileName());
    EXPECT_EQ(42, found->GetSourceLineNumber());
    EXPECT_EQ(2u, found->GetRefCount());  // the thread's and ours
  }
  EXPECT_FALSE(LastError(E_POINTER));
  QARError::QARCleanLastError();
  EXPECT_FALSE(LastError(hr));

  QARError* own = new QARError(2);
  own->SetReturnCode(E_ACCESSDENIED);
  EXPECT_EQ(E_ACCESSDENIED, Keep(own));
  EXPECT_EQ(own, LastError(E_ACCESSDENIED).get());
  QARError* success = new QARError(4);
  success->SetReturnCode(S_FALSE);  // not a failure: the operation still fails
  EXPECT_EQ(E_FAIL, Keep(success));
  EXPECT_FALSE(LastError(E_ACCESSDENIED));  // replaced
  EXPECT_EQ(E_FAIL, Keep(nullptr));
}

TEST_F(ErrorsTest, TheFormerErrorIsReleasedWhenReplacedCleanedOrOnlyReturned) {
  EXPECT_EQ(E_FAIL, QARError::GetReturn(QARError::ReturnOnly, new TrackedError(&_Destroyed), nullptr, nullptr, 0));
  EXPECT_EQ(1, _Destroyed);
  EXPECT_FALSE(LastError(E_FAIL));
  Keep(new TrackedError(&_Destroyed));
  Keep(new QARError(1));
  EXPECT_EQ(2, _Destroyed);
  Keep(new TrackedError(&_Destroyed));
  QARError::QARCleanLastError();
  EXPECT_EQ(3, _Destroyed);
}

TEST_F(ErrorsTest, TheLastErrorBelongsToItsThread) {
  QARError* mine = new QARError(2);
  const HRESULT hr = Keep(mine);
  bool seenByOther = true;
  std::thread([&] {
    seenByOther = bool(LastError(hr));
    Keep(new TrackedError(&_Destroyed));
    QARError::QARCleanLastError();
  }).join();
  EXPECT_FALSE(seenByOther);
  EXPECT_EQ(1, _Destroyed);
  EXPECT_EQ(mine, LastError(hr).get());
}

// A thread's last error goes with the thread, while other threads allocate
// (on Windows the per-thread slot must not be written after its storage is gone).
TEST_F(ErrorsTest, WorkerThreadsThatFailReadTheirErrorAndExitLeaveNothingBehind) {
  for (int round = 0; round < 8; ++round) {
    std::vector<std::string> churn;
    std::thread worker([&] {
      const HRESULT hr = Keep(new TrackedError(&_Destroyed));
      EXPECT_TRUE(LastError(hr));
      if (round % 2 == 1) Keep(new TrackedError(&_Destroyed));  // the thread ends holding one
    });
    for (int i = 0; i < 200; ++i) churn.emplace_back(64, 'x');
    worker.join();
  }
  EXPECT_EQ(12, _Destroyed);
}

TEST_F(ErrorsTest, ComErrorsAreFoundForTheirCodeAndObject) {
  QARBaseUnknown server;
  QARBaseUnknown otherServer;
  const HRESULT hr = static_cast<HRESULT>(0x80040154);
  EXPECT_EQ(hr, QARCOMErrors::KeepAsLastError(hr, "Class not registered by the server", &server));
  EXPECT_FALSE(LastError(hr, &otherServer));
  const com_ptr<QARError> found = LastError(hr, &server);
  ASSERT_TRUE(found);
  EXPECT_EQ(1, found->IsAKindOf("QARCOMErrors"));
  EXPECT_EQ(1, found->IsAKindOf(QARError::ClassName()));
  EXPECT_EQ("Class not registered by the server", Utf8(found->GetNLSMessage()));
  EXPECT_TRUE(LastError(hr));  // no object named: any will do

  QARCOMErrors::KeepAsLastError(E_NOINTERFACE, "", nullptr);
  const com_ptr<QARError> described = LastError(E_NOINTERFACE, &server);
  ASSERT_TRUE(described);
  EXPECT_EQ("COM error 0x80004002", Utf8(described->GetNLSMessage()));
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
  const com_ptr<QARError> clone(error.CloneSelf(), comown::attach);
  ASSERT_TRUE(clone);
  EXPECT_EQ(1u, clone->GetRefCount());
  EXPECT_EQ(3u, clone->GetId());
  EXPECT_STREQ("Host", clone->GetSourceContext());
  EXPECT_EQ(E_ABORT, clone->GetReturnCode());
  EXPECT_EQ(error.GetNLSMessage(), clone->GetNLSMessage());
  QARSimulateAllocationFailures(1);
  EXPECT_EQ(nullptr, error.CloneSelf());
}

TEST_F(ErrorsTest, AContextCatchesWhatThrowRaisesInsideIt) {
  {
    QARXHContext context;
    bool afterThrow = false;
    EXPECT_EQ(0, context.Run([&] {
      (new TrackedError(&_Destroyed))->Throw("src/Module", 12, nullptr);
      afterThrow = true;
    }));
    EXPECT_FALSE(afterThrow);
    QARError* caught = context.GetError();
    ASSERT_NE(nullptr, caught);
    EXPECT_EQ(12, caught->Self()->GetSourceLineNumber());
    EXPECT_EQ(1u, caught->GetRefCount());
    context.Flush();
    EXPECT_EQ(1, _Destroyed);
    EXPECT_EQ(nullptr, context.GetError());
    EXPECT_EQ(1, context.Run([] {}));
    context.Run([&] { (new TrackedError(&_Destroyed))->Throw(nullptr, 0, nullptr); });
  }
  EXPECT_EQ(2, _Destroyed);  // a destroyed context releases what it still holds

  // Other exceptions pass through, and the guard is off again after them.
  QARXHContext context;
  EXPECT_THROW(context.Run([] { throw std::runtime_error("not ours"); }), std::runtime_error);
  EXPECT_EQ(nullptr, context.GetError());
  QARErrorLogCapture log;
  (new QARError(2, "Failed", "ErrorsTest"))->Throw(nullptr, 0, nullptr);
  EXPECT_EQ(1u, log.Lines().size());
}

TEST_F(ErrorsTest, AnErrorThrownOnReachesTheEnclosingContext) {
  QARXHContext outer;
  EXPECT_EQ(0, outer.Run([&] {
    QARXHContext inner;
    if (!inner.Run([&] { (new TrackedError(&_Destroyed))->Throw(nullptr, 0, nullptr); })) {
      inner.Detach()->Throw(nullptr, 0, nullptr);
    }
  }));
  ASSERT_NE(nullptr, outer.GetError());
  EXPECT_EQ(0, _Destroyed);
  com_ptr<QARError> taken(outer.Detach(), comown::attach);
  EXPECT_EQ(nullptr, outer.GetError());
  taken.reset();
  EXPECT_EQ(1, _Destroyed);
}

TEST_F(ErrorsTest, ThrowWithoutAContextLogsAndKeepsTheErrorAsLastError) {
  QARErrorLogCapture log;
  QARError* error = new QARError(2, "Failed", "ErrorsTest");
  const QARUnicodeString call("OpcStop");
  const QARUnicodeString reason("Unspecified error");
  error->SetNLSParameters(2, &call, &reason);
  error->Throw("src/Client", 210, nullptr);
  EXPECT_EQ(std::vector<std::string>{"Unhandled error: OpcStop failed: Unspecified error (src/Client, line 210)"},
            log.Lines());
  EXPECT_EQ(error, LastError(E_FAIL).get());
}
