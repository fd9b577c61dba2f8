// QARHashDicVEMDcnOpcItem: the dictionary that item listing fills.
#include "QARHashDicVEMDcnOpcItem.h"

QARHashDicVEMDcnOpcItem::QARHashDicVEMDcnOpcItem(int iSize) : _Dico(iSize) {}

QARHashDicVEMDcnOpcItem::~QARHashDicVEMDcnOpcItem() {}

int QARHashDicVEMDcnOpcItem::Insert(const QARUnicodeString& iKey, VEMDcnOpcItem* iItem) {
  return _Dico.Insert(iKey, iItem);
}

VEMDcnOpcItem* QARHashDicVEMDcnOpcItem::Locate(const QARUnicodeString& iKey) const {
  return static_cast<VEMDcnOpcItem*>(_Dico.Locate(iKey));
}

int QARHashDicVEMDcnOpcItem::Remove(const QARUnicodeString& iKey) { return _Dico.Remove(iKey); }

void QARHashDicVEMDcnOpcItem::RemoveAll() { _Dico.RemoveAll(); }

int QARHashDicVEMDcnOpcItem::Size() const { return _Dico.Size(); }

const QARHashDico& QARHashDicVEMDcnOpcItem::GetDico() const { return _Dico; }
