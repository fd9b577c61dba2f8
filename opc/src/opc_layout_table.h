// The layout of the OPC structures on Win64 and Win32, field by field, and
// every enumerator and method the OPC declarations have. One table for the
// checks of the hand-written declarations (opc_layout_checks.cpp) and of
// those widl generates from the IDL (opc/idl/idl_header_checks.cpp).
#pragma once

// SIZE(type, win64, win32) and FIELD(type, field, win64 offset, win32 offset).
#define OPC_STRUCT_LAYOUTS(SIZE, FIELD)                        \
  SIZE(OPCITEMDEF, 48, 28)                                     \
  FIELD(OPCITEMDEF, szAccessPath, 0, 0)                        \
  FIELD(OPCITEMDEF, szItemID, 8, 4)                            \
  FIELD(OPCITEMDEF, bActive, 16, 8)                            \
  FIELD(OPCITEMDEF, hClient, 20, 12)                           \
  FIELD(OPCITEMDEF, dwBlobSize, 24, 16)                        \
  FIELD(OPCITEMDEF, pBlob, 32, 20)                             \
  FIELD(OPCITEMDEF, vtRequestedDataType, 40, 24)               \
  FIELD(OPCITEMDEF, wReserved, 42, 26)                         \
  SIZE(OPCITEMRESULT, 24, 20)                                  \
  FIELD(OPCITEMRESULT, hServer, 0, 0)                          \
  FIELD(OPCITEMRESULT, vtCanonicalDataType, 4, 4)              \
  FIELD(OPCITEMRESULT, wReserved, 6, 6)                        \
  FIELD(OPCITEMRESULT, dwAccessRights, 8, 8)                   \
  FIELD(OPCITEMRESULT, dwBlobSize, 12, 12)                     \
  FIELD(OPCITEMRESULT, pBlob, 16, 16)                          \
  SIZE(OPCITEMSTATE, 40, 32)                                   \
  FIELD(OPCITEMSTATE, hClient, 0, 0)                           \
  FIELD(OPCITEMSTATE, ftTimeStamp, 4, 4)                       \
  FIELD(OPCITEMSTATE, wQuality, 12, 12)                        \
  FIELD(OPCITEMSTATE, wReserved, 14, 14)                       \
  FIELD(OPCITEMSTATE, vDataValue, 16, 16)                      \
  SIZE(OPCSERVERSTATUS, 56, 48)                                \
  FIELD(OPCSERVERSTATUS, ftStartTime, 0, 0)                    \
  FIELD(OPCSERVERSTATUS, ftCurrentTime, 8, 8)                  \
  FIELD(OPCSERVERSTATUS, ftLastUpdateTime, 16, 16)             \
  FIELD(OPCSERVERSTATUS, dwServerState, 24, 24)                \
  FIELD(OPCSERVERSTATUS, dwGroupCount, 28, 28)                 \
  FIELD(OPCSERVERSTATUS, dwBandWidth, 32, 32)                  \
  FIELD(OPCSERVERSTATUS, wMajorVersion, 36, 36)                \
  FIELD(OPCSERVERSTATUS, wMinorVersion, 38, 38)                \
  FIELD(OPCSERVERSTATUS, wBuildNumber, 40, 40)                 \
  FIELD(OPCSERVERSTATUS, wReserved, 42, 42)                    \
  FIELD(OPCSERVERSTATUS, szVendorInfo, 48, 44)                 \
  SIZE(OPCITEMATTRIBUTES, 80, 56)                              \
  FIELD(OPCITEMATTRIBUTES, szAccessPath, 0, 0)                 \
  FIELD(OPCITEMATTRIBUTES, szItemID, 8, 4)                     \
  FIELD(OPCITEMATTRIBUTES, bActive, 16, 8)                     \
  FIELD(OPCITEMATTRIBUTES, hClient, 20, 12)                    \
  FIELD(OPCITEMATTRIBUTES, hServer, 24, 16)                    \
  FIELD(OPCITEMATTRIBUTES, dwAccessRights, 28, 20)             \
  FIELD(OPCITEMATTRIBUTES, dwBlobSize, 32, 24)                 \
  FIELD(OPCITEMATTRIBUTES, pBlob, 40, 28)                      \
  FIELD(OPCITEMATTRIBUTES, vtRequestedDataType, 48, 32)        \
  FIELD(OPCITEMATTRIBUTES, vtCanonicalDataType, 50, 34)        \
  FIELD(OPCITEMATTRIBUTES, dwEUType, 52, 36)                   \
  FIELD(OPCITEMATTRIBUTES, vEUInfo, 56, 40)

