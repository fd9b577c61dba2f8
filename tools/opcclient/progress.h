// Progress of a long listing on standard error. The library has no progress
// callback, so this shows only what is known: that the work goes on, and for
// how long. A second thread redraws one line while the work runs; nothing is
// shown for work that ends within the delay, or when disabled (standard
// error is not a terminal).
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <ostream>
#include <string>
#include <thread>

namespace opcclient {

class Progress {
 public:
  Progress(std::ostream& err, bool enabled, std::string what,
           std::chrono::milliseconds delay = std::chrono::milliseconds(500));
  ~Progress();
  Progress(const Progress&) = delete;
  Progress& operator=(const Progress&) = delete;

  // Ends the display and clears its line. True when it was shown, that is
  // when the work lasted long enough for a closing summary to be worth it.
  bool Stop();
  // How long the work has lasted, or lasted until Stop: "2.4 s".
  std::string Elapsed() const;

 private:
  void Run();
  double Seconds() const;

  std::ostream& err_;
  const std::string what_;
  const std::chrono::milliseconds delay_;
  const std::chrono::steady_clock::time_point start_;
  std::chrono::steady_clock::time_point end_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool stopping_ = false;
  bool shown_ = false;
  size_t lineWidth_ = 0;
  std::thread thread_;
};

}  // namespace opcclient
