// Lanes: B independent trajectories of one system advanced side by side with
// the same tau and h, such as the bias points of a sweep that all start from
// rest at tau = 0. A step evaluates each stage for every lane before the next
// stage, so the sine chains of different lanes overlap in the processor
// instead of waiting on one another, and the model computes what depends on
// tau alone (the rf drive) once for all lanes. Each lane sees exactly the
// arithmetic of the one-trajectory stepper: every result keeps its bits.
//
// Every method of the suite, with the start-up of either depth.
#pragma once

#include "integrators.hpp"

namespace jj {

// The multistep memory of MultistepHistory, for every lane.
template <std::size_t N, std::size_t B>
struct LaneHistory {
  std::array<Lanes<N, B>, 6> derivative_rows{};
  Lanes<N, B> previous_state{};
  ScaledSteps scaled_steps{};
};

// f(tau, y) of every lane into the history row D.
template <std::size_t N, std::size_t B, LaneDerivativeFn<N, B> F>
inline void evaluate_row(const F& f, double tau, const Lanes<N, B>& y, Lanes<N, B>& D) {
  LaneValues<B> slope;
  for (std::size_t k = 0; k < N; ++k) {
    f(tau, y, int(k), slope);
    for (std::size_t l = 0; l < B; ++l) D[l][k] = slope[l];
  }
}

// The rows age by one step: row j takes row j - 1, from row `depth` down to row 1.
template <std::size_t N, std::size_t B>
inline void shift_rows(LaneHistory<N, B>& history, std::size_t depth) {
  auto& D = history.derivative_rows;
  for (std::size_t j = depth; j >= 1; --j) D[j] = D[j - 1];
}

// Runge-Kutta: the stages of the one-trajectory step, each for every lane.
template <std::size_t N, std::size_t B, LaneDerivativeFn<N, B> F>
inline void rk4_step(const F& f, double tau, Lanes<N, B>& y, double h) {
  const double h2 = h * 0.5;
  const double h6 = h * (1.0 / 6.0);
  const double t_half = tau + h2;
  const double t_full = tau + h;
  Lanes<N, B> a1, a2, a3, y1, y2, y3;
  LaneValues<B> slope;
  for (std::size_t k = 0; k < N; ++k) {
    f(tau, y, int(k), slope);  // a1 = f(tau, y)
    for (std::size_t l = 0; l < B; ++l) {
      a1[l][k] = slope[l];
      y1[l][k] = y[l][k] + h2 * a1[l][k];
    }
  }
  for (std::size_t k = 0; k < N; ++k) {
    f(t_half, y1, int(k), slope);  // a2 = f(tau + h/2, y1)
    for (std::size_t l = 0; l < B; ++l) {
      a2[l][k] = slope[l];
      y2[l][k] = y[l][k] + h2 * a2[l][k];
    }
  }
  for (std::size_t k = 0; k < N; ++k) {
    f(t_half, y2, int(k), slope);  // a3 = f(tau + h/2, y2)
    for (std::size_t l = 0; l < B; ++l) {
      a3[l][k] = slope[l];
      y3[l][k] = y[l][k] + h * a3[l][k];
    }
  }
  std::array<LaneValues<B>, N> a4;
  for (std::size_t k = 0; k < N; ++k) f(t_full, y3, int(k), a4[k]);  // a4 = f(tau + h, y3)
  for (std::size_t l = 0; l < B; ++l)
    for (std::size_t k = 0; k < N; ++k)
      y[l][k] = y[l][k] + h6 * (((2.0 * (a2[l][k] + a3[l][k])) + a1[l][k]) + a4[k][l]);
}

// Rows 1 .. start_depth for the lanes at tau, as the one-trajectory start-up
// writes them; y is restored exactly.
template <std::size_t N, std::size_t B, LaneDerivativeFn<N, B> F>
void multistep_start(const F& f, LaneHistory<N, B>& history, double tau, Lanes<N, B>& y,
                     double h, int start_depth) {
  history.scaled_steps = {h * (1.0 / 12.0), h * (1.0 / 24.0), h * (1.0 / 90.0),
                          h * (1.0 / 720.0), h * (1.0 / 1440.0)};
  const Lanes<N, B> initial = y;
  for (int j = 1; j <= start_depth; ++j) {
    rk4_step(f, tau - double(j - 1) * h, y, -h);  // y now at tau - j h
    evaluate_row(f, tau - double(j) * h, y, history.derivative_rows[j]);
    if (j == 1 && start_depth == 5) history.previous_state = y;
  }
  y = initial;
}

// y(tau + h) = y + h/12 (23 D0 - 16 D1 + 5 D2), every lane.
template <std::size_t N, std::size_t B, LaneDerivativeFn<N, B> F>
inline void adams3_step(const F& f, LaneHistory<N, B>& history, double tau, Lanes<N, B>& y) {
  auto& D = history.derivative_rows;
  const double h12 = history.scaled_steps.h12;
  evaluate_row(f, tau, y, D[0]);
  for (std::size_t l = 0; l < B; ++l)
    for (std::size_t k = 0; k < N; ++k)
      y[l][k] = y[l][k] + h12 * (((23.0 * D[0][l][k]) - (16.0 * D[1][l][k])) + (5.0 * D[2][l][k]));
  shift_rows(history, 2);
}

// y(tau + h) = y + h/24 (55 D0 - 59 D1 + 37 D2 - 9 D3), every lane.
template <std::size_t N, std::size_t B, LaneDerivativeFn<N, B> F>
inline void adams4_step(const F& f, LaneHistory<N, B>& history, double tau, Lanes<N, B>& y) {
  auto& D = history.derivative_rows;
  const double h24 = history.scaled_steps.h24;
  evaluate_row(f, tau, y, D[0]);
  for (std::size_t l = 0; l < B; ++l)
    for (std::size_t k = 0; k < N; ++k)
      y[l][k] = y[l][k] + h24 * ((((55.0 * D[0][l][k]) - (59.0 * D[1][l][k]))
                                  + (37.0 * D[2][l][k])) - (9.0 * D[3][l][k]));
  shift_rows(history, 3);
}

// Predict: y* = y(tau - h) + h/90 (269 D0 - 266 D1 + 294 D2 - 146 D3 + 29 D4)
// Correct: y(tau + h) = y + h/720 (251 f(tau + h, y*) + 646 D0 - 264 D1 + 106 D2 - 19 D3)
template <std::size_t N, std::size_t B, LaneDerivativeFn<N, B> F>
inline void adams_moulton5_step(const F& f, LaneHistory<N, B>& history, double tau,
                                Lanes<N, B>& y, double h) {
  auto& D = history.derivative_rows;
  const ScaledSteps& s = history.scaled_steps;
  evaluate_row(f, tau, y, D[0]);
  const Lanes<N, B> start = y;
  for (std::size_t l = 0; l < B; ++l)
    for (std::size_t k = 0; k < N; ++k)
      y[l][k] = history.previous_state[l][k]
                + s.h90 * (((((269.0 * D[0][l][k]) - (266.0 * D[1][l][k])) + (294.0 * D[2][l][k]))
                            - (146.0 * D[3][l][k])) + (29.0 * D[4][l][k]));
  history.previous_state = start;
  shift_rows(history, 4);
  Lanes<N, B> predicted_slope;
  evaluate_row(f, tau + h, y, predicted_slope);
  for (std::size_t l = 0; l < B; ++l)
    for (std::size_t k = 0; k < N; ++k)
      y[l][k] = start[l][k]
                + s.h720 * (((((251.0 * predicted_slope[l][k]) + (646.0 * D[1][l][k]))
                              - (264.0 * D[2][l][k])) + (106.0 * D[3][l][k])) - (19.0 * D[4][l][k]));
}

// Predict: y* = y(tau - h) + h/90 (297 D0 - 406 D1 + 574 D2 - 426 D3 + 169 D4 - 28 D5)
// Correct: y(tau + h) = y + h/1440 (475 f(tau + h, y*) + 1427 D0 - 798 D1 + 482 D2
//                                   - 173 D3 + 27 D4)
template <std::size_t N, std::size_t B, LaneDerivativeFn<N, B> F>
inline void adams_moulton6_step(const F& f, LaneHistory<N, B>& history, double tau,
                                Lanes<N, B>& y, double h) {
  auto& D = history.derivative_rows;
  const ScaledSteps& s = history.scaled_steps;
  evaluate_row(f, tau, y, D[0]);
  const Lanes<N, B> start = y;
  for (std::size_t l = 0; l < B; ++l)
    for (std::size_t k = 0; k < N; ++k)
      y[l][k] = history.previous_state[l][k]
                + s.h90 * ((((((297.0 * D[0][l][k]) - (406.0 * D[1][l][k])) + (574.0 * D[2][l][k]))
                             - (426.0 * D[3][l][k])) + (169.0 * D[4][l][k])) - (28.0 * D[5][l][k]));
  history.previous_state = start;
  shift_rows(history, 5);
  Lanes<N, B> predicted_slope;
  evaluate_row(f, tau + h, y, predicted_slope);
  for (std::size_t l = 0; l < B; ++l)
    for (std::size_t k = 0; k < N; ++k)
      y[l][k] = start[l][k]
                + s.h1440 * ((((((475.0 * predicted_slope[l][k]) + (1427.0 * D[1][l][k]))
                               - (798.0 * D[2][l][k])) + (482.0 * D[3][l][k]))
                             - (173.0 * D[4][l][k])) + (27.0 * D[5][l][k]));
}

// A method bound to a lane model and its history, as Stepper is to one
// trajectory's.
template <IntegrationMethod M, std::size_t N, std::size_t B, class F>
struct LaneStepper {
  const F& f;
  LaneHistory<N, B>& history;

