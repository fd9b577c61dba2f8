// Where a command writes: results to `out`, messages to `err`; and whether
// `err` is a terminal that can show the progress of a long listing.
#pragma once

#include <ostream>

namespace opcclient {

struct Console {
  std::ostream& out;
  std::ostream& err;
  bool progress = false;
};

// Exit codes of every command.
enum ExitCode {
  kSucceeded = 0,
  kFailed = 1,  // the library or the server reported a failure
  kRefused = 2  // the command line or a value was refused before anything was done
};

}  // namespace opcclient
