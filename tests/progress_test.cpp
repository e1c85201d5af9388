// The progress line: drawn on standard error only when it is a terminal,
// erased at the end, reaching 100%; the specified output is untouched.
#include "program_runner.hpp"
#include "progress.hpp"

#include <gtest/gtest.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>

#include <cstdio>
#include <filesystem>

namespace jj::test {
namespace {

namespace fs = std::filesystem;

// Runs a program with standard error on a pseudo-terminal; returns what the
// terminal received. Answers come from `answers`, standard output goes to
// `console`.
std::string terminal_of_run(const std::string& program, const fs::path& answers,
                            const fs::path& console) {
  int master = -1;
  const pid_t child = forkpty(&master, nullptr, nullptr, nullptr);
  if (child == 0) {
    const int in = open(answers.c_str(), O_RDONLY);
    const int out = open(console.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(in, STDIN_FILENO);
    dup2(out, STDOUT_FILENO);
    chdir(console.parent_path().c_str());
    const std::string path = std::string(JJ_PROGRAM_DIR) + "/" + program;
    execl(path.c_str(), path.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  std::string terminal;
  char buffer[4096];
  for (ssize_t n; (n = read(master, buffer, sizeof buffer)) > 0;) terminal.append(buffer, std::size_t(n));
  int status = 0;
  waitpid(child, &status, 0);
  close(master);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  return terminal;
}

TEST(ProgressLine, ShownOnATerminalErasedAtTheEndOutputUnchanged) {
  const fs::path scratch = fs::temp_directory_path() / ("jj_progress_" + std::to_string(getpid()));
  fs::create_directories(scratch);
  const std::string answers = test_data("fixtures/ivnorm/pingpong_method3.in");
  {
    std::FILE* f = std::fopen((scratch / "answers.txt").c_str(), "w");
    std::fputs(answers.c_str(), f);
    std::fclose(f);
  }
  const std::string terminal =
      terminal_of_run("jj_ivnorm", scratch / "answers.txt", scratch / "console.txt");
  const std::string console = mask_clock(read_text((scratch / "console.txt").string()));
  const std::string file = mask_clock(read_text((scratch / "iv.dat").string()));
  fs::remove_all(scratch);

  EXPECT_NE(terminal.find("sweep 1 of 2, I0 = "), std::string::npos) << terminal;
  EXPECT_NE(terminal.find("100% done"), std::string::npos) << terminal;
  const std::string erase = "\r\033[K";
  ASSERT_GE(terminal.size(), erase.size());
  EXPECT_EQ(terminal.substr(terminal.size() - erase.size()), erase);
  EXPECT_EQ(console, test_data("golden/ivnorm/pingpong_method3.console"));
  EXPECT_EQ(file, test_data("golden/ivnorm/pingpong_method3.dat"));
}

TEST(ProgressLine, LongTrajectoryShowsItsTimeSpanUpTo100Percent) {
  const fs::path scratch = fs::temp_directory_path() / ("jj_span_" + std::to_string(getpid()));
  fs::create_directories(scratch);
  {
    // 200 transient and 200 recorded rf cycles of 628 steps: about 250000 steps.
    std::FILE* f = std::fopen((scratch / "answers.txt").c_str(), "w");
    std::fputs("strobe.dat\n4\n1\n1.4\n0.3\n0.01\n0\n200\n200\n2\n", f);
    std::fclose(f);
  }
  const std::string terminal =
      terminal_of_run("jj_strobe", scratch / "answers.txt", scratch / "console.txt");
  fs::remove_all(scratch);
  EXPECT_NE(terminal.find("tau = "), std::string::npos) << terminal;
  EXPECT_NE(terminal.find("tau = 2513.28 of 2513.28 rad, 100% done"), std::string::npos) << terminal;
  const std::string erase = "\r\033[K";
  ASSERT_GE(terminal.size(), erase.size());
  EXPECT_EQ(terminal.substr(terminal.size() - erase.size()), erase);
}

TEST(ProgressLine, SilentWhenNotATerminal) {
  std::FILE* sink = std::tmpfile();
  {
    ProgressLine line(sink);
    EXPECT_FALSE(line.active());
    line.show("point", 0.5);
  }
  EXPECT_EQ(std::ftell(sink), 0);
  std::fclose(sink);
}

TEST(ProgressLine, DrawsFractionElapsedAndTimeLeft) {
  char* text = nullptr;
  std::size_t size = 0;
  std::FILE* terminal = open_memstream(&text, &size);
  {
    ProgressLine line(terminal, true);
    line.show("sweep 1 of 2", 0.25);
    line.show("sweep 1 of 2", 0.5);  // within a quarter second: not redrawn
    line.show("sweep 2 of 2", 1.0);
  }
  std::fclose(terminal);
  EXPECT_EQ(std::string(text, size),
            "\r\033[Ksweep 1 of 2, 25% done, 00:00:00 elapsed, about 00:00:00 left"
            "\r\033[Ksweep 2 of 2, 100% done, 00:00:00 elapsed\r\033[K");
  std::free(text);
}

TEST(ProgressLine, DurationsAsHoursMinutesSeconds) {
  EXPECT_EQ(format_duration(0), "00:00:00");
  EXPECT_EQ(format_duration(3725.4), "01:02:05");
  EXPECT_EQ(format_duration(-3), "00:00:00");
}

}  // namespace
}  // namespace jj::test
