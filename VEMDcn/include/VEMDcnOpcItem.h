// The record of one OPC item as the library hands it to the host, and the
// translations between the OPC vocabulary (VARTYPE codes, access rights) and
// the host's signal vocabulary (type names, directions).
#pragma once

#include <oaidl.h>

#include "QARUnicodeString.h"
#include "VEMDcnExport.h"
#include "VEMICsmBase.h"

class VEMDCN_EXPORT VEMDcnOpcItem {
 public:
  VEMDcnOpcItem();
  // The copy owns a value of its own: string and array storage are duplicated.
  VEMDcnOpcItem(VEMDcnOpcItem& iItem);
  VEMDcnOpcItem& operator=(VEMDcnOpcItem& iItem);
  virtual ~VEMDcnOpcItem();

  // Access rights to the host's direction: readable only is out, writable only is in.
  static VEMICsmBase::Direction GetPelDirection(unsigned long iAccessRights);
  VEMICsmBase::Direction GetPelDirection() const;

  // VARTYPE to the host's type name ("int16", "float64", ..., "???").
  static const QARUnicodeString GetPelType(unsigned short iType);
  const QARUnicodeString GetPelType() const;

  // VARTYPE to its OPC name ("VT_I2", "ARRAY OF VT_R8", "???") and back.
  static const QARUnicodeString GetOpcType(unsigned short iType);
  static unsigned short GetOpcType(const QARUnicodeString& iName);
  const QARUnicodeString GetOpcType() const;

  // Access rights to the catalogue's text for the direction.
  static const QARUnicodeString GetOpcDirection(short iAccessRights);
  const QARUnicodeString GetOpcDirection() const;

  // One line of text for a value; the VARIANT is only read.
  static const QARUnicodeString Variant2String(VARIANT iValue);
  const QARUnicodeString Variant2String() const;

  QARUnicodeString _Name;
  QARUnicodeString _ItemID;
  QARUnicodeString _Path;
  VARIANT _Value;
  ULONG _AccessRights;
  ULONG _UserData1;
  ULONG _UserData2;
  VARTYPE _CanonicalDataType;
  bool _UserFlag : 1;
};
