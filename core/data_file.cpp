#include "data_file.hpp"

#include "dialogue.hpp"

#include <cerrno>
#include <cstdarg>
#include <cstring>

namespace jj {

DataFile::DataFile(const std::string& path) : path_(path), file_(std::fopen(path.c_str(), "w")) {
  if (!file_)
    throw RunStopped("cannot create output file \"" + path + "\": " + std::strerror(errno));
}

DataFile::~DataFile() {
  if (file_) std::fclose(file_);
}

// The first failed write stops the run: the file can no longer be complete,
// and a long run writing to a full disk would otherwise compute on for nothing.
void DataFile::write(const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  const int written = std::vfprintf(file_, format, args);
  const int error = errno;
  va_end(args);
  if (written < 0) stop_on_write_error(error);
}

void DataFile::check_written() {
  const int error = std::fflush(file_) != 0 ? errno : 0;
  if (error != 0 || std::ferror(file_)) stop_on_write_error(error);
}

void DataFile::close() {
  check_written();
  std::FILE* file = file_;
  file_ = nullptr;
  if (std::fclose(file) != 0) stop_on_write_error(errno);
}

void DataFile::stop_on_write_error(int error) {
  throw RunStopped("writing output file \"" + path_ + "\" failed: " +
                   (error != 0 ? std::strerror(error) : "write error"));
}

}  // namespace jj
