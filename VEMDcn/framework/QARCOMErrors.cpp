#include "QARCOMErrors.h"

QARCOMErrors::QARCOMErrors(HRESULT code, const QARUnicodeString& description)
    : QARError(0, "QARCOMErrors", "QAR"), _Description(description) {
  SetReturnCode(code);
}

QARCOMErrors::QARCOMErrors(const QARCOMErrors& other) = default;

QARCOMErrors& QARCOMErrors::operator=(const QARCOMErrors& other) = default;

QARCOMErrors::~QARCOMErrors() = default;

QARMetaClass* QARCOMErrors::GetMetaObject() const { return MetaObject(); }

const char* QARCOMErrors::IsA() const { return MetaObject()->IsA(); }

int QARCOMErrors::IsAKindOf(const char* className) const { return MetaObject()->IsAKindOf(className); }

QARUnicodeString QARCOMErrors::GetNLSMessage() const {
  if (!_Description.IsEmpty()) return _Description;
  QARUnicodeString text;
  text.BuildFromNum(static_cast<unsigned int>(GetReturnCode()), "COM error 0x%08X");
  return text;
}

QARError* QARCOMErrors::CloneSelf() const { return new QARCOMErrors(*this); }

HRESULT QARCOMErrors::KeepAsLastError(HRESULT code, const QARUnicodeString& description, IUnknown* object) {
  QARCOMErrors* error = new QARCOMErrors(code, description);
  if (error == nullptr) return E_OUTOFMEMORY;
  QARError::KeepAsLastError(code, error, object);
  return code;
}

QARMetaClass* QARCOMErrors::MetaObject() {
  static QARMetaClass* const meta = fct_RetrieveMetaObject("QARCOMErrors", QARImplementationClass,
                                                           QARError::MetaObject(), "QARNull", "QAR",
                                                           sizeof(QARCOMErrors));
  return meta;
}

const GUID& QARCOMErrors::ClassId() { return MetaObject()->GetClassId(); }

const char* QARCOMErrors::ClassName() { return MetaObject()->IsA(); }

QARBaseUnknown* QARCOMErrors::CreateItself() { return nullptr; }
