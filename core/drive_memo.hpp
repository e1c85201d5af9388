// A drive shared by the lanes of a sweep (integrators/lanes.hpp): the rf
// term of the bias depends on tau alone.
#pragma once

#include <bit>
#include <cmath>
#include <cstdint>

namespace jj {

// The rf drive I1 sin(Omega1 tau) at the latest time asked for. The stages 2
// and 3 of a Runge-Kutta step share tau + h/2, and the last time of a step
// is, bit for bit, the first of the next (the stepper forms tau + h with the
// addition that advances tau), so half the drive sines are repeats. The time
// is compared bit for bit, so a remembered value is always the value.
class DriveMemo {
 public:
  double operator()(double I1, double Omega1, double tau) {
    const auto bits = std::bit_cast<std::uint64_t>(tau);
    if (bits != tau_bits_ || !known_) {
      tau_bits_ = bits;
      known_ = true;
      drive_ = I1 * std::sin(Omega1 * tau);
    }
    return drive_;
  }

 private:
  std::uint64_t tau_bits_ = 0;
  bool known_ = false;
  double drive_ = 0;
};

}  // namespace jj
