// The browse position of the server and item identifiers.
#include "VEMDcnOpcClient.h"
#include "VEMDcnOpcClientInternal.h"

unsigned char VEMDcnOpcClient::OPCBrowserIsAvailable() {
  // Returns no HRESULT: the host's last error stays.
  return vemdcn::Guarded([&] { return _BrowseAvailable; }, vemdcn::LastError::Keep);
}
