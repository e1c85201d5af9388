// The tangent equations and their Gram-Schmidt step, and whole runs of
// jj_lyap: transcripts, the area contraction law, the independence of the
// bias points, and the answers it refuses.
#include "program_runner.hpp"
#include "tangent_equations.hpp"
#include "time_loop.hpp"

#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <sstream>
#include <vector>

namespace jj {
namespace {

constexpr double pi = 3.14159265358979323846;

// ---- Tangent equations and orthonormalization --------------------------------

TEST(LyapunovDerivative, JunctionAndTangentComponents) {
  const NormalizedParams p{2.0, 0.3, 0.7, 1.1};  // BetaC, I0, I1, Omega1
  const LyapunovState y{0.4, -0.2, 1.5, 0.25, -0.5, 2.0};
  EXPECT_EQ(lyapunov_derivative(p, 0.9, y, 0), -0.2);
  EXPECT_EQ(lyapunov_derivative(p, 0.9, y, 1),
            normalized_derivative(p, 0.9, JunctionState{0.4, -0.2}, 1));
  EXPECT_EQ(lyapunov_derivative(p, 0.9, y, 2), 0.25);
  EXPECT_EQ(lyapunov_derivative(p, 0.9, y, 3), -(((std::cos(0.4) * 1.5) + 0.25) / 2.0));
  EXPECT_EQ(lyapunov_derivative(p, 0.9, y, 4), 2.0);
  EXPECT_EQ(lyapunov_derivative(p, 0.9, y, 5), -(((std::cos(0.4) * -0.5) + 2.0) / 2.0));
}

// The restoring force cos(phi) dphi changes sign between the bottom and the
// top of the washboard.
TEST(LyapunovDerivative, TangentSlopeAtTheBottomAndTopOfThePotential) {
  const NormalizedParams p{2.0, 0.0, 0.0, 0.0};
  EXPECT_EQ(lyapunov_derivative(p, 0.0, LyapunovState{0, 0, 1, 0, 0, 0}, 3), -0.5);
  EXPECT_NEAR(lyapunov_derivative(p, 0.0, LyapunovState{pi, 0, 1, 0, 0, 0}, 3), 0.5, 1e-16);
}

TEST(OrthonormalizeTangents, UnitOrthogonalVectorsAndLogStretches) {
  struct Case {
    double a_phi, a_v, b_phi, b_v;
    double stretch_a, stretch_b;  // |a| and the length of b off a
  };
  const Case cases[] = {
      {3.0, 4.0, 1.0, 1.0, 5.0, 0.2},       // b off a: (1, 1) - 1.4 (0.6, 0.8)
      {2.0, 0.0, 5.0, -3.0, 2.0, 3.0},      // a along phi
      {1e-3, 2e-3, 4e3, 1e3, std::sqrt(5e-6), 7e3 / std::sqrt(5.0)},  // strong squeeze and stretch
      {0.7, -0.2, 0.7, -0.19, std::hypot(0.7, 0.2), 0.7 * 0.01 / std::hypot(0.7, 0.2)},  // nearly parallel
  };
  for (const Case& c : cases) {
    LyapunovState y{0.3, -1.7, c.a_phi, c.a_v, c.b_phi, c.b_v};
    double S_a = 0.25, S_b = -0.5;
    orthonormalize_tangents(y, S_a, S_b);
    EXPECT_EQ(y[0], 0.3);
    EXPECT_EQ(y[1], -1.7);
    EXPECT_NEAR(std::hypot(y[2], y[3]), 1.0, 1e-15);
    EXPECT_NEAR(std::hypot(y[4], y[5]), 1.0, 1e-15);
    EXPECT_NEAR(y[2] * y[4] + y[3] * y[5], 0.0, 1e-12) << c.b_v;
    EXPECT_NEAR(y[2] * c.a_v - y[3] * c.a_phi, 0.0, 1e-15);  // a keeps its direction
    EXPECT_NEAR(S_a, 0.25 + std::log(c.stretch_a), 1e-14);
    EXPECT_NEAR(S_b, -0.5 + std::log(c.stretch_b), 1e-9);
  }
}

TEST(OrthonormalizeTangents, OrthonormalVectorsAreLeftAsTheyAre) {
  const LyapunovState exact[] = {{0.1, 0.2, 1, 0, 0, 1}, {0.1, 0.2, 0, 1, -1, 0}, {0.1, 0.2, -1, 0, 0, -1}};
  for (const LyapunovState& start : exact) {
    LyapunovState y = start;
    double S_a = 0, S_b = 0;
    orthonormalize_tangents(y, S_a, S_b);
    EXPECT_EQ(y, start);
    EXPECT_EQ(S_a, 0.0);
    EXPECT_EQ(S_b, 0.0);
  }
  const double t = 0.7;
  LyapunovState y{0, 0, std::cos(t), std::sin(t), -std::sin(t), std::cos(t)};
  const LyapunovState rotated = y;
  double S_a = 0, S_b = 0;
  orthonormalize_tangents(y, S_a, S_b);
  for (int k = 2; k < 6; ++k) EXPECT_NEAR(y[k], rotated[k], 1e-16);
  EXPECT_NEAR(S_a, 0.0, 1e-16);
  EXPECT_NEAR(S_b, 0.0, 1e-16);
}

}  // namespace

// ---- Whole runs ---------------------------------------------------------------

namespace test {
namespace {

std::vector<std::string> data_lines(const std::string& file) {
  std::vector<std::string> result;
  std::istringstream in(file);
  for (std::string line; std::getline(in, line);)
    if (!line.empty() && line[0] != '#') result.push_back(line);
  return result;
}

std::vector<double> columns(const std::string& line) {
  std::vector<double> values;
  std::istringstream in(line);
  for (double x; in >> x;) values.push_back(x);
  return values;
}

class LyapTranscript : public ::testing::TestWithParam<const char*> {};

TEST_P(LyapTranscript, ConsoleAndFileMatchByteForByte) {
  const std::string name = GetParam();
  const ProgramRun run = run_program("jj_lyap", test_data("fixtures/lyap/" + name + ".in"), "lyap.dat");
  ASSERT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(run.errors, "");
  EXPECT_EQ(run.console, test_data("golden/lyap/" + name + ".console"));
  EXPECT_EQ(run.file, test_data("golden/lyap/" + name + ".dat"));
}

INSTANTIATE_TEST_SUITE_P(
    BothMethodsWithAndWithoutTransient, LyapTranscript,
    ::testing::Values("rest_rk4", "grid_rk4", "chaos_rk4_transient", "chaos_adams_transient",
                      "chaos_adams_no_transient", "zero_sweeps", "empty_range"));

// A linear oscillator with BetaC = 1: the tangent flow has the eigenvalues
// -0.5 +- 0.866i, and both exponents approach -0.5. The sum counts the 6284
// steps taken over a span of 6283.
TEST(LyapPhysics, JunctionAtRest) {
  const ProgramRun run = run_program(
      "jj_lyap", lines({"lyap.dat", "1", "1", "0", "0.01", "0", "0", "10", "0", "0", "0.1", "1"}),
      "lyap.dat");
  ASSERT_EQ(run.status, 0) << run.errors;
  const auto rows = data_lines(run.file);
  ASSERT_EQ(rows.size(), 1u);
  const auto lyap = columns(rows[0]);
  EXPECT_NEAR(lyap[1], -0.4946, 1e-4);
  EXPECT_NEAR(lyap[2], -0.5056, 1e-4);
  EXPECT_NEAR(lyap[3], -6284.0 / 6283.0, 1e-9);
}

// Mesh steps of the accumulation loop, tau from T_tr while tau <= T_tr + T_rec.
int accumulation_steps(double T_tr, double T_rec, double h) {
  int steps = 0;
  for (double tau = T_tr; tau <= T_tr + T_rec; tau = tau + h) ++steps;
  return steps;
}

// The tangent flow contracts areas of the (phi, v) plane at the rate 1/BetaC
// whatever the motion, so on a chaotic point too Lyap(phi) + Lyap(v) is
// -(K / N_rec) / BetaC for K steps summed over a span of N_rec steps. Adams
// combines the rescaled tangent vectors with an unrescaled history, which
// makes its sum first-order accurate in h.
TEST(LyapPhysics, SumOfExponentsIsTheAreaContractionRate) {
  const double BetaC = 4, Omega1 = 0.3333333, h = 0.01;
  const int C_tr = 10, C_rec = 20;
  const double T_rf = 6.28318530718 / Omega1;
  const int N_rec = span_to_steps(C_rec * T_rf, h);
  const double T_tr = span_to_steps(C_tr * T_rf, h) * h;
  const double expected = -(double(accumulation_steps(T_tr, N_rec * h, h)) / N_rec) / BetaC;
  struct Case {
    const char* method;
    double relative_error;
  };
  for (const Case c : {Case{"0", 1e-7}, Case{"1", h}}) {
    const ProgramRun run =
        run_program("jj_lyap",
                    lines({"lyap.dat", "4", "0.3333333", "1.5", "0.01", c.method, "10", "20",
                           "0.05", "0.05", "0.1", "1"}),
                    "lyap.dat");
    ASSERT_EQ(run.status, 0) << run.errors;
    const auto rows = data_lines(run.file);
    ASSERT_EQ(rows.size(), 1u);
    const auto lyap = columns(rows[0]);
    EXPECT_GT(lyap[1], 0.02) << "method " << c.method << ": the point is chaotic";
    EXPECT_NEAR(lyap[3], expected, c.relative_error * std::fabs(expected)) << "method " << c.method;
  }
}

// Every point starts from rest with a fresh history: I0 = 0.25 gives the same
// line alone, inside a sweep, and in the second of two sweeps after another
// point.
TEST(LyapSweeps, APointsLineDoesNotDependOnItsSweep) {
  for (const char* method : {"0", "1"}) {
    auto run_range = [method](const char* I_min, const char* I_max, const char* DeltaI0,
                              const char* sweeps) {
      const ProgramRun run = run_program(
          "jj_lyap",
          lines({"lyap.dat", "4", "0.3333333", "1.5", "0.05", method, "2", "3", I_min, I_max,
                 DeltaI0, sweeps}),
          "lyap.dat");
      EXPECT_EQ(run.status, 0) << run.errors;
      return data_lines(run.file);
    };
    const auto alone = run_range("0.25", "0.25", "0.1", "1");
    const auto in_sweep = run_range("0", "0.5", "0.25", "1");
    const auto second_sweep = run_range("0", "0.25", "0.5", "2");
    ASSERT_EQ(alone.size(), 1u);
    ASSERT_EQ(in_sweep.size(), 3u);
    ASSERT_EQ(second_sweep.size(), 2u);
    EXPECT_EQ(alone[0].rfind("0.2500000000\t", 0), 0u);
    EXPECT_EQ(in_sweep[1], alone[0]) << "method " << method;
    EXPECT_EQ(second_sweep[1], alone[0]) << "method " << method;
  }
}

// Base run: file, BetaC, Omega1, I1, h, method, C_tr, C_rec, I0min, I0max,
// DeltaI0, sweeps.
std::vector<std::string> valid_answers() {
  return {"lyap.dat", "4", "0.5", "1.2", "0.1", "0", "1", "2", "0", "0.2", "0.1", "1"};
}

std::vector<std::string> with(std::size_t index, const std::string& answer) {
  auto answers = valid_answers();
  answers[index] = answer;
  return answers;
}

class LyapRefusal : public ::testing::TestWithParam<Refusal> {};

TEST_P(LyapRefusal, StopsWithAMessageNamingTheAcceptedValues) {
  const Refusal& r = GetParam();
  const ProgramRun run = run_program("jj_lyap", lines(r.answers), "lyap.dat", 20);
  EXPECT_EQ(run.status, 1) << r.what;
  EXPECT_NE(run.errors.find(r.message), std::string::npos) << r.what << ": " << run.errors;
  EXPECT_EQ(run.file, "") << r.what << ": nothing written";
}

INSTANTIATE_TEST_SUITE_P(
    UnsoundAnswers, LyapRefusal,
    ::testing::Values(
        Refusal{"BetaC = 0", with(1, "0"), "any non-zero BetaC"},
        Refusal{"Omega1 = 0", with(2, "0"), "a positive, finite Omega1"},
        Refusal{"Omega1 negative", with(2, "-0.5"), "a positive, finite Omega1"},
        Refusal{"Omega1 infinite", with(2, "inf"), "a positive, finite Omega1"},
        Refusal{"rf period overflows", with(2, "1e-320"), "a positive, finite Omega1"},
        Refusal{"h = 0", with(4, "0"), "a positive, finite mesh length"},
        Refusal{"h negative", with(4, "-0.1"), "a positive, finite mesh length"},
        Refusal{"method 2", with(5, "2"), "accepted values are 0 and 1"},
        Refusal{"method -1", with(5, "-1"), "accepted values are 0 and 1"},
        Refusal{"negative transient", with(6, "-1"), "a number of rf cycles from 0"},
        Refusal{"transient overflows", with(6, "2000000000"), "a number of rf cycles from 0 to"},
        Refusal{"no recorded cycle", with(7, "0"), "holds at least one"},
        Refusal{"negative recorded cycles", with(7, "-2"), "a number of rf cycles from 0 to"},
        Refusal{"mesh longer than the span", with(4, "100"), "holds at least one"},
        Refusal{"recording overflows", with(7, "2000000000"), "a number of rf cycles from 0 to"},
        Refusal{"spans end at infinity",
                {"lyap.dat", "4", "1e-300", "1.2", "1e308", "0", "20000000", "20000000"},
                "a number of rf cycles from 0 to"},
        Refusal{"infinite current", with(9, "inf"), "a finite current"},
        Refusal{"zero current step", with(10, "0"), "a positive current step"},
        Refusal{"negative current step", with(10, "-0.1"), "a positive current step"},
        Refusal{"sweeps overflow", with(11, "1e10"), "a number of sweeps from"},
        Refusal{"fraction for cycles", with(6, "1.5"), "an integer is expected"}),
    case_name<Refusal>);

TEST(LyapInput, EndOfInputAtEveryQuestionStops) {
  const auto answers = valid_answers();
  for (std::size_t given = 0; given < answers.size(); ++given) {
    const ProgramRun run = run_program(
        "jj_lyap", lines({answers.begin(), answers.begin() + std::ptrdiff_t(given)}), "", 20);
    EXPECT_EQ(run.status, 1) << given << " answers";
    EXPECT_NE(run.errors.find("end of input before the answer to"), std::string::npos) << given;
  }
}

}  // namespace
}  // namespace test
}  // namespace jj
