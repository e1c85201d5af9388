// Whole runs of jj_bench: its dialogue and two clock lines for every method,
// and the answers that would never let its loop end.
#include "program_runner.hpp"

#include <gtest/gtest.h>

namespace jj::test {
namespace {

const std::string questions =
    "-- Parametri integrazione numerica --\n"
    "1 == 1 rad == 1/(pulsazione caratteristica di Josephson)\n"
    "Lunghezza di mesh ? "
    "Metodo di integrazione (0 == Runge-Kutta IV, 1 == Adams III, 2 == Adams IV, "
    "3 == Adams-Moulton V, 4 == Adams-Moulton VI) ? "
    "Numero mesh step? ";
const std::string clock_lines = "Iniziato. Ore: hh:mm:ss\nFinito. Ore: hh:mm:ss\n";

TEST(JjBench, DialogueAndClockLinesForEveryMethodAndStepCount) {
  for (const char* method : {"0", "1", "2", "3", "4"}) {
    for (const char* n : {"100000", "0", "-5"}) {
      const ProgramRun run =
          run_program("jj_bench", std::string("0.01\n") + method + "\n" + n + "\n");
      EXPECT_EQ(run.status, 0) << run.errors;
      EXPECT_EQ(run.console, questions + clock_lines) << "method " << method << ", n " << n;
      EXPECT_EQ(run.errors, "");
    }
  }
}

TEST(JjBench, RefusesAnswersThatWouldNeverEnd) {
  struct Case {
    std::string answers, message;
  };
  const Case cases[] = {
      {"0\n0\n10\n", "a positive, finite mesh length"},
      {"-0.1\n0\n10\n", "a positive, finite mesh length"},
      {"0.1\n5\n10\n", "accepted values are 0, 1, 2, 3 and 4"},
      {"1e308\n0\n10\n", "a finite time tau can reach by adding h"},
      {"0.1\n0\n", "end of input before the answer to \"Numero mesh step?\""},
      {"0.1\n0\n1e3\n", "an integer is expected"},
  };
  for (const Case& c : cases) {
    const ProgramRun run = run_program("jj_bench", c.answers, "", 20);
    EXPECT_EQ(run.status, 1) << c.answers;
    EXPECT_NE(run.errors.find(c.message), std::string::npos) << c.answers << run.errors;
    EXPECT_EQ(run.console.find("Iniziato"), std::string::npos);
  }
}

}  // namespace
}  // namespace jj::test
