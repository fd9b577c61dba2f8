// The browse position of the server and item identifiers.
#include "VEMDcnOpcClient.h"

unsigned char VEMDcnOpcClient::OPCBrowserIsAvailable() { return _BrowseAvailable; }
