// The five integration methods of the suite and the one dispatch per run that
// turns a method into a stepper whose derivative calls inline.
#pragma once

#include "integrators/adams_bashforth.hpp"
#include "integrators/adams_moulton.hpp"
#include "integrators/multistep_history.hpp"
#include "integrators/rk4.hpp"

namespace jj {

// The number the user types in the method menus.
enum class IntegrationMethod : int {
  runge_kutta4 = 0,
  adams3 = 1,
  adams4 = 2,
  adams_moulton5 = 3,
  adams_moulton6 = 4,
};

constexpr bool is_multistep(IntegrationMethod method) {
  return method != IntegrationMethod::runge_kutta4;
}

// One method bound to a right-hand side and a history: stepper(tau, y, h)
// replaces y(tau) by y(tau + h). The multistep methods take their step size
// from the history's latest start-up; h still sets the predictor's time.
template <IntegrationMethod M, std::size_t N, DerivativeFn<N> F>
struct Stepper {
  static constexpr IntegrationMethod method = M;
  const F& f;
  MultistepHistory<N>& history;

  void operator()(double tau, State<N>& y, double h) const {
    if constexpr (M == IntegrationMethod::runge_kutta4) rk4_step(f, tau, y, h);
    if constexpr (M == IntegrationMethod::adams3) adams3_step(f, history, tau, y);
    if constexpr (M == IntegrationMethod::adams4) adams4_step(f, history, tau, y);
    if constexpr (M == IntegrationMethod::adams_moulton5) adams_moulton5_step(f, history, tau, y, h);
    if constexpr (M == IntegrationMethod::adams_moulton6) adams_moulton6_step(f, history, tau, y, h);
  }

  // Rebuilds the history for the state y at tau; Runge-Kutta keeps none.
  void start(double tau, State<N>& y, double h, int depth) const {
    if constexpr (M != IntegrationMethod::runge_kutta4) multistep_start(f, history, tau, y, h, depth);
  }
};

// Calls run(stepper) with the stepper of `method`: the whole integration
// inside `run` is instantiated once per method, so the choice costs one
// switch per run and every derivative call inlines.
template <std::size_t N, DerivativeFn<N> F, class Run>
decltype(auto) with_stepper(IntegrationMethod method, const F& f, MultistepHistory<N>& history,
                            Run&& run) {
  using enum IntegrationMethod;
  switch (method) {
    case adams3: return run(Stepper<adams3, N, F>{f, history});
    case adams4: return run(Stepper<adams4, N, F>{f, history});
    case adams_moulton5: return run(Stepper<adams_moulton5, N, F>{f, history});
    case adams_moulton6: return run(Stepper<adams_moulton6, N, F>{f, history});
    case runge_kutta4: break;
  }
  return run(Stepper<runge_kutta4, N, F>{f, history});
}

}  // namespace jj
