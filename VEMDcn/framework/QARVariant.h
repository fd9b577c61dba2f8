// The VARIANT services of the framework: the COM functions of the same names.
#pragma once

#include <windows.h>
#include <oleauto.h>

inline HRESULT QARVariantClear(VARIANT* variant) { return ::VariantClear(variant); }

class QARScriptSystemCalls {
 public:
  static void VariantInit(VARIANT* variant) { ::VariantInit(variant); }
  static INT VariantTimeToSystemTime(DOUBLE variantTime, SYSTEMTIME* systemTime) {
    return ::VariantTimeToSystemTime(variantTime, systemTime);
  }
};
