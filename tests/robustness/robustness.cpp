// Robustness harness: runs the seven programs on generated answer streams and
// checks that every run ends soundly. A run is sound when it
//   - ends within the time bound and 1 GiB of memory, neither killed by a
//     signal nor with a sanitizer report on standard error, and
//   - either exits 0 with a complete data file (see incomplete_file), the
//     console's closing line where the program has one, and nothing on
//     standard error but the documented off-menu unit warnings,
//   - or exits 1 with one message "<program>: <reason>" as the last line of
//     standard error (only those warnings before it).
// Some inputs must stop (end of input, an unreadable answer, a file that
// cannot be created or written); those runs must also exit 1 with the reason.
//
// The answer streams are built from the annotated base streams in
// robustness/streams/ (one answer a line: its kind, the answer, a comment):
// end of input before every answer; every answer replaced by every value of
// its kind's classes (numbers: zero, negative, +-1e308, 1e-300, nan, +-inf,
// non-numeric, a NUL byte, empty, overlong; integers and menus also the int
// limits and every menu value out of range; the file name: a missing folder,
// a read-only folder, /dev/full, ...); whole-stream variants (CRLF line ends,
// answers on one line, console on /dev/full, standard input closed); seeded
// random mutations of the base streams; and the regression streams the
// fuzzer found (fixtures/fuzz/<program>/*.in). Each run has a scratch folder
// as its working directory, and its data file may grow to 64 MiB, past which
// every write fails and must be reported.
//
//   robustness --bin DIR --data DIR [--sample K] [--random N] [--seed S]
//              [--timeout SECONDS] [--jobs J] [--program NAME] [--table]
//              [--failures DIR]
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

// ---- Answer streams -----------------------------------------------------------

// What the question of an answer reads: the output file name, a real number,
// an integer, an integer that sets the length of the run (its valid huge
// values are legitimately long runs, not faults), or a menu entry.
enum class Kind { name, real, integer, steps, menu };

struct Answer {
  Kind kind = Kind::real;
  int first = 0, last = 0;  // menu entries
  std::string text;
};

struct BaseStream {
  std::string program;  // jj_<program>, from the file name jj_<program>_<case>.txt
  std::string label;    // the file name without .txt
  std::vector<Answer> answers;
};

Answer parse_answer(const std::string& kind, const std::string& text, const std::string& where) {
  Answer a;
  a.text = text;
  if (kind == "name")
    a.kind = Kind::name;
  else if (kind == "real")
    a.kind = Kind::real;
  else if (kind == "int")
    a.kind = Kind::integer;
  else if (kind == "steps")
    a.kind = Kind::steps;
  else if (std::sscanf(kind.c_str(), "menu:%d-%d", &a.first, &a.last) == 2)
    a.kind = Kind::menu;
  else
    throw std::runtime_error(where + ": unknown answer kind \"" + kind + "\"");
  return a;
}

BaseStream load_stream(const fs::path& path) {
  BaseStream s;
  s.label = path.stem().string();
  s.program = s.label.substr(0, s.label.find('_', 3));
  std::ifstream in(path);
  int number = 0;
  for (std::string line; std::getline(in, line);) {
    ++number;
    line = line.substr(0, line.find('#'));
    std::istringstream words(line);
    std::string kind, text;
    if (!(words >> kind)) continue;
    if (!(words >> text))
      throw std::runtime_error(path.string() + ":" + std::to_string(number) + ": no answer");
    s.answers.push_back(parse_answer(kind, text, path.string() + ":" + std::to_string(number)));
  }
  return s;
}

std::string join(const std::vector<Answer>& answers, const char* line_end = "\n") {
  std::string text;
  for (const Answer& a : answers) text += a.text + line_end;
  return text;
}

// ---- Cases --------------------------------------------------------------------

enum class Expect { any, completes, stops };

struct Case {
  std::string program;
  std::string input_class;  // a row of the table
  std::string where;        // stream and answer, for failure reports
  std::string stream;
  Expect expect = Expect::any;
  std::string message;  // a fragment of the stop message, when one is expected
  bool console_full = false;
  bool stdin_closed = false;
};

Case make_case(const std::string& program, const std::string& input_class, const std::string& where,
               const std::string& stream, Expect expect = Expect::any,
               const std::string& message = "") {
  Case c;
  c.program = program;
  c.input_class = input_class;
  c.where = where;
  c.stream = stream;
  c.expect = expect;
  c.message = message;
  return c;
}

