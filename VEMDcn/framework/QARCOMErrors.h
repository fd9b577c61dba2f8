// QARCOMErrors: an error that describes a failed COM call: its HRESULT, the
// description the called object gave, and the object. A host layer that
// talks to COM objects keeps one as the thread's last error for the call's
// HRESULT and object, where QARError::QARGetLastError(hr, object) finds it.
#pragma once

#include "QARError.h"
#include "VEMDcnExport.h"

class VEMDCN_EXPORT QARCOMErrors : public QARError {
 public:
  QARCOMErrors(HRESULT code, const QARUnicodeString& description);
  QARCOMErrors(const QARCOMErrors& other);
  QARCOMErrors& operator=(const QARCOMErrors& other);
  ~QARCOMErrors() override;

  QARMetaClass* GetMetaObject() const override;
  const char* IsA() const override;
  int IsAKindOf(const char* className) const override;
  // The description; "COM error 0x%08X" with the code when there is none.
  QARUnicodeString GetNLSMessage() const override;
  QARError* CloneSelf() const override;

  const QARUnicodeString& GetDescription() const { return _Description; }

  // Creates the error and keeps it as the thread's last error for code and
  // object (null: any object). Returns code; E_OUTOFMEMORY when the error
  // cannot be allocated.
  static HRESULT KeepAsLastError(HRESULT code, const QARUnicodeString& description, IUnknown* object);

  static QARMetaClass* MetaObject();
  static const GUID& ClassId();
  static const char* ClassName();
  static QARBaseUnknown* CreateItself();

 private:
  QARUnicodeString _Description;
};
