// QARListPtrVEMDcnOpcGroup: the client's list of its groups, in the order of
// definition.
#include "QARListPtrVEMDcnOpcGroup.h"

#include "QARListPtrDefinition.h"

QAR_DEFINE_LIST_PTR(QARListPtrVEMDcnOpcGroup, VEMDcnOpcGroup)
