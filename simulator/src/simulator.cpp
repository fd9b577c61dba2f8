// The Simulator facade: registration of its classes, and the guarded access
// tests have to its address space, values and status.
#include "objects.h"

extern "C" const CLSID CLSID_OpcSimDAServer = {0xCFE1FC40, 0x42BB, 0x4694,
                                               {0xAF, 0x1B, 0xCD, 0xCD, 0x7A, 0xE6, 0xEC, 0xEE}};

namespace opcsim {

ServerClass ServerClass::Numbered(int n) {
  ServerClass cls;
  cls.clsid.Data4[7] = static_cast<unsigned char>(cls.clsid.Data4[7] + n);
  cls.progId = "OpcSim.DAServer" + std::to_string(n) + ".1";
  cls.userType = "Simulation OPC DA Server " + std::to_string(n);
  return cls;
}

Simulator::Simulator() : Simulator(Options()) {}

Simulator::Simulator(Options options) : core_(std::make_shared<Core>(std::move(options))) { Register(); }

Simulator::~Simulator() { Revoke(); }

void Simulator::Register() {
  AddHostClasses(core_);
  const Options& options = core_->options;
  auto serve = [&](std::size_t classIndex, REFCLSID clsid) {
    std::shared_ptr<SharedClassObject> joined;
    const HRESULT hr = JoinClassObject(core_, classIndex, clsid, &joined);
    if (FAILED(hr)) registration_ = hr;
    else classObjects_.push_back(std::move(joined));
    return SUCCEEDED(hr);
  };
  for (std::size_t i = 0; i < options.classes.size(); ++i)
    if (serve(i, options.classes[i].clsid) && options.registerProgIds)
      UseProgId(*core_, options.classes[i].progId, options.classes[i].clsid);
  if (options.serverList) serve(kServerList, CLSID_OpcServerList);
}

void Simulator::Revoke() {
  RemoveHostClasses(*core_);
  for (const std::shared_ptr<SharedClassObject>& joined : classObjects_) LeaveClassObject(joined, *core_);
  classObjects_.clear();
  DropProgIds(*core_);
}

const CLSID& Simulator::Clsid() const { return core_->options.classes.front().clsid; }
const std::string& Simulator::ProgId() const { return core_->options.classes.front().progId; }
FaultTable& Simulator::Faults() { return core_->faults; }
CallLog& Simulator::Calls() { return core_->calls; }
AddressSpace& Simulator::Space() { return *core_->space; }
std::unique_lock<std::mutex> Simulator::Lock() { return std::unique_lock<std::mutex>(core_->mutex); }

HRESULT Simulator::SetValue(const std::string& itemId, const VARIANT& value) {
  std::lock_guard<std::mutex> lock(core_->mutex);
  std::uint32_t leaf = core_->space->FindLeaf(itemId);
  if (leaf == AddressSpace::kNone) return OPC_E_UNKNOWNITEMID;
  return StoreConverted(*core_->space, leaf, value);
}

HRESULT Simulator::SetQuality(const std::string& itemId, WORD quality) {
  std::lock_guard<std::mutex> lock(core_->mutex);
  std::uint32_t leaf = core_->space->FindLeaf(itemId);
  if (leaf == AddressSpace::kNone) return OPC_E_UNKNOWNITEMID;
  core_->space->SetQuality(leaf, quality);
  return S_OK;
}

HRESULT Simulator::GetValue(const std::string& itemId, Variant* value, WORD* quality) {
  std::lock_guard<std::mutex> lock(core_->mutex);
  std::uint32_t leaf = core_->space->FindLeaf(itemId);
  if (leaf == AddressSpace::kNone) return OPC_E_UNKNOWNITEMID;
  ItemState state = core_->space->Current(leaf);
  if (value) *value = state.value;
  if (quality) *quality = state.quality;
  return S_OK;
}

void Simulator::SetServerState(DWORD state) {
  std::lock_guard<std::mutex> lock(core_->mutex);
  for (ServerClass& cls : core_->options.classes) cls.state = state;
}

int Simulator::DeliverCompletions() { return DeliverPendingCompletions(*core_); }
int Simulator::PublishDataChanges() { return opcsim::PublishDataChanges(core_); }

}  // namespace opcsim
