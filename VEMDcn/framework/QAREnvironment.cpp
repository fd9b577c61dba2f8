#include "QAREnvironment.h"

#include <cstdlib>
#include <cstring>

HRESULT QARGetEnvValue(const char* name, char** value) {
  if (value == nullptr) return E_POINTER;
  *value = nullptr;
  if (name == nullptr) return E_POINTER;
  const char* found = std::getenv(name);
  if (found == nullptr) return E_FAIL;
  const size_t size = std::strlen(found) + 1;
  *value = new char[size];
  std::memcpy(*value, found, size);
  return S_OK;
}

HRESULT QARGetEnvValue(const char* name, QARString& value) {
  if (name == nullptr) return E_POINTER;
  const char* found = std::getenv(name);
  if (found == nullptr) return E_FAIL;
  value = QARString(found);
  return S_OK;
}
