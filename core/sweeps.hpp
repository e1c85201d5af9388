// Interleaved bias sweeps: sweep k (k = 0, 1, ... while k < sweeps) runs I0
// from I_min + k D up to I_max + k D in steps of DeltaI0, with
// D = DeltaI0 / sweeps, so that the sweeps together sample the current axis
// on a grid of spacing D. A fractional number of sweeps rounds up; zero or
// less runs none.
#pragma once

#include "clock.hpp"
#include "data_file.hpp"
#include "dialogue.hpp"
#include "progress.hpp"

#include <array>
#include <functional>

namespace jj {

struct SweepPlan {
  double I_min = 0;
  double I_max = 0;
  double DeltaI0 = 0;
  double sweeps = 0;  // read as a double, compared with the integer count
  int passes = 1;     // 2 when every sweep goes up and back down
};

// Points done against points expected, shown on the terminal's progress line.
class SweepProgress {
 public:
  explicit SweepProgress(const SweepPlan& plan);
  void point_done(int sweep, double I0);
  void finish();
  void erase() { line_.erase(); }

 private:
  ProgressLine line_;
  int sweeps_;
  double expected_points_;
  double done_points_ = 0;
};

// The current range of one sweep.
struct SweepSpan {
  int number;  // counted from 1
  double I_start;
  double I_end;
  double DeltaI0;
  SweepProgress* progress = nullptr;
};

// Opens every sweep with its time stamp on the console and its four-line
// comment block in the file (`column_titles` is the fourth line), then hands
// the span to run_sweep, which computes and writes its points. Write errors
// are checked after every sweep, so a full disk stops a long run early.
template <class RunSweep>
void interleaved_sweeps(const SweepPlan& plan, Dialogue& console, DataFile& file,
                        const char* column_titles, RunSweep&& run_sweep) {
  const double shift_per_sweep = plan.DeltaI0 / plan.sweeps;
  SweepProgress progress(plan);
  for (int k = 0; k < plan.sweeps; ++k) {
    const std::string now = time_stamp();
    progress.erase();
    console.say("Ore: %s\n", now.c_str());
    console.say("Sweep numero %d.\n", k + 1);
    file.write("#\n# -- Ore %s\n# -- Sweep numero %d\n%s", now.c_str(), k + 1, column_titles);
    const double shift = double(k) * shift_per_sweep;
    run_sweep(SweepSpan{k + 1, plan.I_min + shift, plan.I_max + shift, plan.DeltaI0, &progress});
    file.check_written();
  }
  progress.finish();
}

// The model's bias field is itself the loop variable, so after a sweep it
// holds the first current past the end; a start-up of the multistep history
// taken before the next sweep sets its bias evaluates the model there.

// Upward: I0 = I_start, I_start + DeltaI0, ... while I0 <= I_end, by repeated
// addition.
template <class Point>
void sweep_up(const SweepSpan& span, double& I0, Point&& point) {
  for (I0 = span.I_start; I0 <= span.I_end; I0 = I0 + span.DeltaI0) {
    point(I0);
    if (span.progress) span.progress->point_done(span.number, I0);
  }
}

// Downward: I0 = I_end, I_end - DeltaI0, ... while I0 >= I_start.
template <class Point>
void sweep_down(const SweepSpan& span, double& I0, Point&& point) {
  for (I0 = span.I_end; I0 >= span.I_start; I0 = I0 - span.DeltaI0) {
    point(I0);
    if (span.progress) span.progress->point_done(span.number, I0);
  }
}

// Independent points of a sweep computed B at a time (see
// integrators/lanes.hpp): add() collects the currents in sweep order, and
// every B of them, and the rest when a sweep ends (flush), go to
// run_batch(currents, count), which integrates them side by side and writes
// their lines in order. Unused lanes repeat the last current; their results
// are not written.
template <std::size_t B>
class PointBatches {
 public:
  using RunBatch = std::function<void(const std::array<double, B>& currents, std::size_t count)>;
  explicit PointBatches(RunBatch run_batch) : run_batch_(std::move(run_batch)) {}

  void add(double I0) {
    currents_[count_++] = I0;
    if (count_ == B) flush();
  }
  void flush() {
    if (count_ == 0) return;
    for (std::size_t l = count_; l < B; ++l) currents_[l] = currents_[count_ - 1];
    run_batch_(currents_, count_);
    count_ = 0;
  }

 private:
  RunBatch run_batch_;
  std::array<double, B> currents_{};
  std::size_t count_ = 0;
};

// Interleaved upward sweeps of independent points: the currents of every
// sweep, set in the model's bias field I0 as sweep_up sets them, go to
// run_batch B at a time, the last ones of a sweep when it ends.
template <std::size_t B>
void batched_upward_sweeps(const SweepPlan& plan, double& I0, Dialogue& console, DataFile& file,
                           const char* column_titles,
                           typename PointBatches<B>::RunBatch run_batch) {
  PointBatches<B> batches(std::move(run_batch));
  interleaved_sweeps(plan, console, file, column_titles, [&](const SweepSpan& span) {
    sweep_up(span, I0, [&](double current) { batches.add(current); });
    batches.flush();
  });
}

// "-- Parametri caratteristica --", `unit_line`, then the lowest and highest
// current and the step, typed in units in which the critical current is
// `critical_current` (1 when typed in units of Ic) and kept in units of Ic.
void ask_current_range(Dialogue& dialogue, SweepPlan& plan, const char* unit_line,
                       double critical_current = 1.0);

// "-- Parametri Sweep di corrente --" and the number of sweeps.
void ask_sweep_count(Dialogue& dialogue, SweepPlan& plan);

// Refusals shared by the sweep programs' dialogues. Each returns what would be
// accepted, or nothing when the answer is.

// A bias current must be a finite number.
std::string check_current(double I);

// The step must carry I0 from I_min past I_max + DeltaI0 (the farthest
// shifted end) in finite time whenever a sweep can have points. All three
// in units of Ic; the least step is named in the units the dialogue asked
// in, where the critical current is `critical_current`.
std::string check_current_step(double I_min, double I_max, double DeltaI0,
                               double critical_current = 1.0);

// The number of sweeps counts an int; its integer part is written to headers.
std::string check_sweep_count(double sweeps);

}  // namespace jj
