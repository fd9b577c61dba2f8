// VEMDcnOpcClient: the one object through which a host application talks to
// one OPC Data Access server, on this machine or on a remote host.
//
// Every operation that returns long returns an HRESULT. When it fails with an
// error object, the object is the calling thread's last error for the code
// returned: fetch it with QARError::QARGetLastError(hr).
#pragma once

#include <objbase.h>

#include <memory>

#include "QARHashDicVEMDcnOpcItem.h"
#include "QARListPtrVEMDcnOpcGroup.h"
#include "QARListVal.h"
#include "QARRawCollVARTYPE.h"
#include "QARUnicodeString.h"
#include "VEMDcnExport.h"
#include "VEMDcnOpcError.h"
#include "comown.h"
#include "opcda.h"

class VEMDcnOpcItemTreeNode;
class VEMDcnOpcDataCallback;
namespace vemdcn {
class BranchVisitor;
}

class VEMDCN_EXPORT VEMDcnOpcClient {
 public:
  explicit VEMDcnOpcClient(const unsigned char& useGlobalInterfaceTable = false);
  // Stops the client. It never raises, whoever owns the client: a failed stop
  // is logged as an unhandled error and kept as the thread's last error.
  virtual ~VEMDcnOpcClient();

  VEMDcnOpcClient(const VEMDcnOpcClient&) = delete;
  VEMDcnOpcClient& operator=(const VEMDcnOpcClient&) = delete;

  // Connection
  long OpcStart(const QARUnicodeString& serverName, const QARUnicodeString& hostName, unsigned int updateRate,
                float percentDeadband);
  long OpcStop();
  long SetHostName(const QARUnicodeString& hostName);
  long GetOpcSrvName(QARUnicodeString& serverName);
  long GetOpcServerCLSID(unsigned short* progID, GUID& clsid);

  // Server status and discovery
  long GetServerStatus(QARUnicodeString& statusText, QARUnicodeString& stateText);
  long GetOpcServerList(QARListValQARUnicodeString** serverList);

  // Data types
  void GetSupportedDataType(QARRawCollVARTYPE& dataTypes);

  // Browsing
  unsigned char OPCBrowserIsAvailable();
  long BrowseToRoot();
  long GetFullyQualifiedItem(const unsigned short* name, unsigned short*& fullItemID);
  long GetOpcItemsList(const QARUnicodeString& pattern, QARHashDicVEMDcnOpcItem** items);
  long GetOpcItemsList(const QARUnicodeString& pattern, VARTYPE dataType, const QARUnicodeString& access,
                       QARHashDicVEMDcnOpcItem** items);
  long GetOpcItemsTree(const QARUnicodeString& pattern, VEMDcnOpcItemTreeNode& root);
  long ValidateTags(QARListValQARBaseUnknown_var& tags);

  // Groups and data exchange
  long DefineGroup(unsigned short* const groupName, unsigned long nbItems, unsigned short* const accessPath,
                   const unsigned short* const* itemIDs, const VARIANT* requestedTypes,
                   unsigned long& serverGroupHandle, const unsigned char& useGIT, const unsigned char& active,
                   const unsigned char& asyncWrite);
  long SyncReadGroup(unsigned long groupHandle, VARIANT* values, const unsigned char& useGIT, OPCDATASOURCE source);
  long SyncWriteGroup(unsigned long groupHandle, VARIANT* values, const unsigned char& useGIT);
  long ASyncWriteGroup(unsigned long groupHandle, VARIANT* values, const unsigned char& useGIT);

 private:
  friend class VEMDcnOpcClientInspector;  // read-only view for the library's tests

  // The server's interfaces, the groups defined on it and the asynchronous
  // subscription, as one value that gives all of it back when it goes.
  struct Connection;

  // Views of the connection: null, empty or 0 while there is none.
  IOPCServer* _pOPCServer() const;
  IOPCCommon* _pOPCCommon() const;
  IOPCBrowseServerAddressSpace* _pBrowseAddressSpace() const;
  IOPCItemProperties* _pItemProperties() const;
  const QARListPtrVEMDcnOpcGroup& _Groups() const;
  VEMDcnOpcDataCallback* _pDataCallback() const;
  IConnectionPoint* _pConnectionPoint() const;
  unsigned int _AdviseCookie() const;

