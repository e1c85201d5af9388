// Spans in mesh steps, the refusal limits of the loops, the clock stamps and
// the grid of interleaved sweeps.
#include "clock.hpp"
#include "sweeps.hpp"
#include "time_loop.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <regex>
#include <vector>

namespace jj {
namespace {

TEST(SpanToSteps, NearestWholeNumberOfSteps) {
  struct Case {
    double span, h;
    int steps;
  };
  const Case cases[] = {{2, 0.25, 8},  {1, 0.3, 3},     {0.1, 0.25, 0}, {0.125, 0.25, 1},
                        {0, 0.1, 0},   {15.7, 0.04, 393}, {-3, 1, -2},  {62.83185307179, 0.01, 6283}};
  for (const Case& c : cases) EXPECT_EQ(span_to_steps(c.span, c.h), c.steps) << c.span << " / " << c.h;
  EXPECT_DOUBLE_EQ(span_to_steps(1, 0.3) * 0.3, 0.9);
}

TEST(SpanToSteps, RefusesCountsThatOverflowAnInt) {
  EXPECT_TRUE(span_fits_int(2147483646.0, 1.0));
  EXPECT_FALSE(span_fits_int(2147483647.5, 1.0));
  EXPECT_FALSE(span_fits_int(1.0, 1e-300));
  EXPECT_FALSE(span_fits_int(-1e300, 1.0));
  EXPECT_FALSE(span_fits_int(NAN, 1.0));
}

TEST(AdditionAdvances, OnlyWhenEveryAdditionMovesTheSum) {
  EXPECT_TRUE(addition_advances(100.0, 0.01));
  EXPECT_TRUE(addition_advances(0.0, 1e-300));
  EXPECT_FALSE(addition_advances(1.0, 1e-17));  // 1 + 1e-17 == 1: the loop would stall
  EXPECT_FALSE(addition_advances(1.0, 0.0));
  EXPECT_FALSE(addition_advances(1.0, -0.1));
  EXPECT_FALSE(addition_advances(INFINITY, 1.0));
  EXPECT_FALSE(addition_advances(1.0, NAN));
  const double ulp_of_1e6 = std::nextafter(1e6, 2e6) - 1e6;
  EXPECT_TRUE(addition_advances(1e6, ulp_of_1e6));
  EXPECT_FALSE(addition_advances(1e6, 0.75 * ulp_of_1e6));
}

// Steps of a loop from tau = 0 while tau <= n h: n + 1 with exact
// arithmetic, fewer when the accumulated tau passes n h first.
TEST(TimeLoop, StepsTakenUpToBothEndsIncluded) {
  struct Case {
    double h;
    int n, steps;
  };
  const Case cases[] = {{0.1, 0, 1},    {0.5, 4, 5},      {0.1, 10, 11},
                        {0.01, 100, 100}, {0.01, 1000, 1001}, {0.1, -5, 0}};
  for (const Case& c : cases) {
    int steps = 0;
    JunctionState y{};
    auto count = [&steps](double, JunctionState&, double) { ++steps; };
    integrate_span(count, y, 0.0, c.n * c.h, c.h);
    EXPECT_EQ(steps, c.steps) << "h = " << c.h << ", n = " << c.n;
  }
}

TEST(ClockStamps, EightCharactersEach) {
  EXPECT_TRUE(std::regex_match(time_stamp(), std::regex(R"(\d\d:\d\d:\d\d)")));
  EXPECT_TRUE(std::regex_match(date_stamp(), std::regex(R"(\d\d/\d\d/\d\d)")));
}

// The currents each sweep visits, up and, with ping_pong, down again.
std::vector<std::vector<double>> sweep_grid(SweepPlan plan, bool ping_pong) {
  std::FILE* console = std::tmpfile();
  Dialogue dialogue(stdin, console, false);
  const auto path = std::filesystem::temp_directory_path() / "jj_sweep_grid.dat";
  DataFile file(path.string());
  std::vector<std::vector<double>> grid;
  double I0 = 0;
  interleaved_sweeps(plan, dialogue, file, "# titles\n", [&](const SweepSpan& span) {
    grid.emplace_back();
    sweep_up(span, I0, [&](double I) { grid.back().push_back(I); });
    if (ping_pong) sweep_down(span, I0, [&](double I) { grid.back().push_back(I); });
  });
  file.close();
  std::fclose(console);
  std::filesystem::remove(path);
  return grid;
}

void expect_grid(const std::vector<std::vector<double>>& grid,
                 const std::vector<std::vector<double>>& expected) {
  ASSERT_EQ(grid.size(), expected.size());
  for (std::size_t k = 0; k < grid.size(); ++k) {
    ASSERT_EQ(grid[k].size(), expected[k].size()) << "sweep " << k + 1;
    for (std::size_t i = 0; i < grid[k].size(); ++i)
      EXPECT_NEAR(grid[k][i], expected[k][i], 1e-12) << "sweep " << k + 1 << ", point " << i;
  }
}

TEST(InterleavedSweeps, TwoPingPongSweepsOffsetByHalfAStep) {
  expect_grid(sweep_grid({0, 1, 0.25, 2}, true),
              {{0, 0.25, 0.5, 0.75, 1, 1, 0.75, 0.5, 0.25, 0},
               {0.125, 0.375, 0.625, 0.875, 1.125, 1.125, 0.875, 0.625, 0.375, 0.125}});
}

TEST(InterleavedSweeps, BothEndsMoveWithTheShift) {
  expect_grid(sweep_grid({0, 1, 0.3, 3}, false),
              {{0, 0.3, 0.6, 0.9}, {0.1, 0.4, 0.7, 1.0}, {0.2, 0.5, 0.8, 1.1}});
  expect_grid(sweep_grid({0, 1, 0.5, 2}, false), {{0, 0.5, 1}, {0.25, 0.75, 1.25}});
}

TEST(InterleavedSweeps, FractionalZeroAndEmptyPlans) {
  EXPECT_EQ(sweep_grid({0, 1, 0.5, 2.5}, false).size(), 3u);
  EXPECT_TRUE(sweep_grid({0, 1, 0.5, 0}, false).empty());
  EXPECT_TRUE(sweep_grid({0, 1, 0.5, -2}, false).empty());
  expect_grid(sweep_grid({1, 0, 0.5, 2}, true), {{}, {}});
}

TEST(InterleavedSweeps, BiasFieldHoldsTheFirstCurrentPastTheEnd) {
  double I0 = -1;
  sweep_up(SweepSpan{1, 0, 1, 0.5}, I0, [](double) {});
  EXPECT_EQ(I0, 1.5);
  sweep_down(SweepSpan{1, 0, 1, 0.5}, I0, [](double) {});
  EXPECT_EQ(I0, -0.5);
}

TEST(SweepRefusals, StepThatCannotAdvanceTheBias) {
  EXPECT_EQ(check_current_step(0, 1, 0.1), "");
  EXPECT_NE(check_current_step(0, 1, 0), "");
  EXPECT_NE(check_current_step(0, 1, -0.1), "");
  EXPECT_NE(check_current_step(1e20, 2e20, 1), "");  // 1e20 + 1 == 1e20
  EXPECT_NE(check_current_step(0, 1, INFINITY), "");
  EXPECT_EQ(check_current_step(1, 0, 0), "");  // no sweep has points
  EXPECT_EQ(check_current_step(1, 0, -0.5), "");
  EXPECT_NE(check_current(NAN), "");
  EXPECT_NE(check_current(-INFINITY), "");
  EXPECT_EQ(check_sweep_count(2.5), "");
  EXPECT_EQ(check_sweep_count(-3), "");
  EXPECT_NE(check_sweep_count(1e10), "");
  EXPECT_NE(check_sweep_count(NAN), "");
}

}  // namespace
}  // namespace jj
