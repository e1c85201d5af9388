// Whole runs of jj_strobe: transcripts, the sampling rule, the Poincare
// section of a phase-locked and of a chaotic junction, and the answers it
// refuses.
#include "integrators.hpp"
#include "normalized_model.hpp"
#include "program_runner.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <sstream>
#include <vector>

namespace jj::test {
namespace {

std::string ten_decimals(double x) {
  char text[64];
  std::snprintf(text, sizeof text, "%.10lf", x);
  return text;
}

// Answers: file, BetaC, Omega1, I1, I0, h, method, C_tr, C_rec, start choice
// (and, for choice 1, phi_0 and v_0).
std::vector<std::string> answers(const std::string& Omega1, const std::string& h,
                                 const std::string& C_tr, const std::string& C_rec,
                                 const std::string& I1 = "0.3", const std::string& I0 = "0.5") {
  return {"strobe.dat", "1", Omega1, I1, I0, h, "0", C_tr, C_rec, "2"};
}

ProgramRun strobe(const std::vector<std::string>& answers) {
  return run_program("jj_strobe", lines(answers), "strobe.dat");
}

// Console and file of a whole run, byte for byte against transcripts made by
// an independent literal transcription (tests/reference/strobe_reference.py).
// The clock is stopped, so that a random start draws the transcription's.
class StrobeTranscript : public ::testing::TestWithParam<const char*> {};

TEST_P(StrobeTranscript, ConsoleAndFileMatchByteForByte) {
  const std::string name = GetParam();
  const ProgramRun run = run_program_at_clock(
      "jj_strobe", test_data("fixtures/strobe/" + name + ".in"), "strobe.dat");
  ASSERT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(run.errors, "");
  EXPECT_EQ(run.console, test_data("golden/strobe/" + name + ".console"));
  EXPECT_EQ(run.file, test_data("golden/strobe/" + name + ".dat"));
}

// Both methods and the three start choices; chaotic runs amplify
// any difference in the last bit to the leading digits within the file.
INSTANTIATE_TEST_SUITE_P(
    EveryMethodAndStartChoice, StrobeTranscript,
    ::testing::Values("rk4_rest", "rk4_no_transient_typed", "rk4_chaotic", "adams_exact_period",
                      "adams_typed_negative_phase", "adams_zero_recorded", "adams_chaotic",
                      "random_rk4", "random_adams"));

// A random start changes the state only: the header, the times and the
// number of samples are those of the run at rest.
TEST(StrobeRandomStart, DrawsPhaseAndVoltageInTheirRanges) {
  std::string answers_text = test_data("fixtures/strobe/rk4_rest.in");
  answers_text.replace(answers_text.rfind("2\n"), 2, "0\n");
  const ProgramRun run = run_program("jj_strobe", answers_text, "strobe.dat");
  ASSERT_EQ(run.status, 0) << run.errors;
  const std::string golden_console = test_data("golden/strobe/rk4_rest.console");
  const std::string golden_file = test_data("golden/strobe/rk4_rest.dat");
  const std::size_t echo = golden_console.rfind("Phi(0) == ");
  EXPECT_EQ(run.console.substr(0, echo), golden_console.substr(0, echo));
  double phi_0 = -1, v_0 = -2;
  ASSERT_EQ(std::sscanf(run.console.c_str() + echo, "Phi(0) == %lf, V(0) == %lf\n", &phi_0, &v_0),
            2);
  EXPECT_GE(phi_0, 0.0);
  EXPECT_LE(phi_0, 6.283186);
  EXPECT_GE(v_0, -0.999970);
  EXPECT_LE(v_0, 1.000031);
  const std::size_t header_end = golden_file.rfind("# Tau");
  EXPECT_EQ(run.file.substr(0, header_end), golden_file.substr(0, header_end));
  const auto rows = data_fields(run.file), golden_rows = data_fields(golden_file);
  ASSERT_EQ(rows.size(), golden_rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) EXPECT_EQ(rows[i][0], golden_rows[i][0]);
}

// ---- Sampling rule ----------------------------------------------------------

struct Sampling {
  const char* what;
  const char *Omega1, *h, *C_tr, *C_rec;
  std::size_t lines;
  double first_tau, spacing;  // tau of the first line, between lines
};

void PrintTo(const Sampling& s, std::ostream* out) { *out << s.what; }

class StrobeSampling : public ::testing::TestWithParam<Sampling> {};

// Lines after recording steps n = 0, M, 2M, ... with M the steps nearest to
// T_rf: int(N_rec / M) + 1 lines, M h apart, the first at tau = T_tr.
TEST_P(StrobeSampling, OneLineEveryMMeshSteps) {
  const Sampling& s = GetParam();
  const ProgramRun run = strobe(answers(s.Omega1, s.h, s.C_tr, s.C_rec));
  ASSERT_EQ(run.status, 0) << run.errors;
  const auto rows = data_rows(run.file);
  ASSERT_EQ(rows.size(), s.lines);
  EXPECT_NEAR(rows[0][0], s.first_tau, 1e-9);
  for (std::size_t i = 1; i < rows.size(); ++i)
    EXPECT_NEAR(rows[i][0] - rows[i - 1][0], s.spacing, 1e-9) << "line " << i;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StrobeSampling,
    ::testing::Values(
        // T_rf = 6.283185: spans of 6283 steps, M = 628, the last line at 125.63.
        Sampling{"ten and ten cycles", "1", "0.01", "10", "10", 11, 62.83, 6.28},
        // T_rf = 12.566: M = 126 steps, not 125.66, so lines lie 12.6 apart.
        Sampling{"h not dividing the period", "0.5", "0.1", "0", "2", 2, 0.0, 12.6},
        // T_rf = 2 exactly: M = 8, lines after the steps from tau = 4, 6, 8, 10.
        Sampling{"h dividing the period", "3.14159265359", "0.25", "2", "3", 4, 4.0, 2.0},
        Sampling{"no recorded cycle", "1", "0.01", "3", "0", 1, 18.85, 0.0}),
    case_name<Sampling>);

TEST(StrobeSamplingRule, EchoesThePeriodAndTheSpansInWholeMeshSteps) {
  const ProgramRun run = strobe(answers("1", "0.01", "10", "10"));
  ASSERT_EQ(run.status, 0) << run.errors;
  EXPECT_NE(run.console.find("1 = 1 ciclo rf == 2*Pi/(Omega1) rad = 6.283185 rad\n"),
            std::string::npos);
  EXPECT_NE(run.console.find("Registro su 62.830000 rad (6283 mesh steps) dopo transiente di "
                             "62.830000 rad (6283 mesh steps)\n"),
            std::string::npos);
  const auto rows = data_fields(run.file);
  EXPECT_EQ(rows.front()[0], "62.8300000000");
  EXPECT_EQ(rows.back()[0], "125.6300000000");
}

// tau is carried by repeated addition of h from T_tr, never recomputed as
// T_tr + n h; over 6283 steps of 0.1 the two differ in the tenth decimal.
TEST(StrobeSamplingRule, TauColumnCarriesTheRoundingOfRepeatedAddition) {
  const double h = 0.1;
  const ProgramRun run = strobe(answers("1", "0.1", "0", "100"));
  ASSERT_EQ(run.status, 0) << run.errors;
  const auto rows = data_fields(run.file);
  ASSERT_EQ(rows.size(), 100u);  // N_rec = 6283, M = 63
  std::size_t line = 0;
  int differs_from_product = 0;
  double tau = 0.0;
  for (int n = 0; line < rows.size(); ++n, tau = tau + h) {
    if (n % 63 != 0) continue;
    EXPECT_EQ(rows[line++][0], ten_decimals(tau)) << "step " << n;
    if (ten_decimals(tau) != ten_decimals(n * h)) ++differs_from_product;
  }
  EXPECT_GT(differs_from_product, 0);
}

// Without a transient cycle one transient step is still taken from tau = 0,
// and the recording restarts at tau = T_tr = 0: the first line has tau 0 and
// the state after two steps, both from tau = 0.
TEST(StrobeSamplingRule, WithoutTransientTheFirstLineFollowsTwoStepsFromTauZero) {
  const double h = 0.1;
  const ProgramRun run = strobe(answers("1", "0.1", "0", "1", "1.5", "0.5"));
  ASSERT_EQ(run.status, 0) << run.errors;
  const auto first = data_fields(run.file).at(0);

  const NormalizedParams params{1.0, 0.5, 1.5, 1.0};  // BetaC, I0, I1, Omega1
  const NormalizedModel model{params};
  JunctionState y{0.0, 0.0};
  rk4_step(model, 0.0, y, h);
  JunctionState advanced_clock = y;
  rk4_step(model, 0.0, y, h);
  rk4_step(model, h, advanced_clock, h);

  EXPECT_EQ(first[0], "0.0000000000");
  EXPECT_EQ(first[1], ten_decimals(y[0]));
  EXPECT_EQ(first[2], ten_decimals(y[1]));
  EXPECT_NE(first[2], ten_decimals(advanced_clock[1]));  // the drive phase is seen
}

// The remainder of phi by 6.28318530718 has the sign of phi: a junction
// running backward (I0 = -1.3) writes phases and remainders below zero.
TEST(StrobeSamplingRule, PhaseModuloTwoPiKeepsTheSignOfPhi) {
  const ProgramRun run = strobe(answers("0.5", "0.1", "2", "10", "0.8", "-1.3"));
  ASSERT_EQ(run.status, 0) << run.errors;
  const auto rows = data_rows(run.file);
  ASSERT_EQ(rows.size(), 10u);
  for (const auto& row : rows) {
    const double phi = row[1], reduced = row[3];
    EXPECT_LT(phi, 0.0);
    EXPECT_LE(reduced, 0.0);
    EXPECT_GT(reduced, -6.28318530718);
    const double turns = (phi - reduced) / 6.28318530718;
    EXPECT_NEAR(turns, std::round(turns), 1e-9) << "phi = " << phi;
  }
}

// ---- Physics ----------------------------------------------------------------

// On the first Shapiro step (BetaC = 1, Omega1 = 1, I1 = 1, I0 = 1.2, the
// step of the IV test) the junction locks to the drive: sampled once per
// period, with h dividing the period, the voltage is the same point of the
// orbit every time and the phase has advanced by exactly 2 pi. At
// BetaC = 4, Omega1 = pi / 10, I1 = 1.4, I0 = 0.07 the motion is chaotic: the
// sampled voltages spread over the attractor.
TEST(StrobePhysics, LockedPointRepeatsChaoticPointSpreads) {
  const ProgramRun locked = strobe({"strobe.dat", "1", "1", "1", "1.2", "0.00628318530718", "0",
                                    "200", "50", "2"});
  ASSERT_EQ(locked.status, 0) << locked.errors;
  const auto rows = data_rows(locked.file);
  ASSERT_GE(rows.size(), 50u);  // 51 with exact arithmetic, 50 as tau rounds
  for (std::size_t i = 1; i < rows.size(); ++i) {
    EXPECT_NEAR(rows[i][2], rows[0][2], 1e-8) << "sample " << i;
    EXPECT_NEAR(rows[i][1] - rows[i - 1][1], 6.28318530718, 1e-8) << "sample " << i;
  }

  const ProgramRun chaotic = strobe({"strobe.dat", "4", "0.314159265359", "1.4", "0.07", "0.05",
                                     "0", "300", "200", "2"});
  ASSERT_EQ(chaotic.status, 0) << chaotic.errors;
  std::vector<double> v;
  for (const auto& row : data_rows(chaotic.file)) v.push_back(row[2]);
  ASSERT_EQ(v.size(), 201u);
  std::sort(v.begin(), v.end());
  EXPECT_GT(v.back() - v.front(), 0.3);
  EXPECT_GT(std::unique(v.begin(), v.end(),
                        [](double a, double b) { return std::fabs(a - b) < 1e-6; }) -
                v.begin(),
            190);
}

// ---- Refused answers ----------------------------------------------------------

// Base run: file, BetaC, Omega1, I1, I0, h, method, C_tr, C_rec, start
// choice, phi_0, v_0.
std::vector<std::string> valid_answers() {
  return {"strobe.dat", "1", "1", "0.5", "0.5", "0.1", "1", "2", "3", "1", "0.5", "0.1"};
}

std::vector<std::string> with(std::size_t index, const std::string& answer) {
  auto answers = valid_answers();
  answers[index] = answer;
  return answers;
}

class StrobeRefusal : public ::testing::TestWithParam<Refusal> {};

TEST_P(StrobeRefusal, StopsWithAMessageNamingTheAcceptedValues) {
  const Refusal& r = GetParam();
  const ProgramRun run = run_program("jj_strobe", lines(r.answers), "strobe.dat", 20);
  EXPECT_EQ(run.status, 1) << r.what;
  EXPECT_NE(run.errors.find(r.message), std::string::npos) << r.what << ": " << run.errors;
  EXPECT_TRUE(data_rows(run.file).empty()) << r.what;
}

INSTANTIATE_TEST_SUITE_P(
    UnsoundAnswers, StrobeRefusal,
    ::testing::Values(
        Refusal{"BetaC = 0", with(1, "0"), "any non-zero BetaC"},
        Refusal{"Omega1 = 0", with(2, "0"), "a positive, finite Omega1"},
        Refusal{"Omega1 negative", with(2, "-1"), "a positive, finite Omega1"},
        Refusal{"Omega1 infinite", with(2, "inf"), "a positive, finite Omega1"},
        Refusal{"rf period overflows", with(2, "1e-310"), "a positive, finite Omega1"},
        Refusal{"infinite I0", with(4, "inf"), "a finite current"},
        Refusal{"h = 0", with(5, "0"), "a positive, finite mesh length"},
        Refusal{"h negative", with(5, "-0.1"), "a positive, finite mesh length"},
        Refusal{"h = nan", with(5, "nan"), "a positive, finite mesh length"},
        // T_rf / h = 0.45: M = int(0.95) = 0 steps per period.
        Refusal{"no mesh step per period", with(5, "14"),
                "from 1 to 2147483647 mesh steps per rf period of 6.28319 rad (at most 12.5664 rad)"},
        Refusal{"steps per period overflow", with(5, "1e-9"), "from 1 to 2147483647 mesh steps"},
        Refusal{"method 2", with(6, "2"), "accepted values are 0 and 1"},
        Refusal{"method -1", with(6, "-1"), "accepted values are 0 and 1"},
        Refusal{"negative transient", with(7, "-1"), "a number of rf cycles from 0 to "},
        Refusal{"negative recording", with(8, "-3"), "a number of rf cycles from 0 to "},
        // 1e8 cycles of 62.83 steps overflow an int.
        Refusal{"transient overflows", with(7, "100000000"),
                "a number of rf cycles from 0 to 34178263"},
        Refusal{"recording overflows", with(8, "2000000000"), "a number of rf cycles from 0 to "},
        // T_rf = 6.28e307, h = 6e307: after one transient cycle the end of two
        // recorded cycles lies beyond the largest double.
        Refusal{"tau cannot advance to the end",
                {"strobe.dat", "1", "1e-307", "0.5", "0.5", "6e307", "0", "1", "2"},
                "a number of rf cycles from 0 to 1"},
        Refusal{"start choice 3", with(9, "3"), "accepted values are 0, 1 and 2"},
        Refusal{"start choice -1", with(9, "-1"), "accepted values are 0, 1 and 2"},
        Refusal{"phase nan", with(10, "nan"), "a finite number"},
        Refusal{"voltage infinite", with(11, "-inf"), "a finite number"},
        Refusal{"letters for a cycle count", with(7, "two"), "an integer is expected"}),
    case_name<Refusal>);

TEST(StrobeInput, ValidBaseRunAndEndOfInputAtEveryQuestion) {
  const auto all = valid_answers();
  const ProgramRun complete = run_program("jj_strobe", lines(all), "strobe.dat", 20);
  ASSERT_EQ(complete.status, 0) << complete.errors;
  EXPECT_EQ(data_rows(complete.file).size(), 3u);  // N_rec = 188, M = 63
  for (std::size_t given = 0; given < all.size(); ++given) {
    const ProgramRun run = run_program(
        "jj_strobe", lines({all.begin(), all.begin() + std::ptrdiff_t(given)}), "", 20);
    EXPECT_EQ(run.status, 1) << given << " answers";
    EXPECT_NE(run.errors.find("end of input before the answer to"), std::string::npos) << given;
  }
}

TEST(StrobeOutput, UncreatableFileStopsBeforeAnyOtherQuestion) {
  const ProgramRun run = run_program("jj_strobe", lines(with(0, "no-such-folder/strobe.dat")));
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.console, "Nome file su cui scrivere traiettoria phi e v ? ");
  EXPECT_EQ(run.errors,
            "jj_strobe: cannot create output file \"no-such-folder/strobe.dat\": "
            "No such file or directory\n");
}

}  // namespace
}  // namespace jj::test
