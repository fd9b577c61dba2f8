// Progress of a long listing: drawn while the work lasts, cleared after it.
#include <gtest/gtest.h>

#include <sstream>
#include <thread>

#include "progress.h"

namespace {

TEST(Progress, DrawsASpinnerWithTheTimeAndClearsItsLine) {
  std::ostringstream err;
  opcclient::Progress progress(err, true, "Listing the items", std::chrono::milliseconds(0));
  std::this_thread::sleep_for(std::chrono::milliseconds(150));
  EXPECT_TRUE(progress.Stop());
  const std::string shown = err.str();
  EXPECT_EQ(0u, shown.find("\r| Listing the items... 0.")) << shown;
  EXPECT_NE(std::string::npos, shown.find("\r/ Listing the items... ")) << shown;
  const std::string line = "| Listing the items... 0.0 s";
  const std::string cleared = "\r" + std::string(line.size(), ' ') + "\r";
  EXPECT_EQ(cleared, shown.substr(shown.size() - cleared.size()));
}

TEST(Progress, ShowsNothingForShortWorkOrWhenDisabled) {
  for (const bool enabled : {true, false}) {
    std::ostringstream err;
    opcclient::Progress progress(err, enabled, "Listing", std::chrono::milliseconds(enabled ? 10000 : 0));
    EXPECT_FALSE(progress.Stop());
    EXPECT_EQ("", err.str());
  }
}

}  // namespace
