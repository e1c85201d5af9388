// The resistively and capacitively shunted junction in normalized units:
// time in units of the inverse characteristic angular frequency ("rad"),
// currents in units of the critical current Ic, v = dphi/dtau.
//
//   BetaC phi'' + phi' + sin(phi) = I0 + I1 sin(Omega1 tau)
#pragma once

#include "data_file.hpp"
#include "drive_memo.hpp"
#include "dialogue.hpp"
#include "integrators/state.hpp"

#include <algorithm>
#include <array>
#include <cmath>

namespace jj {

struct NormalizedParams {
  double BetaC = 0;   // Stewart-McCumber parameter
  double I0 = 0;      // dc bias
  double I1 = 0;      // rf amplitude
  double Omega1 = 0;  // rf angular frequency
};

// dv/dtau = (I1 sin(Omega1 tau) - sin(phi) - v + I0) / BetaC, summed in this
// order and truly divided by BetaC.
inline double normalized_voltage_slope(const NormalizedParams& p, double tau, double phi,
                                       double v) {
  const double drive = p.I1 * std::sin(p.Omega1 * tau);
  const double net_current = ((drive - std::sin(phi)) - v) + p.I0;
  return net_current / p.BetaC;
}

// dphi/dtau = v
// dv/dtau   = (I1 sin(Omega1 tau) - sin(phi) - v + I0) / BetaC
inline double normalized_derivative(const NormalizedParams& p, double tau,
                                    const JunctionState& y, int k) {
  if (k == 0) return y[1];
  return normalized_voltage_slope(p, tau, y[0], y[1]);
}

// normalized_derivative bound to its parameters, as the steppers call it.
struct NormalizedModel {
  const NormalizedParams& params;
  double operator()(double tau, const JunctionState& y, int k) const {
    return normalized_derivative(params, tau, y, k);
  }
};

// normalized_derivative for B bias points side by side: the lanes share
// BetaC, I1 and Omega1, each has its own I0, and the drive is computed once
// per evaluation time for all of them, with the same arithmetic.
template <std::size_t B>
struct NormalizedLanes {
  const NormalizedParams& params;
  LaneValues<B> I0{};
  mutable DriveMemo drive{};

  void operator()(double tau, const Lanes<2, B>& y, int k, LaneValues<B>& slopes) const {
    if (k == 0) {
      for (std::size_t l = 0; l < B; ++l) slopes[l] = y[l][1];
      return;
    }
    const double rf = drive(params.I1, params.Omega1, tau);
    for (std::size_t l = 0; l < B; ++l)
      slopes[l] = (((rf - std::sin(y[l][0])) - y[l][1]) + I0[l]) / params.BetaC;
  }
};

// The timing problem with its parameters built in: Omega1 = 0.2, I1 = 20,
// I0 = 1 and BetaC = 25, the last applied as the factor 0.04.
inline double fixed_normalized_derivative(double tau, const JunctionState& y, int k) {
  if (k == 0) return y[1];
  const double drive = 20.0 * std::sin(0.2 * tau);
  const double net_current = ((drive - std::sin(y[0])) - y[1]) + 1.0;
  return net_current * 0.04;
}

// ---- Random starting point --------------------------------------------------

// The process-wide generator of integers uniform in 0 .. 32767.
void seed_random_generator(unsigned seed);
void seed_random_generator_from_clock();  // calendar time in whole seconds
int next_random_draw();

// A draw r in 0 .. 32767 mapped to a phase in [0, 2 pi] (the system's
// 6.28318530718) and to a voltage in about [-1, 1].
inline double phase_from_draw(int r) { return r * 0.00019175345033661917; }
inline double voltage_from_draw(int r) { return (r - 16383) * 6.103701895199438e-05; }

struct RandomStart {
  double phase;
  double value;
};

// Two draws, the phase first. Does not seed the generator.
RandomStart random_initial_state();

// The random starts of the first `count` points of a batch (integrators/
// lanes.hpp), drawn in the order of the points and set as their lanes'
// states; the unused lanes repeat the last start.
template <std::size_t B>
std::array<RandomStart, B> draw_lane_starts(Lanes<2, B>& y, std::size_t count) {
  std::array<RandomStart, B> drawn{};
  for (std::size_t l = 0; l < count; ++l) drawn[l] = random_initial_state();
  for (std::size_t l = 0; l < B; ++l) {
    const RandomStart& start = drawn[std::min(l, count - 1)];
    y[l] = {start.phase, start.value};
  }
  return drawn;
}

// ---- Dialogue and header ----------------------------------------------------

// Printed before every question on currents in units of the critical current.
inline constexpr const char* ic_unit_line = "1 == 1 Ic == 1 corrente critica giunzione Josephson\n";

// The junction-and-bias block: BetaC, Omega1 and I1 (I0 is the program's).
// `omega1_check` lets a program that needs the rf period refuse Omega1 = 0.
void ask_junction_and_bias(Dialogue& dialogue, NormalizedParams& params,
                           const AnswerCheck<double>& omega1_check = {});

// The integration block's opening lines and the mesh length h (positive, finite).
// `program_check` lets a program add its own condition on h, such as the rf
// period holding at least one mesh step.
double ask_mesh_length(Dialogue& dialogue, const AnswerCheck<double>& program_check = {});

// "# BetaC = ..." and "# I1 = ..., Omega1 = ...".
void write_normalized_params(DataFile& file, const NormalizedParams& params);

}  // namespace jj
