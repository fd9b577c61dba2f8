#include "QARApplicationFrame.h"

#include <atomic>

namespace {

std::atomic<QARApplicationFrame*> currentFrame{nullptr};

}  // namespace

QARApplicationFrame::QARApplicationFrame(const QARUnicodeString& applicationName)
    : _ApplicationName(applicationName) {
  currentFrame.store(this);
}

QARApplicationFrame::~QARApplicationFrame() {
  QARApplicationFrame* self = this;
  currentFrame.compare_exchange_strong(self, nullptr);
}

QARApplicationFrame* QARApplicationFrame::GetFrame() { return currentFrame.load(); }

HRESULT QARApplicationFrame::GetApplicationName(QARUnicodeString& name) const {
  if (_ApplicationName.IsEmpty()) return E_FAIL;
  name = _ApplicationName;
  return S_OK;
}

void QARApplicationFrame::SetApplicationName(const QARUnicodeString& name) { _ApplicationName = name; }
