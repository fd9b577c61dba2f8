// The COM objects of the simulator and the helpers they share.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include <opcda.h>
#include <opcerror.h>
#ifdef _WIN32
#include <olectl.h>  // CONNECT_E_*; the native winerror.h has them
#endif

#include "core.h"

namespace opcsim {

class Group;

// ---- values (values.cpp) ------------------------------------------------------

bool IsSupportedType(VARTYPE vt);
// Converts for a client (VT_EMPTY: as it is). Arrays convert only to their own type.
HRESULT ConvertValue(const VARIANT& in, VARTYPE vt, VARIANT* out);
bool CanConvert(const VARIANT& sample, VARTYPE vt);
DATE FileTimeToDate(const FILETIME& ft);
// Reshapes a value read for a client as the options' hostile answers ask
// (foreignValueType, textShape); leaves it alone otherwise.
void MakeHostile(const Options& options, Variant* value);
std::string VarTypeText(VARTYPE vt);
// Evaluates a signal at a sample (signals.cpp): a value of the type, or an
// empty one when the type cannot hold the signal's value.
Variant EvaluateSignal(const Signal& signal, std::uint64_t sample, std::uint64_t* random, const FILETIME& now,
                       const FILETIME& start, VARTYPE type);

// ---- text of result codes (error_strings.cpp) ---------------------------------

bool IsSupportedLocale(LCID lcid);
HRESULT ErrorText(HRESULT code, wide_string* text);

// ---- enumerators (enumerators.cpp) ----------------------------------------------

struct StringSource {
  virtual ~StringSource() = default;
  virtual std::size_t Count() const = 0;
  // The element as a client gets it; empty when out of memory. Called with the core locked.
  virtual comown::task_string At(std::size_t index) const = 0;
};

class StringList final : public StringSource {
 public:
  StringList() = default;
  explicit StringList(std::vector<wide_string> items) : items_(std::move(items)) {}
  std::size_t Count() const override { return items_.size(); }
  comown::task_string At(std::size_t index) const override { return comown::task_copy(items_[index]); }

 private:
  std::vector<wide_string> items_;
};

struct ItemAttributes {
  wide_string accessPath;
  wide_string itemId;
  BOOL active = TRUE;
  OPCHANDLE hClient = 0;
  OPCHANDLE hServer = 0;
  DWORD access = 0;
  VARTYPE requested = VT_EMPTY;
  VARTYPE canonical = VT_EMPTY;
};

com_ptr<IEnumString> NewStringEnumerator(std::shared_ptr<Core> core, std::shared_ptr<const StringSource> source);
com_ptr<IEnumGUID> NewGuidEnumerator(std::shared_ptr<Core> core, std::vector<GUID> items);
com_ptr<IEnumUnknown> NewUnknownEnumerator(std::shared_ptr<Core> core, std::vector<com_ptr<IUnknown>> items);
com_ptr<IEnumOPCItemAttributes> NewItemAttributesEnumerator(std::shared_ptr<Core> core,
                                                            std::vector<ItemAttributes> items);

// ---- the server object (server.cpp, browse.cpp, item_properties.cpp) ----------

struct ServerState {
  unsigned serial = 0;
  std::size_t classIndex = 0;
  std::vector<com_ptr<Group>> groups;
  OPCHANDLE nextGroupHandle = 1;
  // The branches stepped into from the root, the browse position last: a
  // step up goes back the way the client came, also through links.
  std::vector<std::uint32_t> browsePath;
  std::uint32_t BrowseBranch() const { return browsePath.empty() ? AddressSpace::kRoot : browsePath.back(); }
  LCID locale = 0x0409;
  std::string clientName;
  FILETIME start = {0, 0};
  FILETIME lastUpdate = {0, 0};
};

class Server final : public ComObject,
                     public IOPCServer,
                     public IOPCCommon,
                     public IOPCBrowseServerAddressSpace,
                     public IOPCItemProperties {
 public:
  static HRESULT Create(std::shared_ptr<Core> core, std::size_t classIndex, REFIID riid, void** ppv);
  ~Server() override;

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return AddRefImpl(); }
  ULONG STDMETHODCALLTYPE Release() override { return ReleaseImpl(); }

