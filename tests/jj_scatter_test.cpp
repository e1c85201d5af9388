// Whole runs of jj_scatter: transcripts, the independence of the bias points,
// the period-doubling route to chaos, and the answers it refuses.
#include "program_runner.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>
#include <sstream>
#include <vector>

namespace jj::test {
namespace {

// The data lines of a file, as written, grouped by their I0 column.
std::map<std::string, std::vector<std::string>> voltages_by_current(const std::string& file) {
  std::map<std::string, std::vector<std::string>> points;
  std::istringstream in(file);
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    const std::size_t tab = line.find('\t');
    points[line.substr(0, tab)].push_back(line.substr(tab + 1));
  }
  return points;
}

std::size_t data_line_count(const std::string& file) {
  std::size_t count = 0;
  for (const auto& [I0, voltages] : voltages_by_current(file)) count += voltages.size();
  return count;
}

// Console and file of a whole run, byte for byte against transcripts made by
// an independent literal transcription (tests/reference/scatter_reference.py).
class ScatterTranscript : public ::testing::TestWithParam<const char*> {};

TEST_P(ScatterTranscript, ConsoleAndFileMatchByteForByte) {
  const std::string name = GetParam();
  const ProgramRun run = run_program("jj_scatter", test_data("fixtures/scatter/" + name + ".in"),
                                     "scatter.dat");
  ASSERT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(run.errors, "");
  EXPECT_EQ(run.console, test_data("golden/scatter/" + name + ".console"));
  EXPECT_EQ(run.file, test_data("golden/scatter/" + name + ".dat"));
}

INSTANTIATE_TEST_SUITE_P(
    EveryMethodAndSweepPlan, ScatterTranscript,
    ::testing::Values("rk4_two_sweeps", "rk4_zero_cycles", "rk4_period_doubling",
                      "adams_fractional_sweeps", "adams_period_doubling", "zero_sweeps",
                      "empty_range"));

// Every point starts from rest with its own multistep history: the lines of
// I0 = 0.5 are the same after two other points as in a run of that point
// alone.
TEST(ScatterPoints, EachPointIsIndependentOfThePointsBeforeIt) {
  for (const char* method : {"0", "1"}) {
    auto run_range = [method](const char* I_min) {
      return run_program("jj_scatter",
                         lines({"scatter.dat", "2", "0.5", "0.8", "0.1", method, "3", "4", I_min,
                                "0.5", "0.25", "1"}),
                         "scatter.dat");
    };
    const ProgramRun sweep = run_range("0"), alone = run_range("0.5");
    ASSERT_EQ(sweep.status, 0) << sweep.errors;
    ASSERT_EQ(alone.status, 0) << alone.errors;
    const auto swept = voltages_by_current(sweep.file), single = voltages_by_current(alone.file);
    ASSERT_EQ(swept.size(), 3u);
    ASSERT_EQ(single.size(), 1u);
    EXPECT_EQ(swept.at("0.5000000000"), single.at("0.5000000000")) << "method " << method;
  }
}

// The Omega1 = 1, h = 0.01 case: spans of 6283 steps, M = 628, 11 samples per
// point; no closing console line after the sweeps.
TEST(ScatterPoints, ElevenSamplesPerPointOverTenCycles) {
  const ProgramRun run = run_program(
      "jj_scatter",
      lines({"scatter.dat", "1", "1", "0.5", "0.01", "0", "10", "10", "0", "1", "0.5", "1"}),
      "scatter.dat");
  ASSERT_EQ(run.status, 0) << run.errors;
  EXPECT_NE(run.console.find("Registro su 62.830000 rad (6283 mesh steps) dopo transiente di "
                             "62.830000 rad (6283 mesh steps)\n"),
            std::string::npos);
  EXPECT_TRUE(run.console.ends_with("Sweep numero 1.\n"));
  for (const auto& [I0, voltages] : voltages_by_current(run.file))
    EXPECT_EQ(voltages.size(), 11u) << "I0 = " << I0;
}

// BetaC = 4, Omega1 = pi / 10 (T_rf = 20 rad, 400 mesh steps of 0.05), I1 = 1.4:
// lowering I0 doubles the period of the locked motion, 1, 2, 4, then chaos.
// Counted over the last 32 of 64 samples, voltages within 1e-6 being one.
TEST(ScatterPhysics, PeriodDoublingRouteToChaos) {
  struct Case {
    const char* I0;
    std::size_t distinct;
  };
  for (const Case& c : {Case{"0.3", 1}, Case{"0.13", 2}, Case{"0.105", 4}, Case{"0.07", 32}}) {
    const ProgramRun run = run_program(
        "jj_scatter",
        lines({"scatter.dat", "4", "0.314159265359", "1.4", "0.05", "0", "300", "64", c.I0, c.I0,
               "0.1", "1"}),
        "scatter.dat");
    ASSERT_EQ(run.status, 0) << run.errors;
    const auto points = voltages_by_current(run.file);
    ASSERT_EQ(points.size(), 1u);
    const std::vector<std::string>& written = points.begin()->second;
    ASSERT_GE(written.size(), 64u);  // 65 with exact arithmetic, 64 as tau rounds
    std::vector<double> v;
    for (auto it = written.end() - 32; it != written.end(); ++it) v.push_back(std::stod(*it));
    std::sort(v.begin(), v.end());
    const auto distinct =
        std::unique(v.begin(), v.end(), [](double a, double b) { return b - a < 1e-6; });
    EXPECT_EQ(std::size_t(distinct - v.begin()), c.distinct) << "I0 = " << c.I0;
  }
}

// ---- Refused answers ----------------------------------------------------------

// Base run: file, BetaC, Omega1, I1, h, method, C_tr, C_rec, I_min, I_max,
// DeltaI0, sweeps.
std::vector<std::string> valid_answers() {
  return {"scatter.dat", "1", "1", "0.5", "0.1", "1", "1", "3", "0", "1", "0.5", "2"};
}

std::vector<std::string> with(std::size_t index, const std::string& answer) {
  auto answers = valid_answers();
  answers[index] = answer;
  return answers;
}

class ScatterRefusal : public ::testing::TestWithParam<Refusal> {};

TEST_P(ScatterRefusal, StopsWithAMessageNamingTheAcceptedValues) {
  const Refusal& r = GetParam();
  const ProgramRun run = run_program("jj_scatter", lines(r.answers), "scatter.dat", 20);
  EXPECT_EQ(run.status, 1) << r.what;
  EXPECT_NE(run.errors.find(r.message), std::string::npos) << r.what << ": " << run.errors;
  EXPECT_EQ(data_line_count(run.file), 0u) << r.what;
}

INSTANTIATE_TEST_SUITE_P(
    UnsoundAnswers, ScatterRefusal,
    ::testing::Values(
        Refusal{"BetaC = 0", with(1, "0"), "any non-zero BetaC"},
        Refusal{"Omega1 = 0", with(2, "0"), "a positive, finite Omega1"},
        Refusal{"Omega1 negative", with(2, "-0.5"), "a positive, finite Omega1"},
        Refusal{"h = 0", with(4, "0"), "a positive, finite mesh length"},
        Refusal{"no mesh step per period", with(4, "13"), "from 1 to 2147483647 mesh steps"},
        Refusal{"steps per period overflow", with(4, "2e-9"), "from 1 to 2147483647 mesh steps"},
        Refusal{"method 2", with(5, "2"), "accepted values are 0 and 1"},
        Refusal{"negative transient", with(6, "-2"), "a number of rf cycles from 0 to "},
        Refusal{"negative recording", with(7, "-1"), "a number of rf cycles from 0 to "},
        Refusal{"recording overflows", with(7, "1000000000"), "a number of rf cycles from 0 to "},
        Refusal{"infinite current", with(8, "-inf"), "a finite current"},
        Refusal{"zero current step", with(10, "0"), "a positive current step"},
        Refusal{"negative current step", with(10, "-0.5"), "a positive current step"},
        Refusal{"sweeps overflow", with(11, "1e10"), "a number of sweeps from"},
        Refusal{"fraction for a cycle count", with(6, "1.5"), "an integer is expected"}),
    case_name<Refusal>);

TEST(ScatterInput, ValidBaseRunAndEndOfInputAtEveryQuestion) {
  const auto all = valid_answers();
  const ProgramRun complete = run_program("jj_scatter", lines(all), "scatter.dat", 20);
  ASSERT_EQ(complete.status, 0) << complete.errors;
  EXPECT_EQ(data_line_count(complete.file), 18u);  // 6 points, N_rec = 188, M = 63: 3 samples
  for (std::size_t given = 0; given < all.size(); ++given) {
    const ProgramRun run = run_program(
        "jj_scatter", lines({all.begin(), all.begin() + std::ptrdiff_t(given)}), "", 20);
    EXPECT_EQ(run.status, 1) << given << " answers";
    EXPECT_NE(run.errors.find("end of input before the answer to"), std::string::npos) << given;
  }
}

TEST(ScatterOutput, UncreatableFileStopsBeforeAnyOtherQuestion) {
  const ProgramRun run = run_program("jj_scatter", lines(with(0, "no-such-folder/scatter.dat")));
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.console, "Nome file su cui scrivere caratteristica <I> vs V_scatter ? ");
  EXPECT_EQ(run.errors,
            "jj_scatter: cannot create output file \"no-such-folder/scatter.dat\": "
            "No such file or directory\n");
}

}  // namespace
}  // namespace jj::test
