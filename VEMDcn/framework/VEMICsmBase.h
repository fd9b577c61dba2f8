// The host's signal-model vocabulary used by the library.
#pragma once

class VEMICsmBase {
 public:
  // The sense of a signal as seen from the host.
  enum Direction { In = 1, Out = 2, InOut = 3 };
};
