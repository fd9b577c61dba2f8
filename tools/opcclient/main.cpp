// opcclient: the library from the command line.
//
//   opcclient servers [--host H]                 the OPC DA 2.0 servers a host offers
//   opcclient status [--server PROGID] [--host H] vendor, version and state of a server
//   opcclient --version                          the version of the library and the program
//
// Without --server the embedded simulation server is registered in this
// process and used, so the commands work on a machine with no OPC server;
// `servers` lists the machine's own servers wherever it has a server list.
#include <CLI/CLI.hpp>

#include <iostream>
#include <memory>
#include <string>

#include "QARError.h"
#include "QARSysLog.h"
#include "VEMDcnOpcClient.h"
#include "VEMDcnVersion.h"
#include "comown.h"
#include "opcsim/simulator.h"

namespace {

std::string Utf8(const QARUnicodeString& text) { return text.ConvertToChar().ConvertToChar(); }

QARUnicodeString Text(const std::string& utf8) {
  QARUnicodeString text;
  text.BuildFromUTF8(utf8.c_str());
  return text;
}

// The framework's error log (trace lines, internal notes) is shown only with
// --verbose: what a user needs to know comes from the error objects.
class ErrorLogFilter : public QARErrorLogSink {
 public:
  explicit ErrorLogFilter(bool show) : show_(show) { previous_ = QARSetErrorLogSink(this); }
  ~ErrorLogFilter() override { QARSetErrorLogSink(previous_); }
  long WriteLine(int, const QARString& line) override {
    if (show_) std::cerr << line.ConvertToChar() << "\n";
    return S_OK;
  }

 private:
  bool show_;
  QARErrorLogSink* previous_;
};

// The error object kept for a failed call, as the host would show it.
int Fail(const char* what, long hr) {
  std::cerr << "opcclient: " << what << " failed";
  QARError* error = QARError::QARGetLastError(hr, nullptr);
  if (error != nullptr) {
    std::cerr << ": " << Utf8(error->GetNLSMessage());
    error->Release();
    QARError::QARCleanLastError();
  } else {
    char code[16];
    std::snprintf(code, sizeof code, "0x%08X", static_cast<unsigned>(hr));
    std::cerr << " (" << code << ")";
  }
  std::cerr << "\n";
  return 1;
}

int ListServers(const std::string& host) {
  VEMDcnOpcClient client;
  client.SetHostName(Text(host));
  QARListValQARUnicodeString* servers = nullptr;
  const long hr = client.GetOpcServerList(&servers);
  std::unique_ptr<QARListValQARUnicodeString> owned(servers);
  if (FAILED(hr)) {
    // The error is fetched before the next operation, which starts afresh.
    const int code = Fail("listing the servers", hr);
    client.OpcStop();
    return code;
  }
  if (servers != nullptr)
    for (int i = 1; i <= servers->Size(); ++i) std::cout << Utf8((*servers)[i]) << "\n";
  else
    std::cout << "(no OPC DA 2.0 server)\n";
  client.OpcStop();
  return 0;
}

int ShowStatus(const std::string& server, const std::string& host) {
  VEMDcnOpcClient client;
  long hr = client.OpcStart(Text(server), Text(host), 1000, 0.0f);
  if (FAILED(hr)) {
    const int code = Fail("connecting", hr);
    client.OpcStop();
    return code;
  }
  QARUnicodeString status, state;
  hr = client.GetServerStatus(status, state);
  if (FAILED(hr)) {
    const int code = Fail("reading the status", hr);
    client.OpcStop();
    return code;
  }
  std::cout << "Server:  " << server << " on " << (host.empty() ? "this machine" : host) << "\n"
            << "Status:  " << Utf8(status) << "\n"
            << "State:   " << Utf8(state) << "\n";
  hr = client.OpcStop();
  return FAILED(hr) ? Fail("disconnecting", hr) : 0;
}

// A server list the machine has registered (on Windows, the one a local
// server brings); the embedded one would hide the machine's servers.
bool MachineHasServerList() {
  comown::task_string progId;
  return SUCCEEDED(ProgIDFromCLSID(CLSID_OpcServerList, progId.put()));
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"Command-line client of the OPC DA client library"};
  app.require_subcommand(1);
  std::string host;
  std::string server;
  bool verbose = false;
  app.fallthrough();
  app.add_flag("-v,--verbose", verbose, "Show the library's error log and trace lines");
  // The program is versioned with the library; this is the version of the library it loaded.
  app.set_version_flag("--version", std::string("opcclient ") + VEMDcnOpcClientVersion());

  CLI::App* servers = app.add_subcommand("servers", "List the OPC DA 2.0 servers a host offers");
  servers->add_option("--host", host, "Host to ask (default: this machine)");

  CLI::App* status = app.add_subcommand("status", "Show a server's vendor, version and state");
  status->add_option("--server", server, "ProgID of the server (default: the embedded simulator)");
  status->add_option("--host", host, "Host the server runs on (default: this machine)");

  CLI11_PARSE(app, argc, argv);
  ErrorLogFilter logFilter(verbose);

  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
    std::cerr << "opcclient: cannot enter COM\n";
    return 1;
  }
  int code = 0;
  {
    // The embedded simulator serves whenever no server was named.
    std::unique_ptr<opcsim::Simulator> simulator;
    if (servers->parsed() ? !MachineHasServerList() : server.empty()) {
      simulator = std::make_unique<opcsim::Simulator>();
      server = simulator->ProgId();
    }
    code = servers->parsed() ? ListServers(host) : ShowStatus(server, host);
  }
  CoUninitialize();
  return code;
}
