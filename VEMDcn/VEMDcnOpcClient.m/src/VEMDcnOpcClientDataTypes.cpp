// The data types the client supports, in the order the all-types listing walks them.
#include "VEMDcnOpcClient.h"
#include "VEMDcnOpcClientInternal.h"

void VEMDcnOpcClient::_InitSupportedDataType() {
  static const VARTYPE kSupported[] = {VT_I1, VT_UI1, VT_I2, VT_UI2, VT_I4, VT_UI4, VT_R4, VT_R8, VT_BOOL, VT_BSTR, VT_DATE};
  for (VARTYPE type : kSupported) _SupportedDataTypes.Append(type);
}

void VEMDcnOpcClient::GetSupportedDataType(QARRawCollVARTYPE& dataTypes) {
  // Returns no HRESULT: the host's last error stays.
  vemdcn::Guarded([&] { dataTypes = _SupportedDataTypes; }, vemdcn::LastError::Keep);
}
