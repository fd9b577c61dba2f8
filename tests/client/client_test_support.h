// Shared fixture of the client's tests: a single-threaded apartment, a
// simulation server registered in it, the error log captured in memory, and
// a view of the client's members.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "QARError.h"
#include "QARSysLog.h"
#include "QARTestSupport.h"
#include "VEMDcnOpcClient.h"
#include "VEMDcnOpcClientConnection.h"
#include "VEMDcnOpcError.h"
#include "opcsim/simulator.h"
#include "../support/apartment_test.h"

// Friend of VEMDcnOpcClient: lets the tests look at what a host cannot see.
class VEMDcnOpcClientInspector {
 public:
  explicit VEMDcnOpcClientInspector(VEMDcnOpcClient& client) : c(client) {}
  bool Started() const { return c._Started != 0; }
  bool ComInitialized() const { return c._ComInitialized != 0; }
  bool TraceOn() const { return c._TraceOn != 0; }
  bool HasServer() const { return c._pOPCServer() != nullptr; }
  bool HasCommon() const { return c._pOPCCommon() != nullptr; }
  bool HasBrowse() const { return c._pBrowseAddressSpace() != nullptr; }
  bool HasItemProperties() const { return c._pItemProperties() != nullptr; }
  bool HasGIT() const { return c._pGIT != nullptr; }
  unsigned int ErrorId() const { return c._ErrorId; }
  unsigned int NextClientHandle() const { return c._NextClientHandle; }
  unsigned int UpdateRate() const { return c._UpdateRate; }
  float PercentDeadband() const { return c._PercentDeadband; }
  const QARUnicodeString& HostName() const { return c._HostName; }
  int SupportedTypeCount() const { return c._SupportedDataTypes.Size(); }
  IOPCBrowseServerAddressSpace* Browse() const { return c._pBrowseAddressSpace(); }
  // Tighter walk bounds, so that tests reach them in a few calls.
  void LimitWalks(unsigned int depth, unsigned int climb, unsigned int enumeration, unsigned int walk) {
    c._BrowseLimits.depth = depth;
    c._BrowseLimits.climb = climb;
    c._BrowseLimits.enumeration = enumeration;
    c._BrowseLimits.walk = walk;
  }
  int GroupCount() const { return c._Groups().Size(); }
  static ULONGLONG TicksPerMicrosecond() { return VEMDcnOpcClient::_TicksPerMicrosecond; }

  VEMDcnOpcError* GetError(long hr, const QARUnicodeString& context, IUnknown* object = nullptr) {
    return c._GetError(hr, context, object);
  }

  // Groups and the subscription of the asynchronous one.
  const VEMDcnOpcGroup* Group(int position) const { return c._Groups()[position]; }
  bool Subscribed() const { return c._pDataCallback() != nullptr || c._pConnectionPoint() != nullptr; }
  long AsyncInterfaceEnd() { return c._AsyncInterfaceEnd(); }

  // A group made on the connected server and handed to the client's
  // connection, as a definition does; its server handle.
  OPCHANDLE AddGroup(const char* name) {
    auto group = std::make_unique<VEMDcnOpcGroup>();
    group->_Name = name;
    DWORD revised = 0;
    EXPECT_EQ(S_OK, c._pOPCServer()->AddGroup(comown::to_wide(name).c_str(), TRUE, 100, 0, nullptr, nullptr, 0,
                                              &group->_hServerGroup, &revised, IID_IUnknown,
                                              group->_pGroupUnknown.put()));
    const OPCHANDLE handle = group->_hServerGroup;
    c._Connection->AddGroup(std::move(group));
    return handle;
  }

 private:
  VEMDcnOpcClient& c;
};

namespace clienttest {

// Switches the client's trace for the clients made after it (null: unset).
inline void SetTraceVariable(const char* value) {
#ifdef _WIN32
  _putenv_s("VEMDcnOpcClientLog", value == nullptr ? "" : value);
#else
  if (value == nullptr)
    unsetenv("VEMDcnOpcClientLog");
  else
    setenv("VEMDcnOpcClientLog", value, 1);
#endif
}

// UTF-8 text of a framework string, for readable assertions.
inline std::string Utf8(const QARUnicodeString& text) { return text.ConvertToChar().ConvertToChar(); }

// The error log in memory.
class CapturedLog : public QARErrorLogCapture {
 public:
  // The lines that contain the text, whole.
  std::vector<std::string> Containing(const std::string& text) const {
    std::vector<std::string> found;
    for (const std::string& line : Lines())
      if (line.find(text) != std::string::npos) found.push_back(line);
    return found;
  }
  size_t Count(const std::string& text) const {
    const std::vector<std::string> lines = Lines();
    return static_cast<size_t>(std::count(lines.begin(), lines.end(), text));
  }
};

// What a host learns from a failed call: the error object kept for its code.
struct ReportedError {
  bool present = false;
  std::string key;
  unsigned int id = 0;
  std::vector<std::string> parameters;
  std::string message;
};

inline ReportedError Reported(long hr) {
  ReportedError result;
  QARError* error = QARError::QARGetLastError(hr, nullptr);
  if (error == nullptr) return result;
  result.present = true;
  result.key = error->GetMsgId();
  result.id = error->GetId();
  for (int i = 1; i <= error->GetNLSParameterCount(); ++i) result.parameters.push_back(Utf8(error->GetNLSParameter(i)));
  result.message = Utf8(error->GetNLSMessage());
  error->Release();
  QARError::QARCleanLastError();
  return result;
}

// The shared apartment fixture with the error log captured; a test that
// switched the trace on leaves it off for the next.
class ClientTest : public testsupport::ApartmentTest {
 protected:
  void TearDown() override {
    SetTraceVariable(nullptr);
    ApartmentTest::TearDown();
  }

  static opcsim::Options WithClass(opcsim::ServerClass serverClass) {
    opcsim::Options options;
    options.classes = {serverClass};
    return options;
  }

  CapturedLog log;
};

}  // namespace clienttest
