// Registration of the local server in HKEY_CLASSES_ROOT (the machine's
// classes: on Windows, run it as an administrator).
#include "registration.h"

#include <vector>

#include <comcat.h>
#include <comown.h>
#include <opcsim/simulator.h>

namespace opcsim_server {

namespace {

using comown::wide_string;

struct RegistryKeyTraits {
  using pointer = HKEY;
  static void close(HKEY key) noexcept { RegCloseKey(key); }
};
using RegistryKey = comown::unique_resource<RegistryKeyTraits>;

const WCHAR kServerListProgId[] = OLESTR("OPC.ServerList.1");
const WCHAR kServerListUserType[] = OLESTR("OPC Server List");

wide_string GuidText(REFGUID guid) {
  WCHAR text[40] = {};
  StringFromGUID2(guid, text, 40);
  return text;
}

wide_string ClassKey(REFCLSID clsid) { return OLESTR("CLSID\\") + GuidText(clsid); }

HRESULT SetValue(const wide_string& key, const WCHAR* name, const wide_string& value) {
  RegistryKey h;
  LONG status = RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, h.put(), nullptr);
  if (status == ERROR_SUCCESS)
    status = RegSetValueExW(h.get(), name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                            static_cast<DWORD>((value.size() + 1) * sizeof(WCHAR)));
  return HRESULT_FROM_WIN32(status);
}

// The default value of a key; empty when there is none.
wide_string DefaultValue(const wide_string& key) {
  WCHAR value[1024] = {};
  DWORD size = sizeof value - sizeof(WCHAR);
  if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value, &size) != ERROR_SUCCESS)
    return wide_string();
  return value;
}

void DeleteTree(const wide_string& key) { RegDeleteTreeW(HKEY_CLASSES_ROOT, key.c_str()); }

wide_string Quoted(const wide_string& path) { return OLESTR("\"") + path + OLESTR("\""); }

bool SameText(const wide_string& a, const wide_string& b) { return lstrcmpiW(a.c_str(), b.c_str()) == 0; }

HRESULT RegisterComClass(REFCLSID clsid, const wide_string& progId, const wide_string& userType,
                      const wide_string& command) {
  const wide_string key = ClassKey(clsid);
  HRESULT hr = SetValue(key, nullptr, userType);
  if (SUCCEEDED(hr)) hr = SetValue(key + OLESTR("\\LocalServer32"), nullptr, command);
  if (SUCCEEDED(hr)) hr = SetValue(key + OLESTR("\\ProgID"), nullptr, progId);
  if (SUCCEEDED(hr)) hr = SetValue(progId, nullptr, userType);
  if (SUCCEEDED(hr)) hr = SetValue(progId + OLESTR("\\CLSID"), nullptr, GuidText(clsid));
  return hr;
}

void RemoveComClass(REFCLSID clsid, const wide_string& progId) {
  DeleteTree(ClassKey(clsid));
  DeleteTree(progId);
}

comown::com_ptr<ICatRegister> CategoryRegister() {
  comown::com_ptr<ICatRegister> categories;
  CoCreateInstance(CLSID_StdComponentCategoriesMgr, nullptr, CLSCTX_INPROC_SERVER, IID_ICatRegister,
                   categories.put_void());
  return categories;
}

HRESULT RegisterCategories(ICatRegister& categories, const opcsim::ServerClass& cls) {
  static const struct {
    const CATID* id;
    const WCHAR* description;
  } kKnown[] = {
      {&CATID_OPCDAServer10, OLESTR("OPC Data Access Servers Version 1.0")},
      {&CATID_OPCDAServer20, OLESTR("OPC Data Access Servers Version 2.0")},
      {&CATID_OPCDAServer30, OLESTR("OPC Data Access Servers Version 3.0")},
  };
  std::vector<CATEGORYINFO> described;
  for (const auto& known : kKnown) {
    CATEGORYINFO info = {};
    info.catid = *known.id;
    info.lcid = 0x0409;
    lstrcpynW(info.szDescription, known.description, 128);
    described.push_back(info);
  }
  HRESULT hr = categories.RegisterCategories(static_cast<ULONG>(described.size()), described.data());
  std::vector<CATID> implemented(cls.categories.begin(), cls.categories.end());
  if (SUCCEEDED(hr) && !implemented.empty())
    hr = categories.RegisterClassImplCategories(cls.clsid, static_cast<ULONG>(implemented.size()),
                                                implemented.data());
  return hr;
}

// The server list is the machine's: ours is registered only where no other
// is, and removed only when it is ours.
bool ServerListIsOursOrNone(const std::wstring& program) {
  const wide_string command = DefaultValue(ClassKey(CLSID_OpcServerList) + OLESTR("\\LocalServer32"));
  return command.empty() || SameText(command, Quoted(program));
}

}  // namespace

HRESULT RegisterServer(const std::wstring& program, const std::wstring& spaceFile) {
  wide_string command = Quoted(program);
  if (!spaceFile.empty()) command += OLESTR(" --space ") + Quoted(spaceFile);
  comown::com_ptr<ICatRegister> categories = CategoryRegister();
  if (!categories) return REGDB_E_CLASSNOTREG;
  for (const opcsim::ServerClass& cls : opcsim::Options().classes) {
    HRESULT hr = RegisterComClass(cls.clsid, comown::to_wide(cls.progId), comown::to_wide(cls.userType), command);
    if (SUCCEEDED(hr)) hr = RegisterCategories(*categories, cls);
    if (FAILED(hr)) return hr;
  }
  if (!ServerListIsOursOrNone(program)) return S_FALSE;
  return RegisterComClass(CLSID_OpcServerList, kServerListProgId, kServerListUserType, Quoted(program));
}

HRESULT UnregisterServer(const std::wstring& program) {
  comown::com_ptr<ICatRegister> categories = CategoryRegister();
  for (const opcsim::ServerClass& cls : opcsim::Options().classes) {
    if (categories) {
      std::vector<CATID> implemented(cls.categories.begin(), cls.categories.end());
      categories->UnRegisterClassImplCategories(cls.clsid, static_cast<ULONG>(implemented.size()),
                                                implemented.data());
    }
    RemoveComClass(cls.clsid, comown::to_wide(cls.progId));
  }
  if (ServerListIsOursOrNone(program)) RemoveComClass(CLSID_OpcServerList, kServerListProgId);
  return S_OK;
}

}  // namespace opcsim_server
