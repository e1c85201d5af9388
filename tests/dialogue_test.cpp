// Reading answers, refusing unsound ones, and the output file's errors.
#include "data_file.hpp"
#include "dialogue.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>

namespace jj {
namespace {

// A dialogue over a string of answers; `console()` is what it printed.
class ScriptedDialogue {
 public:
  explicit ScriptedDialogue(const std::string& answers, bool interactive = false)
      : answers_(answers), in_(fmemopen(answers_.data(), answers_.size(), "r")),
        out_(open_memstream(&console_, &console_size_)), dialogue_(in_, out_, interactive) {}
  ~ScriptedDialogue() {
    std::fclose(in_);
    std::fclose(out_);
    std::free(console_);
  }
  Dialogue& operator*() { return dialogue_; }
  Dialogue* operator->() { return &dialogue_; }
  std::string console() {
    std::fflush(out_);
    return std::string(console_, console_size_);
  }

 private:
  std::string answers_;
  std::FILE* in_;
  char* console_ = nullptr;
  std::size_t console_size_ = 0;
  std::FILE* out_;
  Dialogue dialogue_;
};

std::string stop_message(const std::function<void()>& ask) {
  try {
    ask();
  } catch (const RunStopped& stop) {
    return stop.what();
  }
  return "(no stop)";
}

TEST(Dialogue, ReadsWordsNumbersAndIntegersAsTyped) {
  ScriptedDialogue d("out.dat\n 2.5e-1  -7\n\n0x10 inf\n");
  EXPECT_EQ(d->ask_word("File ? "), "out.dat");
  EXPECT_EQ(d->ask_double("x ? "), 0.25);
  EXPECT_EQ(d->ask_int("n ? "), -7);
  EXPECT_EQ(d->ask_double("y ? "), 16.0);
  EXPECT_EQ(d->ask_double("z ? "), INFINITY);
  EXPECT_EQ(d.console(), "File ? x ? n ? y ? z ? ");
}

TEST(Dialogue, EchoesLinesOfAnyLength) {
  ScriptedDialogue d("");
  d->say("Phi(0) == %lf, V(0) == %lf, v(0) == %lf\n", 1e300, -1e300, 1e300);
  const std::string line = d.console();
  EXPECT_GT(line.size(), 900u);
  char expected[2048];
  std::snprintf(expected, sizeof expected, "Phi(0) == %lf, V(0) == %lf, v(0) == %lf\n", 1e300, -1e300,
                1e300);
  EXPECT_EQ(line, expected);
}

TEST(Dialogue, UnreadableAnswersAndEndOfInputStop) {
  struct Case {
    std::string answers;
    bool integer;
    std::string message;
  };
  const Case cases[] = {
      {"abc\n", false, "unreadable answer \"abc\" to \"BetaC ?\": a number is expected"},
      {"1,5\n", false, "unreadable answer \"1,5\" to \"BetaC ?\": a number is expected"},
      {"2.5\n", true, "unreadable answer \"2.5\" to \"BetaC ?\": an integer is expected"},
      {"99999999999\n", true, "unreadable answer \"99999999999\" to \"BetaC ?\": an integer is expected"},
      {"", false, "end of input before the answer to \"BetaC ?\""},
      {"  \n\n", true, "end of input before the answer to \"BetaC ?\""},
      {std::string(5000, '7'), false, "unreadable answer to \"BetaC ?\": longer than 4096 characters"},
      {std::string("3.\0\0 4\n", 6), false, "unreadable answer to \"BetaC ?\": it contains a NUL byte"},
  };
  for (const Case& c : cases) {
    ScriptedDialogue d(c.answers);
    EXPECT_EQ(stop_message([&] {
                c.integer ? d->ask_int("BetaC ? ") : d->ask_double("BetaC ? ");
              }),
              c.message);
  }
}

const AnswerCheck<double> non_zero = [](double x) {
  return x != 0 ? std::string() : "any non-zero number";
};

TEST(Dialogue, RefusedAnswerStopsWhenNotAtATerminal) {
  ScriptedDialogue d("0\n3\n");
  EXPECT_EQ(stop_message([&] { d->ask_double("BetaC ? ", non_zero); }),
            "answer \"0\" to \"BetaC ?\" refused: any non-zero number");
}

// Each refusal is told on standard error behind the program's name.
TEST(Dialogue, RefusedAnswerIsAskedAgainAtATerminal) {
  ScriptedDialogue d("0\n0.0\n3\n", /*interactive=*/true);
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(d->ask_double("BetaC ? ", non_zero), 3.0);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(),
            "dialogue_test: answer \"0\" to \"BetaC ?\" refused: any non-zero number\n"
            "dialogue_test: answer \"0.0\" to \"BetaC ?\" refused: any non-zero number\n");
  EXPECT_EQ(d.console(), "BetaC ? BetaC ? BetaC ? ");
}

TEST(Dialogue, MenuRefusalNamesTheChoicesAndTheMenuLine) {
  ScriptedDialogue d("7\n");
  d->say("0 = Random, 1 = Continuo da zero\n");
  EXPECT_EQ(stop_message([&] { d->ask_choice("", 0, 1); }),
            "answer \"7\" to \"0 = Random, 1 = Continuo da zero\" refused: "
            "accepted values are 0 and 1");
  ScriptedDialogue five("-1\n");
  EXPECT_EQ(stop_message([&] { five->ask_choice("Metodo ? ", 0, 4); }),
            "answer \"-1\" to \"Metodo ?\" refused: accepted values are 0, 1, 2, 3 and 4");
}

TEST(DataFile, UncreatableFileStopsWithPathAndReason) {
  EXPECT_EQ(stop_message([] { DataFile("/nonexistent-folder/iv.dat"); }),
            "cannot create output file \"/nonexistent-folder/iv.dat\": No such file or directory");
}

TEST(DataFile, FailedWritesAreReportedNotLost) {
  DataFile full("/dev/full");
  full.write("%.10lf\n", 1.0);
  EXPECT_EQ(stop_message([&] { full.close(); }),
            "writing output file \"/dev/full\" failed: No space left on device");
}

TEST(DataFile, FirstFailedWriteStopsTheRun) {
  DataFile full("/dev/full");
  EXPECT_EQ(stop_message([&] {
              for (int line = 0; line < 100000; ++line) full.write("%.10lf\n", 1.0);
            }),
            "writing output file \"/dev/full\" failed: No space left on device");
}

TEST(DataFile, WritesWhatItIsGiven) {
  const auto path = std::filesystem::temp_directory_path() / "jj_data_file_test.dat";
  DataFile file(path.string());
  file.write("# BetaC = %lf\n%.10lf\t%d\n", 2.0, -0.5, 3);
  file.close();
  std::FILE* in = std::fopen(path.c_str(), "r");
  char text[64] = {};
  ASSERT_EQ(std::fread(text, 1, sizeof text - 1, in), 35u);
  std::fclose(in);
  std::filesystem::remove(path);
  EXPECT_STREQ(text, "# BetaC = 2.000000\n-0.5000000000\t3\n");
}

TEST(RunProgram, StopsBecomeAMessageAndStatusOne) {
  testing::internal::CaptureStderr();
  EXPECT_EQ(run_program("jj_test", [] { throw RunStopped("end of input"); }), 1);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "jj_test: end of input\n");
  EXPECT_EQ(run_program("jj_test", [] {}), 0);
}

}  // namespace
}  // namespace jj
