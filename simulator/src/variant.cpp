// The owning VARIANT and the UTF-8 / UTF-16 conversions.
#include "opcsim/variant.h"

#include <cstdio>
#include <utility>

namespace opcsim {

WString ToWide(const std::string& s) {
  WString out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    unsigned long cp;
    int extra;
    if (c < 0x80) {
      cp = c;
      extra = 0;
    } else if ((c & 0xE0) == 0xC0) {
      cp = c & 0x1F;
      extra = 1;
    } else if ((c & 0xF0) == 0xE0) {
      cp = c & 0x0F;
      extra = 2;
    } else if ((c & 0xF8) == 0xF0) {
      cp = c & 0x07;
      extra = 3;
    } else {
      cp = 0xFFFD;  // not UTF-8: keep going with a replacement character
      extra = 0;
    }
    ++i;
    for (int k = 0; k < extra && i < s.size(); ++k, ++i) cp = (cp << 6) | (static_cast<unsigned char>(s[i]) & 0x3F);
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out.push_back(static_cast<WCHAR>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<WCHAR>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(static_cast<WCHAR>(cp));
    }
  }
  return out;
}

static void AppendUtf8(std::string& out, unsigned long cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

std::string ToUtf8(const WCHAR* text) {
  std::string out;
  if (!text) return out;
  for (const WCHAR* p = text; *p; ++p) {
    unsigned long cp = static_cast<unsigned short>(*p);
    if (cp >= 0xD800 && cp < 0xDC00 && p[1] >= 0xDC00 && p[1] < 0xE000) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (static_cast<unsigned short>(p[1]) - 0xDC00);
      ++p;
    }
    AppendUtf8(out, cp);
  }
  return out;
}

std::string ToUtf8(const WString& text) { return ToUtf8(text.c_str()); }

// Windows declares the sources of VariantCopy and VariantChangeType non-const.
static VARIANT* Source(const VARIANT* v) { return const_cast<VARIANT*>(v); }

Variant::Variant(const VARIANT& other) {
  VariantInit(&v_);
  VariantCopy(&v_, Source(&other));
}

Variant::Variant(const Variant& other) : Variant(other.v_) {}

Variant::Variant(Variant&& other) noexcept : v_(other.v_) { VariantInit(&other.v_); }

Variant& Variant::operator=(const Variant& other) {
  if (this != &other) {
    VariantClear(&v_);
    VariantCopy(&v_, Source(&other.v_));
  }
  return *this;
}

Variant& Variant::operator=(Variant&& other) noexcept {
  if (this != &other) {
    VariantClear(&v_);
    v_ = other.v_;
    VariantInit(&other.v_);
  }
  return *this;
}

#define OPCSIM_SCALAR(Name, Type, VT, Field) \
  Variant Variant::Name(Type v) {            \
    Variant r;                               \
    r.v_.vt = VT;                            \
    r.v_.Field = v;                          \
    return r;                                \
  }
OPCSIM_SCALAR(I1, signed char, VT_I1, cVal)
OPCSIM_SCALAR(UI1, unsigned char, VT_UI1, bVal)
OPCSIM_SCALAR(I2, short, VT_I2, iVal)
OPCSIM_SCALAR(UI2, unsigned short, VT_UI2, uiVal)
OPCSIM_SCALAR(I4, LONG, VT_I4, lVal)
OPCSIM_SCALAR(UI4, ULONG, VT_UI4, ulVal)
OPCSIM_SCALAR(I8, LONGLONG, VT_I8, llVal)
OPCSIM_SCALAR(R4, float, VT_R4, fltVal)
OPCSIM_SCALAR(R8, double, VT_R8, dblVal)
OPCSIM_SCALAR(Date, DATE, VT_DATE, date)
#undef OPCSIM_SCALAR

Variant Variant::Bool(bool v) {
  Variant r;
  r.v_.vt = VT_BOOL;
  r.v_.boolVal = v ? VARIANT_TRUE : VARIANT_FALSE;
  return r;
}

Variant Variant::Str(const std::string& utf8) {
  Variant r;
  r.v_.vt = VT_BSTR;
  r.v_.bstrVal = SysAllocString(ToWide(utf8).c_str());
  return r;
}

Variant Variant::Cy(LONGLONG scaled) {
  Variant r;
  r.v_.vt = VT_CY;
  r.v_.cyVal.int64 = scaled;
  return r;
}

template <class T>
static Variant MakeArray(VARTYPE vt, const T* values, ULONG count) {
  Variant r;
  SAFEARRAY* sa = SafeArrayCreateVector(vt, 0, count);
  if (!sa) return r;
  void* data = nullptr;
  if (SUCCEEDED(SafeArrayAccessData(sa, &data))) {
    for (ULONG i = 0; i < count; ++i) static_cast<T*>(data)[i] = values[i];
    SafeArrayUnaccessData(sa);
  }
  r.get()->vt = static_cast<VARTYPE>(VT_ARRAY | vt);
  r.get()->parray = sa;
  return r;
}

Variant Variant::R8Array(const double* values, ULONG count) { return MakeArray(VT_R8, values, count); }
Variant Variant::I4Array(const LONG* values, ULONG count) { return MakeArray(VT_I4, values, count); }

VARIANT Variant::Detach() {
  VARIANT out = v_;
  VariantInit(&v_);
  return out;
}

HRESULT Variant::ChangeType(VARTYPE vt) { return VariantChangeType(&v_, &v_, 0, vt); }

std::string Variant::ToText() const {
  VARIANT text;
  VariantInit(&text);
  std::string out;
  if ((v_.vt & VT_ARRAY) == 0 && SUCCEEDED(VariantChangeType(&text, Source(&v_), 0, VT_BSTR))) {
    out = ToUtf8(text.bstrVal);
    VariantClear(&text);
  }
  return out;
}

}  // namespace opcsim
