#include "QARString.h"

QARString::QARString(const char* text) {
  if (text != nullptr) _Text = text;
}

QARString::QARString(const char* text, int length) {
  if (text != nullptr && length > 0) _Text.assign(text, static_cast<size_t>(length));
}

QARString& QARString::Append(const QARString& other) {
  _Text += other._Text;
  return *this;
}
