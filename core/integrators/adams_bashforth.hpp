// Explicit Adams-Bashforth methods of third and fourth order (Hairer, Norsett
// and Wanner, Solving ODEs I, sec. III.1). One derivative evaluation per
// step, taken on the state on entry; the older ones come from the history.
#pragma once

#include "integrators/multistep_history.hpp"

namespace jj {

// y(tau + h) = y + h/12 (23 D0 - 16 D1 + 5 D2)
template <std::size_t N, DerivativeFn<N> F>
inline void adams3_step(const F& f, MultistepHistory<N>& history, double tau, State<N>& y) {
  auto& D = history.derivative_rows;
  const double h12 = history.scaled_steps.h12;
  for (std::size_t k = 0; k < N; ++k) D[0][k] = f(tau, y, int(k));
  for (std::size_t k = 0; k < N; ++k)
    y[k] = y[k] + h12 * (((23.0 * D[0][k]) - (16.0 * D[1][k])) + (5.0 * D[2][k]));
  for (std::size_t k = 0; k < N; ++k) {
    D[2][k] = D[1][k];
    D[1][k] = D[0][k];
  }
}

// y(tau + h) = y + h/24 (55 D0 - 59 D1 + 37 D2 - 9 D3)
template <std::size_t N, DerivativeFn<N> F>
inline void adams4_step(const F& f, MultistepHistory<N>& history, double tau, State<N>& y) {
  auto& D = history.derivative_rows;
  const double h24 = history.scaled_steps.h24;
  for (std::size_t k = 0; k < N; ++k) D[0][k] = f(tau, y, int(k));
  for (std::size_t k = 0; k < N; ++k)
    y[k] = y[k] + h24 * ((((55.0 * D[0][k]) - (59.0 * D[1][k])) + (37.0 * D[2][k]))
                         - (9.0 * D[3][k]));
  for (std::size_t k = 0; k < N; ++k) {
    D[3][k] = D[2][k];
    D[2][k] = D[1][k];
    D[1][k] = D[0][k];
  }
}

}  // namespace jj
