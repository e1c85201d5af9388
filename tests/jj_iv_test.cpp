// Whole runs of jj_iv: transcripts, the interleaved grid of random starts,
// the hysteretic IV of a junction with a gap, and every kind of answer it
// must refuse.
#include "program_runner.hpp"

#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <cstdio>
#include <sstream>
#include <vector>

namespace jj::test {
namespace {

// The data lines of a file, as columns of numbers.
int count_of(const std::string& text, const std::string& part) {
  int n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

// Console and file of a whole run, byte for byte against transcripts made by
// an independent literal transcription (tests/reference/iv_reference.py). The
// clock is stopped, so that random starts draw the transcription's sequence.
class IvTranscript : public ::testing::TestWithParam<const char*> {};

TEST_P(IvTranscript, ConsoleAndFileMatchByteForByte) {
  const std::string name = GetParam();
  const ProgramRun run =
      run_program_at_clock("jj_iv", test_data("fixtures/iv/" + name + ".in"), "iv.dat");
  ASSERT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(run.console, test_data("golden/iv/" + name + ".console"));
  EXPECT_EQ(run.file, test_data("golden/iv/" + name + ".dat"));
  const bool off_menu = name.find("off_menu") != std::string::npos;
  EXPECT_EQ(count_of(run.errors, "jj_iv: warning: "), off_menu ? 2 : 0) << run.errors;
}

// Every law and method, up and up-and-down sweeps (Adams III rebuilding its
// history at every downward point, the others carrying it), rf on, off and
// switched by an answer other than 1, every voltage and current unit and
// units on no menu, a transient of no length, an empty current range, and
// random starts (points side by side with Runge-Kutta and Adams III).
INSTANTIATE_TEST_SUITE_P(
    EveryLawMethodAndSweepMode, IvTranscript,
    ::testing::Values("law0_rk4_up_mA", "law1_adams3_pingpong_rf_plasma",
                      "law2_adams4_pingpong_characteristic", "law0_am5_pingpong_rf_characteristic",
                      "law2_am6_up_rf2_off_menu", "law1_am6_pingpong_no_transient",
                      "law0_rk4_pingpong_rf", "empty_range", "law0_rk4_chaotic_pingpong",
                      "law2_am5_chaotic_up", "law1_adams3_chaotic_pingpong",
                      "random_law0_rk4_mA", "random_law1_adams3_rf_plasma", "random_law2_am5_rf",
                      "random_law2_rk4_rf"));

// Random starts: sweeps of 0 to 1 mA in steps of 0.3 mA (Ic = 1 mA), each
// shifted by 0.3 / sweeps, so that together they sample a finer grid; a
// fractional count rounds up.
TEST(IvRandomStart, InterleavedSweepsOfFreshStates) {
  const struct {
    const char* sweeps;
    int header_count;
    std::vector<double> currents;
  } table[] = {
      {"3", 3, {0, 0.3, 0.6, 0.9, 0.1, 0.4, 0.7, 1.0, 0.2, 0.5, 0.8, 1.1}},
      {"2.5", 2, {0, 0.3, 0.6, 0.9, 0.12, 0.42, 0.72, 1.02, 0.24, 0.54, 0.84, 1.14}},
  };
  for (const auto& [sweeps, header_count, currents] : table) {
    SCOPED_TRACE(sweeps);
    const ProgramRun run = run_program(
        "jj_iv",
        lines({"iv.dat", "1", "1", "0", "0.5", "0", "0.1", "2", "3", "1", "0", "1", "0.3", "0",
               sweeps, "1", "1"}),
        "iv.dat");
    ASSERT_EQ(run.status, 0) << run.errors;
    EXPECT_NE(run.console.find("-- Parametri Sweep di corrente --\nNumero cicli di sweep ? "),
              std::string::npos);
    EXPECT_EQ(run.console.find("Modalita' sweep"), std::string::npos);
    EXPECT_EQ(count_of(run.console, "Sweep numero"), 3);
    EXPECT_NE(run.file.find("# Cnd iniziali = Random\n# Numero di sweep = " +
                            std::to_string(header_count) + "\n# Modalita' sweep = Solo salita\n"),
              std::string::npos);
    const auto rows = data_rows(run.file);
    ASSERT_EQ(rows.size(), currents.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
      EXPECT_NEAR(rows[i][0], currents[i], 1e-9) << i;
      // BetaC = 0.76: no hysteresis, the Ohmic line is reached from any start.
      EXPECT_LE(std::fabs(rows[i][1]), 1.5) << i;
    }
  }
}

// An overdamped junction (1 mA, 1 pF, 0.3 Ohm: BetaC = 0.27) has one state
// at every bias, so points from random starts must give the characteristic of
// a continuous sweep from rest, whether they are integrated side by side
// (Runge-Kutta, Adams III) or one after the other; the window of 2000 rad
// bounds the difference that the start leaves in the mean.
TEST(IvRandomStart, OverdampedJunctionForgetsItsStart) {
  const auto answers = [](const char* method, std::vector<std::string> start) {
    std::vector<std::string> all{"iv.dat", "1", "1", "0", "0.3", "0", "0.1", method,
                                 "2000", "100", "0", "3", "0.25"};
    all.insert(all.end(), start.begin(), start.end());
    all.insert(all.end(), {"0", "0"});  // mV, mA
    return lines(all);
  };
  for (const char* method : {"0", "1", "2"}) {
    SCOPED_TRACE(std::string("method ") + method);
    const ProgramRun random = run_program("jj_iv", answers(method, {"0", "1"}), "iv.dat");
    const ProgramRun continuous = run_program("jj_iv", answers(method, {"1", "0"}), "iv.dat");
    ASSERT_EQ(random.status, 0) << random.errors;
    ASSERT_EQ(continuous.status, 0) << continuous.errors;
    const auto from_random = data_rows(random.file), from_rest = data_rows(continuous.file);
    ASSERT_EQ(from_random.size(), 13u);
    ASSERT_EQ(from_rest.size(), 13u);
    for (std::size_t i = 0; i < from_rest.size(); ++i) {
      EXPECT_EQ(from_random[i][0], from_rest[i][0]);
      EXPECT_NEAR(from_random[i][1], from_rest[i][1], 2e-3)
          << "I = " << from_rest[i][0];
    }
    EXPECT_GT(from_rest.back()[1], 0.8);  // near I R = 0.9 mV at 3 mA
  }
}

// A niobium-like junction (0.1 mA, 1 pF, gap 2.8 mV, R_subgap = 200 Ohm ten
// times R_normal = 20 Ohm, BetaC_normal = 122) swept up and back down from
// rest: zero voltage below the critical current, then a jump to the gap,
// where the voltage stays while the gap rise carries the growing current,
// the Ohmic line I R_normal above it, and on the way down the voltage held at
// the gap far below the critical current: the hysteresis of the IV.
TEST(IvPhysics, HystereticCharacteristicWithTheGapRise) {
  const ProgramRun run = run_program(
      "jj_iv",
      lines({"iv.dat", "0.1", "1", "2", "0.1", "2.8", "200", "20", "0", "0.02", "0", "100", "100",
             "0", "0.31", "0.025", "1", "1", "0", "0"}),
      "iv.dat");
  ASSERT_EQ(run.status, 0) << run.errors;
  const auto rows = data_rows(run.file);
  ASSERT_EQ(rows.size(), 26u);
  EXPECT_EQ(rows[13][0], 0.31);  // the way down starts at the top of the range
  for (std::size_t i = 0; i < rows.size(); ++i) {
    const bool up = i < 13;
    const double I = rows[i][0], V = rows[i][1];  // mA, mV
    SCOPED_TRACE((up ? "up, I = " : "down, I = ") + std::to_string(I));
    if (up && I < 0.09) {
      EXPECT_NEAR(V, 0.0, 1e-3);  // the supercurrent carries the bias
    } else if (I > 0.11 && I < 0.16) {
      EXPECT_GT(V, 2.8);  // on the gap rise
      EXPECT_LT(V, 3.3);
    } else if (I > 0.2) {
      EXPECT_NEAR(V, I * 20, 0.01 * I * 20);  // Ohmic, R_normal
    } else if (!up && I > 0.03 && I < 0.1) {
      EXPECT_GT(V, 2.6);  // retrapping far below Ic
      EXPECT_LT(V, 2.9);
    }
  }
}

// ---- Refused answers --------------------------------------------------------

// Law 0, continuous start: file, Ic, C, law, R_normal, rf, h, method, T_avg,
// T_tr, I_min, I_max, DeltaI0, start mode, sweep mode, two units.
std::vector<std::string> valid_answers() {
  return {"iv.dat", "1", "1", "0", "10", "0", "0.1", "0", "5", "1", "0", "1", "0.25",
          "1", "1", "1", "1"};
}

std::vector<std::string> with(std::size_t index, const std::string& answer,
                              std::vector<std::string> answers = valid_answers()) {
  answers[index] = answer;
  return answers;
}

class IvRefusal : public ::testing::TestWithParam<Refusal> {};

TEST_P(IvRefusal, StopsWithAMessageNamingTheAcceptedValues) {
  const Refusal& r = GetParam();
  const ProgramRun run = run_program("jj_iv", lines(r.answers), "", 20);
  EXPECT_EQ(run.status, 1) << r.what;
  EXPECT_NE(run.errors.find(r.message), std::string::npos) << r.what << ": " << run.errors;
  EXPECT_EQ(run.console.find("Finito"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    UnsoundAnswers, IvRefusal,
    ::testing::Values(
        Refusal{"law 3", with(3, "3"), "accepted values are 0, 1 and 2"},
        Refusal{"negative capacitance", with(2, "-1"), "a positive, finite capacitance"},
        Refusal{"negative resistance", with(4, "-10"), "a positive, finite resistance"},
        Refusal{"zero gap depth",
                {"iv.dat", "1", "1", "2", "0"}, "a positive, finite width of the gap rise"},
        Refusal{"h = 0", with(6, "0"), "a positive, finite mesh length"},
        Refusal{"method 7", with(7, "7"), "accepted values are 0, 1, 2, 3 and 4"},
        Refusal{"averaging over no step", with(8, "0.04"), "at least half a mesh step"},
        Refusal{"averaging span overflows", with(8, "1e300"), "at most 2147483647 mesh steps"},
        Refusal{"transient overflows", with(9, "1e300"), "at most 2147483647 mesh steps"},
        Refusal{"infinite current", with(10, "-inf"), "a finite current"},
        Refusal{"current beyond a double once normalized", with(1, "1e-300", with(11, "1e10")),
                "a finite current"},
        Refusal{"zero current step", with(12, "0"), "a positive current step"},
        Refusal{"negative current step", with(12, "-0.25"), "a positive current step"},
        // 1 mA is 1000 Ic, lost against 1e20 Ic: the least step is named in mA.
        Refusal{"current step lost in the range", with(1, "0.001", with(11, "1e17", with(12, "1"))),
                "(at least 16.4)"},
        Refusal{"start mode 2", with(13, "2"), "accepted values are 0 and 1"},
        Refusal{"sweep mode 2", with(14, "2"), "accepted values are 0 and 1"},
        Refusal{"sweeps overflow", with(13, "0", with(14, "1e10")), "a number of sweeps from"},
        Refusal{"fraction for a menu", with(13, "0.5"), "an integer is expected"}),
    case_name<Refusal>);

TEST(IvInput, EndOfInputAtEveryQuestionStops) {
  const auto answers = valid_answers();
  for (std::size_t given = 0; given < answers.size(); ++given) {
    const ProgramRun run = run_program(
        "jj_iv", lines({answers.begin(), answers.begin() + std::ptrdiff_t(given)}), "", 20);
    EXPECT_EQ(run.status, 1) << given << " answers";
    EXPECT_NE(run.errors.find("end of input before the answer to"), std::string::npos) << given;
  }
}

// A current step that is not positive is sound when no sweep has a point.
TEST(IvInput, NonPositiveStepIsAcceptedWhenNoSweepHasPoints) {
  const ProgramRun run =
      run_program("jj_iv", lines(with(10, "2", with(12, "0"))), "iv.dat");  // I_min > I_max
  EXPECT_EQ(run.status, 0) << run.errors;
  EXPECT_TRUE(data_rows(run.file).empty());
}

}  // namespace
}  // namespace jj::test
