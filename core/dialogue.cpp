#include "dialogue.hpp"

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>
#include <type_traits>

namespace jj {
namespace {

// Longer answers are typing accidents or garbage, never a number or a name.
constexpr std::size_t longest_answer = 4096;

// The prompt as it reads in a message: without its trailing blanks and line ends.
std::string quoted(const char* prompt) {
  std::string text = prompt;
  while (!text.empty() && (text.back() == ' ' || text.back() == '\n')) text.pop_back();
  return "\"" + text + "\"";
}

std::optional<double> parse_double(const std::string& word) {
  char* end = nullptr;
  const double value = std::strtod(word.c_str(), &end);
  if (end == word.c_str() || *end != '\0') return std::nullopt;
  return value;
}

std::optional<int> parse_int(const std::string& word) {
  char* end = nullptr;
  errno = 0;
  const long value = std::strtol(word.c_str(), &end, 10);
  if (end == word.c_str() || *end != '\0' || errno == ERANGE ||
      value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
    return std::nullopt;
  return int(value);
}

}  // namespace

Dialogue::Dialogue(std::FILE* in, std::FILE* out, bool interactive)
    : in_(in), out_(out), interactive_(interactive) {}

Dialogue::Dialogue() : Dialogue(stdin, stdout, isatty(STDIN_FILENO) == 1) {}

// Echoes of huge values ("%lf" of 1e300 has 300 digits) can make a line of
// any length: it is measured first, never cut.
void Dialogue::say(const char* format, ...) {
  std::va_list args, measure;
  va_start(args, format);
  va_copy(measure, args);
  const int length = std::vsnprintf(nullptr, 0, format, measure);
  va_end(measure);
  std::string text(std::size_t(std::max(length, 0)), '\0');
  std::vsnprintf(text.data(), text.size() + 1, format, args);
  va_end(args);
  std::fputs(text.c_str(), out_);
  last_line_ = text;
}

// A menu answered right after its menu line has no prompt of its own: the
// menu line names the question.
std::string Dialogue::question(const char* prompt) const {
  return quoted(*prompt != '\0' ? prompt : last_line_.c_str());
}

std::string Dialogue::read_word(const char* prompt) {
  std::fputs(prompt, out_);
  std::fflush(out_);
  int c;
  do c = std::getc(in_);
  while (c != EOF && std::isspace(c));
  if (c == EOF) throw RunStopped("end of input before the answer to " + question(prompt));
  std::string word;
  for (; c != EOF && !std::isspace(c); c = std::getc(in_)) {
    if (word.size() == longest_answer)
      throw RunStopped("unreadable answer to " + question(prompt) + ": longer than " +
                       std::to_string(longest_answer) + " characters");
    // A C string would end at the NUL: the number or the file name read
    // would be only the part before it.
    if (c == '\0')
      throw RunStopped("unreadable answer to " + question(prompt) + ": it contains a NUL byte");
    word.push_back(char(c));
  }
  return word;
}

std::string Dialogue::ask_word(const char* prompt) { return read_word(prompt); }

template <class T, class Parse>
T Dialogue::ask(const char* prompt, Parse parse, const AnswerCheck<T>& check) {
  for (;;) {
    const std::string word = read_word(prompt);
    const std::optional<T> value = parse(word);
    if (!value)
      throw RunStopped("unreadable answer \"" + word + "\" to " + question(prompt) + ": " +
                       (std::is_same_v<T, int> ? "an integer" : "a number") + " is expected");
    const std::string refusal = check ? check(*value) : std::string();
    if (refusal.empty()) return *value;
    const std::string message =
        "answer \"" + word + "\" to " + question(prompt) + " refused: " + refusal;
    if (!interactive_) throw RunStopped(message);
    report(message);
  }
}

double Dialogue::ask_double(const char* prompt, const AnswerCheck<double>& check) {
  return ask<double>(prompt, parse_double, check);
}

int Dialogue::ask_int(const char* prompt, const AnswerCheck<int>& check) {
  return ask<int>(prompt, parse_int, check);
}

int Dialogue::ask_choice(const char* prompt, int first, int last) {
  return ask_int(prompt, [first, last](int answer) -> std::string {
    if (answer >= first && answer <= last) return {};
    std::string accepted = "accepted values are";
    for (int choice = first; choice <= last; ++choice)
      accepted += (choice == first ? " " : choice == last ? " and " : ", ") + std::to_string(choice);
    return accepted;
  });
}

namespace {
// Set by run_program; the executable's name until then.
std::string& program_name() {
  static std::string name = program_invocation_short_name;
  return name;
}
}  // namespace

void report(const std::string& message) {
  std::fflush(stdout);
  std::fprintf(stderr, "%s: %s\n", program_name().c_str(), message.c_str());
}

int run_program(const char* program, const std::function<void()>& body) {
  program_name() = program;
  std::string failure;
  try {
    body();
    if (std::fflush(stdout) != 0 || std::ferror(stdout))
      failure = std::string("writing to standard output failed: ") + std::strerror(errno);
  } catch (const std::exception& stop) {
    failure = stop.what();
  }
  if (failure.empty()) return EXIT_SUCCESS;
  report(failure);
  return EXIT_FAILURE;
}

}  // namespace jj
