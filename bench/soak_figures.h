// What the soaks watch: the task-memory blocks, the simulator's live objects
// and the resident set.
#pragma once

#include <fstream>
#include <string>

#include "native_com_ext.h"
#include "opcsim/simulator.h"

namespace soak {

// Resident set in KiB, from the kernel's own accounting.
inline long ResidentKiB() {
  std::ifstream status("/proc/self/status");
  std::string key;
  long value = 0;
  while (status >> key) {
    if (key == "VmRSS:" && status >> value) return value;
    status.ignore(256, '\n');
  }
  return -1;
}

struct Figures {
  LONG taskBlocks;
  long liveObjects;
  long residentKiB;
};

inline Figures Measure() { return {NativeComLiveTaskAllocations(), opcsim::LiveObjects(), ResidentKiB()}; }

}  // namespace soak
