#include "sweeps.hpp"

#include "time_loop.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace jj {

std::string check_current(double I) {
  return std::isfinite(I) ? "" : "a finite current";
}

std::string check_current_step(double I_min, double I_max, double DeltaI0) {
  if (!std::isfinite(DeltaI0)) return "a finite current step";
  const bool has_points = !(I_max < I_min) || !(I_max + DeltaI0 < I_min + DeltaI0);
  if (!has_points) return {};
  const double reach = std::max(std::fabs(I_min), std::fabs(I_max)) + std::fabs(DeltaI0);
  if (addition_advances(reach, DeltaI0)) return {};
  char least[32];
  std::snprintf(least, sizeof least, "%.3g", std::nextafter(reach, INFINITY) - reach);
  return std::string("a positive current step, large enough to change I0 at every addition "
                     "(at least ") + least + ")";
}

std::string check_sweep_count(double sweeps) {
  constexpr double most = std::numeric_limits<int>::max();
  if (std::isfinite(sweeps) && sweeps >= -most && sweeps <= most) return {};
  return "a number of sweeps from -2147483647 to 2147483647";
}

}  // namespace jj