  // IOPCServer
  HRESULT STDMETHODCALLTYPE AddGroup(LPCWSTR szName, BOOL bActive, DWORD dwRequestedUpdateRate, OPCHANDLE hClientGroup,
                                     LONG* pTimeBias, FLOAT* pPercentDeadband, DWORD dwLCID, OPCHANDLE* phServerGroup,
                                     DWORD* pRevisedUpdateRate, REFIID riid, LPUNKNOWN* ppUnk) override;
  HRESULT STDMETHODCALLTYPE GetErrorString(HRESULT dwError, LCID dwLocale, LPWSTR* ppString) override;
  HRESULT STDMETHODCALLTYPE GetGroupByName(LPCWSTR szName, REFIID riid, LPUNKNOWN* ppUnk) override;
  HRESULT STDMETHODCALLTYPE GetStatus(OPCSERVERSTATUS** ppServerStatus) override;
  HRESULT STDMETHODCALLTYPE RemoveGroup(OPCHANDLE hServerGroup, BOOL bForce) override;
  HRESULT STDMETHODCALLTYPE CreateGroupEnumerator(OPCENUMSCOPE dwScope, REFIID riid, LPUNKNOWN* ppUnk) override;

  // IOPCCommon
  HRESULT STDMETHODCALLTYPE SetLocaleID(LCID dwLcid) override;
  HRESULT STDMETHODCALLTYPE GetLocaleID(LCID* pdwLcid) override;
  HRESULT STDMETHODCALLTYPE QueryAvailableLocaleIDs(DWORD* pdwCount, LCID** pdwLcid) override;
  HRESULT STDMETHODCALLTYPE GetErrorString(HRESULT dwError, LPWSTR* ppString) override;
  HRESULT STDMETHODCALLTYPE SetClientName(LPCWSTR szName) override;

  // IOPCBrowseServerAddressSpace (browse.cpp)
  HRESULT STDMETHODCALLTYPE QueryOrganization(OPCNAMESPACETYPE* pNameSpaceType) override;
  HRESULT STDMETHODCALLTYPE ChangeBrowsePosition(OPCBROWSEDIRECTION dwBrowseDirection, LPCWSTR szString) override;
  HRESULT STDMETHODCALLTYPE BrowseOPCItemIDs(OPCBROWSETYPE dwBrowseFilterType, LPCWSTR szFilterCriteria,
                                             VARTYPE vtDataTypeFilter, DWORD dwAccessRightsFilter,
                                             LPENUMSTRING* ppIEnumString) override;
  HRESULT STDMETHODCALLTYPE GetItemID(LPWSTR szItemDataID, LPWSTR* szItemID) override;
  HRESULT STDMETHODCALLTYPE BrowseAccessPaths(LPCWSTR szItemID, LPENUMSTRING* ppIEnumString) override;

  // IOPCItemProperties (item_properties.cpp)
  HRESULT STDMETHODCALLTYPE QueryAvailableProperties(LPWSTR szItemID, DWORD* pdwCount, DWORD** ppPropertyIDs,
                                                     LPWSTR** ppDescriptions, VARTYPE** ppvtDataTypes) override;
  HRESULT STDMETHODCALLTYPE GetItemProperties(LPWSTR szItemID, DWORD dwCount, DWORD* pdwPropertyIDs, VARIANT** ppvData,
                                              HRESULT** ppErrors) override;
  HRESULT STDMETHODCALLTYPE LookupItemIDs(LPWSTR szItemID, DWORD dwCount, DWORD* pdwPropertyIDs,
                                          LPWSTR** ppszNewItemIDs, HRESULT** ppErrors) override;

 private:
  Server(std::shared_ptr<Core> core, std::size_t classIndex);
  MethodCall Begin(const char* method);
  HRESULT ErrorStringFor(MethodCall& call, HRESULT code, LPWSTR* ppString);
  std::uint32_t ResolveLeaf(const WCHAR* itemId, HRESULT* error) const;  // core locked
  bool PassesFilters(std::uint32_t leaf, VARTYPE vt, DWORD access) const;  // core locked

  std::shared_ptr<Core> core_;
  std::shared_ptr<ServerState> state_;
};

// ---- groups (group.cpp, item_mgt.cpp, sync_io.cpp, async_io.cpp, connection_point.cpp)

struct GroupSettings {
  wide_string name;
  bool active = true;
  DWORD updateRate = 1000;
  OPCHANDLE hClientGroup = 0;
  LONG timeBias = 0;
  FLOAT deadband = 0.0f;
  LCID lcid = 0;
};

struct GroupItem {
  OPCHANDLE hServer = 0;
  OPCHANDLE hClient = 0;
  std::uint32_t leaf = 0;
  wide_string itemId;
  wide_string accessPath;
  VARTYPE requested = VT_EMPTY;
  bool active = true;
  bool notified = false;
  FILETIME lastNotified = {0, 0};
};

