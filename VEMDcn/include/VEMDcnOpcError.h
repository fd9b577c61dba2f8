// VEMDcnOpcError: the library's error class. Every failure the library
// reports is one of these, with a message key of the catalogue
// "VEMDcnOpcClient" and up to four text parameters.
#pragma once

#include <windows.h>

#include "QARError.h"
#include "VEMDcnExport.h"

class VEMDCN_EXPORT VEMDcnOpcError : public QARError {
 public:
  explicit VEMDcnOpcError(unsigned int id);
  VEMDcnOpcError(unsigned int id, const char* msgId, const char* msgCatalog);
  VEMDcnOpcError(const char* msgId, const char* msgCatalog);
  VEMDcnOpcError(const VEMDcnOpcError& other);
  VEMDcnOpcError& operator=(const VEMDcnOpcError& other);
  ~VEMDcnOpcError() override;

  QARMetaClass* GetMetaObject() const override;
  const char* IsA() const override;
  int IsAKindOf(const char* className) const override;

  VEMDcnOpcError* Self() { return this; }
  VEMDcnOpcError* Setup(const char* file, int line);

  QARError* CloneSelf() const override;
  void GetErrorTable(unsigned int* length, QARErrDsc** table) const override;

  static QARBaseUnknown* CreateItself();
  static QARMetaClass* MetaObject();
  static const GUID& ClassId();
  static const char* ClassName();

  // Shows an error in the host's error dialog, titled with the catalogue's
  // "OpcClientError" text. With a null error, the thread's last error for hr
  // is shown and then cleaned; with neither, nothing happens. The error's
  // reference is consumed.
  static void GetAndDisplayOPCError(HRESULT hr, QARError* error);

  static QARErrDsc errorTable[1];
  static const unsigned int errorTableLength;

 private:
  static QARMetaClass* meta_object;
};
