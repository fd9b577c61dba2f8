// COM plumbing shared by every simulator object.
#include "com_util.h"

#include <cstdio>

#include <opcda.h>

namespace opcsim {

std::atomic<long>& LiveObjectCounter() {
  static std::atomic<long> counter{0};
  return counter;
}

std::atomic<unsigned long>& CreatedObjectCounter() {
  static std::atomic<unsigned long> counter{0};
  return counter;
}

long LiveObjects() { return LiveObjectCounter().load(); }
unsigned long CreatedObjects() { return CreatedObjectCounter().load(); }

void ComObject::EnableFreeThreadedMarshaler(IUnknown* outer) {
#ifdef _WIN32
  CoCreateFreeThreadedMarshaler(outer, marshaler_.put());
#else
  (void)outer;
#endif
}

bool ComObject::QueryMarshaler(REFIID riid, void** ppv) {
  if (!marshaler_ || !IsEqualIID(riid, IID_IMarshal)) return false;
  return SUCCEEDED(marshaler_->QueryInterface(riid, ppv));
}

std::string GuidText(REFGUID g) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", (unsigned)g.Data1,
                (unsigned)g.Data2, (unsigned)g.Data3, g.Data4[0], g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4],
                g.Data4[5], g.Data4[6], g.Data4[7]);
  return buf;
}

std::string InterfaceName(REFIID riid) {
  static const struct {
    const IID* iid;
    const char* name;
  } kKnown[] = {
      {&IID_IUnknown, "IUnknown"},
      {&IID_IClassFactory, "IClassFactory"},
      {&IID_IMarshal, "IMarshal"},
      {&IID_IEnumString, "IEnumString"},
      {&IID_IEnumUnknown, "IEnumUnknown"},
      {&IID_IEnumGUID, "IEnumGUID"},
      {&IID_IConnectionPointContainer, "IConnectionPointContainer"},
      {&IID_IConnectionPoint, "IConnectionPoint"},
      {&IID_IOPCServer, "IOPCServer"},
      {&IID_IOPCCommon, "IOPCCommon"},
      {&IID_IOPCBrowseServerAddressSpace, "IOPCBrowseServerAddressSpace"},
      {&IID_IOPCItemProperties, "IOPCItemProperties"},
      {&IID_IOPCItemMgt, "IOPCItemMgt"},
      {&IID_IOPCSyncIO, "IOPCSyncIO"},
      {&IID_IOPCAsyncIO2, "IOPCAsyncIO2"},
      {&IID_IOPCGroupStateMgt, "IOPCGroupStateMgt"},
      {&IID_IOPCDataCallback, "IOPCDataCallback"},
      {&IID_IEnumOPCItemAttributes, "IEnumOPCItemAttributes"},
      {&IID_IOPCServerList, "IOPCServerList"},
      {&IID_IOPCShutdown, "IOPCShutdown"},
  };
  for (const auto& k : kKnown)
    if (IsEqualIID(riid, *k.iid)) return k.name;
  return GuidText(riid);
}

std::string Hex(HRESULT hr) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "0x%08X", (unsigned)hr);
  return buf;
}

FILETIME Now() {
  FILETIME ft;
  GetSystemTimeAsFileTime(&ft);
  return ft;
}

}  // namespace opcsim
