// The small vocabularies that the client's own operations use for access
// rights and data types. Internal to the library; exported only so that the
// tests can reach them.
#pragma once

#include "QARRawCollVARTYPE.h"
#include "QARUnicodeString.h"
#include "VEMDcnExport.h"

// "Readable", "Writable", "Readable/Writable" to OPC access rights; 0 for any other word.
VEMDCN_EXPORT unsigned long VEMDcnOpcAccessRightsOfWord(const QARUnicodeString& iWord);

// OPC access rights to a tree node's direction word: "Out", "In", or empty for any other value.
VEMDCN_EXPORT QARUnicodeString VEMDcnOpcDirectionWordOfAccessRights(unsigned long iAccessRights);

// Appends the data types the client supports, in the order in which item
// listing browses them.
VEMDCN_EXPORT void VEMDcnOpcAppendSupportedDataTypes(QARRawCollVARTYPE& ioTypes);
