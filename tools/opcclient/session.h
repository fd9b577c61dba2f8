// The client session of a command: a client started on the server the user
// named, or on the simulation server embedded in this program when none was
// named, and stopped at the end.
#pragma once

#include <memory>
#include <string>

#include "VEMDcnOpcClient.h"
#include "console.h"

namespace opcsim {
class Simulator;
}

namespace opcclient {

struct ServerChoice {
  std::string server;  // ProgID; empty: the embedded simulator
  std::string host;    // empty: this machine
  // The embedded simulator's address space: a file in the simulator's text
  // format, or a generated one ("DEPTHxFANOUTxLEAVES"); both empty: the demo plant.
  std::string simSpace;
  std::string simGenerate;
};

// The embedded simulation server, registered in this process while it lives.
// Null, with the reason written to err, when its address space cannot be made.
std::unique_ptr<opcsim::Simulator> StartSimulator(const ServerChoice& choice, Console& console);

class Session {
 public:
  Session();
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // Starts the client; a failure is reported and gives its exit code,
  // kSucceeded otherwise.
  int Open(const ServerChoice& choice, Console& console);
  // Stops the client; a failed stop is reported.
  int Close(Console& console);

  VEMDcnOpcClient& Client() { return client_; }
  const std::string& Server() const { return server_; }
  const std::string& Host() const { return host_; }

 private:
  // Declared first, so that it goes last: the client is stopped before the
  // server it talks to is revoked.
  std::unique_ptr<opcsim::Simulator> simulator_;
  VEMDcnOpcClient client_;
  std::string server_;
  std::string host_;
  bool open_ = false;
};

}  // namespace opcclient
