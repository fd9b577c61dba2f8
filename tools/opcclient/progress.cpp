#include "progress.h"

#include <cstdio>

namespace opcclient {

namespace {
const char kSpinner[] = "|/-\\";
const auto kRedraw = std::chrono::milliseconds(100);
}  // namespace

Progress::Progress(std::ostream& err, bool enabled, std::string what, std::chrono::milliseconds delay)
    : err_(err), what_(std::move(what)), delay_(delay), start_(std::chrono::steady_clock::now()) {
  if (enabled) thread_ = std::thread([this] { Run(); });
}

Progress::~Progress() { Stop(); }

double Progress::Seconds() const {
  const auto end = end_ == std::chrono::steady_clock::time_point() ? std::chrono::steady_clock::now() : end_;
  return std::chrono::duration<double>(end - start_).count();
}

std::string Progress::Elapsed() const {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f s", Seconds());
  return text;
}

bool Progress::Stop() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  if (thread_.joinable()) thread_.join();
  if (end_ == std::chrono::steady_clock::time_point()) end_ = std::chrono::steady_clock::now();
  return shown_;
}

void Progress::Run() {
  std::unique_lock<std::mutex> lock(mutex_);
  if (wake_.wait_for(lock, delay_, [this] { return stopping_; })) return;
  for (unsigned turn = 0; !stopping_; ++turn) {
    char line[160];
    std::snprintf(line, sizeof line, "\r%c %s... %.1f s", kSpinner[turn % 4], what_.c_str(), Seconds());
    err_ << line << std::flush;
    lineWidth_ = std::string(line).size() - 1;
    shown_ = true;
    wake_.wait_for(lock, kRedraw, [this] { return stopping_; });
  }
  err_ << '\r' << std::string(lineWidth_, ' ') << '\r' << std::flush;
}

}  // namespace opcclient
