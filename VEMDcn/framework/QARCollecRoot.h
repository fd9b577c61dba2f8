// Roots of the framework's collection families.
#pragma once

#include "VEMDcnExport.h"

namespace QARCollec {
// What RemoveAll does with a collection's storage.
enum MemoryHandling {
  KeepStorage = 0,    // empty the collection, keep its capacity for reuse
  ReleaseStorage = 1  // empty the collection and free its storage
};
}  // namespace QARCollec

// Empty base of every collection class; it only makes their destructors virtual.
class VEMDCN_EXPORT QARCollecRoot {
 public:
  QARCollecRoot() = default;
  QARCollecRoot(const QARCollecRoot&) = default;
  QARCollecRoot& operator=(const QARCollecRoot&) = default;
  virtual ~QARCollecRoot();
};
