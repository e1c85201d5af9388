// Accuracy and contract of the five steppers and the multistep start-up.
#include "integrators.hpp"
#include "integrators/lanes.hpp"
#include "normalized_model.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace jj {
namespace {

using enum IntegrationMethod;
constexpr IntegrationMethod all_methods[] = {runge_kutta4, adams3, adams4, adams_moulton5,
                                             adams_moulton6};

// n steps from tau = 0 with one start-up of depth 5, tau by repeated addition.
template <std::size_t N, class F>
State<N> integrate(IntegrationMethod method, const F& f, State<N> y, double h, int n) {
  MultistepHistory<N> history;
  return with_stepper(method, f, history, [&](const auto& step) {
    step.start(0.0, y, h, 5);
    double tau = 0;
    for (int i = 0; i < n; ++i, tau = tau + h) step(tau, y, h);
    return y;
  });
}

// phi' = v, v' = -phi from (0, 1): phi = sin(tau), v = cos(tau).
const auto oscillator = [](double, const JunctionState& y, int k) { return k == 0 ? y[1] : -y[0]; };

double oscillator_error_at_10(IntegrationMethod method, double h) {
  const JunctionState y = integrate(method, oscillator, JunctionState{0.0, 1.0}, h, int(10 / h + 0.5));
  return std::hypot(y[0] - std::sin(10.0), y[1] - std::cos(10.0));
}

struct ConvergenceCase {
  IntegrationMethod method;
  double error_at_h005;  // length of the error vector at tau = 10, h = 0.05
  int order;
};

void PrintTo(const ConvergenceCase& c, std::ostream* out) { *out << "method " << int(c.method); }

class OscillatorConvergence : public ::testing::TestWithParam<ConvergenceCase> {};

TEST_P(OscillatorConvergence, ErrorAndObservedOrderUnderHalving) {
  const auto [method, expected_error, order] = GetParam();
  const double e1 = oscillator_error_at_10(method, 0.05);
  const double e2 = oscillator_error_at_10(method, 0.025);
  const double e3 = oscillator_error_at_10(method, 0.0125);
  EXPECT_NEAR(e1, expected_error, 0.05 * expected_error);
  EXPECT_NEAR(std::log2(e1 / e2), order, 0.3);
  EXPECT_NEAR(std::log2(e2 / e3), order, 0.3);
}

INSTANTIATE_TEST_SUITE_P(FiveMethods, OscillatorConvergence,
                         ::testing::Values(ConvergenceCase{runge_kutta4, 5.2e-7, 4},
                                           ConvergenceCase{adams3, 4.7e-4, 3},
                                           ConvergenceCase{adams4, 2.2e-5, 4},
                                           ConvergenceCase{adams_moulton5, 6.0e-8, 5},
                                           ConvergenceCase{adams_moulton6, 2.3e-9, 6}));

// phi' = tau^p: a method of order q integrates it exactly for p < q, from the
// first step on, the start-up included.
TEST(PolynomialExactness, EveryMethodUpToItsDegree) {
  const int highest_exact_power[] = {3, 2, 3, 4, 5};
  for (IntegrationMethod method : all_methods) {
    for (int p = 0; p <= highest_exact_power[int(method)]; ++p) {
      const auto power_of_time = [p](double tau, const JunctionState&, int k) {
        return k == 0 ? std::pow(tau, p) : 0.0;
      };
      for (int n : {1, 2, 7, 40}) {
        const double h = 0.1;
        const double phi = integrate(method, power_of_time, JunctionState{0, 0}, h, n)[0];
        const double exact = std::pow(n * h, p + 1) / (p + 1);
        EXPECT_NEAR(phi, exact, 1e-13 * std::max(1.0, exact))
            << "method " << int(method) << ", p = " << p << ", n = " << n;
      }
    }
  }
}

// A driven pendulum: every component and the time argument matter.
const auto driven = [](double tau, const JunctionState& y, int k) {
  return k == 0 ? y[1] : (0.7 * std::sin(0.9 * tau) - std::sin(y[0]) - y[1] + 0.3) / 2.0;
};

TEST(MultistepStart, RestoresTheStateBitForBit) {
  for (int depth = 1; depth <= 5; ++depth) {
    for (double h : {0.3, 0.01, 1e-7, -0.2}) {
      MultistepHistory<2> history;
      const JunctionState before{1.234567890123, -0.98765432109};
      JunctionState y = before;
      multistep_start(driven, history, 0.0, y, h, depth);
      EXPECT_EQ(y, before) << "depth " << depth << ", h " << h;
    }
  }
}

TEST(MultistepStart, AdamsThreeGivesTheSameStatesWithDepthTwoAndFive) {
  JunctionState y2{0.5, 0.1}, y5{0.5, 0.1};
  MultistepHistory<2> short_history, long_history;
  const double h = 0.05;
  multistep_start(driven, short_history, 0.0, y2, h, 2);
  multistep_start(driven, long_history, 0.0, y5, h, 5);
  double tau = 0;
  for (int i = 0; i < 1000; ++i, tau = tau + h) {
    adams3_step(driven, short_history, tau, y2);
    adams3_step(driven, long_history, tau, y5);
  }
  EXPECT_EQ(y2, y5);
}

TEST(Steppers, ZeroMeshLengthLeavesTheStateUnchanged) {
  for (IntegrationMethod method : all_methods) {
    const JunctionState before{0.7, -0.3};
    EXPECT_EQ(integrate(method, driven, before, 0.0, 10), before) << int(method);
  }
}

// Components 2 to 5 that stay zero do not disturb components 0 and 1.
TEST(Steppers, SixComponentStateMatchesTwoComponents) {
  const auto driven6 = [](double tau, const State<6>& y, int k) {
    return k < 2 ? driven(tau, JunctionState{y[0], y[1]}, k) : 0.0;
  };
  for (IntegrationMethod method : all_methods) {
    const JunctionState two = integrate(method, driven, JunctionState{0.2, 0.4}, 0.02, 500);
    const State<6> six = integrate(method, driven6, State<6>{0.2, 0.4, 0, 0, 0, 0}, 0.02, 500);
    EXPECT_EQ(two[0], six[0]) << int(method);
    EXPECT_EQ(two[1], six[1]) << int(method);
  }
}

// The calls a step makes: how many, in which order, and which is the last.
// A model that keeps side values of its latest call depends on this.
struct Call {
  double tau;
  int k;
  JunctionState y;
};

TEST(Steppers, DerivativeCallsPerStepAndTheLastOne) {
  struct Expected {
    IntegrationMethod method;
    std::size_t calls;
    double last_tau;  // for a step from tau = 1 with h = 0.5
  };
  const Expected table[] = {{runge_kutta4, 8, 1.5}, {adams3, 2, 1.0}, {adams4, 2, 1.0},
                            {adams_moulton5, 4, 1.5}, {adams_moulton6, 4, 1.5}};
  for (const auto& [method, calls, last_tau] : table) {
    std::vector<Call> log;
    const auto recorded = [&log](double tau, const JunctionState& y, int k) {
      log.push_back({tau, k, y});
      return driven(tau, y, k);
    };
    MultistepHistory<2> history;
    JunctionState y{0.1, 0.2};
    with_stepper(method, recorded, history, [&](const auto& step) {
      step.start(1.0, y, 0.5, 5);
      EXPECT_EQ(log.size(), method == runge_kutta4 ? 0u : 50u);  // 5 backward steps of 5N
      if (!log.empty()) {
        EXPECT_EQ(log.back().tau, 1.0 - 5 * 0.5);
      }
      log.clear();
      step(1.0, y, 0.5);
    });
    ASSERT_EQ(log.size(), calls) << int(method);
    for (std::size_t i = 0; i < log.size(); ++i) EXPECT_EQ(log[i].k, int(i % 2));
    EXPECT_EQ(log.back().tau, last_tau) << int(method);
  }
}

// The start-up evaluates the drive before the initial time.
TEST(MultistepStart, EvaluatesAtNegativeTimes) {
  std::vector<double> row_times;
  const auto recorded = [&row_times](double tau, const JunctionState& y, int k) {
    if (k == 0) row_times.push_back(tau);
    return driven(tau, y, k);
  };
  MultistepHistory<2> history;
  JunctionState y{0, 0};
  multistep_start(recorded, history, 0.0, y, 0.25, 2);
  // Each backward step: 4 stage times, then the row time.
  const std::vector<double> expected{0, -0.125, -0.125, -0.25, -0.25,
                                     -0.25, -0.375, -0.375, -0.5, -0.5};
  EXPECT_EQ(row_times, expected);
}

// Lanes advanced side by side give every lane the bits of its own run, for
// every method and both start-up depths, with the drive shared across lanes.
TEST(Lanes, EveryLaneMatchesItsOwnRunBitForBit) {
  const NormalizedParams common{3.0, 0.0, 0.9, 0.66};
  constexpr std::size_t B = 3;
  const double I0[B] = {0.2, 1.1, 1.7}, h = 0.03;
  const struct {
    IntegrationMethod method;
    int depth;
  } table[] = {{runge_kutta4, 2}, {adams3, 2}, {adams3, 5}, {adams4, 5}, {adams_moulton5, 5},
               {adams_moulton6, 5}};
  for (const auto& [method, depth] : table) {
    NormalizedLanes<B> lane_model{common};
    Lanes<2, B> lanes{};
    for (std::size_t l = 0; l < B; ++l) {
      lane_model.I0[l] = I0[l];
      lanes[l] = {0.1 * double(l), -0.2};
    }
    LaneHistory<2, B> lane_history;
    with_lane_stepper(method, lane_model, lane_history, [&](const auto& step) {
      step.start(0.0, lanes, h, depth);
      double tau = 0;
      for (int i = 0; i < 20000; ++i, tau = tau + h) step(tau, lanes, h);
    });
    for (std::size_t l = 0; l < B; ++l) {
      NormalizedParams own = common;
      own.I0 = I0[l];
      const NormalizedModel model{own};
      MultistepHistory<2> history;
      JunctionState alone{0.1 * double(l), -0.2};
      with_stepper(method, model, history, [&](const auto& step) {
        step.start(0.0, alone, h, depth);
        double tau = 0;
        for (int i = 0; i < 20000; ++i, tau = tau + h) step(tau, alone, h);
      });
      EXPECT_EQ(lanes[l], alone) << "method " << int(method) << ", depth " << depth << ", lane " << l;
    }
  }
}

}  // namespace
}  // namespace jj