// A value that replaces an answer, with what the run must then do.
struct Variant {
  std::string input_class;
  std::string value;
  Expect expect = Expect::any;
  std::string message = "";
  bool random_pool = true;  // also drawn by the random mutations
};

constexpr const char* unreadable = "unreadable answer";
constexpr const char* too_long = "longer than 4096 characters";
constexpr const char* cannot_create = "cannot create output file";
constexpr const char* end_of_input = "end of input before the answer";
constexpr const char* nul_byte = "it contains a NUL byte";

// Folders where the output file cannot be created, found once at start.
struct Targets {
  std::string missing_folder;
  std::optional<std::string> read_only_folder;  // none when nothing refuses creation
};

std::string negated(const std::string& text) {
  if (text == "0" || text == "0.0") return "-1";
  return text[0] == '-' ? text.substr(1) : "-" + text;
}

std::vector<Variant> number_variants(const Answer& a) {
  return {
      {"zero", "0"},
      {"negative", negated(a.text)},
      {"huge (1e308)", "1e308"},
      {"huge negative (-1e308)", "-1e308"},
      {"tiny (1e-300)", "1e-300"},
      {"nan", "nan"},
      {"inf", "inf"},
      {"-inf", "-inf"},
      {"non-numeric", "abc", Expect::stops, unreadable},
      {"decimal comma", "0,5", Expect::stops, unreadable},
      {"NUL byte in the answer", std::string("1\0", 2), Expect::stops, nul_byte},
      {"empty answer", ""},
      {"overlong answer (5000 characters)", std::string(5000, '1'), Expect::stops, too_long},
      {"4096 digits", std::string(4096, '9')},
  };
}

std::vector<Variant> integer_variants(const Answer& a) {
  std::vector<Variant> v = {
      {"zero", "0"},
      {"negative", negated(a.text)},
      {"huge (1e308)", "1e308", Expect::stops, unreadable},
      {"int min", "-2147483648", Expect::any, "", false},
      {"int overflow (2147483648)", "2147483648", Expect::stops, unreadable},
      {"tiny (1e-300)", "1e-300", Expect::stops, unreadable},
      {"fraction", "1.5", Expect::stops, unreadable},
      {"NUL byte in the answer", std::string("1\0", 2), Expect::stops, nul_byte},
      {"nan", "nan", Expect::stops, unreadable},
      {"inf", "inf", Expect::stops, unreadable},
      {"non-numeric", "abc", Expect::stops, unreadable},
      {"empty answer", ""},
      {"overlong answer (5000 characters)", std::string(5000, '1'), Expect::stops, too_long},
  };
  // A valid step count of 2^31 - 1 is a long run by request, not a fault.
  if (a.kind != Kind::steps) v.push_back({"int max", "2147483647", Expect::any, "", false});
  if (a.kind == Kind::menu) {
    v.push_back({"menu value below the menu", std::to_string(a.first - 1)});
    v.push_back({"menu value above the menu", std::to_string(a.last + 1)});
  }
  return v;
}

std::vector<Variant> name_variants(const Targets& t) {
  std::vector<Variant> v = {
      {"file in a missing folder", t.missing_folder + "/out.dat", Expect::stops, cannot_create},
      {"file /dev/full (every write fails)", "/dev/full", Expect::stops, "No space left on device"},
      {"file name too long for the system", std::string(300, 'n'), Expect::stops, cannot_create},
      {"file name of a folder", ".", Expect::stops, cannot_create},
      {"NUL byte in the answer", std::string("out.dat\0x", 9), Expect::stops, nul_byte},
      {"overlong answer (5000 characters)", std::string(5000, 'n'), Expect::stops, too_long},
      {"empty answer", ""},
  };
  if (t.read_only_folder)
    v.push_back({"file in a read-only folder", *t.read_only_folder + "/out.dat", Expect::stops,
                 cannot_create});
  return v;
}

std::vector<Variant> variants(const Answer& a, const Targets& t) {
  switch (a.kind) {
    case Kind::name: return name_variants(t);
    case Kind::real: return number_variants(a);
    case Kind::integer:
    case Kind::steps:
    case Kind::menu: return integer_variants(a);
  }
  return {};
}

