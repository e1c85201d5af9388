// The normalized junction equations and the random starting point.
#include "normalized_model.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace jj {
namespace {

constexpr double pi = 3.14159265358979323846;

TEST(NormalizedDerivative, PhaseSlopeIsTheVoltageWhateverTheParameters) {
  const NormalizedParams zero_betac{0.0, 1.0, 2.0, 3.0};
  EXPECT_EQ(normalized_derivative(zero_betac, 1.5, JunctionState{0.3, -0.123456789}, 0),
            -0.123456789);
}

TEST(NormalizedDerivative, VoltageSlopeInTypicalStates) {
  struct Case {
    NormalizedParams p;  // BetaC, I0, I1, Omega1
    double tau, phi, v, expected;
  };
  const Case cases[] = {
      {{2.0, 0.6, 0.0, 0.0}, 0.0, 0.0, 0.0, 0.3},                // at rest: I0 / BetaC
      {{1.0, 1.0, 0.0, 0.0}, 0.0, pi / 2, 0.0, 0.0},            // bias balances sin(phi)
      {{1.0, 0.0, 0.0, 7.0}, 3.3, 0.0, 0.0, 0.0},               // no drive without I1
      {{4.0, 0.0, 2.0, 1.0}, pi / 2, 0.0, 0.0, 0.5},            // drive at its crest
      {{0.5, 0.2, 0.0, 0.0}, 0.0, 0.0, 1.0, (0.2 - 1.0) / 0.5}, // resistive damping
  };
  for (const Case& c : cases)
    EXPECT_DOUBLE_EQ(normalized_derivative(c.p, c.tau, JunctionState{c.phi, c.v}, 1), c.expected);
}

TEST(FixedNormalizedDerivative, TimingProblemConstants) {
  EXPECT_EQ(fixed_normalized_derivative(0.0, JunctionState{0, 0}, 1), 0.04);
  EXPECT_EQ(fixed_normalized_derivative(0.0, JunctionState{0, 0.25}, 0), 0.25);
  // Omega1 = 0.2, I1 = 20, I0 = 1, BetaC = 25 applied as the factor 0.04.
  const double tau = 2.0, phi = 0.4, v = -0.3;
  EXPECT_EQ(fixed_normalized_derivative(tau, JunctionState{phi, v}, 1),
            (((20.0 * std::sin(0.2 * tau)) - std::sin(phi)) - v + 1.0) * 0.04);
}

TEST(RandomStart, DrawsMapOntoThePhaseAndVoltageRanges) {
  EXPECT_EQ(phase_from_draw(0), 0.0);
  EXPECT_DOUBLE_EQ(phase_from_draw(32767), 6.28318530718);
  EXPECT_NEAR(voltage_from_draw(0), -0.999969481490524, 1e-15);
  EXPECT_EQ(voltage_from_draw(16383), 0.0);
  EXPECT_NEAR(voltage_from_draw(32767), 1.000030518509476, 1e-15);
}

TEST(RandomStart, GeneratorCoversZeroTo32767) {
  seed_random_generator(12345);
  int lowest = 32767, highest = 0;
  for (int i = 0; i < 1000000; ++i) {
    const int r = next_random_draw();
    lowest = std::min(lowest, r);
    highest = std::max(highest, r);
  }
  EXPECT_EQ(lowest, 0);
  EXPECT_EQ(highest, 32767);
}

TEST(RandomStart, SameSeedSameStartsPhaseDrawnFirst) {
  seed_random_generator(7);
  const int r1 = next_random_draw(), r2 = next_random_draw();
  seed_random_generator(7);
  const RandomStart start = random_initial_state();
  EXPECT_EQ(start.phase, phase_from_draw(r1));
  EXPECT_EQ(start.value, voltage_from_draw(r2));
}

}  // namespace
}  // namespace jj
