#include "VEMCmnDialog.h"

#include <atomic>

#include "QARSysLog.h"

namespace {

std::atomic<VEMCmnDialog::ErrorHandler> errorHandler{nullptr};

}  // namespace

VEMCmnDialog::~VEMCmnDialog() = default;

int VEMCmnDialog::VEMCmnErrorExt(const QARString& helpKey, const QARUnicodeString& title,
                                 const QARUnicodeString& text, const QARUnicodeString* details, int flags,
                                 VEMCmnDialog* parent) {
  const ErrorHandler handler = errorHandler.load();
  if (handler != nullptr) return handler(helpKey, title, text, details, flags, parent);
  QARUnicodeString line = title + ": " + text;
  if (details != nullptr) line += QARUnicodeString("\n") + *details;
  QARSysLogError(line);
  return 0;
}

VEMCmnDialog::ErrorHandler VEMCmnDialog::SetErrorHandler(ErrorHandler handler) {
  return errorHandler.exchange(handler);
}