std::string answer_label(const BaseStream& s, std::size_t i) {
  return s.label + ", answer " + std::to_string(i + 1);
}

// The base stream itself and its whole-stream variants.
void add_whole_stream_cases(const BaseStream& s, std::vector<Case>& cases) {
  const std::string text = join(s.answers);
  std::string one_line;
  for (const Answer& a : s.answers) one_line += (one_line.empty() ? "" : " ") + a.text;
  cases.push_back(make_case(s.program, "valid stream", s.label, text, Expect::completes));
  cases.push_back(make_case(s.program, "valid stream, CRLF line ends", s.label,
                            join(s.answers, "\r\n"), Expect::completes));
  cases.push_back(make_case(s.program, "valid stream on one line, no final line end", s.label,
                            one_line, Expect::completes));
  cases.push_back(make_case(s.program, "valid stream twice (answers left over)", s.label,
                            text + text, Expect::completes));
  Case full = make_case(s.program, "console on /dev/full", s.label, text, Expect::stops,
                        "writing to standard output failed");
  full.console_full = true;
  cases.push_back(full);
  Case closed =
      make_case(s.program, "standard input closed", s.label, "", Expect::stops, end_of_input);
  closed.stdin_closed = true;
  cases.push_back(closed);
}

void add_answer_cases(const BaseStream& s, const Targets& t, std::vector<Case>& cases) {
  for (std::size_t i = 0; i < s.answers.size(); ++i) {
    const std::vector<Answer> before(s.answers.begin(), s.answers.begin() + long(i));
    cases.push_back(make_case(s.program, "end of input at an answer", answer_label(s, i),
                              join(before), Expect::stops, end_of_input));
    for (const Variant& v : variants(s.answers[i], t)) {
      std::vector<Answer> answers = s.answers;
      answers[i].text = v.value;
      cases.push_back(make_case(s.program, v.input_class, answer_label(s, i), join(answers),
                                v.expect, v.message));
    }
  }
}

// Mutations of a base stream: answers replaced by values of their classes,
// dropped, duplicated or swapped, one to three of them. The int limits stay
// out: moved to another question they ask for valid runs of hours (2^31
// sweeps), which only the answers' own positions test soundly.
Case random_case(const BaseStream& s, const Targets& t, std::mt19937& rng, int number) {
  std::vector<Answer> answers = s.answers;
  const auto pick = [&rng](std::size_t n) {
    return std::uniform_int_distribution<std::size_t>(0, n - 1)(rng);
  };
  const std::size_t mutations = 1 + pick(3);
  for (std::size_t m = 0; m < mutations && !answers.empty(); ++m) {
    const std::size_t i = pick(answers.size());
    switch (pick(4)) {
      case 0: {
        std::vector<Variant> pool;
        for (const Variant& v : variants(answers[i], t))
          if (v.random_pool) pool.push_back(v);
        answers[i].text = pool[pick(pool.size())].value;
        break;
      }
      case 1: answers.erase(answers.begin() + long(i)); break;
      case 2: {
        const Answer repeated = answers[i];
        answers.insert(answers.begin() + long(i), repeated);
        break;
      }
      default: std::swap(answers[i], answers[pick(answers.size())]); break;
    }
  }
  return make_case(s.program, "random mutations",
                   s.label + ", random stream " + std::to_string(number), join(answers));
}

std::string read_text(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void add_fuzz_regressions(const fs::path& folder, const std::string& program,
                          std::vector<Case>& cases) {
  if (!fs::is_directory(folder)) return;
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(folder))
    if (entry.path().extension() == ".in") files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  for (const fs::path& file : files)
    cases.push_back(make_case(program, "fuzzer findings (regression)", file.filename().string(),
                              read_text(file)));
}

// ---- Running a program ----------------------------------------------------------

struct Outcome {
  bool timed_out = false;
  long peak_memory_kib = 0;  // the largest resident set
  int signal = 0;            // non-zero when killed by a signal
  int status = -1;           // exit status
  std::string console, errors, file;
  bool file_exists = false;
  bool file_in_scratch = true;  // false for an absolute file name
};

// A data file larger than this makes every further write fail (EFBIG), which
// the program must report like any other failed write.
constexpr rlim_t largest_file = rlim_t(64) << 20;

