#include "xproc_test_support.h"

#include <tlhelp32.h>

#include <algorithm>

#include "QARString.h"
#include "VEMDcnOpcItem.h"

namespace xproc {

namespace {

// How long a server may take to exit once its last object went (it lingers
// half a second for a client that comes back at once).
constexpr DWORD kExitTimeoutMs = 10000;

struct HandleTraits {
  using pointer = HANDLE;
  static void close(HANDLE handle) noexcept { CloseHandle(handle); }
};
using Handle = comown::unique_resource<HandleTraits>;

// A file beside the test program.
std::wstring ProgramFolderFile(const wchar_t* name) {
  WCHAR path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring file(path);
  return file.substr(0, file.find_last_of(L"\\/") + 1) + name;
}

}  // namespace

std::vector<DWORD> ServerProcesses() {
  std::vector<DWORD> ids;
  Handle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (snapshot.get() == INVALID_HANDLE_VALUE) {
    (void)snapshot.release();
    return ids;
  }
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry))
    if (lstrcmpiW(entry.szExeFile, L"opcsim-server.exe") == 0) ids.push_back(entry.th32ProcessID);
  return ids;
}

bool WaitForNoServer(DWORD timeoutMs) {
  // Dispatching: a server that calls back into this apartment must not wait for it.
  return PumpUntil([] { return ServerProcesses().empty(); }, timeoutMs);
}

int EndServerHeldByTheTable() {
  if (WaitForNoServer(1000)) return 0;
  int ended = 0;
  for (DWORD id : ServerProcesses()) {
    Handle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id));
    if (!process.get() || !TerminateProcess(process.get(), 1)) continue;
    WaitForSingleObject(process.get(), kExitTimeoutMs);
    ++ended;
  }
  return ended;
}

comown::com_ptr<IOPCServer> ActivateServer() {
  comown::com_ptr<IOPCServer> server;
  EXPECT_EQ(S_OK, CoCreateInstance(CLSID_OpcSimDAServer, nullptr, CLSCTX_LOCAL_SERVER, IID_IOPCServer,
                                   server.put_void()));
  return server;
}

DWORD RunServerProgram(const std::wstring& arguments) {
  std::wstring command = L"\"" + ProgramFolderFile(L"opcsim-server.exe") + L"\" " + arguments;
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return GetLastError();
  Handle thread(process.hThread), child(process.hProcess);
  WaitForSingleObject(child.get(), INFINITE);
  DWORD code = 1;
  GetExitCodeProcess(child.get(), &code);
  return code;
}

QARUnicodeString Text(const std::string& utf8) {
  QARUnicodeString text;
  text.BuildFromUTF8(utf8.c_str());
  return text;
}

std::string Utf8(const QARUnicodeString& text) { return text.ConvertToChar().ConvertToChar(); }

long DefineGroup(VEMDcnOpcClient& client, const std::string& name, const std::vector<std::string>& ids,
                 unsigned char useGIT, unsigned char asyncWrite, unsigned long& handle) {
  std::vector<std::wstring> texts;
  for (const std::string& id : ids) texts.push_back(comown::to_wide(id));
  std::vector<const unsigned short*> pointers;
  for (const std::wstring& text : texts) pointers.push_back(reinterpret_cast<const unsigned short*>(text.c_str()));
  std::vector<VARIANT> types(ids.size());  // VT_EMPTY: canonical
  std::wstring group = comown::to_wide(name);
  const unsigned char active = 1;
  return client.DefineGroup(reinterpret_cast<unsigned short*>(&group[0]), static_cast<unsigned long>(ids.size()),
                            nullptr, pointers.data(), types.data(), handle, useGIT, active, asyncWrite);
}

std::string Shown(const VARIANT& value) {
  return std::to_string(value.vt) + ":" + Utf8(VEMDcnOpcItem::Variant2String(value));
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  while (!done()) {
    const ULONGLONG now = GetTickCount64();
    if (now >= deadline) return false;
    // Woken by a message, or after a while to ask done() again.
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, 50)), QS_ALLINPUT);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
  }
  return true;
}

ProxyRegistration::ProxyRegistration() : dll_(LoadLibraryW(ProgramFolderFile(L"opc_proxy.dll").c_str())) {}

ProxyRegistration::~ProxyRegistration() {
  Register();
  if (dll_) FreeLibrary(dll_);
}

HRESULT ProxyRegistration::Call(const char* entry) {
  if (!dll_) return HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND);
  auto function = reinterpret_cast<HRESULT(WINAPI*)()>(reinterpret_cast<void*>(GetProcAddress(dll_, entry)));
  return function ? function() : HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
}

HRESULT ProxyRegistration::Unregister() { return Call("DllUnregisterServer"); }
HRESULT ProxyRegistration::Register() { return Call("DllRegisterServer"); }

void CrossProcessTest::SetUp() {
  // A server a previous test used must be gone: each test counts its own.
  ASSERT_TRUE(WaitForNoServer(kExitTimeoutMs)) << "a server process of an earlier test is still running";
  ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
  entered_ = true;
}

void CrossProcessTest::TearDown() {
  // Whatever the test did, its client released everything: the server exits.
  EXPECT_TRUE(WaitForNoServer(kExitTimeoutMs)) << "the server process did not exit";
  if (entered_) CoUninitialize();
}

}  // namespace xproc
