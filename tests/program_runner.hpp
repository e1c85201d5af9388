// Whole runs of a program of the suite: answers on standard input, the
// console, standard error, the exit status and the data file it wrote, with
// the clock stamps masked so that transcripts compare byte for byte.
#pragma once

#include <string>

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

// "hh:mm:ss" for every time of day, "mm/dd/yy" for the date of "# Data: ".
std::string mask_clock(const std::string& text);

std::string read_text(const std::string& path);
// A file below tests/ (fixtures, golden transcripts).
std::string test_data(const std::string& relative_path);

}  // namespace jj::test
