#include "QARMetaClass.h"

#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>

#include "QARBaseUnknown.h"

namespace {

std::string TextOrEmpty(const char* text) { return text != nullptr ? std::string(text) : std::string(); }

uint64_t Fnv1a(const std::string& text, uint64_t seed) {
  uint64_t hash = seed;
  for (unsigned char c : text) {
    hash ^= c;
    hash *= 1099511628211ull;
  }
  return hash;
}

// A name-based identifier in the layout of an RFC 4122 UUID (version 8,
// "custom"), so that it prints like any other class identifier.
GUID ClassIdFromNames(const std::string& frameworkName, const std::string& className) {
  const std::string key = frameworkName + "::" + className;
  const uint64_t high = Fnv1a(key, 14695981039346656037ull);
  const uint64_t low = Fnv1a(key, high ^ 0x9E3779B97F4A7C15ull);
  GUID id;
  id.Data1 = static_cast<uint32_t>(high >> 32);
  id.Data2 = static_cast<uint16_t>(high >> 16);
  id.Data3 = static_cast<uint16_t>((high & 0x0FFF) | 0x8000);
  for (int i = 0; i < 8; ++i) id.Data4[i] = static_cast<uint8_t>(low >> (56 - 8 * i));
  id.Data4[0] = static_cast<uint8_t>((id.Data4[0] & 0x3F) | 0x80);
  return id;
}

struct Registry {
  std::mutex mutex;
  std::map<std::string, std::unique_ptr<QARMetaClass>> classes;
};

Registry& TheRegistry() {
  static Registry* registry = new Registry;  // meta-classes are used until the very end of the process
  return *registry;
}

}  // namespace

QARMetaClass::QARMetaClass(const char* className, ENUMTypeOfClass kind, QARMetaClass* parent,
                           const char* extendedClassName, const char* frameworkName, size_t instanceSize)
    : _ClassName(TextOrEmpty(className)),
      _Kind(kind),
      _Parent(parent),
      _ExtendedClassName(TextOrEmpty(extendedClassName)),
      _FrameworkName(TextOrEmpty(frameworkName)),
      _InstanceSize(instanceSize),
      _ClassId(ClassIdFromNames(_FrameworkName, _ClassName)) {}

int QARMetaClass::IsAKindOf(const char* className) const {
  if (className == nullptr) return 0;
  for (const QARMetaClass* meta = this; meta != nullptr; meta = meta->_Parent) {
    if (meta->_ClassName == className) return 1;
  }
  return 0;
}

int QARMetaClass::IsAKindOf(const QARMetaClass* other) const {
  return other != nullptr ? IsAKindOf(other->IsA()) : 0;
}

QARMetaClass* fct_RetrieveMetaObject(const char* className, ENUMTypeOfClass kind, QARMetaClass* parent,
                                     const char* extendedClassName, const char* frameworkName,
                                     size_t instanceSize) {
  if (className == nullptr || *className == '\0') return nullptr;
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> lock(registry.mutex);
  std::unique_ptr<QARMetaClass>& slot = registry.classes[className];
  if (!slot) {
    slot.reset(new QARMetaClass(className, kind, parent, extendedClassName, frameworkName, instanceSize));
  }
  return slot.get();
}

QARMetaClass* fct_FindMetaObject(const char* className) {
  if (className == nullptr) return nullptr;
  Registry& registry = TheRegistry();
  std::lock_guard<std::mutex> lock(registry.mutex);
  const auto found = registry.classes.find(className);
  return found != registry.classes.end() ? found->second.get() : nullptr;
}

QARBaseUnknown* QARSysDynamicCast(QARBaseUnknown* object, const QARMetaClass* target) {
  if (object == nullptr || target == nullptr) return nullptr;
  return object->IsAKindOf(target->IsA()) ? object : nullptr;
}
