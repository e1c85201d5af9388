// Whole runs of a program of the suite: answers on standard input, the
// console, standard error, the exit status and the data file it wrote, with
// the clock stamps masked so that transcripts compare byte for byte.
#pragma once

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace jj::test {

struct ProgramRun {
  std::string console;  // standard output, clock stamps masked
  std::string errors;   // standard error
  int status = -1;      // exit status; -1 when killed or timed out
  std::string file;     // the data file, clock stamps masked ("" when absent)
};

// Runs build/<program> in a fresh scratch folder with `answers` on standard
// input and reads back `data_file` (relative to that folder). The run is
// killed after `seconds`.
ProgramRun run_program(const std::string& program, const std::string& answers,
                const std::string& data_file = "", int seconds = 60);

// The calendar second at which run_program_at_clock stops the clock. The
// transcriptions in tests/reference draw their random starts from the same
// generator seeded with it.
inline constexpr long fixed_clock = 1000000000;

// run_program with the calendar clock stopped at `fixed_clock`: a random
// start draws a known sequence. Clock stamps are masked as always.
ProgramRun run_program_at_clock(const std::string& program, const std::string& answers,
                                const std::string& data_file = "");

// "hh:mm:ss" for every time of day, "mm/dd/yy" for the date of "# Data: ".
std::string mask_clock(const std::string& text);

std::string read_text(const std::string& path);

// Answers one per line, as an answers file holds them.
std::string lines(const std::vector<std::string>& answers);

// The data lines of a file (those not starting with '#'), each split at its
// tabs into its columns as written.
std::vector<std::vector<std::string>> data_fields(const std::string& file);

// The same, as columns of numbers (empty fields, after a trailing tab, left out).
std::vector<std::vector<double>> data_rows(const std::string& file);

// An answer stream a program must refuse: what it tests, the answers, and a
// fragment of the message expected on standard error.
struct Refusal {
  const char* what;
  std::vector<std::string> answers;
  const char* message;
};
void PrintTo(const Refusal& refusal, std::ostream* out);

// `what` as a test name: every character but letters and digits made '_'.
std::string identifier(const std::string& what);

// Test names for a table of cases with a `what` field.
template <class Case>
std::string case_name(const ::testing::TestParamInfo<Case>& info) {
  return identifier(info.param.what);
}
// A file below tests/ (fixtures, golden transcripts).
std::string test_data(const std::string& relative_path);

}  // namespace jj::test
