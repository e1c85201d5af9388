#include "program_runner.hpp"

#include <sys/wait.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

namespace jj::test {

namespace fs = std::filesystem;

std::string read_text(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string lines(const std::vector<std::string>& answers) {
  std::string text;
  for (const std::string& answer : answers) text += answer + "\n";
  return text;
}

std::vector<std::vector<std::string>> data_fields(const std::string& file) {
  std::vector<std::vector<std::string>> rows;
  std::istringstream in(file);
  for (std::string line; std::getline(in, line);) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream columns(line);
    rows.emplace_back();
    for (std::string field; std::getline(columns, field, '\t');) rows.back().push_back(field);
  }
  return rows;
}

std::vector<std::vector<double>> data_rows(const std::string& file) {
  std::vector<std::vector<double>> rows;
  for (const auto& fields : data_fields(file)) {
    rows.emplace_back();
    for (const std::string& field : fields)
      if (!field.empty()) rows.back().push_back(std::strtod(field.c_str(), nullptr));
  }
  return rows;
}

void PrintTo(const Refusal& refusal, std::ostream* out) { *out << refusal.what; }

std::string identifier(const std::string& what) {
  std::string name = what;
  for (char& c : name)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return name;
}

std::string test_data(const std::string& relative_path) {
  return read_text(std::string(JJ_TEST_DATA_DIR) + "/" + relative_path);
}

std::string mask_clock(const std::string& text) {
  static const std::regex time_of_day(R"(\b\d\d:\d\d:\d\d\b)");
  static const std::regex date(R"((# Data: )\d\d/\d\d/\d\d)");
  return std::regex_replace(std::regex_replace(text, time_of_day, "hh:mm:ss"), date,
                            "$1mm/dd/yy");
}

namespace {

ProgramRun run_in_scratch(const std::string& environment, const std::string& program,
                          const std::string& answers, const std::string& data_file,
                          int seconds) {
  const fs::path scratch = fs::temp_directory_path() /
                           ("jj_test_" + std::to_string(::getpid()) + "_" +
                            std::to_string(std::rand()));
  fs::create_directories(scratch);
  {
    std::ofstream(scratch / "answers.txt", std::ios::binary) << answers;
  }
  const std::string command = "cd '" + scratch.string() + "' && " + environment +
                              " timeout -s KILL " +
                              std::to_string(seconds) + " '" + JJ_PROGRAM_DIR + "/" + program +
                              "' < answers.txt > console.txt 2> errors.txt";
  const int raw = std::system(command.c_str());
  ProgramRun run;
  run.status = WIFEXITED(raw) && WEXITSTATUS(raw) != 137 ? WEXITSTATUS(raw) : -1;
  run.console = mask_clock(read_text((scratch / "console.txt").string()));
  run.errors = read_text((scratch / "errors.txt").string());
  if (!data_file.empty() && fs::exists(scratch / data_file))
    run.file = mask_clock(read_text((scratch / data_file).string()));
  fs::remove_all(scratch);
  return run;
}

}  // namespace

ProgramRun run_program(const std::string& program, const std::string& answers,
                       const std::string& data_file, int seconds) {
  return run_in_scratch("", program, answers, data_file, seconds);
}

// A sanitizer runtime must otherwise come first among the loaded libraries.
ProgramRun run_program_at_clock(const std::string& program, const std::string& answers,
                                const std::string& data_file) {
  const std::string environment =
      "JJ_FIXED_CLOCK=" + std::to_string(fixed_clock) + " LD_PRELOAD='" +
      JJ_FIXED_CLOCK_LIBRARY + "' ASAN_OPTIONS=\"verify_asan_link_order=0:${ASAN_OPTIONS}\"";
  return run_in_scratch(environment, program, answers, data_file, 60);
}

}  // namespace jj::test
