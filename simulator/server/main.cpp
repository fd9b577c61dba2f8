// opcsim-server: the simulation OPC DA server as a local server executable.
//
//   opcsim-server /RegServer [--space FILE]  register the server classes (and the
//                                            server list, unless the machine has one)
//   opcsim-server /UnregServer               remove what /RegServer wrote
//   opcsim-server -Embedding [--space FILE]  how COM starts it: serves until its last
//                                            object is released
//   opcsim-server [--space FILE]             by hand: serves until Ctrl+C
//
// It serves the embedded simulator's classes (same CLSIDs, ProgIDs, categories
// and demo plant, or the address space of FILE in the simulator's text format)
// and the machine's server list.
#include <cstdio>
#include <string>
#include <thread>

#include <windows.h>
#include <objbase.h>

#include <opcsim/simulator.h>

#include "machine_server_list.h"
#include "registration.h"

namespace {

// Started by COM, a server that no client used ends after this long; one
// that was used ends this long after its last object went, so that a client
// that activates it twice in a row (the server list, then the server) finds
// it still there.
constexpr DWORD kUnusedTimeoutMs = 10000;
constexpr DWORD kLingerMs = 500;
constexpr DWORD kPollMs = 50;
constexpr DWORD kDeliveryMs = 10;

enum class Mode { Serve, Embedded, Register, Unregister, Help };

struct Command {
  Mode mode = Mode::Serve;
  std::string spaceFile;
  std::string error;
};

// Switches start with '/' or '-' (or "--") and ignore case, as COM's do.
std::string SwitchName(const std::string& arg) {
  std::size_t start = 0;
  while (start < arg.size() && start < 2 && (arg[start] == '/' || arg[start] == '-')) ++start;
  if (start == 0) return std::string();
  std::string name = arg.substr(start);
  for (char& c : name)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return name;
}

Command Parse(int argc, char** argv) {
  Command command;
  for (int i = 1; i < argc; ++i) {
    const std::string name = SwitchName(argv[i]);
    if (name == "regserver") {
      command.mode = Mode::Register;
    } else if (name == "unregserver") {
      command.mode = Mode::Unregister;
    } else if (name == "embedding") {
      command.mode = Mode::Embedded;
    } else if (name == "space" && i + 1 < argc) {
      command.spaceFile = argv[++i];
    } else if (name == "help" || name == "h" || name == "?") {
      command.mode = Mode::Help;
    } else {
      command.error = std::string("unknown argument: ") + argv[i];
    }
  }
  return command;
}

std::wstring ProgramPath() {
  WCHAR path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return path;
}

std::wstring FullPath(const std::string& file) {
  if (file.empty()) return std::wstring();
  WCHAR path[MAX_PATH] = {};
  const std::wstring wide = comown::to_wide(file);
  if (GetFullPathNameW(wide.c_str(), MAX_PATH, path, nullptr) == 0) return wide;
  return path;
}

HANDLE g_stop = nullptr;

BOOL WINAPI OnConsoleControl(DWORD) {
  SetEvent(g_stop);
  return TRUE;
}

// By hand: until Ctrl+C. Started by COM: until the last object a client held
// went (or none came).
void WaitUntilDone(bool embedded) {
  if (!embedded) {
    WaitForSingleObject(g_stop, INFINITE);
    return;
  }
  const ULONGLONG started = GetTickCount64();
  ULONGLONG lastBusy = started;
  unsigned long created = 0;
  while (WaitForSingleObject(g_stop, kPollMs) == WAIT_TIMEOUT) {
    const ULONGLONG now = GetTickCount64();
    // An object made and released between two looks counts as use too.
    const unsigned long createdNow = opcsim::CreatedObjects();
    if (opcsim::LiveObjects() > 0 || createdNow != created) {
      created = createdNow;
      lastBusy = now;
      continue;
    }
    if (created > 0 ? now - lastBusy >= kLingerMs : now - started >= kUnusedTimeoutMs) return;
  }
}

// Completions of asynchronous requests go out from a thread of their own once
// the request has returned, as from any server that does the work later: a
// client receives them as calls into its apartment, which a single-threaded
// one takes only while it dispatches messages.
class CompletionDelivery {
 public:
  explicit CompletionDelivery(opcsim::Simulator& simulator)
      : stop_(CreateEventW(nullptr, TRUE, FALSE, nullptr)), thread_([this, &simulator] { Run(simulator); }) {}
  ~CompletionDelivery() {
    SetEvent(stop_);
    thread_.join();
    CloseHandle(stop_);
  }

