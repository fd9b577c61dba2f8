// Waiting on the thread of a client, whose single-threaded apartment takes
// the calls a server makes into it (completions, data changes) only while
// the thread dispatches its messages.
#pragma once

#include <chrono>

namespace opcclient {

// Waits this long, dispatching the thread's messages meanwhile.
void WaitDispatching(std::chrono::milliseconds duration);

}  // namespace opcclient
