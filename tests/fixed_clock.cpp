// Preloaded into a program under test (LD_PRELOAD): the calendar clock reads
// the seconds given in JJ_FIXED_CLOCK, so that a pseudo-random generator
// seeded from the clock draws a known sequence and a random start can be
// compared with a transcript.
#include <sys/types.h>

#include <cstdlib>

extern "C" time_t time(time_t* now) noexcept {
  const char* fixed = std::getenv("JJ_FIXED_CLOCK");
  const time_t seconds = fixed != nullptr ? time_t(std::strtoll(fixed, nullptr, 10)) : 0;
  if (now != nullptr) *now = seconds;
  return seconds;
}
