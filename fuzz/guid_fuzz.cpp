// GUID and ProgID texts: CLSIDFromString, StringFromGUID2 and
// StringFromCLSID, and the ProgID registry behind CLSIDFromProgID and
// ProgIDFromCLSID. Input: 16 bytes of a GUID, then a text (see UnitsOf).
#include <cstddef>
#include <cstdint>
#include <cstring>

#include <native_com_ext.h>
#include <objbase.h>

#include "comown.h"
#include "fuzz_support.h"

namespace {

using Text = comown::wide_string;

constexpr int kGuidTextLength = 38;

std::string Describe(const GUID& guid) {
  WCHAR text[kGuidTextLength + 1] = {};
  StringFromGUID2(guid, text, kGuidTextLength + 1);
  return comown::to_utf8(text);
}

bool IsHexDigit(WCHAR c) { return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F'); }

Text AsciiUpper(Text text) {
  for (WCHAR& c : text)
    if (c >= u'a' && c <= u'z') c = static_cast<WCHAR>(c - u'a' + u'A');
  return text;
}

// The other case of every ASCII letter: the same ProgID to the registry.
Text AsciiSwapped(Text text) {
  for (WCHAR& c : text) {
    if (c >= u'a' && c <= u'z')
      c = static_cast<WCHAR>(c - u'a' + u'A');
    else if (c >= u'A' && c <= u'Z')
      c = static_cast<WCHAR>(c - u'A' + u'a');
  }
  return text;
}

// A GUID written and read back is the same GUID, in the registry form.
void CheckGuidToText(const GUID& guid) {
  WCHAR text[kGuidTextLength + 2];
  std::memset(text, 0x55, sizeof(text));
  fuzz::Check(StringFromGUID2(guid, text, kGuidTextLength) == 0, "StringFromGUID2 refuses a short buffer");
  fuzz::Check(static_cast<unsigned short>(text[0]) == 0x5555, "a refused StringFromGUID2 writes nothing");
  fuzz::Check(StringFromGUID2(guid, text, kGuidTextLength + 1) == kGuidTextLength + 1,
              "StringFromGUID2 counts the terminator");
  const Text written(text);
  fuzz::Check(written.size() == kGuidTextLength && written[0] == u'{' && written[37] == u'}', "registry form",
              comown::to_utf8(written));
  for (int i = 1; i < kGuidTextLength - 1; ++i) {
    const bool dash = i == 9 || i == 14 || i == 19 || i == 24;
    fuzz::Check(dash ? written[i] == u'-' : IsHexDigit(written[i]), "upper-case hex digits and dashes",
                comown::to_utf8(written));
  }
  GUID back{};
  fuzz::Check(CLSIDFromString(text, &back) == S_OK && IsEqualGUID(back, guid), "a GUID's text reads back",
              comown::to_utf8(written));
  comown::task_string allocated;
  fuzz::Check(StringFromCLSID(guid, allocated.put()) == S_OK && comown::view(allocated.get()) == written,
              "StringFromCLSID writes what StringFromGUID2 writes");
}

// Any text: a GUID in the registry form (hex digits of either case), a
// registered ProgID, or CO_E_CLASSSTRING with CLSID_NULL.
GUID CheckTextToGuid(const Text& text, const char* when) {
  GUID guid{};
  std::memset(&guid, 0x55, sizeof(guid));
  const HRESULT hr = CLSIDFromString(text.c_str(), &guid);
  if (FAILED(hr)) {
    fuzz::Check(hr == CO_E_CLASSSTRING && IsEqualGUID(guid, GUID_NULL), "a refused text gives CLSID_NULL", when);
    return guid;
  }
  fuzz::Check(hr == S_OK, "CLSIDFromString succeeds with S_OK", when);
  if (!text.empty() && text[0] == u'{') {
    WCHAR written[kGuidTextLength + 1];
    StringFromGUID2(guid, written, kGuidTextLength + 1);
    fuzz::Check(AsciiUpper(text) == written, "a GUID text reads as the GUID it writes",
                comown::to_utf8(text) + " read as " + Describe(guid));
  } else {
    GUID registered{};
    fuzz::Check(SUCCEEDED(CLSIDFromProgID(text.c_str(), &registered)) && IsEqualGUID(registered, guid),
                "a text other than a GUID reads as its ProgID's class", comown::to_utf8(text));
  }
  return guid;
}

void CheckProgId(const Text& progId, const GUID& guid) {
  const std::string readable = fuzz::Readable(progId);
  if (progId.empty()) {
    fuzz::Check(NativeComRegisterProgID(progId.c_str(), guid) == E_INVALIDARG, "an empty ProgID is refused");
    return;
  }
  fuzz::Check(NativeComRegisterProgID(progId.c_str(), guid) == S_OK, "a ProgID registers", readable);
  GUID found{};
  fuzz::Check(CLSIDFromProgID(progId.c_str(), &found) == S_OK && IsEqualGUID(found, guid),
              "a registered ProgID names its class", readable);
  const Text swapped = AsciiSwapped(progId);
  fuzz::Check(CLSIDFromProgID(swapped.c_str(), &found) == S_OK && IsEqualGUID(found, guid),
              "ProgIDs compare without regard to ASCII case", readable);
  comown::task_string spelling;
  fuzz::Check(ProgIDFromCLSID(guid, spelling.put()) == S_OK && comown::view(spelling.get()) == progId,
              "the class names the ProgID as registered", readable);
  const GUID read = CheckTextToGuid(progId, "a registered ProgID");
  if (progId[0] != u'{')
    fuzz::Check(IsEqualGUID(read, guid), "CLSIDFromString reads a registered ProgID", readable);

  // The spelling registered last is the one the class gives back.
  fuzz::Check(NativeComRegisterProgID(swapped.c_str(), guid) == S_OK, "a ProgID registers again", readable);
  fuzz::Check(ProgIDFromCLSID(guid, spelling.put()) == S_OK && comown::view(spelling.get()) == swapped,
              "the latest spelling wins", readable);

  fuzz::Check(NativeComUnregisterProgID(progId.c_str()) == S_OK, "a ProgID unregisters", readable);
  std::memset(&found, 0x55, sizeof(found));
  fuzz::Check(CLSIDFromProgID(progId.c_str(), &found) == CO_E_CLASSSTRING && IsEqualGUID(found, GUID_NULL),
              "an unregistered ProgID names no class", readable);
  fuzz::Check(ProgIDFromCLSID(guid, spelling.put()) == REGDB_E_CLASSNOTREG && !spelling,
              "a class without ProgID has no name", readable);
  fuzz::Check(NativeComUnregisterProgID(progId.c_str()) == CO_E_CLASSSTRING, "a ProgID unregisters once",
              readable);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const LONG allocations = NativeComLiveTaskAllocations();
  GUID guid{};
  const std::size_t guidBytes = size < sizeof(GUID) ? size : sizeof(GUID);
  std::memcpy(&guid, data, guidBytes);
  Text text = fuzz::UnitsOf<WCHAR>(data + guidBytes, size - guidBytes);
  text.resize(comown::view(text.c_str()).size());  // a C string ends at its first NUL

  CheckGuidToText(guid);
  CheckTextToGuid(text, "any text");
  CheckProgId(text, guid);
  fuzz::Check(NativeComLiveTaskAllocations() == allocations, "every task allocation is freed");
  return 0;
}
