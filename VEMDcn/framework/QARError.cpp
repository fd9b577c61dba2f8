#include "QARError.h"

#include <cstdarg>
#include <exception>

#include "QARInternal.h"
#include "QARMsgCatalog.h"
#include "QARSysLog.h"
#include "QARXHContext.h"
#include "VEMCmnDialog.h"

namespace {

QARString TextOrEmpty(const char* text) { return QARString(text); }

}  // namespace

QARError::QARError(unsigned int id)
    : _Id(id), _SourceLine(0), _ReturnCode(S_OK), _InformationOnErrorType(0) {}

QARError::QARError(unsigned int id, const char* msgId, const char* msgCatalog) : QARError(id) {
  _MsgId = TextOrEmpty(msgId);
  _MsgCatalog = TextOrEmpty(msgCatalog);
}

QARError::QARError(const char* msgId, const char* msgCatalog) : QARError(0, msgId, msgCatalog) {}

QARError::QARError(const QARError& other) = default;

QARError& QARError::operator=(const QARError& other) = default;

QARError::~QARError() = default;

QARMetaClass* QARError::GetMetaObject() const { return MetaObject(); }

const char* QARError::IsA() const { return MetaObject()->IsA(); }

int QARError::IsAKindOf(const char* className) const { return MetaObject()->IsAKindOf(className); }

unsigned int QARError::GetId() const { return _Id; }

const char* QARError::GetMsgId() const { return _MsgId.ConvertToChar(); }

const char* QARError::GetMsgCatalog() const { return _MsgCatalog.ConvertToChar(); }

const char* QARError::GetSourceFileName() const { return _SourceFile.ConvertToChar(); }

void QARError::SetSourceFileName(const char* file) { _SourceFile = TextOrEmpty(file); }

int QARError::GetSourceLineNumber() const { return _SourceLine; }

void QARError::SetSourceLineNumber(int line) { _SourceLine = line; }

QARUnicodeString QARError::GetMessageText() const {
  QARUnicodeString text = GetNLSMessage();
  const QARUnicodeString source = GetNLSSource();
  if (!source.IsEmpty()) text += QARUnicodeString(" (") + source + ")";
  return text;
}

QARUnicodeString QARError::FallbackMessage() const {
  QARUnicodeString text(_MsgId);
  for (int i = 0; i < _Message.count; ++i) {
    text += i == 0 ? ": " : ", ";
    text += _Message.values[i];
  }
  return text;
}

QARUnicodeString QARError::GetNLSMessage() const {
  return QARMsgCatalog::BuildMessage(GetMsgCatalog(), GetMsgId(), _Message.values, _Message.count,
                                     FallbackMessage());
}

QARUnicodeString QARError::BuildSubMessage(const char* suffix, const ParameterSet& parameters) const {
  const QARString key = _MsgId + suffix;
  return QARMsgCatalog::BuildMessage(GetMsgCatalog(), key.ConvertToChar(), parameters.values, parameters.count,
                                     QARUnicodeString());
}

QARUnicodeString QARError::GetNLSRequest() const { return BuildSubMessage(".Request", _Request); }

QARUnicodeString QARError::GetNLSDiagnostic() const { return BuildSubMessage(".Diagnostic", _Diagnostic); }

QARUnicodeString QARError::GetNLSAdvice() const { return BuildSubMessage(".Advice", _Advice); }

QARUnicodeString QARError::GetNLSSource() const {
  if (_SourceFile.IsEmpty()) return QARUnicodeString();
  QARUnicodeString line;
  line.BuildFromNum(_SourceLine, "%d");
  return QARUnicodeString(_SourceFile) + ", line " + line;
}

QARUnicodeString QARError::GetNLSHelpFile() const { return BuildSubMessage(".HelpFile", ParameterSet()); }

int QARError::GetNLSHelpContext() const { return 0; }

HRESULT QARError::Display() {
  const QARUnicodeString title = _SourceContext.IsEmpty() ? QARUnicodeString("Error") : QARUnicodeString(_SourceContext);
  VEMCmnDialog::VEMCmnErrorExt(QARString(), title, GetNLSMessage(), nullptr, 0, nullptr);
  return S_OK;
}

HRESULT QARError::PrintHistory() {
  const long result = QARSysLogError(GetMessageText());
  return FAILED(result) ? static_cast<HRESULT>(result) : S_OK;
}

