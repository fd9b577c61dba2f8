// The framework's meta-classes: one record per class, naming the class, its
// parent and its framework, so that objects can be tested and cast by class
// name. Records are created on first use by fct_RetrieveMetaObject and live
// as long as the process.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

#include "VEMDcnExport.h"

class QARBaseUnknown;

// Kind of a class, as given to fct_RetrieveMetaObject.
enum ENUMTypeOfClass {
  QARAbstractClass = 0,        // an interface-like base; never instantiated
  QARImplementationClass = 1,  // a concrete class of a framework or a library
  QARExtensionClass = 2        // a class that extends another one (see GetExtendedClassName)
};

class VEMDCN_EXPORT QARMetaClass {
 public:
  QARMetaClass(const char* className, ENUMTypeOfClass kind, QARMetaClass* parent, const char* extendedClassName,
               const char* frameworkName, size_t instanceSize);
  QARMetaClass(const QARMetaClass&) = delete;
  QARMetaClass& operator=(const QARMetaClass&) = delete;

  // A stable identifier derived from the framework and class names.
  const GUID& GetClassId() const { return _ClassId; }
  // The class name.
  const char* IsA() const { return _ClassName.c_str(); }
  // 1 when the class or one of its ancestors has this name, else 0.
  int IsAKindOf(const char* className) const;
  int IsAKindOf(const QARMetaClass* other) const;

  QARMetaClass* GetParent() const { return _Parent; }
  ENUMTypeOfClass GetTypeOfClass() const { return _Kind; }
  const char* GetExtendedClassName() const { return _ExtendedClassName.c_str(); }
  const char* GetFrameworkName() const { return _FrameworkName.c_str(); }
  size_t GetInstanceSize() const { return _InstanceSize; }

 private:
  std::string _ClassName;
  ENUMTypeOfClass _Kind;
  QARMetaClass* _Parent;
  std::string _ExtendedClassName;
  std::string _FrameworkName;
  size_t _InstanceSize;
  GUID _ClassId;
};

// The meta-class registered under className, created with these properties at
// the first request; later requests return the same record whatever they pass.
// Null for a null or empty class name. Safe to call from any thread.
VEMDCN_EXPORT QARMetaClass* fct_RetrieveMetaObject(const char* className, ENUMTypeOfClass kind,
                                                   QARMetaClass* parent, const char* extendedClassName,
                                                   const char* frameworkName, size_t instanceSize);
// The meta-class registered under className, or null.
VEMDCN_EXPORT QARMetaClass* fct_FindMetaObject(const char* className);

// object when it is of the class described by target or of a class derived
// from it, else null. No reference is taken.
VEMDCN_EXPORT QARBaseUnknown* QARSysDynamicCast(QARBaseUnknown* object, const QARMetaClass* target);

// Typed form: QARSysDynamicCast<VEMDcnOpcItemTreeNode>(handle).
template <class Target>
Target* QARSysDynamicCast(QARBaseUnknown* object) {
  return static_cast<Target*>(QARSysDynamicCast(object, Target::MetaObject()));
}
