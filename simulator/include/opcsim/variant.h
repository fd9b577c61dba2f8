// A small owning VARIANT and text helpers shared by the simulator and its tests.
#pragma once

#include <string>

#include <windows.h>
#include <oleauto.h>

namespace opcsim {

using WString = std::basic_string<WCHAR>;

// UTF-8 <-> UTF-16 (WCHAR is char16_t natively and wchar_t on Windows).
WString ToWide(const std::string& utf8);
std::string ToUtf8(const WCHAR* text);
std::string ToUtf8(const WString& text);

// Owns one VARIANT: cleared on destruction, deep-copied on copy.
class Variant {
 public:
  Variant() { VariantInit(&v_); }
  explicit Variant(const VARIANT& other);
  Variant(const Variant& other);
  Variant(Variant&& other) noexcept;
  Variant& operator=(const Variant& other);
  Variant& operator=(Variant&& other) noexcept;
  ~Variant() { VariantClear(&v_); }

  static Variant I1(signed char v);
  static Variant UI1(unsigned char v);
  static Variant I2(short v);
  static Variant UI2(unsigned short v);
  static Variant I4(LONG v);
  static Variant UI4(ULONG v);
  static Variant I8(LONGLONG v);
  static Variant R4(float v);
  static Variant R8(double v);
  static Variant Bool(bool v);
  static Variant Str(const std::string& utf8);
  static Variant Date(DATE v);
  static Variant Cy(LONGLONG scaledBy10000);
  // A one-dimensional array of doubles or longs, lower bound 0.
  static Variant R8Array(const double* values, ULONG count);
  static Variant I4Array(const LONG* values, ULONG count);

  VARIANT* get() { return &v_; }
  const VARIANT* get() const { return &v_; }
  const VARIANT& operator*() const { return v_; }
  VARTYPE vt() const { return v_.vt; }
  bool empty() const { return v_.vt == VT_EMPTY; }
  // Hands the content over (the caller clears it); this one becomes empty.
  VARIANT Detach();
  // Converts in place; returns VariantChangeType's result.
  HRESULT ChangeType(VARTYPE vt);
  // The value as text (VariantChangeType to VT_BSTR); empty for arrays.
  std::string ToText() const;

 private:
  VARIANT v_;
};

}  // namespace opcsim
