// The version this library was built as, for hosts that check which library
// they loaded.
#include "VEMDcnVersion.h"

extern "C" const char* VEMDcnOpcClientVersion() { return VEMDCN_VERSION; }
