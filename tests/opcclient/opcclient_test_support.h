// Shared fixture of the command-line client's tests: the commands run
// in-process on the calling thread's single-threaded apartment, their output
// captured, the library's error log kept out of the test's output.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>

#include "QARError.h"
#include "QARTestSupport.h"
#include "commands.h"
#include "opcsim/simulator.h"
#include "../support/apartment_test.h"

namespace opcclienttest {

// What a command gave: its exit code and what it wrote.
struct Result {
  int code = -1;
  std::string out;
  std::string err;
};

inline Result RunCommand(const std::function<int(opcclient::Console&)>& command) {
  std::ostringstream out, err;
  opcclient::Console console{out, err, false};
  Result result;
  result.code = command(console);
  result.out = out.str();
  result.err = err.str();
  return result;
}

// A choice of the test's own simulator (registered last, so it serves its
// ProgID), for tests that inject faults or look at the calls it received.
inline opcclient::ServerChoice Named(const opcsim::Simulator& simulator) {
  opcclient::ServerChoice choice;
  choice.server = simulator.ProgId();
  return choice;
}

class CommandTest : public testsupport::ApartmentTest {
 protected:
  opcclient::ServerChoice embedded;  // no server named: the embedded simulator
  QARErrorLogCapture log;
};

}  // namespace opcclienttest
