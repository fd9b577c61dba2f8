// The host scenarios the fault sweep runs: a prologue that sets the client up
// without faults, and a body whose server calls the sweep answers with faults.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "client_test_support.h"

namespace sweep {

// What one operation of a body returned, and how a host would learn why it
// failed: the error object kept under its code, or the error log's line.
struct Outcome {
  std::string operation;
  long hr = S_OK;
  clienttest::ReportedError error;
  bool nullLine = false;  // "Invalid NULL (input) pointer" was logged by it
};

// One client on one simulator, made with or without the Global Interface Table.
class Session {
 public:
  Session(const opcsim::Options& options, unsigned char git, clienttest::CapturedLog& log)
      : sim(options), client(std::make_unique<VEMDcnOpcClient>(git)), git_(git), log_(log) {}

  // Keeps what an operation returned, with its error taken from the thread.
  long Note(const char* operation, long hr);
  unsigned char git() const { return git_; }

  opcsim::Simulator sim;
  std::unique_ptr<VEMDcnOpcClient> client;
  std::vector<Outcome> outcomes;
  unsigned long groups[2] = {0, 0};  // server handles: the plain group, the asynchronous one

 private:
  unsigned char git_;
  clienttest::CapturedLog& log_;
};

struct Scenario {
  const char* name;
  unsigned char git;  // the client is made with the table, and its groups use it
  bool flat;          // the server's space is flat
  void (*prologue)(Session&);
  void (*body)(Session&);
};

const std::vector<Scenario>& Scenarios();
// The server a scenario runs against.
opcsim::Options OptionsOf(const Scenario& scenario);

// The items of the scenarios' space, and the one a per-item refusal names.
extern const char* const kSpace;
extern const char* const kRefusedItem;

}  // namespace sweep