  void _Init();
  long _InitializeCOMLibrary();
  long _UnitializeCOMLibrary();
  long _BuildServerInfoStruct(const QARUnicodeString& hostName, COSERVERINFO* serverInfo) const;
  void _InitializeMultiQIarray(unsigned char setIdentifiers);
  long _CreateLocalOrRemoteServer(const QARUnicodeString& hostName, const GUID& clsid, MULTI_QI* multiQI,
                                  int count);
  long _DispatchInterfaces();
  long _ActivateServerList(comown::com_ptr<IOPCServerList>& serverList);
  QARUnicodeString _GetServerState(OPCSERVERSTATE state);
  VEMDcnOpcError* _GetError(long hr, QARUnicodeString context, IUnknown* object);
  void _ConcatenateErrors(long hr, const QARUnicodeString& context, VEMDcnOpcError** error);
  long _LogTrace(QARUnicodeString& line) const;
  long _TraceLine(const char* line) const;
  static void _MeasureTicksPerMicrosecond();
  void _LogDuration(const char* prefix, LONGLONG startTicks, unsigned int count, const char* countFormat) const;
  void _InitSupportedDataType();
  unsigned char MatchPattern(const unsigned short* string, const unsigned short* pattern, unsigned char caseSensitive);
  long _QueryOrganization(OPCNAMESPACETYPE& organisation);
  long _BrowseOPCItemIDs(const QARUnicodeString& pattern, DWORD accessRights, VARTYPE dataType,
                         QARHashDicVEMDcnOpcItem** items);
  long _BrowseOPCItemIDs(const QARUnicodeString& pattern, DWORD accessRights, VARTYPE dataType,
                         VEMDcnOpcItemTreeNode& root);
  long _BrowseBranch(const QARUnicodeString& pattern, VARTYPE dataType, DWORD accessRights,
                     QARHashDicVEMDcnOpcItem** items);
  long _BrowseBranch(const QARUnicodeString& pattern, VARTYPE dataType, DWORD accessRights,
                     VEMDcnOpcItemTreeNode& node);
  // The depth-first walk both _BrowseBranch overloads share (VEMDcnOpcClientWalk.h).
  long _WalkBranch(const QARUnicodeString& pattern, VARTYPE dataType, DWORD accessRights,
                   vemdcn::BranchVisitor& visitor);
  long _BrowseFlat(const QARUnicodeString& pattern, VARTYPE dataType, DWORD accessRights,
                   QARHashDicVEMDcnOpcItem** items);
  long _AsyncInterfaceInit(VEMDcnOpcGroup* group);
  long _AsyncInterfaceEnd();

  std::unique_ptr<Connection> _Connection;
  MULTI_QI _MultiQI[4];
  QARUnicodeString _HostName;
  QARUnicodeString _ServerName;
  unsigned int _ErrorId;
  QARRawCollVARTYPE _SupportedDataTypes;
  float _PercentDeadband;
  unsigned int _UpdateRate;
  unsigned char _Started;
  unsigned char _ComInitialized;
  DWORD _ComThreadId;  // the thread whose CoInitializeEx _ComInitialized records
  unsigned char _TraceOn;
  unsigned int _NextClientHandle;
  comown::com_ptr<IGlobalInterfaceTable> _pGIT;
  unsigned char _BrowseAvailable;
  unsigned int _BrowseBranchCount;

  // Bounds of every walk over the server's address space, so that a space
  // without end (a branch that contains itself, a climb that never meets the
  // root, an enumeration that never ends) cannot hold the client forever.
  // VEMDcnOpcClientWalk.h gives the reasons for the values.
  struct BrowseLimits {
    static constexpr unsigned int kDepth = 256;             // branch levels below the root
    static constexpr unsigned int kClimb = 256;             // steps up of one climb to the root
    static constexpr unsigned int kEnumeration = 10000000;  // names of one enumeration
    static constexpr unsigned int kWalk = 20000000;         // names of one walk, all enumerations
    unsigned int depth = kDepth;
    unsigned int climb = kClimb;
    unsigned int enumeration = kEnumeration;
    unsigned int walk = kWalk;
  };
  // The walk that runs: levels below its start, names fetched, and whether
  // its climb to the root gave up at the bound.
  struct BrowseProgress {
    unsigned int depth = 0;
    unsigned int names = 0;
    bool climbGaveUp = false;
  };
  BrowseLimits _BrowseLimits;
  BrowseProgress _BrowseProgress;

  // Shared by every client of the process, under the trace lock.
  static QARUnicodeString _TraceText;
  static ULONGLONG _TicksPerMicrosecond;
};