// ENUMERATOR(name): the enumerators of the OPC enumerations.
#define OPC_ENUMERATORS(ENUMERATOR)                                                                         \
  ENUMERATOR(OPC_DS_CACHE) ENUMERATOR(OPC_DS_DEVICE)                                                        \
  ENUMERATOR(OPC_BRANCH) ENUMERATOR(OPC_LEAF) ENUMERATOR(OPC_FLAT)                                          \
  ENUMERATOR(OPC_NS_HIERARCHIAL) ENUMERATOR(OPC_NS_FLAT)                                                    \
  ENUMERATOR(OPC_BROWSE_UP) ENUMERATOR(OPC_BROWSE_DOWN) ENUMERATOR(OPC_BROWSE_TO)                           \
  ENUMERATOR(OPC_NOENUM) ENUMERATOR(OPC_ANALOG) ENUMERATOR(OPC_ENUMERATED)                                  \
  ENUMERATOR(OPC_STATUS_RUNNING) ENUMERATOR(OPC_STATUS_FAILED) ENUMERATOR(OPC_STATUS_NOCONFIG)              \
  ENUMERATOR(OPC_STATUS_SUSPENDED) ENUMERATOR(OPC_STATUS_TEST)                                              \
  ENUMERATOR(OPC_ENUM_PRIVATE_CONNECTIONS) ENUMERATOR(OPC_ENUM_PUBLIC_CONNECTIONS)                          \
  ENUMERATOR(OPC_ENUM_ALL_CONNECTIONS) ENUMERATOR(OPC_ENUM_PRIVATE) ENUMERATOR(OPC_ENUM_PUBLIC)             \
  ENUMERATOR(OPC_ENUM_ALL)

// METHOD(interface, method, slot): every method, in vtable order (slots 0-2
// are IUnknown's).
#define OPC_METHODS(METHOD)                                               \
  METHOD(IOPCServer, AddGroup, 3)                                         \
  METHOD(IOPCServer, GetErrorString, 4)                                   \
  METHOD(IOPCServer, GetGroupByName, 5)                                   \
  METHOD(IOPCServer, GetStatus, 6)                                        \
  METHOD(IOPCServer, RemoveGroup, 7)                                      \
  METHOD(IOPCServer, CreateGroupEnumerator, 8)                            \
  METHOD(IOPCCommon, SetLocaleID, 3)                                      \
  METHOD(IOPCCommon, GetLocaleID, 4)                                      \
  METHOD(IOPCCommon, QueryAvailableLocaleIDs, 5)                          \
  METHOD(IOPCCommon, GetErrorString, 6)                                   \
  METHOD(IOPCCommon, SetClientName, 7)                                    \
  METHOD(IOPCShutdown, ShutdownRequest, 3)                                \
  METHOD(IOPCServerList, EnumClassesOfCategories, 3)                      \
  METHOD(IOPCServerList, GetClassDetails, 4)                              \
  METHOD(IOPCServerList, CLSIDFromProgID, 5)                              \
  METHOD(IOPCBrowseServerAddressSpace, QueryOrganization, 3)              \
  METHOD(IOPCBrowseServerAddressSpace, ChangeBrowsePosition, 4)           \
  METHOD(IOPCBrowseServerAddressSpace, BrowseOPCItemIDs, 5)               \
  METHOD(IOPCBrowseServerAddressSpace, GetItemID, 6)                      \
  METHOD(IOPCBrowseServerAddressSpace, BrowseAccessPaths, 7)              \
  METHOD(IOPCItemProperties, QueryAvailableProperties, 3)                 \
  METHOD(IOPCItemProperties, GetItemProperties, 4)                        \
  METHOD(IOPCItemProperties, LookupItemIDs, 5)                            \
  METHOD(IOPCItemMgt, AddItems, 3)                                        \
  METHOD(IOPCItemMgt, ValidateItems, 4)                                   \
  METHOD(IOPCItemMgt, RemoveItems, 5)                                     \
  METHOD(IOPCItemMgt, SetActiveState, 6)                                  \
  METHOD(IOPCItemMgt, SetClientHandles, 7)                                \
  METHOD(IOPCItemMgt, SetDatatypes, 8)                                    \
  METHOD(IOPCItemMgt, CreateEnumerator, 9)                                \
  METHOD(IOPCSyncIO, Read, 3)                                             \
  METHOD(IOPCSyncIO, Write, 4)                                            \
  METHOD(IOPCAsyncIO2, Read, 3)                                           \
  METHOD(IOPCAsyncIO2, Write, 4)                                          \
  METHOD(IOPCAsyncIO2, Refresh2, 5)                                       \
  METHOD(IOPCAsyncIO2, Cancel2, 6)                                        \
  METHOD(IOPCAsyncIO2, SetEnable, 7)                                      \
  METHOD(IOPCAsyncIO2, GetEnable, 8)                                      \
  METHOD(IOPCDataCallback, OnDataChange, 3)                               \
  METHOD(IOPCDataCallback, OnReadComplete, 4)                             \
  METHOD(IOPCDataCallback, OnWriteComplete, 5)                            \
  METHOD(IOPCDataCallback, OnCancelComplete, 6)                           \
  METHOD(IOPCGroupStateMgt, GetState, 3)                                  \
  METHOD(IOPCGroupStateMgt, SetState, 4)                                  \
  METHOD(IOPCGroupStateMgt, SetName, 5)                                   \
  METHOD(IOPCGroupStateMgt, CloneGroup, 6)                                \
  METHOD(IEnumOPCItemAttributes, Next, 3)                                 \
  METHOD(IEnumOPCItemAttributes, Skip, 4)                                 \
  METHOD(IEnumOPCItemAttributes, Reset, 5)                                \
  METHOD(IEnumOPCItemAttributes, Clone, 6)
