// Progress on standard error for runs longer than a second: objects and bytes so far, redrawn
// in place. Silent when standard error is not a terminal.
#ifndef TOOLS_DATAOBJECTS_PROGRESS_H
#define TOOLS_DATAOBJECTS_PROGRESS_H

#include <unistd.h>

#include <chrono>
#include <cstddef>
#include <cstdio>

class Progress {
 public:
  explicit Progress(const char* verb) : verb_(verb), enabled_(isatty(STDERR_FILENO) == 1) {}
  ~Progress() {
    if (shown_) std::fputc('\n', stderr);
  }

  void update(std::size_t objects, std::size_t bytes) {
    if (!enabled_) return;
    const auto now = Clock::now();
    if (now - start_ < std::chrono::seconds(1) || now - last_ < std::chrono::milliseconds(200)) {
      return;
    }
    last_ = now;
    shown_ = true;
    std::fprintf(stderr, "\r%s %zu objects, %zu bytes", verb_, objects, bytes);
  }

 private:
  using Clock = std::chrono::steady_clock;
  const char* verb_;
  bool enabled_;
  bool shown_ = false;
  Clock::time_point start_ = Clock::now();
  Clock::time_point last_ = start_;
};

#endif  // TOOLS_DATAOBJECTS_PROGRESS_H
