// Value lists, 1-based: QARListValQARUnicodeString holds texts,
// QARListValQARBaseUnknown_var holds handles on framework objects (each
// handle, and so each copy of a list, holds its own reference).
//
// A position outside the list is reported with QARFatalError
// ("AssertionFailed:...") and the call then does nothing.
#pragma once

#include <algorithm>
#include <utility>
#include <vector>

#include "QARBaseUnknown.h"
#include "QARCollecRoot.h"
#include "QARSysLog.h"
#include "QARUnicodeString.h"

template <class Value>
class QARListVal : public QARCollecRoot {
 public:
  explicit QARListVal(int initialAllocation = 0) {
    if (initialAllocation > 0) _Values.reserve(static_cast<size_t>(initialAllocation));
  }
  QARListVal(const QARListVal&) = default;
  QARListVal& operator=(const QARListVal&) = default;
  ~QARListVal() override = default;

  int operator==(const QARListVal& other) const { return Equal(other) ? 1 : 0; }
  int operator!=(const QARListVal& other) const { return Equal(other) ? 0 : 1; }

  Value& operator[](int position) {
    if (!CheckPosition(position, __LINE__)) return RefusedSlot();
    return _Values[static_cast<size_t>(position - 1)];
  }
  const Value& operator[](int position) const {
    if (!CheckPosition(position, __LINE__)) return RefusedSlot();
    return _Values[static_cast<size_t>(position - 1)];
  }

  int Size() const { return static_cast<int>(_Values.size()); }

  // Both return the new size, which is the position of the last value.
  int Append(const Value& value) {
    _Values.push_back(value);
    return Size();
  }
  int Append(Value&& value) {
    _Values.push_back(std::move(value));
    return Size();
  }
  int Append(const QARListVal& other) {
    const std::vector<Value> copy(other._Values);  // other may be this list
    _Values.insert(_Values.end(), copy.begin(), copy.end());
    return Size();
  }
  // 1 <= position <= Size() + 1; returns the position, or 0 when refused.
  int InsertAt(int position, const Value& value) {
    if (position < 1 || position > Size() + 1) {
      QARFatalError("AssertionFailed:iPos >= 1 && iPos <= _Size+1", nullptr, nullptr, nullptr, kSourceFile, __LINE__);
      return 0;
    }
    _Values.insert(_Values.begin() + (position - 1), value);
    return position;
  }

  // Position of the first equal value at or after start, or 0.
  int Locate(const Value& value, int start = 1) const {
    for (int position = start < 1 ? 1 : start; position <= Size(); ++position) {
      if (_Values[static_cast<size_t>(position - 1)] == value) return position;
    }
    return 0;
  }
  int NbOccur(const Value& value) const {
    int count = 0;
    for (const Value& held : _Values) count += (held == value) ? 1 : 0;
    return count;
  }

  // Removes the first equal value; returns its former position, or 0.
  int RemoveValue(const Value& value) {
    const int position = Locate(value, 1);
    if (position > 0) _Values.erase(_Values.begin() + (position - 1));
    return position;
  }
  void RemovePosition(int position) {
    if (CheckPosition(position, __LINE__)) _Values.erase(_Values.begin() + (position - 1));
  }
  void RemoveAll(QARCollec::MemoryHandling memory = QARCollec::ReleaseStorage) {
    if (memory == QARCollec::ReleaseStorage) {
      std::vector<Value>().swap(_Values);
    } else {
      _Values.clear();
    }
  }
  void Swap(int position1, int position2) {
    if (position1 < 1 || position1 > Size() || position2 < 1 || position2 > Size()) {
      QARFatalError("AssertionFailed:iPos1 > 0 && iPos1 <= _Size && iPos2 > 0 && iPos2 <= _Size", nullptr, nullptr,
                    nullptr, kSourceFile, __LINE__);
      return;
    }
    std::swap(_Values[static_cast<size_t>(position1 - 1)], _Values[static_cast<size_t>(position2 - 1)]);
  }

 private:
  static constexpr const char* kSourceFile = "VEMDcn/framework/QARListVal";

  bool CheckPosition(int position, int line) const {
    if (position > 0 && position <= Size()) return true;
    QARFatalError("AssertionFailed:iPos > 0 && iPos <= _Size", nullptr, nullptr, nullptr, kSourceFile, line);
    return false;
  }
  bool Equal(const QARListVal& other) const {
    return Size() == other.Size() && std::equal(_Values.begin(), _Values.end(), other._Values.begin(),
                                                [](const Value& a, const Value& b) { return a == b; });
  }
  // Where a refused operator[] points: a fresh default value outside the
  // values, so that nothing the caller writes there lands in the list. The
  // list's own, not a thread_local: on the windows target a thread_local with
  // a destructor is destroyed after its storage is freed.
  Value& RefusedSlot() const {
    _Refused = Value();
    return _Refused;
  }

  std::vector<Value> _Values;
  mutable Value _Refused;
};

class QARListValQARUnicodeString : public QARListVal<QARUnicodeString> {
 public:
  using QARListVal<QARUnicodeString>::QARListVal;
};

class QARListValQARBaseUnknown_var : public QARListVal<QARBaseUnknown_var> {
 public:
  using QARListVal<QARBaseUnknown_var>::QARListVal;
};
