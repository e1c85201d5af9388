// Bit identity of the fast paths with the literal integrators: every method,
// one trajectory and four lanes side by side, on a chaotic and a phase-locked
// point, compared through a hash of the state after every step (a difference
// in the last bit of a large phase could hide in the final state alone).
#include "integrators.hpp"
#include "integrators/lanes.hpp"
#include "literal_steppers.hpp"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>

namespace jj {
namespace {

// FNV-1a over the bit patterns of the state, step after step.
class StateHash {
 public:
  void add(const double* y, int n) {
    for (int k = 0; k < n; ++k) {
      value_ ^= std::bit_cast<std::uint64_t>(y[k]);
      value_ *= 0x100000001b3ULL;
    }
  }
  std::uint64_t value() const { return value_; }

 private:
  std::uint64_t value_ = 0xcbf29ce484222325ULL;
};

constexpr double h = 0.03;
constexpr int steps = 100000;
constexpr int depth = 5;
constexpr JunctionState start_state{0.1, -0.2};

struct Point {
  const char* name;
  NormalizedParams params;
};
// BetaC = 3, I1 = 0.9, Omega1 = 0.66 at I0 = 1.1 is chaotic; BetaC = 1,
// I1 = 1, Omega1 = 1 at I0 = 1.2 sits on the first Shapiro step.
const Point points[] = {{"chaotic", {3.0, 1.1, 0.9, 0.66}}, {"phase-locked", {1.0, 1.2, 1.0, 1.0}}};

std::uint64_t literal_hash(int method, const NormalizedParams& p) {
  literal::params = p;
  literal::History history;
  double y[2] = {start_state[0], start_state[1]};
  literal::start(method, literal::normalized_derivative, 2, history, 0.0, y, h, depth);
  StateHash hash;
  double tau = 0;
  for (int i = 0; i < steps; ++i, tau = tau + h) {
    literal::step(method, literal::normalized_derivative, 2, history, tau, y, h);
    hash.add(y, 2);
  }
  return hash.value();
}

class FastPath : public ::testing::TestWithParam<int> {};

TEST_P(FastPath, OneTrajectoryHashesAsTheLiteralStepAfterEveryStep) {
  const int method = GetParam();
  for (const Point& point : points) {
    const NormalizedModel model{point.params};
    MultistepHistory<2> history;
    JunctionState y = start_state;
    StateHash hash;
    with_stepper(IntegrationMethod(method), model, history, [&](const auto& step) {
      step.start(0.0, y, h, depth);
      double tau = 0;
      for (int i = 0; i < steps; ++i, tau = tau + h) {
        step(tau, y, h);
        hash.add(y.data(), 2);
      }
    });
    EXPECT_EQ(hash.value(), literal_hash(method, point.params)) << point.name;
  }
}

// The two points and two more biases of the chaotic junction, side by side.
TEST_P(FastPath, FourLanesHashAsFourLiteralRuns) {
  const int method = GetParam();
  constexpr std::size_t B = 4;
  const NormalizedParams junction = points[0].params;
  const double I0[B] = {1.1, 0.3, 1.6, 2.4};
  NormalizedLanes<B> model{junction};
  LaneHistory<2, B> history;
  Lanes<2, B> y;
  for (std::size_t l = 0; l < B; ++l) model.I0[l] = I0[l], y[l] = start_state;
  StateHash hash[B];
  with_lane_stepper(IntegrationMethod(method), model, history, [&](const auto& step) {
    step.start(0.0, y, h, depth);
    double tau = 0;
    for (int i = 0; i < steps; ++i, tau = tau + h) {
      step(tau, y, h);
      for (std::size_t l = 0; l < B; ++l) hash[l].add(y[l].data(), 2);
    }
  });
  for (std::size_t l = 0; l < B; ++l) {
    NormalizedParams alone = junction;
    alone.I0 = I0[l];
    EXPECT_EQ(hash[l].value(), literal_hash(method, alone)) << "I0 = " << I0[l];
  }
}

INSTANTIATE_TEST_SUITE_P(EveryMethod, FastPath, ::testing::Range(0, 5));

// The build keeps a * b + c two roundings: with contraction into a fused
// multiply-add (where the processor has one) the product's rounding would be
// lost. (1 + 2^-30)(1 - 2^-30) = 1 - 2^-60 rounds to 1.
TEST(Build, MultiplyAndAddAreNotFused) {
  volatile double a = 1.0 + 0x1p-30, b = 1.0 - 0x1p-30, c = -1.0;
  const double x = a, y = b, z = c;
  EXPECT_EQ(x * y + z, 0.0);
}

}  // namespace
}  // namespace jj
