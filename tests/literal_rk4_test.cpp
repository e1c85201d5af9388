// The templated Runge-Kutta step gives the bits of the literal one.
#include "integrators.hpp"
#include "literal_rk4.hpp"

#include <gtest/gtest.h>

namespace jj {
namespace {

TEST(TemplatedRungeKutta, BitIdenticalToTheLiteralStepOverManySteps) {
  const NormalizedParams p{3.0, 1.1, 0.9, 0.66};  // a chaotic point: differences would grow
  literal::params = p;
  const NormalizedModel model{p};
  JunctionState fast{0.1, -0.2};
  double literal_state[2] = {0.1, -0.2};
  const double h = 0.03;
  double tau = 0;
  for (int i = 0; i < 200000; ++i, tau = tau + h) {
    rk4_step(model, tau, fast, h);
    literal::rk4_step(literal::normalized_derivative, 2, tau, literal_state, h);
    ASSERT_EQ(fast[0], literal_state[0]) << "step " << i;
    ASSERT_EQ(fast[1], literal_state[1]) << "step " << i;
  }
}

}  // namespace
}  // namespace jj
