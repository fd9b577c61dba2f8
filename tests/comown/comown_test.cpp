// The holders balance references and free what they own, on both runtimes.
#include <gtest/gtest.h>

#include <string>

#include "comown.h"

namespace {

// Counts references; answers IUnknown and IEnumString (its methods are unused).
class Counted : public IEnumString {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    if (!IsEqualGUID(riid, IID_IUnknown) && !IsEqualGUID(riid, IID_IEnumString)) {
      *ppv = nullptr;
      return E_NOINTERFACE;
    }
    *ppv = static_cast<IEnumString*>(this);
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
  ULONG STDMETHODCALLTYPE Release() override { return --refs; }
  HRESULT STDMETHODCALLTYPE Next(ULONG, LPOLESTR*, ULONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Skip(ULONG) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Reset() override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Clone(IEnumString**) override { return E_NOTIMPL; }
  ULONG refs = 1;  // the test's own
};

TEST(ComPtr, AttachTakesOverAndAddRefShares) {
  Counted object;
  {
    comown::com_ptr<IEnumString> shared(&object, comown::add_ref);
    EXPECT_EQ(2u, object.refs);
    comown::com_ptr<IEnumString> copy = shared;
    EXPECT_EQ(3u, object.refs);
    object.AddRef();
    comown::com_ptr<IEnumString> attached(&object, comown::attach);
    EXPECT_EQ(4u, object.refs);
    *attached.put() = nullptr;  // put() releases what was held
    EXPECT_EQ(3u, object.refs);
    comown::com_ptr<IUnknown> unknown = copy.as<IUnknown>();
    EXPECT_EQ(4u, object.refs);
    comown::com_ptr<IGlobalInterfaceTable> missing;
    EXPECT_EQ(E_NOINTERFACE, copy.as(missing));
    EXPECT_FALSE(missing);
    EXPECT_EQ(E_POINTER, attached.as(missing));
  }
  EXPECT_EQ(1u, object.refs);
}

TEST(ComVariant, CopiesDeepAndClears) {
  comown::com_variant text;
  text.get()->vt = VT_BSTR;
  text.get()->bstrVal = comown::bstr_copy(comown::to_wide("pump")).release();
  comown::com_variant copy = text;
  ASSERT_EQ(VT_BSTR, copy.vt());
  EXPECT_NE(text.get()->bstrVal, copy.get()->bstrVal);
  EXPECT_EQ("pump", comown::to_utf8(copy.get()->bstrVal));
  EXPECT_EQ(S_OK, copy.change_type(VT_BSTR));
  VARIANT out = copy.release();
  EXPECT_TRUE(copy.empty());
  comown::com_variant back(out, comown::attach);
  EXPECT_EQ(VT_EMPTY, out.vt);
  EXPECT_EQ(VT_BSTR, back.vt());
}

TEST(Text, Utf8AndUtf16RoundTrip) {
  const struct {
    std::string utf8;
    comown::wide_string wide;
    std::string back;  // what the UTF-16 text gives again
  } cases[] = {
      {"", {}, ""},
      {"Tank1.Level", comown::wide_string{'T', 'a', 'n', 'k', '1', '.', 'L', 'e', 'v', 'e', 'l'}, "Tank1.Level"},
      {"\xC2\xB5s", {0xB5, 's'}, "\xC2\xB5s"},
      {"\xF0\x9F\x98\x80", {0xD83D, 0xDE00}, "\xF0\x9F\x98\x80"},
      {"\xFF", {0xFFFD}, "\xEF\xBF\xBD"},                           // not UTF-8
      {"\xE2\x82", {0xFFFD}, "\xEF\xBF\xBD"},                       // cut short
      {"\xC0\xAF", {0xFFFD}, "\xEF\xBF\xBD"},                       // overlong
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.wide, comown::to_wide(c.utf8)) << c.utf8;
    EXPECT_EQ(c.back, comown::to_utf8(c.wide)) << c.utf8;
  }
  const WCHAR lone[] = {0xD800, 'x', 0};
  EXPECT_EQ("\xEF\xBF\xBDx", comown::to_utf8(lone));
  EXPECT_EQ("", comown::to_utf8(static_cast<const WCHAR*>(nullptr)));
}

}  // namespace