  void operator()(double tau, Lanes<N, B>& y, double h) const {
    if constexpr (M == IntegrationMethod::runge_kutta4) rk4_step(f, tau, y, h);
    if constexpr (M == IntegrationMethod::adams3) adams3_step(f, history, tau, y);
    if constexpr (M == IntegrationMethod::adams4) adams4_step(f, history, tau, y);
    if constexpr (M == IntegrationMethod::adams_moulton5) adams_moulton5_step(f, history, tau, y, h);
    if constexpr (M == IntegrationMethod::adams_moulton6) adams_moulton6_step(f, history, tau, y, h);
  }

  // Rebuilds the history for the lanes y at tau; Runge-Kutta keeps none.
  void start(double tau, Lanes<N, B>& y, double h, int depth) const {
    if constexpr (M != IntegrationMethod::runge_kutta4) multistep_start(f, history, tau, y, h, depth);
  }
};

// Calls run(stepper) with the lane stepper of `method`, once per run.
template <std::size_t N, std::size_t B, class F, class Run>
decltype(auto) with_lane_stepper(IntegrationMethod method, const F& f, LaneHistory<N, B>& history,
                                 Run&& run) {
  using enum IntegrationMethod;
  switch (method) {
    case adams3: return run(LaneStepper<adams3, N, B, F>{f, history});
    case adams4: return run(LaneStepper<adams4, N, B, F>{f, history});
    case adams_moulton5: return run(LaneStepper<adams_moulton5, N, B, F>{f, history});
    case adams_moulton6: return run(LaneStepper<adams_moulton6, N, B, F>{f, history});
    case runge_kutta4: break;
  }
  return run(LaneStepper<runge_kutta4, N, B, F>{f, history});
}

}  // namespace jj
