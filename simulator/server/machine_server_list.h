// The server-list component of a machine, as a local server serves it: the
// server classes the machine's component categories name, whatever process
// implements them.
#pragma once

#include <memory>

#include <windows.h>

namespace opcsim {
struct Core;
}

namespace opcsim_server {

// Registers the class object of CLSID_OpcServerList for other processes while
// it lives (on the thread that made it). The core lends its enumerators.
class MachineServerListRegistration {
 public:
  explicit MachineServerListRegistration(std::shared_ptr<opcsim::Core> core);
  ~MachineServerListRegistration();
  MachineServerListRegistration(const MachineServerListRegistration&) = delete;
  MachineServerListRegistration& operator=(const MachineServerListRegistration&) = delete;

  HRESULT Result() const { return result_; }

 private:
  DWORD cookie_ = 0;
  HRESULT result_ = E_FAIL;
};

}  // namespace opcsim_server
