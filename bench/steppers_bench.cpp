// Cost of one mesh step of the rf-driven junction (BetaC = 3, I0 = 1.1,
// I1 = 0.9, Omega1 = 0.66, h = 0.03) for every method, next to the literal
// step of the same method, to four bias points advanced side by side, to the
// sine calls of one Runge-Kutta step, and to Boost.Odeint's runge_kutta4 on
// the same problem (not bit-identical: its weighted sums are grouped
// otherwise).
#include "integrators.hpp"
#include "integrators/lanes.hpp"
#include "literal_steppers.hpp"
#include "normalized_model.hpp"

#include <benchmark/benchmark.h>
#if __has_include(<boost/numeric/odeint.hpp>)
#include <boost/numeric/odeint.hpp>
#define JJ_HAVE_ODEINT 1
#endif

#include <cmath>

namespace {

using namespace jj;

constexpr NormalizedParams bench_params{3.0, 1.1, 0.9, 0.66};
constexpr double h = 0.03;
constexpr int steps_per_iteration = 10000;

benchmark::Counter per_step() {
  return benchmark::Counter(steps_per_iteration,
                            benchmark::Counter::kIsIterationInvariantRate |
                                benchmark::Counter::kInvert);
}

void BM_TemplatedStepper(benchmark::State& state) {
  const auto method = static_cast<IntegrationMethod>(state.range(0));
  const NormalizedModel model{bench_params};
  MultistepHistory<2> history;
  JunctionState y{0.1, -0.2};
  with_stepper(method, model, history, [&](const auto& step) {
    step.start(0.0, y, h, 5);
    double tau = 0;
    for (auto _ : state) {
      for (int i = 0; i < steps_per_iteration; ++i, tau = tau + h) step(tau, y, h);
      benchmark::DoNotOptimize(y);
    }
  });
  state.counters["time_per_step"] = per_step();
}
BENCHMARK(BM_TemplatedStepper)->DenseRange(0, 4)->ArgName("method");

void BM_LiteralStepper(benchmark::State& state) {
  const int method = int(state.range(0));
  literal::params = bench_params;
  literal::History history;
  double y[2] = {0.1, -0.2};
  literal::start(method, literal::normalized_derivative, 2, history, 0.0, y, h, 5);
  double tau = 0;
  for (auto _ : state) {
    for (int i = 0; i < steps_per_iteration; ++i, tau = tau + h)
      literal::step(method, literal::normalized_derivative, 2, history, tau, y, h);
    benchmark::DoNotOptimize(y);
  }
  state.counters["time_per_step"] = per_step();
}
BENCHMARK(BM_LiteralStepper)->DenseRange(0, 4)->ArgName("method");

#ifdef JJ_HAVE_ODEINT
// The same equations as an Odeint system: dxdt from x at t.
void BM_OdeintRungeKutta4(benchmark::State& state) {
  using Vector = std::array<double, 2>;
  const auto system = [](const Vector& x, Vector& dxdt, double t) {
    dxdt[0] = x[1];
    dxdt[1] = normalized_voltage_slope(bench_params, t, x[0], x[1]);
  };
  boost::numeric::odeint::runge_kutta4<Vector> stepper;
  Vector y{0.1, -0.2};
  double tau = 0;
  for (auto _ : state) {
    for (int i = 0; i < steps_per_iteration; ++i, tau = tau + h) stepper.do_step(system, y, tau, h);
    benchmark::DoNotOptimize(y);
  }
  state.counters["time_per_step"] = per_step();
}
BENCHMARK(BM_OdeintRungeKutta4);
#endif

// Four bias points side by side (the sweeps of jj_scatter and jj_lyap, the
// random starts of jj_ivnorm and jj_iv): time per step of one point.
void BM_FourLanes(benchmark::State& state) {
  const auto method = static_cast<IntegrationMethod>(state.range(0));
  constexpr std::size_t B = 4;
  NormalizedLanes<B> model{bench_params, {1.1, 1.2, 1.3, 1.4}};
  LaneHistory<2, B> history;
  Lanes<2, B> y{};
  with_lane_stepper(method, model, history, [&](const auto& step) {
    step.start(0.0, y, h, 5);
    double tau = 0;
    for (auto _ : state) {
      for (int i = 0; i < steps_per_iteration; ++i, tau = tau + h) step(tau, y, h);
      benchmark::DoNotOptimize(y);
    }
  });
  state.counters["time_per_step"] = benchmark::Counter(
      steps_per_iteration * double(B),
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_FourLanes)->DenseRange(0, 4)->ArgName("method");

// The eight sines of one Runge-Kutta step: four of the phase, each waiting
// for the stage before it, and four of the drive, known in advance.
void BM_SinesOfOneRungeKuttaStep(benchmark::State& state) {
  double phi = 0.1, tau = 0, drive = 0;
  for (auto _ : state) {
    for (int i = 0; i < steps_per_iteration; ++i, tau = tau + h) {
      for (int stage = 0; stage < 4; ++stage) {
        phi = phi + 0.01 * std::sin(phi);
        drive = drive + std::sin(0.66 * (tau + 0.01 * stage));
      }
    }
    benchmark::DoNotOptimize(phi);
    benchmark::DoNotOptimize(drive);
  }
  state.counters["time_per_step"] = per_step();
}
BENCHMARK(BM_SinesOfOneRungeKuttaStep);

// One sine waiting for the one before it (the phase chain of a single
// trajectory), and one sine of a known argument (what lanes can overlap).
void BM_DependentSine(benchmark::State& state) {
  double phi = 0.1;
  for (auto _ : state) {
    for (int i = 0; i < steps_per_iteration; ++i) phi = phi + 0.01 * std::sin(phi);
    benchmark::DoNotOptimize(phi);
  }
  state.counters["time_per_sine"] = per_step();
}
BENCHMARK(BM_DependentSine);

void BM_IndependentSine(benchmark::State& state) {
  double tau = 0, sum = 0;
  for (auto _ : state) {
    for (int i = 0; i < steps_per_iteration; ++i, tau = tau + h) sum = sum + std::sin(0.66 * tau);
    benchmark::DoNotOptimize(sum);
  }
  state.counters["time_per_sine"] = per_step();
}
BENCHMARK(BM_IndependentSine);

}  // namespace

BENCHMARK_MAIN();
