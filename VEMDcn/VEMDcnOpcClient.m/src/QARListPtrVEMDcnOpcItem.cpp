// QARListPtrVEMDcnOpcItem: the typed list of item pointers offered to the host.
#include "QARListPtrVEMDcnOpcItem.h"

#include "QARListPtrDefinition.h"

QAR_DEFINE_LIST_PTR(QARListPtrVEMDcnOpcItem, VEMDcnOpcItem)
