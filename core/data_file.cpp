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

void DataFile::write(const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  if (std::vfprintf(file_, format, args) < 0 && first_error_ == 0) first_error_ = errno;
  va_end(args);
}

void DataFile::check_written() {
  if (std::fflush(file_) != 0 && first_error_ == 0) first_error_ = errno;
  if (first_error_ != 0 || std::ferror(file_)) stop_on_write_error(first_error_);
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
