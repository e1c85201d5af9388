// Whole runs of jj_ivnorm: transcripts, the physics of a Shapiro step, and
// every kind of answer it must refuse.
#include "program_runner.hpp"

#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <sstream>
#include <vector>

namespace jj::test {
namespace {

// The data lines of a file, as columns of numbers.
// Console and file of a whole run, byte for byte against transcripts made by
// an independent literal transcription of the model (tests/reference). The
// clock is stopped, so that random starts draw the transcription's sequence.
class IvnormTranscript : public ::testing::TestWithParam<const char*> {};

TEST_P(IvnormTranscript, ConsoleAndFileMatchByteForByte) {
  const std::string name = GetParam();
  const ProgramRun run =
      run_program_at_clock("jj_ivnorm", test_data("fixtures/ivnorm/" + name + ".in"), "iv.dat");
  ASSERT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(run.errors, "");
  EXPECT_EQ(run.console, test_data("golden/ivnorm/" + name + ".console"));
  EXPECT_EQ(run.file, test_data("golden/ivnorm/" + name + ".dat"));
}

INSTANTIATE_TEST_SUITE_P(
    EveryMethodAndSweepMode, IvnormTranscript,
    ::testing::Values("pingpong_method0", "pingpong_method1", "pingpong_method2",
                      "pingpong_method3", "pingpong_method4", "up_quarter_mesh",
                      "pingpong_fractional_spans", "zero_sweeps", "empty_range",
                      "random_method0", "random_method1", "random_method2", "random_method3",
                      "random_method4"));

TEST(IvnormRandomStart, EveryPointDrawsItsOwnStartAndNoDownwardSweep) {
  const ProgramRun run = run_program(
      "jj_ivnorm",
      lines({"iv.dat", "1.0", "1.0", "0.5", "0.1", "2", "5", "1", "0", "1", "0.1", "0", "2"}),
      "iv.dat");
  ASSERT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(run.console.find("Modalita' sweep"), std::string::npos);
  EXPECT_NE(run.file.find("# Cnd iniziali = Random\n"), std::string::npos);
  EXPECT_NE(run.file.find("# Modalita' sweep = Solo salita\n"), std::string::npos);
  const auto rows = data_rows(run.file);
  ASSERT_EQ(rows.size(), 22u);  // two upward sweeps of 11 points
  int distinct_starts = 0;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    EXPECT_GE(rows[i][2], 0.0);
    EXPECT_LE(rows[i][2], 6.28318530718);
    EXPECT_GE(rows[i][3], -0.99997);
    EXPECT_LE(rows[i][3], 1.00004);
    if (i > 0 && (rows[i][2] != rows[i - 1][2] || rows[i][3] != rows[i - 1][3])) ++distinct_starts;
  }
  EXPECT_GT(distinct_starts, 15);
}

// On the n-th Shapiro step the junction phase-locks to the drive and the
// mean voltage is n Omega1: n = 0 below I0 = 0.9, n = 1 from 1.0 to 1.4 for
// BetaC = 1, Omega1 = 1, I1 = 1. The window holds 100 rf periods; the one
// sample beyond them (N_avg + 1 voltages weighted h / T_avg) bounds the error.
TEST(IvnormPhysics, MeanVoltageOnShapiroStepsIsAMultipleOfOmega1) {
  const double Omega1 = 1.0, h = 0.01, T_avg = 628.3;
  const ProgramRun run = run_program(
      "jj_ivnorm",
      lines({"iv.dat", "1.0", "1.0", "1.0", "0.01", "0", "628.3", "100", "0", "1.4", "0.2", "1",
             "1", "0"}),
      "iv.dat");
  ASSERT_EQ(run.status, 0) << run.errors;
  const auto rows = data_rows(run.file);
  ASSERT_EQ(rows.size(), 8u);
  for (const auto& row : rows) {
    const int n = row[0] < 0.9 ? 0 : 1;
    EXPECT_NEAR(row[1], n * Omega1, 3 * h / T_avg) << "I0 = " << row[0];
  }
}

// Base run: file, BetaC, Omega1, I1, h, method, T_avg, T_tr, I_min, I_max,
// DeltaI0, start mode, sweeps, sweep mode.
std::vector<std::string> valid_answers() {
  return {"iv.dat", "1", "1", "0.5", "0.1", "0", "5", "1", "0", "1", "0.25", "1", "1", "1"};
}

std::vector<std::string> with(std::size_t index, const std::string& answer) {
  auto answers = valid_answers();
  answers[index] = answer;
  return answers;
}

class IvnormRefusal : public ::testing::TestWithParam<Refusal> {};

TEST_P(IvnormRefusal, StopsWithAMessageNamingTheAcceptedValues) {
  const Refusal& r = GetParam();
  const ProgramRun run = run_program("jj_ivnorm", lines(r.answers), "", 20);
  EXPECT_EQ(run.status, 1) << r.what;
  EXPECT_NE(run.errors.find(r.message), std::string::npos) << r.what << ": " << run.errors;
  EXPECT_EQ(run.console.find("Finito"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    UnsoundAnswers, IvnormRefusal,
    ::testing::Values(
        Refusal{"BetaC = 0", with(1, "0"), "any non-zero BetaC"},
        Refusal{"h = 0", with(4, "0"), "a positive, finite mesh length"},
        Refusal{"h negative", with(4, "-0.1"), "a positive, finite mesh length"},
        Refusal{"h = nan", with(4, "nan"), "a positive, finite mesh length"},
        Refusal{"method 5", with(5, "5"), "accepted values are 0, 1, 2, 3 and 4"},
        Refusal{"method -1", with(5, "-1"), "accepted values are 0, 1, 2, 3 and 4"},
        Refusal{"averaging over no step", with(6, "0.04"), "at least half a mesh step"},
        Refusal{"averaging span overflows", with(6, "1e300"), "at most 2147483647 mesh steps"},
        Refusal{"transient overflows", with(7, "1e300"), "at most 2147483647 mesh steps"},
        Refusal{"window ends at infinity", {"iv.dat", "1", "1", "0.5", "1e308", "0", "1.5e308", "0"},
                "short enough for tau to advance"},
        Refusal{"transient ends at infinity", {"iv.dat", "1", "1", "0.5", "1e308", "0", "1e308", "1.5e308"},
                "short enough for tau to advance"},
        Refusal{"infinite current", with(8, "-inf"), "a finite current"},
        Refusal{"zero current step", with(10, "0"), "a positive current step"},
        Refusal{"negative current step", with(10, "-0.25"), "a positive current step"},
        Refusal{"start mode 2", with(11, "2"), "accepted values are 0 and 1"},
        Refusal{"sweeps overflow", with(12, "1e10"), "a number of sweeps from"},
        Refusal{"sweep mode 3", with(13, "3"), "accepted values are 0 and 1"},
        Refusal{"letters for a number", with(2, "one"), "a number is expected"},
        Refusal{"fraction for a menu", with(5, "1.5"), "an integer is expected"}),
    case_name<Refusal>);

TEST(IvnormInput, EndOfInputAtEveryQuestionStops) {
  const auto answers = valid_answers();
  for (std::size_t given = 0; given < answers.size(); ++given) {
    const ProgramRun run = run_program(
        "jj_ivnorm", lines({answers.begin(), answers.begin() + std::ptrdiff_t(given)}), "", 20);
    EXPECT_EQ(run.status, 1) << given << " answers";
    EXPECT_NE(run.errors.find("end of input before the answer to"), std::string::npos) << given;
  }
}

TEST(IvnormInput, NonPositiveStepIsAcceptedWhenNoSweepHasPoints) {
  auto answers = valid_answers();
  answers[8] = "2";  // I_min above I_max = 1: every sweep is empty
  answers[10] = "0";
  const ProgramRun empty = run_program("jj_ivnorm", lines(answers), "iv.dat");
  EXPECT_EQ(empty.status, 0) << empty.errors;
  EXPECT_TRUE(data_rows(empty.file).empty());
}

TEST(IvnormOutput, UncreatableFileStopsBeforeAnyOtherQuestion) {
  const ProgramRun run = run_program("jj_ivnorm", lines(with(0, "no-such-folder/iv.dat")));
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.console, "Nome file su cui scrivere caratteristica <I> vs <V> ? ");
  EXPECT_EQ(run.errors,
            "jj_ivnorm: cannot create output file \"no-such-folder/iv.dat\": "
            "No such file or directory\n");
}

TEST(IvnormOutput, FailedWritesAreReported) {
  const ProgramRun run = run_program("jj_ivnorm", lines(with(0, "/dev/full")));
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.errors.find("writing output file \"/dev/full\" failed: No space left on device"),
            std::string::npos)
      << run.errors;
}

}  // namespace
}  // namespace jj::test
