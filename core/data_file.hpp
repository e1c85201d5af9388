// The one output file of a run: created as soon as its name is known, its
// write errors reported rather than lost.
#pragma once

#include <cstdio>
#include <string>

namespace jj {

class DataFile {
 public:
  // Creates (or replaces) the file; a file that cannot be created stops the
  // run with the path and the system's reason.
  explicit DataFile(const std::string& path);
  DataFile(const DataFile&) = delete;
  DataFile& operator=(const DataFile&) = delete;
  ~DataFile();

  // Stops the run at the first write that fails.
  void write(const char* format, ...) __attribute__((format(printf, 2, 3)));
  // Flushes and stops the run if any write so far has failed.
  void check_written();
  // Flushes and closes; a failure stops the run.
  void close();

 private:
  [[noreturn]] void stop_on_write_error(int error);

  std::string path_;
  std::FILE* file_;
};

}  // namespace jj