// Creates a group in the server's list (core locked by the caller). Fails with
// OPC_E_DUPLICATENAME for a taken name; an empty name gets a generated one.
HRESULT CreateGroup(const std::shared_ptr<Core>& core, const std::shared_ptr<ServerState>& server,
                    GroupSettings settings, com_ptr<Group>* group);
// Takes a group made by CreateGroup out of the server's list again, for a call
// that failed after creating it (locks the core itself).
void DropCreatedGroup(Core& core, ServerState& server, const Group* group);
// Stores a value written by a client or a test, converted to the item's
// canonical type (core locked). OPC_E_BADTYPE or OPC_E_RANGE when it does not fit.
HRESULT StoreConverted(AddressSpace& space, std::uint32_t leaf, const VARIANT& value);
// Reads one item for a client (core locked): its state, with the value in the
// item's requested type. A cache read of an inactive item or group reports
// OPC_QUALITY_OUT_OF_SERVICE; a device read samples now.
HRESULT ReadItem(Core& core, const Group& group, const GroupItem& item, OPCDATASOURCE source, ItemState* state);
// Sends the queued completions / data changes (async_io.cpp).
int DeliverPendingCompletions(Core& core);
int PublishDataChanges(const std::shared_ptr<Core>& core);

class Group final : public ComObject,
                    public IOPCItemMgt,
                    public IOPCSyncIO,
                    public IOPCAsyncIO2,
                    public IOPCGroupStateMgt,
                    public IConnectionPointContainer {
 public:
  Group(std::shared_ptr<Core> core, std::weak_ptr<ServerState> server, GroupSettings settings, OPCHANDLE handle);
  ~Group() override;

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return AddRefImpl(); }
  ULONG STDMETHODCALLTYPE Release() override { return ReleaseImpl(); }

  // IOPCItemMgt (item_mgt.cpp)
  HRESULT STDMETHODCALLTYPE AddItems(DWORD dwCount, OPCITEMDEF* pItemArray, OPCITEMRESULT** ppAddResults,
                                     HRESULT** ppErrors) override;
  HRESULT STDMETHODCALLTYPE ValidateItems(DWORD dwCount, OPCITEMDEF* pItemArray, BOOL bBlobUpdate,
                                          OPCITEMRESULT** ppValidationResults, HRESULT** ppErrors) override;
  HRESULT STDMETHODCALLTYPE RemoveItems(DWORD dwCount, OPCHANDLE* phServer, HRESULT** ppErrors) override;
  HRESULT STDMETHODCALLTYPE SetActiveState(DWORD dwCount, OPCHANDLE* phServer, BOOL bActive,
                                           HRESULT** ppErrors) override;
  HRESULT STDMETHODCALLTYPE SetClientHandles(DWORD dwCount, OPCHANDLE* phServer, OPCHANDLE* phClient,
                                             HRESULT** ppErrors) override;
  HRESULT STDMETHODCALLTYPE SetDatatypes(DWORD dwCount, OPCHANDLE* phServer, VARTYPE* pRequestedDatatypes,
                                         HRESULT** ppErrors) override;
  HRESULT STDMETHODCALLTYPE CreateEnumerator(REFIID riid, LPUNKNOWN* ppUnk) override;

  // IOPCSyncIO (sync_io.cpp)
  HRESULT STDMETHODCALLTYPE Read(OPCDATASOURCE dwSource, DWORD dwCount, OPCHANDLE* phServer,
                                 OPCITEMSTATE** ppItemValues, HRESULT** ppErrors) override;
  HRESULT STDMETHODCALLTYPE Write(DWORD dwCount, OPCHANDLE* phServer, VARIANT* pItemValues,
                                  HRESULT** ppErrors) override;

  // IOPCAsyncIO2 (async_io.cpp); Read and Write overload IOPCSyncIO's.
  HRESULT STDMETHODCALLTYPE Read(DWORD dwCount, OPCHANDLE* phServer, DWORD dwTransactionID, DWORD* pdwCancelID,
                                 HRESULT** ppErrors) override;
  HRESULT STDMETHODCALLTYPE Write(DWORD dwCount, OPCHANDLE* phServer, VARIANT* pItemValues, DWORD dwTransactionID,
                                  DWORD* pdwCancelID, HRESULT** ppErrors) override;
  HRESULT STDMETHODCALLTYPE Refresh2(OPCDATASOURCE dwSource, DWORD dwTransactionID, DWORD* pdwCancelID) override;
  HRESULT STDMETHODCALLTYPE Cancel2(DWORD dwCancelID) override;
  HRESULT STDMETHODCALLTYPE SetEnable(BOOL bEnable) override;
  HRESULT STDMETHODCALLTYPE GetEnable(BOOL* pbEnable) override;

  // IOPCGroupStateMgt (group.cpp)
  HRESULT STDMETHODCALLTYPE GetState(DWORD* pUpdateRate, BOOL* pActive, LPWSTR* ppName, LONG* pTimeBias,
                                     FLOAT* pPercentDeadband, DWORD* pLCID, OPCHANDLE* phClientGroup,
                                     OPCHANDLE* phServerGroup) override;
  HRESULT STDMETHODCALLTYPE SetState(DWORD* pRequestedUpdateRate, DWORD* pRevisedUpdateRate, BOOL* pActive,
                                     LONG* pTimeBias, FLOAT* pPercentDeadband, DWORD* pLCID,
                                     OPCHANDLE* phClientGroup) override;
  HRESULT STDMETHODCALLTYPE SetName(LPCWSTR szName) override;
  HRESULT STDMETHODCALLTYPE CloneGroup(LPCWSTR szName, REFIID riid, LPUNKNOWN* ppUnk) override;

  // IConnectionPointContainer (connection_point.cpp)
  HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** ppEnum) override;
  HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint** ppCP) override;

  // State, guarded by the core's mutex.
  GroupSettings settings;
  OPCHANDLE handle;
  bool enabled = true;
  std::vector<GroupItem> items;
  std::unordered_map<OPCHANDLE, std::size_t> itemIndex;  // server handle -> position in items
  std::vector<std::pair<DWORD, com_ptr<IOPCDataCallback>>> sinks;
  DWORD nextCookie = 1;

  GroupItem* FindItem(OPCHANDLE hServer);  // core locked
  // The per-item error that turns down reading (OPC_READABLE) or writing
  // (OPC_WRITEABLE) the item: a Refuse rule of the call, or the missing right.
  std::optional<HRESULT> Refusal(const MethodCall& call, const GroupItem& item, DWORD right) const;  // core locked
  void Reindex();                          // core locked, after items changed
  MethodCall Begin(const char* method);
  const std::shared_ptr<Core>& core() const { return core_; }

  // Connection point calls (connection_point.cpp).
  HRESULT Advise(IUnknown* sink, DWORD* cookie);
  HRESULT Unadvise(DWORD cookie);

 private:
  HRESULT AddOrValidate(bool add, DWORD dwCount, OPCITEMDEF* pItemArray, OPCITEMRESULT** ppResults,
                        HRESULT** ppErrors);
  // Sends the completion now or queues it, per the simulator's delivery mode.
  // Called without the core lock.
  void Complete(DWORD cancelId, std::function<void()> deliver, std::function<void()> cancel);
  void CreatePoint();
  void DestroyPoint();

  class Point;
  std::shared_ptr<Core> core_;
  std::weak_ptr<ServerState> server_;
  Point* point_;
  friend class Point;
};

