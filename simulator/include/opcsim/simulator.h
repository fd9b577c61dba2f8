// The simulation OPC DA server: a real COM server for tests and the
// command-line client.
//
//   CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
//   {
//     opcsim::Simulator sim;                       // demo plant, "OpcSim.DAServer.1"
//     sim.Faults().Add(opcsim::Fault::Fail("IOPCServer::GetStatus", E_FAIL));
//     ... activate CLSID_OpcSimDAServer or the ProgID through COM ...
//     EXPECT_EQ(1u, sim.Calls().Count("IOPCServer::GetStatus"));
//   }
//   EXPECT_EQ(0, opcsim::LiveObjects());
//
// The constructor registers the class objects on the calling thread (which
// must have entered COM; under Wine an apartment-threaded registration is only
// visible to activations from that apartment) and the destructor revokes them,
// on the same thread. Simulators may share a class, a ProgID and a host: the
// latest one serves them, and they stay registered while any of them lives.
// Objects handed to clients keep working after the simulator is gone.
//
// Asynchronous completions (IOPCAsyncIO2) are delivered on the calling thread,
// from within the call, after its out-parameters are filled (Immediate), or
// kept until DeliverCompletions() (Queued, which lets tests cancel them).
// Data-change notifications are sent only when a test calls PublishDataChanges():
// the server has no thread of its own, so tests stay deterministic.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include <opcda.h>

#include "address_space.h"
#include "call_log.h"
#include "faults.h"
#include "variant.h"

extern "C" const CLSID CLSID_OpcSimDAServer;  // {CFE1FC40-42BB-4694-AF1B-CDCD7AE6ECEE}

namespace opcsim {

// A registered server class: identity, categories, interfaces and status.
struct ServerClass {
  CLSID clsid = CLSID_OpcSimDAServer;
  std::string progId = "OpcSim.DAServer.1";
  std::string userType = "Simulation OPC DA Server";
  std::vector<CATID> categories = {CATID_OPCDAServer10, CATID_OPCDAServer20};
  // Interfaces the server object answers besides IUnknown.
  bool server = true;
  bool common = true;
  bool browse = true;
  bool properties = true;
  // GetStatus answers.
  std::string vendor = "Simulation OPC DA Server";
  WORD majorVersion = 2;
  WORD minorVersion = 5;
  WORD buildNumber = 0;
  DWORD state = OPC_STATUS_RUNNING;  // any value, 6 included
  // Non-zero: IOPCServerList::GetClassDetails fails with it for this class.
  HRESULT classDetailsError = S_OK;

  // The n-th extra class (n >= 1): its own CLSID, ProgID "OpcSim.DAServerN.1"
  // and user type "Simulation OPC DA Server N".
  static ServerClass Numbered(int n);
};

enum class AccessFilter {
  AnyBit,  // a leaf passes when it has any of the filter's rights (3: readable or writable)
  AllBits  // a leaf passes only when it has every right of the filter
};
enum class AsyncDelivery { Immediate, Queued };

struct Options {
  std::vector<ServerClass> classes = {ServerClass{}};
  // Address space; null: the demo plant.
  std::shared_ptr<AddressSpace> space;
  OPCNAMESPACETYPE organisation = OPC_NS_HIERARCHIAL;
  // Native target: register on this simulated remote host instead of locally.
  // The windows target registers locally whatever the name.
  std::string host;
  // Register the server-list component (CLSID_OpcServerList) on the host.
  bool serverList = true;
  // Data-type filter of BrowseOPCItemIDs: canonical type only, or every type
  // the item's value converts to.
  bool filterConverts = false;
  AccessFilter accessFilter = AccessFilter::AnyBit;
  AsyncDelivery asyncDelivery = AsyncDelivery::Immediate;
  // Enumerators answer S_FALSE when they fetch fewer elements than asked, as
  // the standard wants; false models servers that answer S_OK.
  bool enumeratorsEndWithSFalse = true;
  // A hostile server: past their end, enumerators answer S_OK with their last
  // element again, forever.
  bool enumeratorsNeverEnd = false;
  // A hostile server: OPC_BROWSE_UP succeeds at the root too, where the
  // position stays, so that a climb to the root never meets a refusal.
  bool browseUpNeverRefused = false;
  // Fastest update rate in ms; slower requests are granted as asked.
  DWORD minUpdateRate = 10;

  // Hostile answers that no fault rule expresses.
  // Enumerators' Next reports this many elements more than it hands out: the
  // slots past the real ones stay null (or zero), and past the end a Next
  // reports elements although it hands out none.
  ULONG enumeratorsOverstate = 0;
  // Not VT_EMPTY: every value read (sync, async, data change) comes with this
  // type whatever the item holds, with a zero payload (an array type: a
  // vector of two zero elements), and item results name it as the canonical
  // type. Any number fits, also one that names no type at all.
  VARTYPE foreignValueType = VT_EMPTY;
  // The shape of the text values read. A BSTR carries its own length, and
  // only it can say where a text ends other than by a terminator: item IDs
  // and other LPWSTR texts have no length to disagree with.
  enum class TextShape {
    Terminated,   // as every server should
    EmbeddedNul,  // the declared length runs past a NUL, into a tail
    Unterminated  // the unit at the declared length is no NUL
  };
  TextShape textShape = TextShape::Terminated;
};

struct Core;
struct SharedClassObject;

class Simulator {
 public:
  Simulator();
  explicit Simulator(Options options);
  ~Simulator();
  Simulator(const Simulator&) = delete;
  Simulator& operator=(const Simulator&) = delete;

  // S_OK when every class object was registered.
  HRESULT RegistrationResult() const { return registration_; }
  const CLSID& Clsid() const;       // of the first class
  const std::string& ProgId() const;

  FaultTable& Faults();
  CallLog& Calls();

  // Guarded access to the address space and to status values.
  AddressSpace& Space();            // lock with Lock() while a client may browse
  std::unique_lock<std::mutex> Lock();
  HRESULT SetValue(const std::string& itemId, const VARIANT& value);  // converts to the canonical type
  HRESULT SetQuality(const std::string& itemId, WORD quality);
  HRESULT GetValue(const std::string& itemId, Variant* value, WORD* quality = nullptr);
  void SetServerState(DWORD state);  // for every class of this simulator

  // Sends pending asynchronous completions (AsyncDelivery::Queued); returns how many.
  int DeliverCompletions();
  // Sends OnDataChange to every active, enabled group with a subscriber, for the
  // active items whose value changed since the last notification. Returns the
  // number of callbacks made.
  int PublishDataChanges();

  std::shared_ptr<Core> core() const { return core_; }

 private:
  void Register();
  void Revoke();

  std::shared_ptr<Core> core_;
  // The class objects this simulator serves, shared with the simulators that
  // serve the same class on the same host in the same apartment.
  std::vector<std::shared_ptr<SharedClassObject>> classObjects_;
  HRESULT registration_ = S_OK;
};

// Number of simulator COM objects alive in the process: servers, groups (with
// their connection point), enumerators and server lists; not the class objects,
// which live as long as the registration.
long LiveObjects();

}  // namespace opcsim
