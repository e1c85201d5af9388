// A progress line for long runs: what is being computed, the fraction done,
// the elapsed time and an estimate of the time left, redrawn in place on
// standard error at most four times a second. Only when standard error is a
// terminal: redirected runs print nothing more, so transcripts and scripts
// see exactly the specified output.
#pragma once

#include <chrono>
#include <cstdio>
#include <string>

namespace jj {

class ProgressLine {
 public:
  // Active when `terminal` is a terminal (standard error by default).
  explicit ProgressLine(std::FILE* terminal = stderr);
  ProgressLine(std::FILE* terminal, bool active);
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;
  ~ProgressLine();

  bool active() const { return active_; }
  // Redraws "what, NN% done, elapsed, left" unless drawn less than a
  // quarter second ago; a fraction of 1 is always drawn.
  void show(const std::string& what, double fraction);
  // Removes the line, so that the next console line starts clean.
  void erase();

 private:
  using Clock = std::chrono::steady_clock;
  std::FILE* terminal_;
  bool active_;
  bool drawn_ = false;
  Clock::time_point start_ = Clock::now();
  Clock::time_point last_draw_{};
};

// "hh:mm:ss" for a duration in seconds.
std::string format_duration(double seconds);

}  // namespace jj
