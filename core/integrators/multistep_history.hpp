// The memory of the linear multistep methods, and its start-up: the past
// derivative values are produced by Runge-Kutta steps of length -h taken
// backward from the initial state, so a multistep run starts at full order
// from its first step.
#pragma once

#include "integrators/rk4.hpp"

namespace jj {

// Step sizes of the multistep formulas, each h times the double nearest to
// the reciprocal, fixed by the latest start-up.
struct ScaledSteps {
  double h12 = 0, h24 = 0, h90 = 0, h720 = 0, h1440 = 0;
};

// Invariant between two steps of a method of depth d, with y the state at
// tau: derivative_rows[j] = f(tau - j h, y(tau - j h)) for 1 <= j <= d, and
// previous_state = y(tau - h) for the predictor-corrector methods. Row 0 holds
// the derivative at the current point, written at the start of each step.
template <std::size_t N>
struct MultistepHistory {
  std::array<State<N>, 6> derivative_rows{};
  State<N> previous_state{};
  ScaledSteps scaled_steps{};
};

// Rows 1 .. start_depth for the state y at tau; y is returned bit for bit as
// it came in. A depth of 2 (Adams III alone) writes neither rows 3 to 5 nor
// previous_state.
template <std::size_t N, DerivativeFn<N> F>
void multistep_start(const F& f, MultistepHistory<N>& history, double tau, State<N>& y,
                     double h, int start_depth) {
  history.scaled_steps = {h * (1.0 / 12.0), h * (1.0 / 24.0), h * (1.0 / 90.0),
                          h * (1.0 / 720.0), h * (1.0 / 1440.0)};
  const State<N> initial = y;
  for (int j = 1; j <= start_depth; ++j) {
    rk4_step(f, tau - double(j - 1) * h, y, -h);  // y now at tau - j h
    const double t_back = tau - double(j) * h;
    for (std::size_t k = 0; k < N; ++k) history.derivative_rows[j][k] = f(t_back, y, int(k));
    if (j == 1 && start_depth == 5) history.previous_state = y;
  }
  y = initial;
}

}  // namespace jj
