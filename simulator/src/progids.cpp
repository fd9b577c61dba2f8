// ProgIDs of the simulators' classes in the system's registry, shared by the
// simulators that use them: a ProgID names the class of the latest simulator
// that uses it and goes from the registry with the last one. On Windows the
// registry is the user's, shared with every process (test programs run in
// parallel), so there the last process that uses a ProgID removes it.
#include <algorithm>
#include <map>

#include "objects.h"

#ifndef _WIN32
#include <native_com_ext.h>
#endif

namespace opcsim {

namespace {

struct ProgIdUse {
  const Core* core;
  CLSID clsid;
};

std::mutex& ProgIdsMutex() {
  static std::mutex m;
  return m;
}

// By ProgID folded to lower case, as the registry compares key names; the
// uses in the order the simulators made them.
std::map<std::string, std::vector<ProgIdUse>>& ProgIds() {
  static std::map<std::string, std::vector<ProgIdUse>> uses;
  return uses;
}

std::string Folded(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

#ifdef _WIN32
// ProgIDFromCLSID reads the registry. The user's classes need no rights and
// Windows merges them into HKEY_CLASSES_ROOT; Wine reads only the machine's
// classes, so there the keys also go through HKEY_CLASSES_ROOT itself.
wide_string ClassesKey() { return wide_string(OLESTR("Software\\Classes\\")); }

struct RegistryKeyTraits {
  using pointer = HKEY;
  static void close(HKEY key) noexcept { RegCloseKey(key); }
};
using RegistryKey = comown::unique_resource<RegistryKeyTraits>;

void SetDefaultValue(HKEY root, const wide_string& key, const wide_string& value) {
  RegistryKey h;
  if (RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, h.put(), nullptr) != ERROR_SUCCESS) return;
  RegSetValueExW(h.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>((value.size() + 1) * sizeof(WCHAR)));
}

void WriteProgId(HKEY root, const wide_string& prefix, const wide_string& progId, const wide_string& clsid) {
  SetDefaultValue(root, prefix + progId + OLESTR("\\CLSID"), clsid);
  SetDefaultValue(root, prefix + OLESTR("CLSID\\") + clsid + OLESTR("\\ProgID"), progId);
}

void DeleteProgId(HKEY root, const wide_string& prefix, const wide_string& progId, const wide_string& clsid) {
  RegDeleteKeyW(root, (prefix + progId + OLESTR("\\CLSID")).c_str());
  RegDeleteKeyW(root, (prefix + progId).c_str());
  RegDeleteKeyW(root, (prefix + OLESTR("CLSID\\") + clsid + OLESTR("\\ProgID")).c_str());
  RegDeleteKeyW(root, (prefix + OLESTR("CLSID\\") + clsid).c_str());
}

bool SystemKnows(const std::string& progId, REFCLSID clsid) {
  comown::task_string found;
  if (FAILED(ProgIDFromCLSID(clsid, found.put()))) return false;
  return comown::to_utf8(found.get()) == progId;
}

void Register(const std::string& progId, REFCLSID clsid) {
  const wide_string name = comown::to_wide(progId), guid = comown::to_wide(GuidText(clsid));
  WriteProgId(HKEY_CURRENT_USER, ClassesKey(), name, guid);
  if (!SystemKnows(progId, clsid)) WriteProgId(HKEY_CLASSES_ROOT, wide_string(), name, guid);
}

void Unregister(const std::string& progId, REFCLSID clsid) {
  const wide_string name = comown::to_wide(progId), guid = comown::to_wide(GuidText(clsid));
  DeleteProgId(HKEY_CURRENT_USER, ClassesKey(), name, guid);
  if (SystemKnows(progId, clsid)) DeleteProgId(HKEY_CLASSES_ROOT, wide_string(), name, guid);
}

struct HandleTraits {
  using pointer = HANDLE;
  static void close(HANDLE handle) noexcept { CloseHandle(handle); }
};

// Held while a process counts its use of a ProgID; every simulator process
// opens the same mutex.
class ProcessesLock {
 public:
  ProcessesLock() : mutex_(CreateMutexW(nullptr, FALSE, OLESTR("Local\\OpcSimProgIds"))) {
    if (mutex_) WaitForSingleObject(mutex_.get(), INFINITE);
  }
  ~ProcessesLock() {
    if (mutex_) ReleaseMutex(mutex_.get());
  }
  ProcessesLock(const ProcessesLock&) = delete;
  ProcessesLock& operator=(const ProcessesLock&) = delete;