void QARError::Throw(const char* file, int line, void*) {
  if (qar_detail::ArmedGuardCount() > 0 && std::uncaught_exceptions() == 0) {
    if (file != nullptr) Setup(file, line);
    throw QARException(this);
  }
  ReportUnhandled(file, line);
}

void QARError::ReportUnhandled(const char* file, int line) {
  if (file != nullptr) Setup(file, line);
  // Nobody catches here: keep the error where the host can find it.
  QARSysLogError(QARUnicodeString("Unhandled error: ") + GetMessageText());
  GetReturn(ReturnAndKeep, this, nullptr, nullptr, 0);
}

namespace {

HRESULT ReadParameters(int count, va_list arguments, int maxCount, int& storedCount, QARUnicodeString* values) {
  if (count < 0) return E_INVALIDARG;
  storedCount = count < maxCount ? count : maxCount;
  for (int i = 0; i < storedCount; ++i) {
    const QARUnicodeString* parameter = va_arg(arguments, const QARUnicodeString*);
    values[i] = parameter != nullptr ? *parameter : QARUnicodeString();
  }
  return count > maxCount ? E_INVALIDARG : S_OK;
}

}  // namespace

HRESULT QARError::SetNLSParameters(int count, ...) {
  va_list arguments;
  va_start(arguments, count);
  const HRESULT result = ReadParameters(count, arguments, MaxParameters, _Message.count, _Message.values);
  va_end(arguments);
  return result;
}

HRESULT QARError::SetNLSRequestParams(int count, ...) {
  va_list arguments;
  va_start(arguments, count);
  const HRESULT result = ReadParameters(count, arguments, MaxParameters, _Request.count, _Request.values);
  va_end(arguments);
  return result;
}

HRESULT QARError::SetNLSDiagnosticParams(int count, ...) {
  va_list arguments;
  va_start(arguments, count);
  const HRESULT result = ReadParameters(count, arguments, MaxParameters, _Diagnostic.count, _Diagnostic.values);
  va_end(arguments);
  return result;
}

HRESULT QARError::SetNLSAdviceParams(int count, ...) {
  va_list arguments;
  va_start(arguments, count);
  const HRESULT result = ReadParameters(count, arguments, MaxParameters, _Advice.count, _Advice.values);
  va_end(arguments);
  return result;
}

HRESULT QARError::SetNLSParameterArray(int count, const QARUnicodeString* parameters) {
  if (count < 0 || (count > 0 && parameters == nullptr)) return E_INVALIDARG;
  _Message.count = count < MaxParameters ? count : MaxParameters;
  for (int i = 0; i < _Message.count; ++i) _Message.values[i] = parameters[i];
  return count > MaxParameters ? E_INVALIDARG : S_OK;
}

int QARError::GetNLSParameterCount() const { return _Message.count; }

QARUnicodeString QARError::GetNLSParameter(int position) const {
  if (position < 1 || position > _Message.count) return QARUnicodeString();
  return _Message.values[position - 1];
}

void QARError::SetSourceContext(const char* context) { _SourceContext = TextOrEmpty(context); }

const char* QARError::GetSourceContext() const { return _SourceContext.ConvertToChar(); }

HRESULT QARError::GetReturnCode() const { return _ReturnCode; }

void QARError::SetReturnCode(HRESULT code) { _ReturnCode = code; }

int QARError::GetInformationOnErrorType() const { return _InformationOnErrorType; }

void QARError::SetInformationOnErrorType(int information) { _InformationOnErrorType = information; }

QARError* QARError::CloneSelf() const { return new QARError(*this); }

void QARError::GetErrorTable(unsigned int* length, QARErrDsc** table) const {
  if (length != nullptr) *length = 0;
  if (table != nullptr) *table = nullptr;
}

QARError* QARError::Setup(const char* file, int line) {
  SetSourceFileName(file);
  SetSourceLineNumber(line);
  return this;
}

QARMetaClass* QARError::MetaObject() {
  static QARMetaClass* const meta = fct_RetrieveMetaObject("QARError", QARImplementationClass,
                                                           QARBaseUnknown::MetaObject(), "QARNull", "QAR",
                                                           sizeof(QARError));
  return meta;
}

const GUID& QARError::ClassId() { return MetaObject()->GetClassId(); }

const char* QARError::ClassName() { return MetaObject()->IsA(); }

QARBaseUnknown* QARError::CreateItself() { return new QARError(); }
