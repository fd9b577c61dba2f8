// The application frame: the host application's one object that represents
// the application itself. The host creates it (usually once, at start-up);
// until then, and after it is destroyed, there is none.
#pragma once

#include <windows.h>

#include "QARUnicodeString.h"
#include "VEMDcnExport.h"

class VEMDCN_EXPORT QARApplicationFrame {
 public:
  // Becomes the process's frame, replacing any earlier one.
  explicit QARApplicationFrame(const QARUnicodeString& applicationName);
  // Stops being the frame, if it still is.
  virtual ~QARApplicationFrame();
  QARApplicationFrame(const QARApplicationFrame&) = delete;
  QARApplicationFrame& operator=(const QARApplicationFrame&) = delete;

  // The process's frame, or null.
  static QARApplicationFrame* GetFrame();

  // S_OK with the name; E_FAIL (name unchanged) when the application has none.
  virtual HRESULT GetApplicationName(QARUnicodeString& name) const;
  void SetApplicationName(const QARUnicodeString& name);

 private:
  QARUnicodeString _ApplicationName;
};
