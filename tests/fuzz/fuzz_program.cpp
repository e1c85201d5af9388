// libFuzzer entry point around one program of the suite: the fuzz input is the
// program's answer stream, read from standard input, with the output file name
// fixed first (JJ_FUZZ_FILE_ANSWER, "fuzz.dat\n", or nothing for jj_bench) so
// that no input can name a file outside the fuzzer's scratch folder. The
// program's main routine is compiled as jj_program_main and called in process.
#include <signal.h>
#include <sys/resource.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

int jj_program_main();

namespace {

// Every write past this size fails (EFBIG instead of SIGXFSZ): a long trace
// then ends as a reported write failure instead of filling the disk.
constexpr rlim_t largest_file = rlim_t(16) << 20;

std::FILE* null_output() {
  static std::FILE* sink = std::fopen("/dev/null", "w");
  return sink;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  const rlimit file_size{largest_file, largest_file};
  setrlimit(RLIMIT_FSIZE, &file_size);
  signal(SIGXFSZ, SIG_IGN);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string answers = JJ_FUZZ_FILE_ANSWER;
  answers.append(reinterpret_cast<const char*>(data), size);
  std::FILE* in = fmemopen(answers.data(), answers.size(), "r");
  if (in == nullptr) return 0;
  std::FILE* const saved_in = stdin;
  std::FILE* const saved_out = stdout;
  std::FILE* const saved_err = stderr;
  // The dialogue and its messages go nowhere; sanitizer reports still reach
  // descriptor 2.
  stdin = in;
  stdout = null_output();
  stderr = null_output();
  jj_program_main();
  stdin = saved_in;
  stdout = saved_out;
  stderr = saved_err;
  std::fclose(in);
  return 0;
}
