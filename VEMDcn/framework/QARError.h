// QARError: the framework's error object. It carries an identifier, a
// message key in a message catalogue with up to four text parameters, the
// source file and line where it was raised, a source context (usually the
// application's name) and optionally a return code of its own.
//
// Errors travel in two ways:
//  - returned: QARError::GetReturn makes the error the calling thread's last
//    error and yields the HRESULT the operation returns; the caller gets the
//    error back with QARError::QARGetLastError(hr).
//  - thrown: Throw raises the error to the innermost QARXHContext of the
//    calling thread (see QARXHContext.h).
#pragma once

#include <windows.h>

#include "QARBaseUnknown.h"
#include "QARString.h"
#include "QARUnicodeString.h"
#include "VEMDcnExport.h"

// A descriptor of an error that a class can raise (see GetErrorTable).
struct QARErrDsc {
  unsigned int Id;
  const char* MsgId;
  const char* MsgCatalog;
};

class VEMDCN_EXPORT QARError : public QARBaseUnknown {
 public:
  // Kinds of GetReturn.
  enum ReturnKind {
    ReturnOnly = 1,    // yield the code and drop the error
    ReturnAndKeep = 2  // yield the code and keep the error as the thread's last error
  };
  static const int MaxParameters = 4;

  explicit QARError(unsigned int id = 0);
  QARError(unsigned int id, const char* msgId, const char* msgCatalog);
  QARError(const char* msgId, const char* msgCatalog);
  QARError(const QARError& other);
  QARError& operator=(const QARError& other);
  ~QARError() override;

  QARMetaClass* GetMetaObject() const override;
  const char* IsA() const override;
  int IsAKindOf(const char* className) const override;

  virtual unsigned int GetId() const;
  virtual const char* GetMsgId() const;
  virtual const char* GetMsgCatalog() const;
  virtual const char* GetSourceFileName() const;
  virtual void SetSourceFileName(const char* file);
  virtual int GetSourceLineNumber() const;
  virtual void SetSourceLineNumber(int line);
  // The message followed by the source position, for logs:
  //   <message> (<file>, line <line>)
  virtual QARUnicodeString GetMessageText() const;
  // The catalogue's text of the message key with the parameters; when the
  // catalogue lacks the key, the key followed by the parameters.
  virtual QARUnicodeString GetNLSMessage() const;
  // The catalogue entries <key>.Request, <key>.Diagnostic and <key>.Advice
  // with their own parameters; empty when the catalogue has none.
  virtual QARUnicodeString GetNLSRequest() const;
  virtual QARUnicodeString GetNLSDiagnostic() const;
  virtual QARUnicodeString GetNLSAdvice() const;
  // "<file>, line <line>", or empty when no source file is known.
  virtual QARUnicodeString GetNLSSource() const;
  // The catalogue entry <key>.HelpFile, or empty; the help context is 0.
  virtual QARUnicodeString GetNLSHelpFile() const;
  virtual int GetNLSHelpContext() const;
  // Shows the error in the error dialog (VEMCmnDialog::VEMCmnErrorExt).
  virtual HRESULT Display();
  // Writes the error to the error log.
  virtual HRESULT PrintHistory();
  // Raises the error. It consumes the caller's reference. When a file is
  // given, it becomes the error's source position. Inside a QARXHContext the
  // error is thrown as a QARException; otherwise (or while another exception
  // is unwinding the stack) it is written to the error log as
  //   Unhandled error: <GetMessageText()>
  // made the thread's last error, and Throw returns.
  virtual void Throw(const char* file, int line, void* reserved);
  // What Throw does where nobody catches, whatever the context: for code that
  // must not raise (a destructor). Consumes the caller's reference.
  void ReportUnhandled(const char* file, int line);
  // count, then that many const QARUnicodeString pointers (a null pointer is
  // an empty text). Only the first four are kept; E_INVALIDARG for more than
  // four or a negative count.
  virtual HRESULT SetNLSParameters(int count, ...);
  virtual HRESULT SetNLSRequestParams(int count, ...);
  virtual HRESULT SetNLSDiagnosticParams(int count, ...);
  virtual HRESULT SetNLSAdviceParams(int count, ...);
  virtual void SetSourceContext(const char* context);
  virtual const char* GetSourceContext() const;
  // The error's own return code; S_OK until set.
  virtual HRESULT GetReturnCode() const;
  virtual void SetReturnCode(HRESULT code);
  virtual int GetInformationOnErrorType() const;
  virtual void SetInformationOnErrorType(int information);
  // A copy with a reference count of one, or null when memory is short.
  virtual QARError* CloneSelf() const;
  // The table of errors the class can raise; QARError declares none.
  virtual void GetErrorTable(unsigned int* length, QARErrDsc** table) const;

  QARError* Self() { return this; }
  // Sets the source position; returns the error itself.
  QARError* Setup(const char* file, int line);

  // The message parameters as an array (count values).
  HRESULT SetNLSParameterArray(int count, const QARUnicodeString* parameters);
  int GetNLSParameterCount() const;
  // Parameter 1 to GetNLSParameterCount(); empty outside that range.
  QARUnicodeString GetNLSParameter(int position) const;

  // The code an operation returns for error: the error's own return code when
  // it is a failure, else E_FAIL. ReturnAndKeep (and any kind other than
  // ReturnOnly) makes the error the thread's last error for that code, taking
  // over the caller's reference; ReturnOnly releases it. A file given becomes
  // the error's source position. A null error yields E_FAIL.
  static HRESULT GetReturn(int kind, QARError* error, void* reserved, const char* file, int line);
  // The thread's last error, with a new reference for the caller, when it was
  // kept for code (and, if both sides name one, for the same COM object);
  // else null.
  static QARError* QARGetLastError(HRESULT code, IUnknown* object = nullptr);
  // Drops the thread's last error.
  static void QARCleanLastError();

  static QARMetaClass* MetaObject();
  static const GUID& ClassId();
  static const char* ClassName();
  static QARBaseUnknown* CreateItself();

 protected:
  // Keeps an error as the calling thread's last error for code and object
  // (object may be null), taking over one reference.
  static void KeepAsLastError(HRESULT code, QARError* error, IUnknown* object);

 private:
  struct ParameterSet {
    int count = 0;
    QARUnicodeString values[MaxParameters];
  };
  QARUnicodeString BuildSubMessage(const char* suffix, const ParameterSet& parameters) const;
  QARUnicodeString FallbackMessage() const;

  unsigned int _Id;
  QARString _MsgId;
  QARString _MsgCatalog;
  QARString _SourceFile;
  int _SourceLine;
  QARString _SourceContext;
  HRESULT _ReturnCode;
  int _InformationOnErrorType;
  ParameterSet _Message;
  ParameterSet _Request;
  ParameterSet _Diagnostic;
  ParameterSet _Advice;
};
