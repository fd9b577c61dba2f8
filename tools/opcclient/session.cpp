#include "session.h"

#include <cstdio>

#include "errors.h"
#include "opcsim/simulator.h"
#include "text.h"

namespace opcclient {

namespace {

bool ParseGeneratorParams(const std::string& text, opcsim::GeneratorParams& params) {
  unsigned depth = 0, fanOut = 0, leaves = 0;
  char end = 0;
  if (std::sscanf(text.c_str(), "%ux%ux%u%c", &depth, &fanOut, &leaves, &end) != 3) return false;
  // Far more than a listing can show, far less than the simulator can hold.
  double total = leaves;
  for (unsigned level = 0; level < depth; ++level) total *= fanOut;
  if (depth == 0 || depth > 32 || fanOut == 0 || leaves == 0 || total > 5e6) return false;
  params.depth = depth;
  params.fanOut = fanOut;
  params.leavesPerBranch = leaves;
  return true;
}

}  // namespace

std::unique_ptr<opcsim::Simulator> StartSimulator(const ServerChoice& choice, Console& console) {
  opcsim::Options options;
  if (!choice.simSpace.empty()) {
    std::string error;
    options.space = opcsim::LoadAddressSpaceFile(choice.simSpace, &error);
    if (!options.space) {
      console.err << "opcclient: cannot load the address space " << choice.simSpace << ": " << error << "\n";
      return nullptr;
    }
  } else if (!choice.simGenerate.empty()) {
    opcsim::GeneratorParams params;
    if (!ParseGeneratorParams(choice.simGenerate, params)) {
      console.err << "opcclient: --sim-generate wants DEPTHxFANOUTxLEAVES, at most 5000000 leaves, not "
                  << choice.simGenerate << "\n";
      return nullptr;
    }
    options.space = opcsim::GenerateAddressSpace(params);
  }
  return std::make_unique<opcsim::Simulator>(options);
}

Session::Session() = default;

Session::~Session() {
  if (open_) client_.OpcStop();
}

int Session::Open(const ServerChoice& choice, Console& console) {
  server_ = choice.server;
  host_ = choice.host;
  if (server_.empty()) {
    simulator_ = StartSimulator(choice, console);
    if (!simulator_) return kRefused;
    server_ = simulator_->ProgId();
  }
  open_ = true;
  const long hr = client_.OpcStart(Text(server_), Text(host_), 1000, 0.0f);
  // A start that fails half-way may leave the client connected: Close or
  // the destructor stops it all the same.
  return FAILED(hr) ? ReportFailure(console, "connecting to " + server_, hr) : kSucceeded;
}

int Session::Close(Console& console) {
  if (!open_) return kSucceeded;
  open_ = false;
  const long hr = client_.OpcStop();
  return FAILED(hr) ? ReportFailure(console, "disconnecting", hr) : kSucceeded;
}

}  // namespace opcclient
