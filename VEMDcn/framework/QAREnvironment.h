// Environment values.
#pragma once

#include <windows.h>

#include "QARString.h"
#include "VEMDcnExport.h"

// S_OK with a heap copy of the variable's value in *value, which the caller
// frees with delete[]; E_FAIL with *value null when the variable is not set;
// E_POINTER for a null argument.
VEMDCN_EXPORT HRESULT QARGetEnvValue(const char* name, char** value);
// The same, into a QARString.
VEMDCN_EXPORT HRESULT QARGetEnvValue(const char* name, QARString& value);
