// The fixture the client's and the command-line client's tests share: the
// calling thread in a single-threaded apartment, no error left from an earlier
// test, and every test ending with no simulator object alive.
#pragma once

#include <gtest/gtest.h>

#include <objbase.h>

#include "QARError.h"
#include "opcsim/simulator.h"

namespace testsupport {

class ApartmentTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(S_OK, CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    QARError::QARCleanLastError();
  }
  void TearDown() override {
    QARError::QARCleanLastError();
    CoUninitialize();
    EXPECT_EQ(0, opcsim::LiveObjects());
  }
};

}  // namespace testsupport
