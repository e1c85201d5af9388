// Lanes: B independent trajectories of one system advanced side by side with
// the same tau and h, such as the bias points of a sweep that all start from
// rest at tau = 0. A step evaluates each stage for every lane before the next
// stage, so the sine chains of different lanes overlap in the processor
// instead of waiting on one another, and the model computes what depends on
// tau alone (the rf drive) once for all lanes. Each lane sees exactly the
// arithmetic of the one-trajectory stepper: every result keeps its bits.
//
// Runge-Kutta and Adams III, the methods of the two-method menu, whose
// programs integrate independent bias points.
#pragma once

#include "integrators.hpp"

#include <stdexcept>

namespace jj {

// Adams III reads two rows; the start-up of depth 2 writes them.
template <std::size_t N, std::size_t B>
struct LaneHistory {
  std::array<Lanes<N, B>, 3> derivative_rows{};
  double h12 = 0;
};

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

// Rows 1 and 2 from two Runge-Kutta steps backward; y is restored exactly.
template <std::size_t N, std::size_t B, LaneDerivativeFn<N, B> F>
void multistep_start(const F& f, LaneHistory<N, B>& history, double tau, Lanes<N, B>& y,
                     double h) {
  history.h12 = h * (1.0 / 12.0);
  const Lanes<N, B> initial = y;
  LaneValues<B> slope;
  for (int j = 1; j <= 2; ++j) {
    rk4_step(f, tau - double(j - 1) * h, y, -h);
    for (std::size_t k = 0; k < N; ++k) {
      f(tau - double(j) * h, y, int(k), slope);
      for (std::size_t l = 0; l < B; ++l) history.derivative_rows[j][l][k] = slope[l];
    }
  }
  y = initial;
}

// y(tau + h) = y + h/12 (23 D0 - 16 D1 + 5 D2), every lane.
template <std::size_t N, std::size_t B, LaneDerivativeFn<N, B> F>
inline void adams3_step(const F& f, LaneHistory<N, B>& history, double tau, Lanes<N, B>& y) {
  auto& D = history.derivative_rows;
  LaneValues<B> slope;
  for (std::size_t k = 0; k < N; ++k) {
    f(tau, y, int(k), slope);
    for (std::size_t l = 0; l < B; ++l) D[0][l][k] = slope[l];
  }
  for (std::size_t l = 0; l < B; ++l)
    for (std::size_t k = 0; k < N; ++k)
      y[l][k] = y[l][k] + history.h12 * (((23.0 * D[0][l][k]) - (16.0 * D[1][l][k]))
                                         + (5.0 * D[2][l][k]));
  D[2] = D[1];
  D[1] = D[0];
}

// The method of the two-method menu bound to a lane model and its history.
template <IntegrationMethod M, std::size_t N, std::size_t B, class F>
struct LaneStepper {
  const F& f;
  LaneHistory<N, B>& history;

  void operator()(double tau, Lanes<N, B>& y, double h) const {
    if constexpr (M == IntegrationMethod::runge_kutta4) rk4_step(f, tau, y, h);
    else adams3_step(f, history, tau, y);
  }
  void start(double tau, Lanes<N, B>& y, double h) const {
    if constexpr (M == IntegrationMethod::adams3) multistep_start(f, history, tau, y, h);
  }
};

// The methods that have a lane stepper.
constexpr bool has_lane_stepper(IntegrationMethod method) {
  return method == IntegrationMethod::runge_kutta4 || method == IntegrationMethod::adams3;
}

// Calls run(stepper) for Runge-Kutta or Adams III, once per run.
template <std::size_t N, std::size_t B, class F, class Run>
void with_lane_stepper(IntegrationMethod method, const F& f, LaneHistory<N, B>& history,
                       Run&& run) {
  switch (method) {
    case IntegrationMethod::runge_kutta4:
      return run(LaneStepper<IntegrationMethod::runge_kutta4, N, B, F>{f, history});
    case IntegrationMethod::adams3:
      return run(LaneStepper<IntegrationMethod::adams3, N, B, F>{f, history});
    default:
      throw std::invalid_argument("lanes run Runge-Kutta and Adams III only");
  }
}

}  // namespace jj