// The output file name as the program reads it: the first word of the stream.
std::string first_word(const std::string& stream) {
  std::size_t begin = 0;
  while (begin < stream.size() && std::isspace(static_cast<unsigned char>(stream[begin]))) ++begin;
  std::size_t end = begin;
  while (end < stream.size() && !std::isspace(static_cast<unsigned char>(stream[end]))) ++end;
  return stream.substr(begin, end - begin);
}

struct Job {
  Case test;
  pid_t pid = -1;
  std::chrono::steady_clock::time_point deadline;
  fs::path scratch;
};

[[noreturn]] void exec_program(const Job& job, const fs::path& program) {
  if (::chdir(job.scratch.c_str()) != 0) _exit(126);
  const int out = job.test.console_full
                      ? ::open("/dev/full", O_WRONLY)
                      : ::open("../console.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const int err = ::open("../errors.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const int in = ::open("../stream.in", O_RDONLY);
  if (out < 0 || err < 0 || in < 0 || ::dup2(out, STDOUT_FILENO) < 0 ||
      ::dup2(err, STDERR_FILENO) < 0 || ::dup2(in, STDIN_FILENO) < 0)
    _exit(126);
  for (int fd : {out, err, in})
    if (fd > STDERR_FILENO) ::close(fd);
  if (job.test.stdin_closed) ::close(STDIN_FILENO);
  const rlimit file_size{largest_file, largest_file};
  ::setrlimit(RLIMIT_FSIZE, &file_size);
  ::signal(SIGXFSZ, SIG_IGN);
  ::execl(program.c_str(), program.filename().c_str(), static_cast<char*>(nullptr));
  _exit(127);
}

Job start(const Case& test, const fs::path& bin, const fs::path& root, int number) {
  Job job;
  job.test = test;
  const fs::path run = root / ("run" + std::to_string(number));
  job.scratch = run / "cwd";
  fs::create_directories(job.scratch);
  std::ofstream(run / "stream.in", std::ios::binary) << test.stream;
  job.pid = ::fork();
  if (job.pid < 0) throw std::runtime_error(std::string("fork failed: ") + std::strerror(errno));
  if (job.pid == 0) exec_program(job, bin / test.program);
  return job;
}

Outcome collect(const Job& job, int wait_status, const rusage& usage, bool timed_out) {
  Outcome o;
  o.timed_out = timed_out;
  o.peak_memory_kib = usage.ru_maxrss;
  if (WIFSIGNALED(wait_status)) o.signal = WTERMSIG(wait_status);
  if (WIFEXITED(wait_status)) o.status = WEXITSTATUS(wait_status);
  const fs::path run = job.scratch.parent_path();
  o.console = read_text(run / "console.txt");
  o.errors = read_text(run / "errors.txt");
  const std::string name = first_word(job.test.stream);
  o.file_in_scratch = !name.empty() && name.find('/') == std::string::npos && name.size() < 256;
  if (o.file_in_scratch) {
    std::error_code error;
    const fs::path file = job.scratch / name;
    o.file_exists = fs::is_regular_file(file, error);
    if (o.file_exists) o.file = read_text(file);
  }
  return o;
}

// ---- Verdicts -----------------------------------------------------------------

bool starts_with(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

std::vector<std::string> split_lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// jj_trace and jj_iv take a unit answer that is on no menu as the scale 0
// and say so on standard error; the run goes on.
bool documented_warning(const std::string& program, const std::string& line) {
  return (program == "jj_trace" || program == "jj_iv") && starts_with(line, program + ": warning: answer ") &&
         line.find(" is on no menu: the ") != std::string::npos;
}

bool sanitizer_report(const std::string& errors) {
  for (const char* mark : {"AddressSanitizer", "LeakSanitizer", "UndefinedBehaviorSanitizer",
                           "runtime error:", "SUMMARY: "})
    if (errors.find(mark) != std::string::npos) return true;
  return false;
}

bool numeric_field(const std::string& field) {
  char* end = nullptr;
  std::strtod(field.c_str(), &end);
  return !field.empty() && *end == '\0';
}

// A complete data file: not empty, its last line ended, its header opening
// with "# Data: " and naming the method and the mesh length, and every other
// line a data line of numbers separated by tabs (jj_trace ends its lines with
// a tab), the same number of them on every line.
std::string incomplete_file(const std::string& file) {
  if (file.empty()) return "the data file is empty";
  if (file.back() != '\n') return "the data file's last line is not ended";
  const std::vector<std::string> lines = split_lines(file);
  if (!starts_with(lines[0], "# Data: ")) return "the data file does not begin with \"# Data: \"";
  bool method = false, mesh = false;
  std::size_t columns = 0;
  for (const std::string& line : lines) {
    method = method || starts_with(line, "# Integrazione numerica via metodo di ");
    mesh = mesh || starts_with(line, "# Mesh length = ");
    if (starts_with(line, "#")) continue;
    std::vector<std::string> fields;
    std::istringstream in(line);
    for (std::string field; std::getline(in, field, '\t');) fields.push_back(field);
    if (!fields.empty() && fields.back().empty()) fields.pop_back();
    if (fields.empty() || !std::all_of(fields.begin(), fields.end(), numeric_field))
      return "data line \"" + line.substr(0, 80) + "\" is not numbers separated by tabs";
    if (columns == 0) columns = fields.size();
    if (fields.size() != columns) return "data lines with different numbers of columns";
  }
  if (!method || !mesh) return "the header lacks the method or the mesh length";
  return {};
}

// The console's last line where the program closes with one.
std::string unfinished_console(const std::string& program, const std::string& console) {
  if (program == "jj_bench" && console.find("Finito. Ore: ") == std::string::npos)
    return "the console has no closing line \"Finito. Ore: \"";
  if ((program == "jj_ivnorm" || program == "jj_iv" || program == "jj_trace") &&
      console.find("Finito! Ore: ") == std::string::npos)
    return "the console has no closing line \"Finito! Ore: \"";
  return {};
}

std::string completed_run_fault(const Case& c, const Outcome& o) {
  for (const std::string& line : split_lines(o.errors))
    if (!documented_warning(c.program, line))
      return "exit 0 with \"" + line.substr(0, 120) + "\" on standard error";
  if (c.expect == Expect::stops) return "exit 0 where the run must stop (" + c.message + ")";
  if (const std::string fault = unfinished_console(c.program, o.console); !fault.empty())
    return "exit 0 but " + fault;
  if (c.program == "jj_bench") return {};
  if (!o.file_in_scratch) return "exit 0 with an output file the harness cannot check";
  if (!o.file_exists) return "exit 0 without a data file";
  if (const std::string fault = incomplete_file(o.file); !fault.empty())
    return "exit 0 but " + fault;
  return {};
}

std::string stopped_run_fault(const Case& c, const Outcome& o) {
  const std::vector<std::string> lines = split_lines(o.errors);
  if (lines.empty()) return "exit 1 without a message";
  const std::string& last = lines.back();
  if (!starts_with(last, c.program + ": ") || last.size() <= c.program.size() + 2)
    return "exit 1 with a last message \"" + last.substr(0, 120) + "\" not \"" + c.program +
           ": ...\"";
  for (std::size_t i = 0; i + 1 < lines.size(); ++i)
    if (!documented_warning(c.program, lines[i]))
      return "exit 1 with more on standard error: \"" + lines[i].substr(0, 120) + "\"";
  if (c.expect == Expect::completes) return "exit 1 where the run must complete: " + last;
  if (c.expect == Expect::stops && last.find(c.message) == std::string::npos)
    return "exit 1 with \"" + last.substr(0, 160) + "\", not the reason \"" + c.message + "\"";
  return {};
}

// Every run of the streams here holds little: more memory than this is a
// leak or a buffer growing with the run, which a long run would take to
// exhaustion (the sanitizer build's shadow memory is far below it).
constexpr long most_memory_kib = long(1) << 20;

// Empty when the run was sound, otherwise what went wrong.
std::string fault(const Case& c, const Outcome& o, int seconds) {
  if (o.peak_memory_kib > most_memory_kib)
    return "used " + std::to_string(o.peak_memory_kib >> 10) + " MiB of memory";
  if (o.timed_out) return "still running after " + std::to_string(seconds) + " s (killed)";
  if (sanitizer_report(o.errors)) return "sanitizer report: " + o.errors.substr(0, 2000);
  if (o.signal != 0) return std::string("killed by signal ") + ::strsignal(o.signal);
  if (o.status == 0) return completed_run_fault(c, o);
  if (o.status == 1) return stopped_run_fault(c, o);
  return "exit status " + std::to_string(o.status);
}

// ---- Driver -------------------------------------------------------------------

struct Options {
  fs::path bin, data, failures;
  int sample = 1, random = 20, jobs = 1, seconds = 10;
  unsigned seed = 20261211;
  std::string program;
  bool table = false;
};

Options parse_options(int argc, char** argv) {
  Options o;
  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    if (option == "--table") {
      o.table = true;
      continue;
    }
    if (i + 1 >= argc) throw std::runtime_error("option " + option + " needs a value");
    const std::string value = argv[++i];
    if (option == "--bin")
      o.bin = value;
    else if (option == "--data")
      o.data = value;
    else if (option == "--failures")
      o.failures = value;
    else if (option == "--sample")
      o.sample = std::max(1, std::stoi(value));
    else if (option == "--random")
      o.random = std::stoi(value);
    else if (option == "--jobs")
      o.jobs = std::max(1, std::stoi(value));
    else if (option == "--timeout")
      o.seconds = std::stoi(value);
    else if (option == "--seed")
      o.seed = unsigned(std::stoul(value));
    else if (option == "--program")
      o.program = value;
    else
      throw std::runtime_error("unknown option " + option);
  }
  if (o.bin.empty() || o.data.empty()) throw std::runtime_error("--bin and --data are required");
  o.bin = fs::absolute(o.bin);  // the programs run in scratch folders
  return o;
}

// Root bypasses permission bits, so a folder made read-only with chmod
// refuses nothing; /sys and /proc refuse every new file to anyone. Probed by
// creating a file that does not exist yet (and removing it if that worked).
std::optional<std::string> find_read_only_folder(const fs::path& scratch) {
  const fs::path locked = scratch / "read-only";
  fs::create_directories(locked);
  ::chmod(locked.c_str(), 0555);
  for (const std::string& folder : {locked.string(), std::string("/sys"), std::string("/proc")}) {
    const std::string probe = folder + "/jj-robustness-probe";
    const int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    if (fd < 0 && errno != EEXIST) return folder;
    if (fd >= 0) {
      ::close(fd);
      ::unlink(probe.c_str());
    }
  }
  return std::nullopt;
}

std::string printable(const std::string& stream) {
  std::string text;
  for (char c : stream.substr(0, 400)) {
    if (c == '\n')
      text += "\\n";
    else if (c == '\r')
      text += "\\r";
    else if (std::isprint(static_cast<unsigned char>(c)))
      text += c;
    else {
      char code[8];
      std::snprintf(code, sizeof code, "\\x%02x", static_cast<unsigned char>(c));
      text += code;
    }
  }
  return stream.size() > 400 ? text + "... (" + std::to_string(stream.size()) + " bytes)" : text;
}

struct Tally {
  std::map<int, int> exits;  // exit status -> runs
  int faults = 0;
};

const std::vector<std::string> programs = {"jj_trace", "jj_iv",      "jj_strobe", "jj_ivnorm",
                                           "jj_lyap",  "jj_scatter", "jj_bench"};

std::string cell(const Tally& t) {
  std::string text;
  for (const auto& [status, runs] : t.exits)
    text += (text.empty() ? "" : ", ") + std::string("exit ") + std::to_string(status) + " ×" +
            std::to_string(runs);
  if (t.faults > 0)
    text += (text.empty() ? "" : ", ") + std::string("FAULT ×") + std::to_string(t.faults);
  return text.empty() ? "–" : text;
}

void print_table(const std::vector<std::string>& classes,
                 const std::map<std::string, std::map<std::string, Tally>>& tallies) {
  std::printf("\n| Input class |");
  for (const std::string& p : programs) std::printf(" %s |", p.c_str());
  std::printf("\n|---|");
  for (std::size_t i = 0; i < programs.size(); ++i) std::printf("---|");
  std::printf("\n");
  for (const std::string& c : classes) {
    std::printf("| %s |", c.c_str());
    for (const std::string& p : programs) {
      const auto row = tallies.find(c);
      const auto found = row->second.find(p);
      std::printf(" %s |", found == row->second.end() ? "–" : cell(found->second).c_str());
    }
    std::printf("\n");
  }
}

std::vector<Case> build_cases(const Options& o, const Targets& targets) {
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(o.data / "robustness" / "streams"))
    if (entry.path().extension() == ".txt") files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  std::vector<Case> cases;
  std::size_t position = 0;
  for (const fs::path& file : files) {
    const BaseStream s = load_stream(file);
    if (!o.program.empty() && s.program != o.program) continue;
    std::vector<Case> generated;
    add_whole_stream_cases(s, generated);
    add_answer_cases(s, targets, generated);
    // A sample keeps the valid stream and every K-th other case; the stride
    // runs on across streams, so that every class is met at some answer.
    for (std::size_t i = 0; i < generated.size(); ++i)
      if (i == 0 || position++ % std::size_t(o.sample) == 0) cases.push_back(generated[i]);
    std::mt19937 rng(o.seed + unsigned(std::hash<std::string>{}(s.label) % 100000));
    for (int n = 0; n < o.random; ++n) cases.push_back(random_case(s, targets, rng, n + 1));
  }
  for (const std::string& p : programs)
    if (o.program.empty() || o.program == p)
      add_fuzz_regressions(o.data / "fixtures" / "fuzz" / p, p, cases);
  return cases;
}