// ---- server list, class objects and ProgIDs (server_list.cpp, class_objects.cpp, progids.cpp)

// A server class of a simulator on a host, as the host's server list lists it.
struct HostClass {
  std::shared_ptr<Core> core;
  std::size_t classIndex;
};
// The classes the simulators registered on a host, each class once.
std::vector<HostClass> ClassesOnHost(const std::string& host);
void AddHostClasses(const std::shared_ptr<Core>& core);
void RemoveHostClasses(const Core& core);
HRESULT CreateServerList(const std::string& host, std::shared_ptr<Core> core, REFIID riid, void** ppv);

// The class index that stands for a simulator's server list.
constexpr std::size_t kServerList = static_cast<std::size_t>(-1);
// Serves `clsid` with the simulator's class (or its server list) on the host of
// its options, from the calling thread's apartment: registers the class object,
// or joins the one another simulator registered there, which this one now serves.
HRESULT JoinClassObject(const std::shared_ptr<Core>& core, std::size_t classIndex, REFCLSID clsid,
                        std::shared_ptr<SharedClassObject>* joined);
// The simulator stops serving it; the last one revokes it (from the apartment that registered it).
void LeaveClassObject(const std::shared_ptr<SharedClassObject>& joined, const Core& core);

// Names `clsid` with the ProgID in the registry for as long as the simulator uses it.
void UseProgId(const Core& core, const std::string& progId, REFCLSID clsid);
// Ends the simulator's uses; a ProgID another simulator uses stays, naming that one's class.
void DropProgIds(const Core& core);

}  // namespace opcsim
