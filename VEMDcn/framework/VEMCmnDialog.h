// The product family's common dialogs. Only the error dialog exists here; it
// writes to the error log unless the host installs a handler that shows it.
#pragma once

#include "QARString.h"
#include "QARUnicodeString.h"
#include "VEMDcnExport.h"

class VEMDCN_EXPORT VEMCmnDialog {
 public:
  // Shows an error: helpKey names a help topic (may be empty), details is an
  // optional further text, flags are the handler's, parent the dialog to
  // stack on (null: none). Without a handler it writes one line,
  //   <title>: <text>
  // (followed by a line feed and the details when given) to the error log and
  // returns 0; with one, it returns what the handler returns.
  static int VEMCmnErrorExt(const QARString& helpKey, const QARUnicodeString& title, const QARUnicodeString& text,
                            const QARUnicodeString* details, int flags, VEMCmnDialog* parent);

  typedef int (*ErrorHandler)(const QARString& helpKey, const QARUnicodeString& title,
                              const QARUnicodeString& text, const QARUnicodeString* details, int flags,
                              VEMCmnDialog* parent);
  // Installs a handler (null restores the error log); returns the previous one.
  static ErrorHandler SetErrorHandler(ErrorHandler handler);

  virtual ~VEMCmnDialog();
};