 private:
  comown::unique_resource<HandleTraits> mutex_;
};

// The number of processes that use the ProgID, kept beside its keys.
const WCHAR* const kProcesses = OLESTR("OpcSimProcesses");

DWORD Processes(const wide_string& progId) {
  DWORD count = 0, size = sizeof count;
  if (RegGetValueW(HKEY_CURRENT_USER, (ClassesKey() + progId).c_str(), kProcesses, RRF_RT_REG_DWORD, nullptr, &count,
                   &size) != ERROR_SUCCESS)
    return 0;
  return count;
}

void SetProcesses(const wide_string& progId, DWORD count) {
  RegistryKey h;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, (ClassesKey() + progId).c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, h.put(),
                      nullptr) != ERROR_SUCCESS)
    return;
  RegSetValueExW(h.get(), kProcesses, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&count), sizeof count);
}

// The first use of the ProgID in this process, and the last.
void Acquire(const std::string& progId, REFCLSID clsid) {
  ProcessesLock lock;
  const wide_string name = comown::to_wide(progId);
  Register(progId, clsid);
  SetProcesses(name, Processes(name) + 1);
}

void Release(const std::string& progId, REFCLSID clsid) {
  ProcessesLock lock;
  const wide_string name = comown::to_wide(progId);
  const DWORD processes = Processes(name);
  if (processes > 1)
    SetProcesses(name, processes - 1);
  else
    Unregister(progId, clsid);
}
#else
void Register(const std::string& progId, REFCLSID clsid) {
  NativeComRegisterProgID(comown::to_wide(progId).c_str(), clsid);
}

void Unregister(const std::string& progId, REFCLSID) { NativeComUnregisterProgID(comown::to_wide(progId).c_str()); }

// The registry is this process's own.
void Acquire(const std::string& progId, REFCLSID clsid) { Register(progId, clsid); }
void Release(const std::string& progId, REFCLSID clsid) { Unregister(progId, clsid); }
#endif

}  // namespace

void UseProgId(const Core& core, const std::string& progId, REFCLSID clsid) {
  std::lock_guard<std::mutex> lock(ProgIdsMutex());
  std::vector<ProgIdUse>& uses = ProgIds()[Folded(progId)];
  if (uses.empty())
    Acquire(progId, clsid);
  else if (!IsEqualCLSID(uses.back().clsid, clsid))
    Register(progId, clsid);
  uses.push_back(ProgIdUse{&core, clsid});
}

void DropProgIds(const Core& core) {
  std::lock_guard<std::mutex> lock(ProgIdsMutex());
  for (const ServerClass& cls : core.options.classes) {
    auto entry = ProgIds().find(Folded(cls.progId));
    if (entry == ProgIds().end()) continue;
    std::vector<ProgIdUse>& uses = entry->second;
    auto mine = std::find_if(uses.rbegin(), uses.rend(), [&](const ProgIdUse& u) { return u.core == &core; });
    if (mine == uses.rend()) continue;
    const CLSID named = uses.back().clsid;
    uses.erase(std::next(mine).base());
    if (uses.empty()) {
      Release(cls.progId, named);
      ProgIds().erase(entry);
    } else if (!IsEqualCLSID(uses.back().clsid, named)) {
      Register(cls.progId, uses.back().clsid);
    }
  }
}

}  // namespace opcsim
