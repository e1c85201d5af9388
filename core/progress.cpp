#include "progress.hpp"

#include <unistd.h>

#include <algorithm>
#include <cmath>

namespace jj {

namespace {
constexpr auto redraw_interval = std::chrono::milliseconds(250);
constexpr const char* erase_line = "\r\033[K";
}  // namespace

ProgressLine::ProgressLine(std::FILE* terminal) : ProgressLine(terminal, isatty(fileno(terminal)) == 1) {}

ProgressLine::ProgressLine(std::FILE* terminal, bool active)
    : terminal_(terminal), active_(active) {}

ProgressLine::~ProgressLine() { erase(); }

void ProgressLine::show(const std::string& what, double fraction) {
  if (!active_) return;
  const Clock::time_point now = Clock::now();
  if (drawn_ && fraction < 1 && now - last_draw_ < redraw_interval) return;
  last_draw_ = now;
  fraction = std::clamp(fraction, 0.0, 1.0);
  const double elapsed = std::chrono::duration<double>(now - start_).count();
  std::string line = what + ", " + std::to_string(int(100 * fraction)) + "% done, " +
                     format_duration(elapsed) + " elapsed";
  if (fraction > 0 && fraction < 1)
    line += ", about " + format_duration(elapsed * (1 - fraction) / fraction) + " left";
  std::fprintf(terminal_, "%s%s", erase_line, line.c_str());
  std::fflush(terminal_);
  drawn_ = true;
}

void ProgressLine::erase() {
  if (!drawn_) return;
  std::fputs(erase_line, terminal_);
  std::fflush(terminal_);
  drawn_ = false;
}

void SpanProgress::show(double tau) {
  char what[64];
  std::snprintf(what, sizeof what, "tau = %.6g of %.6g rad", tau, tau_end_);
  line_.show(what, tau_end_ > 0 ? tau / tau_end_ : 1.0);
}

std::string format_duration(double seconds) {
  const long total = std::lround(std::max(0.0, seconds));
  char text[32];
  std::snprintf(text, sizeof text, "%02ld:%02ld:%02ld", total / 3600, total / 60 % 60, total % 60);
  return text;
}

}  // namespace jj
