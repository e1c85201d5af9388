// Time loops of the suite: tau advances by repeated addition of h, the test
// tau <= end comes before every step, both ends included. With exact
// arithmetic a span of N steps therefore takes N + 1 steps; the rounding of
// the accumulated tau may make it N.
#pragma once

#include "integrators/state.hpp"

#include <string>

namespace jj {

// Mesh steps in a span s: s / h + 0.5 truncated toward zero (the nearest
// whole number for a positive span, an exact half going up).
inline int span_to_steps(double s, double h) { return int(s / h + 0.5); }

// The time loops end only for a positive, finite mesh length.
std::string check_mesh_length(double h);

// True when span_to_steps(s, h) is representable, i.e. no int overflow and no
// not-a-number.
bool span_fits_int(double s, double h);

// True when x + step > x for every x with |x| <= reach: a loop that adds
// `step` then makes progress everywhere on its way and cannot stall.
bool addition_advances(double reach, double step);

// Steps from tau = start while tau <= end; after every step calls
// after_step(tau, y) with the tau the step began at. y is one state or lanes.
template <class Step, class Y, class AfterStep>
inline void integrate_span(Step& step, Y& y, double start, double end, double h,
                           AfterStep&& after_step) {
  for (double tau = start; tau <= end; tau = tau + h) {
    step(tau, y, h);
    after_step(tau, y);
  }
}

template <class Step, class Y>
inline void integrate_span(Step& step, Y& y, double start, double end, double h) {
  integrate_span(step, y, start, end, h, [](double, const Y&) {});
}

}  // namespace jj
