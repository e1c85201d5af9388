// Predictor-corrector methods of fifth and sixth order: an explicit Nystrom
// predictor, which steps over two mesh intervals from the state one step
// back, followed by one Adams-Moulton correction (PEC mode: the derivative of
// the corrected state is the next step's D0). Hairer, Norsett and Wanner,
// Solving ODEs I, sec. III.1.
#pragma once

#include "integrators/multistep_history.hpp"

namespace jj {

// Predict: y* = y(tau - h) + h/90 (269 D0 - 266 D1 + 294 D2 - 146 D3 + 29 D4)
// Correct: y(tau + h) = y + h/720 (251 f(tau + h, y*) + 646 D0 - 264 D1 + 106 D2 - 19 D3)
template <std::size_t N, DerivativeFn<N> F>
inline void adams_moulton5_step(const F& f, MultistepHistory<N>& history, double tau,
                                State<N>& y, double h) {
  auto& D = history.derivative_rows;
  auto& previous = history.previous_state;
  const ScaledSteps& s = history.scaled_steps;
  State<N> start, predicted_slope;
  for (std::size_t k = 0; k < N; ++k) D[0][k] = f(tau, y, int(k));
  for (std::size_t k = 0; k < N; ++k) {
    start[k] = y[k];
    y[k] = previous[k] + s.h90 * (((((269.0 * D[0][k]) - (266.0 * D[1][k])) + (294.0 * D[2][k]))
                                   - (146.0 * D[3][k])) + (29.0 * D[4][k]));
  }
  for (std::size_t k = 0; k < N; ++k) {
    previous[k] = start[k];
    D[4][k] = D[3][k];
    D[3][k] = D[2][k];
    D[2][k] = D[1][k];
    D[1][k] = D[0][k];
  }
  for (std::size_t k = 0; k < N; ++k) predicted_slope[k] = f(tau + h, y, int(k));
  for (std::size_t k = 0; k < N; ++k)
    y[k] = start[k] + s.h720 * (((((251.0 * predicted_slope[k]) + (646.0 * D[1][k]))
                                  - (264.0 * D[2][k])) + (106.0 * D[3][k])) - (19.0 * D[4][k]));
}

// Predict: y* = y(tau - h) + h/90 (297 D0 - 406 D1 + 574 D2 - 426 D3 + 169 D4 - 28 D5)
// Correct: y(tau + h) = y + h/1440 (475 f(tau + h, y*) + 1427 D0 - 798 D1 + 482 D2
//                                   - 173 D3 + 27 D4)
template <std::size_t N, DerivativeFn<N> F>
inline void adams_moulton6_step(const F& f, MultistepHistory<N>& history, double tau,
                                State<N>& y, double h) {
  auto& D = history.derivative_rows;
  auto& previous = history.previous_state;
  const ScaledSteps& s = history.scaled_steps;
  State<N> start, predicted_slope;
  for (std::size_t k = 0; k < N; ++k) D[0][k] = f(tau, y, int(k));
  for (std::size_t k = 0; k < N; ++k) {
    start[k] = y[k];
    y[k] = previous[k] + s.h90 * ((((((297.0 * D[0][k]) - (406.0 * D[1][k])) + (574.0 * D[2][k]))
                                    - (426.0 * D[3][k])) + (169.0 * D[4][k])) - (28.0 * D[5][k]));
  }
  for (std::size_t k = 0; k < N; ++k) {
    previous[k] = start[k];
    D[5][k] = D[4][k];
    D[4][k] = D[3][k];
    D[3][k] = D[2][k];
    D[2][k] = D[1][k];
    D[1][k] = D[0][k];
  }
  for (std::size_t k = 0; k < N; ++k) predicted_slope[k] = f(tau + h, y, int(k));
  for (std::size_t k = 0; k < N; ++k)
    y[k] = start[k] + s.h1440 * ((((((475.0 * predicted_slope[k]) + (1427.0 * D[1][k]))
                                    - (798.0 * D[2][k])) + (482.0 * D[3][k]))
                                  - (173.0 * D[4][k])) + (27.0 * D[5][k]));
}

}  // namespace jj
