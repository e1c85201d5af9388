// The console dialogue: prompts on standard output, answers read from
// standard input as whitespace-delimited words.
//
// Every valid answer is taken as typed. An answer that cannot be read as the
// asked type, or the end of input, stops the run. An answer that can be read
// but would make the run meaningless (a loop that never ends, a division by
// zero, a menu entry that does not exist) is refused with a message naming
// the accepted values: asked again at a terminal, a stop otherwise.
#pragma once

#include <cstdio>
#include <functional>
#include <stdexcept>
#include <string>

namespace jj {

// Ends the run: main prints the message on standard error and exits non-zero.
class RunStopped : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Empty when the answer is accepted, otherwise what would be accepted.
template <class T>
using AnswerCheck = std::function<std::string(T)>;

class Dialogue {
 public:
  // `interactive`: refused answers are asked again instead of stopping.
  Dialogue(std::FILE* in, std::FILE* out, bool interactive);
  // The process's standard input and output; interactive when stdin is a terminal.
  Dialogue();

  void say(const char* format, ...) __attribute__((format(printf, 2, 3)));

  std::string ask_word(const char* prompt);
  double ask_double(const char* prompt, const AnswerCheck<double>& check = {});
  int ask_int(const char* prompt, const AnswerCheck<int>& check = {});
  // A menu answer: an integer from `first` to `last`.
  int ask_choice(const char* prompt, int first, int last);

 private:
  template <class T, class Parse>
  T ask(const char* prompt, Parse parse, const AnswerCheck<T>& check);
  std::string read_word(const char* prompt);
  std::string question(const char* prompt) const;

  std::FILE* in_;
  std::FILE* out_;
  bool interactive_;
  std::string last_line_;
};

// "<program>: <message>" on standard error, for what the user must read
// while the run goes on (an answer asked again, a warning).
void report(const std::string& message);

// Runs a program's body; a RunStopped, a failed write to standard output or
// any other error becomes a message "<program>: <reason>" on standard error
// and exit status 1.
int run_program(const char* program, const std::function<void()>& body);

}  // namespace jj
