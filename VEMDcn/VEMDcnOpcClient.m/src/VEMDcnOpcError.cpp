#include "VEMDcnOpcError.h"

#include "QARMsgCatalog.h"
#include "QARString.h"
#include "VEMCmnDialog.h"
#include "comown.h"

namespace {

const char kCatalog[] = "VEMDcnOpcClient";

}  // namespace

QARErrDsc VEMDcnOpcError::errorTable[1] = {{0, nullptr, nullptr}};
const unsigned int VEMDcnOpcError::errorTableLength = 0;
QARMetaClass* VEMDcnOpcError::meta_object = nullptr;

VEMDcnOpcError::VEMDcnOpcError(unsigned int id) : QARError(id) {}

VEMDcnOpcError::VEMDcnOpcError(unsigned int id, const char* msgId, const char* msgCatalog)
    : QARError(id, msgId, msgCatalog) {}

VEMDcnOpcError::VEMDcnOpcError(const char* msgId, const char* msgCatalog) : QARError(msgId, msgCatalog) {}

VEMDcnOpcError::VEMDcnOpcError(const VEMDcnOpcError& other) = default;

VEMDcnOpcError& VEMDcnOpcError::operator=(const VEMDcnOpcError& other) = default;

VEMDcnOpcError::~VEMDcnOpcError() = default;

QARMetaClass* VEMDcnOpcError::MetaObject() {
  // Declared once, by whichever class query comes first; the function-local
  // initialisation makes that first time safe on any thread.
  static QARMetaClass* const registered = meta_object =
      fct_RetrieveMetaObject("VEMDcnOpcError", QARImplementationClass, QARError::MetaObject(), "QARNull", "VEMDcn",
                             sizeof(VEMDcnOpcError));
  return registered;
}

const GUID& VEMDcnOpcError::ClassId() { return MetaObject()->GetClassId(); }

const char* VEMDcnOpcError::ClassName() { return MetaObject()->IsA(); }

QARMetaClass* VEMDcnOpcError::GetMetaObject() const { return MetaObject(); }

const char* VEMDcnOpcError::IsA() const { return MetaObject()->IsA(); }

int VEMDcnOpcError::IsAKindOf(const char* className) const { return MetaObject()->IsAKindOf(className); }

VEMDcnOpcError* VEMDcnOpcError::Setup(const char* file, int line) {
  QARError::Setup(file, line);
  return this;
}

QARError* VEMDcnOpcError::CloneSelf() const { return new VEMDcnOpcError(*this); }

void VEMDcnOpcError::GetErrorTable(unsigned int* length, QARErrDsc** table) const {
  if (length != nullptr) *length = errorTableLength;
  if (table != nullptr) *table = errorTable;
}

QARBaseUnknown* VEMDcnOpcError::CreateItself() { return nullptr; }

void VEMDcnOpcError::GetAndDisplayOPCError(HRESULT hr, QARError* error) {
  const bool fetched = error == nullptr;
  // The reference given (or fetched) is consumed.
  const comown::com_ptr<QARError> shown(fetched ? QARError::QARGetLastError(hr, nullptr) : error, comown::attach);
  if (!shown) return;

  const QARUnicodeString title =
      QARMsgCatalog::BuildMessage(kCatalog, "OpcClientError", nullptr, 0, "OPC Client Error");
  const QARUnicodeString text = shown->GetNLSMessage();
  VEMCmnDialog::VEMCmnErrorExt(QARString(), title, text, nullptr, 0, nullptr);

  if (fetched) QARError::QARCleanLastError();
}
