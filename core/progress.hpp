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

// Progress of one trajectory through its time span, for the programs that
// integrate one long run. step_done costs one increment per step: the clock
// is read and the line redrawn only every 65536 steps.
class SpanProgress {
 public:
  // tau runs from 0 to tau_end over all the phases of the run.
  explicit SpanProgress(double tau_end, std::FILE* terminal = stderr)
      : line_(terminal), tau_end_(tau_end) {}
  SpanProgress(const SpanProgress&) = delete;
  SpanProgress& operator=(const SpanProgress&) = delete;
  // A run long enough to have shown its progress ends it at 100%.
  ~SpanProgress() {
    if (line_.active() && steps_ >= check_interval) show(tau_end_);
  }
  void step_done(double tau) {
    if ((++steps_ & (check_interval - 1)) == 0 && line_.active()) show(tau);
  }
  void erase() { line_.erase(); }

 private:
  static constexpr unsigned long check_interval = 1ul << 16;
  void show(double tau);

  ProgressLine line_;
  double tau_end_;
  unsigned long steps_ = 0;
};

// "hh:mm:ss" for a duration in seconds.
std::string format_duration(double seconds);

}  // namespace jj