 private:
  void Run(opcsim::Simulator& simulator) {
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    while (WaitForSingleObject(stop_, kDeliveryMs) == WAIT_TIMEOUT) simulator.DeliverCompletions();
    CoUninitialize();
  }
  HANDLE stop_;
  std::thread thread_;
};

int Serve(const Command& command) {
  opcsim::Options options;
  // The registration names the classes; the simulator leaves the registry alone.
  options.registerProgIds = false;
  options.serverList = false;
  options.asyncDelivery = opcsim::AsyncDelivery::Queued;
  if (!command.spaceFile.empty()) {
    std::string error;
    options.space = opcsim::LoadAddressSpaceFile(command.spaceFile, &error);
    if (!options.space) {
      std::fprintf(stderr, "opcsim-server: %s\n", error.c_str());
      return 1;
    }
  }
  // The multithreaded apartment: calls from clients arrive on COM's threads
  // and need no message loop; the simulator serialises them itself.
  if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {
    std::fprintf(stderr, "opcsim-server: cannot enter COM\n");
    return 1;
  }
  int code = 0;
  {
    opcsim::Simulator simulator(options);
    simulator.Calls().Enable(false);  // a long-running server keeps no call log
    CompletionDelivery delivery(simulator);
    opcsim_server::MachineServerListRegistration serverList(simulator.core());
    if (FAILED(simulator.RegistrationResult()) || FAILED(serverList.Result())) {
      std::fprintf(stderr, "opcsim-server: registering the class objects failed (0x%08lX, 0x%08lX)\n",
                   static_cast<unsigned long>(simulator.RegistrationResult()),
                   static_cast<unsigned long>(serverList.Result()));
      code = 1;
    } else {
      if (command.mode == Mode::Serve) std::printf("opcsim-server: serving %s; Ctrl+C stops\n", simulator.ProgId().c_str());
      std::fflush(stdout);
      WaitUntilDone(command.mode == Mode::Embedded);
    }
  }
  // A client that came between the last release and the revocation keeps its
  // objects, which outlive the simulator, until it lets them go.
  while (opcsim::LiveObjects() > 0 && WaitForSingleObject(g_stop, kPollMs) == WAIT_TIMEOUT) {
  }
  CoUninitialize();
  return code;
}

int Register(const Command& command, bool add) {
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
  const HRESULT hr = add ? opcsim_server::RegisterServer(ProgramPath(), FullPath(command.spaceFile))
                         : opcsim_server::UnregisterServer(ProgramPath());
  CoUninitialize();
  if (FAILED(hr)) {
    std::fprintf(stderr, "opcsim-server: %s failed (0x%08lX)\n", add ? "registration" : "unregistration",
                 static_cast<unsigned long>(hr));
    return 1;
  }
  if (hr == S_FALSE) std::printf("opcsim-server: the machine's own server list stays registered\n");
  return 0;
}

const char kUsage[] =
    "usage: opcsim-server /RegServer [--space FILE] | /UnregServer | [-Embedding] [--space FILE]\n";

}  // namespace

int main(int argc, char** argv) {
  const Command command = Parse(argc, argv);
  if (!command.error.empty()) {
    std::fprintf(stderr, "opcsim-server: %s\n%s", command.error.c_str(), kUsage);
    return 2;
  }
  switch (command.mode) {
    case Mode::Help:
      std::printf("%s", kUsage);
      return 0;
    case Mode::Register:
      return Register(command, true);
    case Mode::Unregister:
      return Register(command, false);
    case Mode::Serve:
    case Mode::Embedded:
      break;
  }
  g_stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  SetConsoleCtrlHandler(OnConsoleControl, TRUE);
  const int code = Serve(command);
  CloseHandle(g_stop);
  return code;
}
