// Shared fixture of the cross-process tests: the test program is a client in
// a process of its own; COM starts opcsim-server.exe for it, and every OPC
// call crosses the process boundary through the proxies of opc_proxy.dll.
// The ctest fixtures register both in the suite's own Wine prefix.
//
// A new case (browsing, groups, the Global Interface Table, callbacks) is a
// TEST_F on CrossProcessTest in a file of its concern: the fixture gives it a
// single-threaded apartment and checks, when it ends, that the server process
// it used has exited, i.e. that the client released everything.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include <windows.h>

#include "QARUnicodeString.h"
#include "VEMDcnOpcClient.h"
#include "comown.h"
#include "opcsim/simulator.h"

namespace xproc {

inline constexpr char kServerProgId[] = "OpcSim.DAServer.1";
inline constexpr char kServerVendor[] = "Simulation OPC DA Server";

// The running opcsim-server.exe processes of this machine (of the Wine prefix).
std::vector<DWORD> ServerProcesses();
// True once no opcsim-server.exe runs, false after the timeout.
bool WaitForNoServer(DWORD timeoutMs);

// Under Wine a table entry that held a proxy to the server keeps references
// to the server's object after it was revoked: the server never exits. Ends
// such a server once it has had the time to exit; how many it ended.
int EndServerHeldByTheTable();

// The server object, activated in its own process.
comown::com_ptr<IOPCServer> ActivateServer();
// Runs opcsim-server.exe (beside the test program) with these arguments; its exit code.
DWORD RunServerProgram(const std::wstring& arguments);

QARUnicodeString Text(const std::string& utf8);
std::string Utf8(const QARUnicodeString& text);

// Defines a group of these items in their canonical types, as a host does.
long DefineGroup(VEMDcnOpcClient& client, const std::string& name, const std::vector<std::string>& ids,
                 unsigned char useGIT, unsigned char asyncWrite, unsigned long& handle);
// A value as a host sees it: its type and the item model's text.
std::string Shown(const VARIANT& value);

// Dispatches the thread's messages, and with them the calls that other
// processes make into its single-threaded apartment, until done() or the
// timeout; done()'s last answer.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs);

// opc_proxy.dll, beside the test program, registered and unregistered as
// regsvr32 does it; the destructor registers it again.
class ProxyRegistration {
 public:
  ProxyRegistration();
  ~ProxyRegistration();
  HRESULT Unregister();
  HRESULT Register();

 private:
  HRESULT Call(const char* entry);
  HMODULE dll_;
};

class CrossProcessTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

 private:
  bool entered_ = false;
};

}  // namespace xproc
