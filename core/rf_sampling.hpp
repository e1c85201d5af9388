// Stroboscopic sampling of the rf-driven junction: a transient and a
// recording span of whole rf cycles, and one sample every M mesh steps, M the
// whole number of steps nearest to one rf period. The mesh length is not
// adjusted to divide the period, so the sampled rf phase drifts by
// M h - T_rf per sample unless h divides T_rf.
#pragma once

#include "data_file.hpp"
#include "dialogue.hpp"
#include "normalized_model.hpp"
#include "sweeps.hpp"
#include "integrators/state.hpp"
#include "time_loop.hpp"

#include <cstdint>

namespace jj {

// The suite's 2 pi, to twelve significant digits: the rf period and the
// phase modulo 2 pi use this value, not the double nearest to 2 pi.
inline constexpr double two_pi = 6.28318530718;

// One rf cycle in rad: T_rf = 2 pi / Omega1.
inline double rf_period(double Omega1) { return two_pi / Omega1; }

// The spans are whole rf cycles and the samples are one period apart, so the
// period must be a positive, finite time: a negative Omega1 would make every
// span of positive cycles negative and leave no step per period.
std::string check_rf_frequency(double Omega1);

// The sampling interval M = span_to_steps(T_rf, h) must be a whole number of
// mesh steps from 1 (h at most 2 T_rf) to the largest int.
AnswerCheck<double> check_steps_per_rf_period(double T_rf);

struct RfRecording {
  int N_tr = 0, N_rec = 0;     // transient and recording spans in mesh steps
  double T_tr = 0, T_rec = 0;  // the same, in rad (whole mesh steps)
  int M = 0;                   // mesh steps between two samples
};

// The rf-cycle block: `title`, the length of one cycle, the cycles to discard
// and to record, and the echo of both spans in whole mesh steps. A cycle
// count is refused when negative, when its span overflows an int of mesh
// steps, or when tau could no longer advance by h up to the end of the run;
// `recorded_check` lets a program add its own condition on the recorded
// cycles. M is 0 when the period does not fit an int of mesh steps.
RfRecording ask_rf_cycles(Dialogue& dialogue, const char* title, double T_rf, double h,
                          const AnswerCheck<int>& recorded_check = {});

// The header of a sweep sampled per rf period (jj_scatter, jj_lyap): the
// date, `title`, the method, the parameters, the recording and transient
// spans, the current range and the number of sweeps as read, then the start
// of the simulation.
void write_sampled_sweep_header(DataFile& file, const char* title, const char* method,
                                const NormalizedParams& params, double h,
                                const RfRecording& rf, const SweepPlan& plan);

// Transient from tau = 0 while tau <= T_tr; recording from tau = T_tr (not
// where the transient ended) while tau <= T_tr + T_rec. After recording steps
// n = 0, M, 2M, ... calls sample(tau, y) with the tau the step began at and
// the state after it, so the first sample follows the first recording step.
// step_done(tau) follows every step of both phases.
// y is one state or lanes (integrators/lanes.hpp) that share tau.
template <class Step, class Y, class Sample, class StepDone>
void sample_every_rf_period(Step& step, Y& y, const RfRecording& r, double h, Sample&& sample,
                            StepDone&& step_done) {
  integrate_span(step, y, 0.0, r.T_tr, h, [&](double tau, const Y&) { step_done(tau); });
  std::int64_t n = 0;  // the rounding of tau may allow a step or two beyond N_rec
  integrate_span(step, y, r.T_tr, r.T_tr + r.T_rec, h,
                 [&](double tau, const Y& after) {
                   if (n % r.M == 0) sample(tau, after);
                   n = n + 1;
                   step_done(tau);
                 });
}

template <class Step, class Y, class Sample>
void sample_every_rf_period(Step& step, Y& y, const RfRecording& r, double h, Sample&& sample) {
  sample_every_rf_period(step, y, r, h, sample, [](double) {});
}

}  // namespace jj
