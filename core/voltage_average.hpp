// The averaging window of the IV characteristics: the voltage is averaged
// over T_avg after a discarded transient T_tr, both whole numbers of mesh
// steps.
#pragma once

#include "dialogue.hpp"
#include "integrators/state.hpp"
#include "time_loop.hpp"

namespace jj {

struct AveragingSpans {
  int N_avg = 0, N_tr = 0;     // mesh steps
  double T_avg = 0, T_tr = 0;  // N h, in rad
};

// "Tempo su cui mediare (rad) ? ", "Tempo da scartare come transiente (rad) ? "
// and the echo of both spans in mesh steps (the group's title and unit lines
// are the program's). The window must hold at least one mesh step, since the
// mean divides by it, and tau must advance by h up to the window's end.
AveragingSpans ask_averaging_spans(Dialogue& dialogue, double h);

// The voltage v = y[1] added to a running sum: one trajectory's, or every
// lane's to its own.
inline void add_voltage(double& sum, const JunctionState& y) { sum = sum + y[1]; }

template <std::size_t B>
void add_voltage(LaneValues<B>& sums, const Lanes<2, B>& y) {
  for (std::size_t l = 0; l < B; ++l) sums[l] = sums[l] + y[l][1];
}

template <class Y>
struct VoltageSum {
  using type = double;
};
template <std::size_t B>
struct VoltageSum<Lanes<2, B>> {
  using type = LaneValues<B>;
};

// Transient from tau = 0 to T_tr, then the window from T_tr (not where the
// transient ended) to T_tr + T_avg: the sum of its N_avg + 1 voltages, for
// one state or for lanes.
template <class Step, class Y>
typename VoltageSum<Y>::type window_voltage_sum(Step& step, Y& y, const AveragingSpans& a,
                                                double h) {
  integrate_span(step, y, 0.0, a.T_tr, h);
  typename VoltageSum<Y>::type sum{};
  integrate_span(step, y, a.T_tr, a.T_tr + a.T_avg, h,
                 [&sum](double, const Y& after) { add_voltage(sum, after); });
  return sum;
}

}  // namespace jj
