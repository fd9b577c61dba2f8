// Helpers of the OLE Automation tests. Standard Windows API only: the same
// tests build against the real headers and run on the real runtime.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <cstdio>
#include <string>

#include "com_test_objects.h"

using comown::com_variant;

// The text of a BSTR in ASCII, embedded NULs included.
inline std::string Ascii(BSTR text) {
  std::string out;
  for (UINT i = 0; i < SysStringLen(text); ++i) out.push_back(static_cast<char>(text[i]));
  return out;
}

// A calendar time; the day of the week is left for the callee to ignore.
inline SYSTEMTIME Time(WORD year, WORD month, WORD day, WORD hour = 0, WORD minute = 0, WORD second = 0, WORD ms = 0) {
  SYSTEMTIME st = {};
  st.wYear = year;
  st.wMonth = month;
  st.wDay = day;
  st.wHour = hour;
  st.wMinute = minute;
  st.wSecond = second;
  st.wMilliseconds = ms;
  return st;
}

// A value of type vt; set fills its field.
template <class Set>
com_variant Make(VARTYPE vt, Set set) {
  com_variant v;
  v.get()->vt = vt;
  set(*v.get());
  return v;
}
inline com_variant I4(LONG x) { return Make(VT_I4, [x](VARIANT& v) { v.lVal = x; }); }
inline com_variant R8(double x) { return Make(VT_R8, [x](VARIANT& v) { v.dblVal = x; }); }
inline com_variant Bool(bool x) { return Make(VT_BOOL, [x](VARIANT& v) { v.boolVal = x ? VARIANT_TRUE : VARIANT_FALSE; }); }
inline com_variant Date(DATE x) { return Make(VT_DATE, [x](VARIANT& v) { v.date = x; }); }
inline com_variant Text(const OLECHAR* x) { return Make(VT_BSTR, [x](VARIANT& v) { v.bstrVal = SysAllocString(x); }); }
inline com_variant Of(VARTYPE vt) { return Make(vt, [](VARIANT&) {}); }

// "<type>:<value>", read from the field the type names (not through
// VariantChangeType), so that tables can state expected results in one line.
inline std::string Describe(const VARIANT& v) {
  char text[64];
  switch (v.vt) {
    case VT_EMPTY: return "EMPTY";
    case VT_I1: std::snprintf(text, sizeof text, "I1:%d", v.cVal); break;
    case VT_UI1: std::snprintf(text, sizeof text, "UI1:%u", v.bVal); break;
    case VT_I2: std::snprintf(text, sizeof text, "I2:%d", v.iVal); break;
    case VT_UI2: std::snprintf(text, sizeof text, "UI2:%u", v.uiVal); break;
    case VT_I4: std::snprintf(text, sizeof text, "I4:%ld", static_cast<long>(v.lVal)); break;
    case VT_UI4: std::snprintf(text, sizeof text, "UI4:%lu", static_cast<unsigned long>(v.ulVal)); break;
    case VT_UINT: std::snprintf(text, sizeof text, "UINT:%u", v.uintVal); break;
    case VT_I8: std::snprintf(text, sizeof text, "I8:%lld", static_cast<long long>(v.llVal)); break;
    case VT_UI8: std::snprintf(text, sizeof text, "UI8:%llu", static_cast<unsigned long long>(v.ullVal)); break;
    case VT_R4: std::snprintf(text, sizeof text, "R4:%.7g", v.fltVal); break;
    case VT_R8: std::snprintf(text, sizeof text, "R8:%.15g", v.dblVal); break;
    case VT_DATE: std::snprintf(text, sizeof text, "DATE:%.15g", v.date); break;
    case VT_CY: std::snprintf(text, sizeof text, "CY:%lld", static_cast<long long>(v.cyVal.int64)); break;
    case VT_BOOL: std::snprintf(text, sizeof text, "BOOL:%d", v.boolVal); break;
    case VT_BSTR: return v.bstrVal == nullptr ? "BSTR(null)" : "BSTR:" + Ascii(v.bstrVal);
    default: std::snprintf(text, sizeof text, "vt %u", v.vt); break;
  }
  return text;
}
inline std::string Describe(const com_variant& v) { return Describe(*v); }
