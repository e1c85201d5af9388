// Whole runs of jj_trace: transcripts, the random start, the mean voltage on
// a Shapiro step, and every kind of answer it must refuse.
#include "program_runner.hpp"

#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <sstream>
#include <vector>

namespace jj::test {
namespace {

int count_of(const std::string& text, const std::string& part) {
  int n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

// Console and file of a whole run, byte for byte against transcripts made by
// an independent literal transcription (tests/reference/trace_reference.py).
// The clock is stopped, so that a random start draws the transcription's.
class TraceTranscript : public ::testing::TestWithParam<const char*> {};

TEST_P(TraceTranscript, ConsoleAndFileMatchByteForByte) {
  const std::string name = GetParam();
  const ProgramRun run =
      run_program_at_clock("jj_trace", test_data("fixtures/trace/" + name + ".in"), "trace.dat");
  ASSERT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(run.console, test_data("golden/trace/" + name + ".console"));
  EXPECT_EQ(run.file, test_data("golden/trace/" + name + ".dat"));
  // Only a unit answer on no menu is told about, once per such answer.
  const bool off_menu = name.find("off_menu") != std::string::npos;
  EXPECT_EQ(count_of(run.errors, "jj_trace: warning: "), off_menu ? 3 : 0) << run.errors;
  EXPECT_EQ(count_of(run.errors, "\n"), off_menu ? 3 : 0) << run.errors;
}

// Every law and method; rf on, off and switched by an answer other than 1;
// averaging off (the window stretched over the recording), on with a window
// reaching past it, on with a window stretched; every time, voltage and
// current unit and units on no menu; a recording of zero and of negative
// length; a negative phase; a junction at rest, whose step number is 0/0;
// random starts.
INSTANTIATE_TEST_SUITE_P(
    EveryLawMethodAndUnit, TraceTranscript,
    ::testing::Values("law0_rk4_rf_avg_overwrite_seconds", "law1_adams3_norf_noavg_plasma",
                      "law2_adams4_rf_avg_characteristic", "law0_am5_rf_noavg_negative_phase",
                      "law2_am6_rf2_stretched_window_off_menu", "law1_rk4_rest_norf_avg",
                      "law1_rk4_rf_zero_recording", "law0_adams3_negative_recording", "law0_rk4_chaotic_mean",
                      "law1_adams4_chaotic_mean", "law2_am6_chaotic_mean", "random_law0_rk4",
                      "random_law2_am6"));

// Answers of law0_rk4_rf_avg_overwrite_seconds up to the start mode.
const std::vector<std::string> rf_junction = {"trace.dat", "0.1", "1",  "0", "1.814", "0.12",
                                              "1",         "87.73", "0.1", "0.05", "0", "5",
                                              "1",         "2",     "1"};

// A random start changes the state only: everything before the echo of the
// start, the header but for that line, and the times and the bias of every
// line are those of the entered start.
TEST(TraceRandomStart, DrawsPhaseAndMillivoltsInTheirRanges) {
  auto answers = rf_junction;
  for (const char* rest : {"0", "0", "0", "0"}) answers.push_back(rest);
  const ProgramRun run = run_program("jj_trace", lines(answers), "trace.dat");
  ASSERT_EQ(run.status, 0) << run.errors;
  const std::string name = "law0_rk4_rf_avg_overwrite_seconds";
  const std::string golden_console = test_data("golden/trace/" + name + ".console");
  const std::string golden_file = test_data("golden/trace/" + name + ".dat");
  const std::size_t question = golden_console.find("Fase iniziale");
  EXPECT_EQ(run.console.substr(0, question), golden_console.substr(0, question));
  double phi_0 = -1, V_0 = -2, v_0 = -3;
  ASSERT_EQ(std::sscanf(run.console.c_str() + question,
                        "Phi(0) == %lf (rad), V(0) == %lf (mV), v(0) == %lf\n", &phi_0, &V_0,
                        &v_0),
            3)
      << run.console.substr(question);
  EXPECT_GE(phi_0, 0.0);
  EXPECT_LE(phi_0, 6.283186);
  EXPECT_GE(V_0, -0.999970);
  EXPECT_LE(V_0, 1.000031);
  const double V_plasma = 0.18141084;  // mV, of 0.1 mA and 1 pF
  EXPECT_NEAR(v_0, V_0 / V_plasma, 1e-5);
  const std::size_t start_line = golden_file.find("# Cnd iniziali");
  EXPECT_EQ(run.file.substr(0, start_line), golden_file.substr(0, start_line));
  const auto rows = data_fields(run.file), golden_rows = data_fields(golden_file);
  ASSERT_EQ(rows.size(), golden_rows.size());
  for (std::size_t i = 0; i < rows.size(); ++i) {
    EXPECT_EQ(rows[i][0], golden_rows[i][0]);
    EXPECT_EQ(rows[i][1], golden_rows[i][1]);
  }
}

// On the n-th Shapiro step the junction phase-locks to the drive and its
// mean voltage is n h f / 2e: the report's step number is n. The junction
// (0.1 mA, 1 pF, 1.814 Ohm) has BetaC = 1; at 87.73 GHz, Omega1 = 1 and
// 0.1 mA of rf, step 0 reaches to 0.09 mA and step 1 spans 0.1 to 0.14 mA.
TEST(TracePhysics, MeanVoltageOnAShapiroStepIsAWholeNumberOfSteps) {
  const struct {
    const char* I0;
    int n;
  } table[] = {{"0.05", 0}, {"0.12", 1}};
  for (const auto& [I0, n] : table) {
    const ProgramRun run = run_program(
        "jj_trace", lines({"trace.dat", "0.1", "1", "0", "1.814", I0, "1", "87.73", "0.1", "0.01",
                           "0", "1", "1", "628.3", "200", "1", "0", "0", "1", "1", "1"}),
        "trace.dat");
    ASSERT_EQ(run.status, 0) << run.errors;
    double V = -1, v = -1, step = -1;
    const std::size_t report = run.console.find("Tensione media");
    ASSERT_NE(report, std::string::npos);
    ASSERT_EQ(std::sscanf(run.console.c_str() + report,
                          "Tensione media = %lf mV (normalizzato %lf). Step numero = %lf", &V, &v,
                          &step),
              3);
    EXPECT_NEAR(step, n, 1e-4) << "I0 = " << I0;
    EXPECT_NEAR(V, n * 87.73 * 6283185307.18 * 3.2909892713749753e-13, 2e-5) << "I0 = " << I0;
    EXPECT_NE(run.file.find("# Tensione media"), std::string::npos);
  }
}

// ---- Refused answers --------------------------------------------------------

// Law 0: file, Ic, C, law, R_normal, I0, rf, f, I1, h, method, T_rec,
// averaging, T_avg, T_tr, start, phi(0), V(0), three units.
std::vector<std::string> valid_answers() {
  return {"t.dat", "1", "1", "0", "10", "0.5", "1", "100", "0.5", "0.1", "0",
          "10",    "1", "5", "2", "1",  "0.3", "0.1", "1", "1",   "1"};
}

std::vector<std::string> with(std::size_t index, const std::string& answer,
                              std::vector<std::string> answers = valid_answers()) {
  answers[index] = answer;
  return answers;
}

// Law 1: ..., law, V_gap, R_subgap, R_normal, I0, ...
std::vector<std::string> piecewise_answers() {
  return {"t.dat", "1", "1", "1", "2.8", "100", "10", "0.5", "0", "0.1", "0", "10", "0",
          "1", "0.3", "0.1", "1", "1", "1"};
}

// Law 2: ..., law, V_depth, V_gap, R_subgap, R_normal, I0, ...
std::vector<std::string> continuous_answers() {
  return {"t.dat", "1", "1", "2", "0.1", "2.8", "100", "10", "0.5", "0", "0.1", "0", "10", "0",
          "1", "0.3", "0.1", "1", "1", "1"};
}

class TraceRefusal : public ::testing::TestWithParam<Refusal> {};

TEST_P(TraceRefusal, StopsWithAMessageNamingTheAcceptedValues) {
  const Refusal& r = GetParam();
  const ProgramRun run = run_program("jj_trace", lines(r.answers), "", 20);
  EXPECT_EQ(run.status, 1) << r.what;
  EXPECT_NE(run.errors.find(r.message), std::string::npos) << r.what << ": " << run.errors;
  EXPECT_EQ(run.console.find("Finito"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    UnsoundAnswers, TraceRefusal,
    ::testing::Values(
        Refusal{"law 3", with(3, "3"), "accepted values are 0, 1 and 2"},
        Refusal{"law -1", with(3, "-1"), "accepted values are 0, 1 and 2"},
        Refusal{"zero critical current", with(1, "0"), "a positive, finite critical current"},
        Refusal{"negative critical current", with(1, "-1"), "a positive, finite critical current"},
        Refusal{"zero capacitance", with(2, "0"), "a positive, finite capacitance"},
        Refusal{"infinite capacitance", with(2, "inf"), "a positive, finite capacitance"},
        Refusal{"zero resistance", with(4, "0"), "a positive, finite resistance"},
        Refusal{"resistance nan", with(4, "nan"), "a positive, finite resistance"},
        Refusal{"negative subgap resistance", with(5, "-100", piecewise_answers()),
                "a positive, finite resistance"},
        Refusal{"infinite gap voltage", with(4, "inf", piecewise_answers()),
                "a finite gap voltage"},
        Refusal{"zero gap depth", with(4, "0", continuous_answers()),
                "a positive, finite width of the gap rise"},
        Refusal{"negative gap depth", with(4, "-0.1", continuous_answers()),
                "a positive, finite width of the gap rise"},
        Refusal{"infinite dc current", with(5, "inf"), "a finite current (mA)"},
        Refusal{"infinite rf frequency", with(7, "-inf"), "a finite frequency (GHz)"},
        Refusal{"rf amplitude nan", with(8, "nan"), "a finite current (mA)"},
        Refusal{"h = 0", with(9, "0"), "a positive, finite mesh length"},
        Refusal{"h negative", with(9, "-0.1"), "a positive, finite mesh length"},
        Refusal{"method 5", with(10, "5"), "accepted values are 0, 1, 2, 3 and 4"},
        Refusal{"recording overflows", with(11, "1e300"), "at most 2147483647 mesh steps"},
        Refusal{"averaging span overflows", with(13, "1e300"), "at most 2147483647 mesh steps"},
        Refusal{"transient overflows", with(14, "-1e300"), "at most 2147483647 mesh steps"},
        Refusal{"window of no mesh step", with(11, "0", with(13, "0.01", with(14, "0"))),
                "averaging window holds from 1 to 2147483647 mesh steps"},
        Refusal{"stretched window overflows",
                with(11, "1e6", with(13, "0", with(14, "-2.147e8"))),
                "averaging window holds from 1 to 2147483647 mesh steps"},
        Refusal{"whole run overflows", with(13, "2e8", with(14, "2e8")),
                "within 2147483647 mesh steps"},
        Refusal{"start mode 2", with(15, "2"), "accepted values are 0 and 1"},
        Refusal{"phase nan", with(16, "nan"), "a finite number"},
        Refusal{"letters for a number", with(2, "one"), "a number is expected"},
        Refusal{"fraction for a menu", with(10, "1.5"), "an integer is expected"}),
    case_name<Refusal>);

TEST(TraceInput, ValidBaseAnswersRun) {
  const ProgramRun run = run_program("jj_trace", lines(valid_answers()), "t.dat");
  EXPECT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(run.errors, "");
}

TEST(TraceInput, EndOfInputAtEveryQuestionStops) {
  const auto answers = valid_answers();
  for (std::size_t given = 0; given < answers.size(); ++given) {
    const ProgramRun run = run_program(
        "jj_trace", lines({answers.begin(), answers.begin() + std::ptrdiff_t(given)}), "", 20);
    EXPECT_EQ(run.status, 1) << given << " answers";
    EXPECT_NE(run.errors.find("end of input before the answer to"), std::string::npos) << given;
  }
}

}  // namespace
}  // namespace jj::test
