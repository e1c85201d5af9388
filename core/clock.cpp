#include "clock.hpp"

#include <ctime>

namespace jj {
namespace {

std::string local_now(const char* format) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[16];
  std::strftime(text, sizeof text, format, &local);
  return text;
}

}  // namespace

std::string time_stamp() { return local_now("%H:%M:%S"); }
std::string date_stamp() { return local_now("%m/%d/%y"); }

}  // namespace jj
