// host: a host application of the OPC DA client library, built against the
// installed package.
//
//   host [--server PROGID] [--host NAME]
//
// Starts a client on a server, shows the server's status, lists the OPC DA
// servers of the server's machine and stops the client; every failure is
// reported with the library's error object. Built with a library build tree's
// simulation server (see CMakeLists.txt), it uses that server when none is named.
#include <cstdio>
#include <cstring>
#include <iostream>
#include <memory>
#include <string>

#include "QARError.h"
#include "VEMDcnOpcClient.h"
#include "VEMDcnVersion.h"
#ifdef HOST_EMBEDS_SIMULATOR
#include "opcsim/simulator.h"
#endif

namespace {

std::string Utf8(const QARUnicodeString& text) { return text.ConvertToChar().ConvertToChar(); }

QARUnicodeString Text(const std::string& utf8) {
  QARUnicodeString text;
  text.BuildFromUTF8(utf8.c_str());
  return text;
}

// A failed call keeps its error object as the thread's last error, under the
// code the call returned: fetch it with that code, show its message (texts
// from the message catalogue), release it and clear the last error.
void Report(const char* what, long hr) {
  std::fprintf(stderr, "host: %s failed (0x%08X)", what, static_cast<unsigned>(hr));
  if (QARError* error = QARError::QARGetLastError(hr, nullptr)) {
    std::fprintf(stderr, ": %s", Utf8(error->GetNLSMessage()).c_str());
    error->Release();
    QARError::QARCleanLastError();
  }
  std::fputc('\n', stderr);
}

long ShowStatus(VEMDcnOpcClient& client) {
  QARUnicodeString status, state;
  const long hr = client.GetServerStatus(status, state);
  if (SUCCEEDED(hr)) std::cout << "Status:  " << Utf8(status) << "\nState:   " << Utf8(state) << "\n";
  return hr;
}

long ListServers(VEMDcnOpcClient& client) {
  QARListValQARUnicodeString* servers = nullptr;  // created by the client, owned by the host
  const long hr = client.GetOpcServerList(&servers);
  const std::unique_ptr<QARListValQARUnicodeString> owned(servers);
  if (FAILED(hr)) return hr;
  std::cout << "Servers:";
  for (int i = 1; servers != nullptr && i <= servers->Size(); ++i) std::cout << " " << Utf8((*servers)[i]);
  std::cout << (servers == nullptr ? " (none)\n" : "\n");
  return hr;
}

// What the host does with a started client, in order. Listing items,
// defining a group, reading and writing it are steps of the same form.
struct Step {
  const char* what;
  long (*run)(VEMDcnOpcClient&);
};
const Step kSteps[] = {
    {"reading the server status", ShowStatus},
    {"listing the servers", ListServers},
};

// One session: start, every step, stop. The destructor would stop the client
// too, but only OpcStop returns a result to check.
int RunSession(const std::string& server, const std::string& host) {
  VEMDcnOpcClient client;
  long hr = client.OpcStart(Text(server), Text(host), 1000, 0.0f);
  if (FAILED(hr)) {
    Report("starting the client", hr);
    client.OpcStop();  // a start that failed half-way may leave the client connected
    return 1;
  }
  std::cout << "Server:  " << server << " on " << (host.empty() ? "this machine" : host) << "\n";
  int failed = 0;
  for (const Step& step : kSteps) {
    hr = step.run(client);
    if (FAILED(hr)) {
      Report(step.what, hr);
      ++failed;
    }
  }
  hr = client.OpcStop();
  if (FAILED(hr)) {
    Report("stopping the client", hr);
    ++failed;
  }
  return failed == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  std::string server, host;
  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    if ((option == "--server" || option == "--host") && i + 1 < argc) {
      (option == "--server" ? server : host) = argv[++i];
    } else {
      std::cerr << "usage: host [--server PROGID] [--host NAME]\n";
      return 2;
    }
  }
  // The headers this program was compiled with against the library it loaded.
  std::cout << "Library: VEMDcnOpcClient " << VEMDcnOpcClientVersion() << "\n";
  if (std::strcmp(VEMDcnOpcClientVersion(), VEMDCN_VERSION) != 0)
    std::cerr << "host: built with the headers of version " VEMDCN_VERSION "\n";

  // The thread stays in one single-threaded apartment while it has clients;
  // OpcStart enters the same apartment again.
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
    std::cerr << "host: cannot enter COM\n";
    return 1;
  }
  int code = 2;
  {
#ifdef HOST_EMBEDS_SIMULATOR
    // Registered in this process and apartment for as long as it lives.
    std::unique_ptr<opcsim::Simulator> simulator;
    if (server.empty()) {
      simulator = std::make_unique<opcsim::Simulator>();
      server = simulator->ProgId();
    }
#endif
    if (server.empty())
      std::cerr << "host: name a server with --server PROGID\n";
    else
      code = RunSession(server, host);
  }
  CoUninitialize();
  return code;
}
