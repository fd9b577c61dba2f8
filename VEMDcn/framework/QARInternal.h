// Internal links between the framework's sources; not part of its interface.
#pragma once

#include "QARTestSupport.h"

namespace qar_detail {

// Number of QARXHContext::Run calls active on the calling thread.
int ArmedGuardCount();

// True when the next framework-object allocation on this thread is to fail
// (QARSimulateAllocationFailures); counts the refusal.
bool RefuseAllocation();

// The clock a test installed with QARSetClock, or null.
QARClockFunction TestClock();

}  // namespace qar_detail
