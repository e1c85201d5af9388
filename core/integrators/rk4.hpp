// Classical fourth-order Runge-Kutta step (Kutta 1901; Hairer, Norsett and
// Wanner, Solving ODEs I, sec. II.1). Also used with negative h to build the
// multistep history backward in time.
#pragma once

#include "integrators/state.hpp"

namespace jj {

// Replaces y(tau) by y(tau + h). Each stage evaluates the derivative on the
// complete vector of the previous stage, component by component, so the last
// call of a step is f(tau + h, y3, N-1): models that record side values of
// their latest call rely on that order.
template <std::size_t N, DerivativeFn<N> F>
inline void rk4_step(const F& f, double tau, State<N>& y, double h) {
  const double h2 = h * 0.5;
  const double h6 = h * (1.0 / 6.0);
  const double t_half = tau + h2;
  const double t_full = tau + h;
  State<N> a1, a2, a3, a4;  // slopes of the four stages
  State<N> y1, y2, y3;      // stage vectors
  for (std::size_t k = 0; k < N; ++k) {
    a1[k] = f(tau, y, int(k));         // a1 = f(tau, y)
    y1[k] = y[k] + h2 * a1[k];         // y1 = y + h/2 a1
  }
  for (std::size_t k = 0; k < N; ++k) {
    a2[k] = f(t_half, y1, int(k));     // a2 = f(tau + h/2, y1)
    y2[k] = y[k] + h2 * a2[k];         // y2 = y + h/2 a2
  }
  for (std::size_t k = 0; k < N; ++k) {
    a3[k] = f(t_half, y2, int(k));     // a3 = f(tau + h/2, y2)
    y3[k] = y[k] + h * a3[k];          // y3 = y + h a3
  }
  for (std::size_t k = 0; k < N; ++k) a4[k] = f(t_full, y3, int(k));  // a4 = f(tau + h, y3)
  for (std::size_t k = 0; k < N; ++k)
    y[k] = y[k] + h6 * (((2.0 * (a2[k] + a3[k])) + a1[k]) + a4[k]);  // y + h/6 (a1 + 2a2 + 2a3 + a4)
}

}  // namespace jj
