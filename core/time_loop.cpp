#include "time_loop.hpp"

#include <cmath>
#include <limits>

namespace jj {

std::string check_mesh_length(double h) {
  return h > 0 && std::isfinite(h) ? "" : "a positive, finite mesh length";
}

bool span_fits_int(double s, double h) {
  const double steps = s / h + 0.5;
  return steps > double(std::numeric_limits<int>::min()) - 1.0 &&
         steps < double(std::numeric_limits<int>::max()) + 1.0;
}

bool addition_advances(double reach, double step) {
  const double r = std::fabs(reach);
  if (!(step > 0) || !std::isfinite(r) || !std::isfinite(step)) return false;
  // step >= one unit in the last place of the largest x: then x + step rounds
  // to at least the next double above x, for every smaller |x| too.
  return step >= std::nextafter(r, std::numeric_limits<double>::infinity()) - r;
}

}  // namespace jj