int run(const Options& o) {
  const fs::path root = fs::temp_directory_path() / ("jj_robustness_" + std::to_string(::getpid()));
  fs::create_directories(root);
  Targets targets;
  targets.missing_folder = (root / "missing-folder").string();
  targets.read_only_folder = find_read_only_folder(root);
  if (!targets.read_only_folder)
    std::printf("No folder refuses new files here: the read-only folder case is skipped.\n");
  else
    std::printf("Read-only folder: %s\n", targets.read_only_folder->c_str());

  const std::vector<Case> cases = build_cases(o, targets);
  std::vector<std::string> classes;
  std::map<std::string, std::map<std::string, Tally>> tallies;
  int passed = 0, failed = 0, started = 0;
  std::vector<Job> running;
  std::size_t next = 0;
  std::printf("%zu runs, at most %d s each\n", cases.size(), o.seconds);
  std::fflush(stdout);

  const auto finish = [&](const Job& job, int wait_status, const rusage& usage, bool timed_out) {
    const Outcome outcome = collect(job, wait_status, usage, timed_out);
    const std::string problem = fault(job.test, outcome, o.seconds);
    if (std::find(classes.begin(), classes.end(), job.test.input_class) == classes.end())
      classes.push_back(job.test.input_class);
    Tally& tally = tallies[job.test.input_class][job.test.program];
    if (problem.empty()) {
      ++passed;
      ++tally.exits[outcome.status];
    } else {
      ++failed;
      ++tally.faults;
      std::printf("FAULT %s [%s] %s\n  stream: %s\n  %s\n", job.test.program.c_str(),
                  job.test.input_class.c_str(), job.test.where.c_str(),
                  printable(job.test.stream).c_str(), problem.c_str());
      if (!o.failures.empty()) {
        fs::create_directories(o.failures);
        std::ofstream(o.failures / (job.test.program + "-" + std::to_string(failed) + ".in"),
                      std::ios::binary)
            << job.test.stream;
      }
    }
    fs::remove_all(job.scratch.parent_path());
  };

  while (next < cases.size() || !running.empty()) {
    while (next < cases.size() && int(running.size()) < o.jobs) {
      Job job = start(cases[next++], o.bin, root, started++);
      job.deadline = std::chrono::steady_clock::now() + std::chrono::seconds(o.seconds);
      running.push_back(std::move(job));
    }
    bool any_ended = false;
    for (auto job = running.begin(); job != running.end();) {
      int wait_status = 0;
      rusage usage{};
      const pid_t ended = ::wait4(job->pid, &wait_status, WNOHANG, &usage);
      const bool late = ended == 0 && std::chrono::steady_clock::now() > job->deadline;
      if (late) {
        ::kill(job->pid, SIGKILL);
        ::wait4(job->pid, &wait_status, 0, &usage);
      }
      if (ended == 0 && !late) {
        ++job;
        continue;
      }
      finish(*job, wait_status, usage, late);
      job = running.erase(job);
      any_ended = true;
    }
    if (!any_ended) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  fs::remove_all(root);

  if (o.table) print_table(classes, tallies);
  std::printf("\n%d passed, %d failed\n", passed, failed);
  return failed == 0 ? EXIT_SUCCESS : EXIT_FAILURE;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return run(parse_options(argc, argv));
  } catch (const std::exception& error) {
    std::fprintf(stderr, "robustness: %s\n", error.what());
    return 2;
  }
}
