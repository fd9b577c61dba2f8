// Failure translation: every failed call becomes a VEMDcnOpcError that names
// the call, classifies the code and describes it as best it can.
#include <cstdio>
#include <utility>

#include "QARApplicationFrame.h"
#include "QARMsgCatalog.h"
#include "VEMDcnOpcClient.h"
#include "VEMDcnOpcClientInternal.h"

using vemdcn::CatalogText;

namespace {

const DWORD kSystemMessageFlags =
    FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;

QARUnicodeString FallbackDescription(long hr) {
  const unsigned long code = static_cast<ULONG>(hr);
  char text[32];
  if (code > 0x80040200ul && code <= 0x8004FFFFul)
    std::snprintf(text, sizeof text, "IDispatch error #%d", static_cast<int>(code - 0x80040200ul));
  else
    std::snprintf(text, sizeof text, "Unknown error 0x%0lX", code);
  return QARUnicodeString(text);
}

// The platform's text for a code, without its final line break.
QARUnicodeString SystemMessageText(long hr) {
  comown::local_mem<WCHAR> buffer;
  const DWORD length = FormatMessageW(kSystemMessageFlags, nullptr, static_cast<DWORD>(hr),
                                      MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                      reinterpret_cast<LPWSTR>(buffer.put()), 0, nullptr);
  if (length == 0 || !buffer) return FallbackDescription(hr);
  const WCHAR* text = buffer.get();
  int kept = static_cast<int>(length);
  if (kept > 1 && text[kept - 1] == '\n') {
    --kept;
    if (kept > 0 && text[kept - 1] == '\r') --kept;
  }
  return QARUnicodeString(text, kept);
}

// The thread's last error for this code and object, when it is of the given
// kind; it is then taken out of the framework. Any other last error stays.
bool TakeLastErrorMessage(long hr, IUnknown* object, const char* kind, QARUnicodeString& message) {
  const comown::com_ptr<QARError> last(QARError::QARGetLastError(hr, object), comown::attach);
  if (!last) return false;
  const bool taken = kind == nullptr || last->IsAKindOf(kind);
  if (taken) {
    message = last->GetNLSMessage();
    QARError::QARCleanLastError();
  }
  return taken;
}

}  // namespace

VEMDcnOpcError* VEMDcnOpcClient::_GetError(long hr, QARUnicodeString context, IUnknown* object) {
  static const char* const kSeverityKeys[4] = {"VEMOPCERR03", "VEMOPCERR04", "VEMOPCERR05", "VEMOPCERR06"};
  static const unsigned int kErrorIds[4] = {4, 4, 3, 2};
  const unsigned int topBits = (static_cast<ULONG>(hr) >> 30) & 3u;
  const char* severityKey = kSeverityKeys[topBits];
  _ErrorId = kErrorIds[topBits];

  QARUnicodeString heading;
  QARUnicodeString description;
  const unsigned int facility = (static_cast<ULONG>(hr) >> 16) & 0x1FFFu;
  if (facility == FACILITY_ITF || facility >= 16) {
    IOPCServer* server = _pOPCServer();
    if (server == nullptr) {
      description = SystemMessageText(hr);
      if (!description.IsEmpty()) heading = CatalogText("VEMOPCERR07");
    } else {
      heading = CatalogText("VEMOPCERR08");
      comown::task_string serverText;
      if (SUCCEEDED(server->GetErrorString(hr, LOCALE_SYSTEM_DEFAULT, serverText.put()))) {
        description = QARUnicodeString(serverText.get());
        description.Strip(QARUnicodeString::StripBoth, '\n');
      } else if (!TakeLastErrorMessage(hr, object, nullptr, description)) {
        description = SystemMessageText(hr);
        heading = CatalogText("VEMOPCERR07");
      }
    }
  } else {
    severityKey = "VEMOPCERR06";
    _ErrorId = 2;
    if (!TakeLastErrorMessage(hr, object, "QARCOMErrors", description)) description = SystemMessageText(hr);
    if (!description.IsEmpty()) heading = CatalogText("VEMOPCERR07");
  }
  const QARUnicodeString severity = CatalogText(severityKey);

  comown::com_ptr<VEMDcnOpcError> error(new (std::nothrow) VEMDcnOpcError(_ErrorId, "VEMOPCERR02", VEMDCN_CATALOG),
                                        comown::attach);
  if (!error) return nullptr;
  QARApplicationFrame* frame = QARApplicationFrame::GetFrame();
  QARUnicodeString applicationName;
  if (frame != nullptr && SUCCEEDED(frame->GetApplicationName(applicationName)))
    error->SetSourceContext(applicationName.ConvertToChar().ConvertToChar());
  error->SetNLSParameters(4, &heading, &severity, &context, &description);
  return error.detach();
}

void VEMDcnOpcClient::_ConcatenateErrors(long hr, const QARUnicodeString& context, VEMDcnOpcError** error) {
  if (error == nullptr) return;
  if (*error == nullptr) {
    *error = _GetError(hr, context, nullptr);
    return;
  }
  const comown::com_ptr<VEMDcnOpcError> added(_GetError(hr, context, nullptr), comown::attach);
  if (!added) return;
  const QARUnicodeString earlierMessage = (*error)->GetNLSMessage();
  const QARUnicodeString laterMessage = added->GetNLSMessage();
  comown::com_ptr<VEMDcnOpcError> chained(new (std::nothrow) VEMDcnOpcError("VEMOPCERR15", VEMDCN_CATALOG),
                                          comown::attach);
  if (chained) chained->SetNLSParameters(2, &earlierMessage, &laterMessage);
  // The earlier error goes only now, when nothing can fail any more.
  const comown::com_ptr<VEMDcnOpcError> earlier(std::exchange(*error, chained.detach()), comown::attach);
}
