// A dictionary of item records keyed by their item identifier (_ItemID).
// It only refers to the items: destroying it leaves them alone, and whoever
// received it deletes them.
#pragma once

#include "QARCollecRoot.h"
#include "QARHashDico.h"
#include "QARUnicodeString.h"
#include "VEMDcnExport.h"

class VEMDcnOpcItem;

class VEMDCN_EXPORT QARHashDicVEMDcnOpcItem : public QARCollecRoot {
 public:
  // iSize: the number of entries expected, a hint for the table.
  explicit QARHashDicVEMDcnOpcItem(int iSize = 10);
  virtual ~QARHashDicVEMDcnOpcItem();

  // 1 when the item was taken in; 0 when the key is already present, in which
  // case the dictionary is unchanged and the caller keeps the item.
  int Insert(const QARUnicodeString& iKey, VEMDcnOpcItem* iItem);
  // The item stored under the key, or null.
  VEMDcnOpcItem* Locate(const QARUnicodeString& iKey) const;
  // 1 when the entry was removed (the item itself is not deleted), 0 when absent.
  int Remove(const QARUnicodeString& iKey);
  // Forgets every entry; the items are not deleted.
  void RemoveAll();
  int Size() const;

  // The dictionary underneath, to walk with QARHashCodeIter; its values are
  // VEMDcnOpcItem pointers.
  const QARHashDico& GetDico() const;

 private:
  QARHashDico _Dico;
};
