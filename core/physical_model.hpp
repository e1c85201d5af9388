// The junction in physical units (Ic in mA, C in pF, R in Ohm, V in mV, f in
// GHz), integrated in normalized time tau = omega_p t, omega_p the plasma
// angular frequency, with v = dphi/dtau = V / V_plasma and currents in units
// of Ic. The quasiparticle resistance R(v) is constant, piecewise constant or
// a continuous step at the gap voltage; it enters as the voltage-dependent
// Stewart-McCumber parameter BetaC(v) = 2e/hbar Ic R(v)^2 C:
//
//   phi'' + phi' / sqrt(BetaC(phi')) + sin(phi) = I0 + I1 sin(Omega1 tau)
#pragma once

#include "drive_memo.hpp"
#include "integrators/state.hpp"

#include <cmath>

namespace jj {

// 2e/hbar scaled to the units of the dialogue. Each literal is used as
// written: the results are reproduced to the last bit.
namespace josephson {
inline constexpr double plasma_factor = 3.0386e+24;           // sqrt(Ic/C * this) = omega_p, mA/pF
inline constexpr double rad_per_s_per_mV = 3038600000000.0;    // omega_c = Ic R * this
inline constexpr double mV_per_rad_per_s = 3.2909892713749753e-13;  // V_plasma = omega_p * this
inline constexpr double beta_c_factor = 3.0386;               // BetaC = R R Ic C * this
inline constexpr double rad_per_s_per_GHz = 6283185307.18;     // 2 pi 1e9
}  // namespace josephson

// The menu number of "Approssimazione R ? ".
enum class ResistanceLaw : int { constant = 0, piecewise = 1, continuous = 2 };

struct PhysicalParams;

// BetaC as a function of the normalized voltage v.
using BetaCLaw = double (*)(const PhysicalParams& p, double v);

// The user's answers and what is derived from them once, in the dialogue, so
// that the derivative works in normalized units only.
struct PhysicalParams {
  double I_c = 0;       // critical current, mA
  double C = 0;         // capacitance, pF
  ResistanceLaw law = ResistanceLaw::constant;
  double R_normal = 0;  // Ohm
  double R_subgap = 0;  // Ohm (piecewise and continuous laws)
  double V_gap = 0;     // mV (piecewise and continuous laws)
  double V_depth = 0;   // width of the gap rise, mV (continuous law)
  double omega_p = 0;   // plasma angular frequency, rad/s
  double omega_c = 0;   // characteristic angular frequency with R_normal (constant law only)
  double BetaC_normal = 0;
  double BetaC_subgap = 0;
  double V_plasma = 0;  // mV of v = 1
  double v_gap = 0;     // V_gap / V_plasma
  double v_depth = 0;   // V_depth / V_plasma
  double I0 = 0;        // dc bias, units of I_c
  int rf_on = 0;        // the rf term is added when non-zero
  double omega_rf = 0;  // rad/s
  double Omega1 = 0;    // omega_rf / omega_p
  double I1 = 0;        // rf amplitude, units of I_c
  BetaCLaw beta_c = nullptr;  // selected from `law` by the dialogue
};

// ---- Derived quantities -----------------------------------------------------

// omega_p = sqrt(2e/hbar Ic / C), rad/s.
inline double plasma_frequency(double I_c, double C) {
  return std::sqrt((I_c / C) * josephson::plasma_factor);
}

// omega_c = 2e/hbar Ic R, rad/s.
inline double characteristic_frequency(double R, double I_c) {
  return (R * I_c) * josephson::rad_per_s_per_mV;
}

// BetaC = 2e/hbar Ic R^2 C = (omega_c / omega_p)^2.
inline double beta_c_of(double R, double I_c, double C) {
  return R * R * I_c * C * josephson::beta_c_factor;
}

// The voltage whose Josephson frequency is omega_p, mV.
inline double plasma_voltage(double omega_p) { return omega_p * josephson::mV_per_rad_per_s; }

inline double angular_frequency_of_GHz(double f) { return f * josephson::rad_per_s_per_GHz; }

// ---- Resistance laws ----------------------------------------------------------

// R = R_normal at every voltage.
inline double beta_c_constant(const PhysicalParams& p, double) { return p.BetaC_normal; }

// R = R_subgap up to and including the gap voltage, R_normal above it.
inline double beta_c_piecewise(const PhysicalParams& p, double v) {
  return std::fabs(v) <= p.v_gap ? p.BetaC_subgap : p.BetaC_normal;
}

// The conductance rises from 1/R_subgap to 1/R_normal along a logistic step
// centred on the gap, of width v_depth:
//   G = 1/R_subgap + (1/R_normal - 1/R_subgap) / (exp((v_gap - |v|) / v_depth) + 1)
//   BetaC = 2e/hbar Ic C / G^2
inline double beta_c_continuous(const PhysicalParams& p, double v) {
  const double g_sub = 1.0 / p.R_subgap;
  const double e = std::exp((p.v_gap - std::fabs(v)) / p.v_depth);
  const double g_n = 1.0 / p.R_normal;
  const double G = g_sub + (g_n - g_sub) / (e + 1.0);
  return ((p.I_c / (G * G)) * p.C) * josephson::beta_c_factor;
}

// The law of a menu number.
BetaCLaw beta_c_law(ResistanceLaw law);

// ---- Right-hand side ----------------------------------------------------------

// The currents through the junction's branches at the latest evaluation: the
// bias i at every one, the supercurrent and the quasiparticle current at
// evaluations of the voltage slope only. After a step they are those of the
// stepper's last voltage evaluation, which is not the returned state.
struct InstantCurrents {
  double i = 0;   // bias I0 + I1 sin(Omega1 tau)
  double is = 0;  // supercurrent sin(phi)
  double ir = 0;  // quasiparticle current v / sqrt(BetaC(v))
};

// i(tau) = I0 + I1 sin(Omega1 tau), the rf term only when switched on.
inline double bias_current(const PhysicalParams& p, double tau) {
  return p.rf_on != 0 ? (std::sin(p.Omega1 * tau) * p.I1) + p.I0 : p.I0;
}

// dphi/dtau = v
// dv/dtau   = (i(tau) - sin(phi)) - v / sqrt(BetaC(v)),
// recording i, sin(phi) and v / sqrt(BetaC(v)) for the trace's current columns.
inline double physical_derivative(const PhysicalParams& p, InstantCurrents& c, double tau,
                                  const JunctionState& y, int k) {
  c.i = bias_current(p, tau);
  if (k == 0) return y[1];
  const double b = p.beta_c(p, y[1]);
  c.ir = y[1] / std::sqrt(b);
  c.is = std::sin(y[0]);
  return (c.i - c.is) - c.ir;
}

// The IV program's form of the same equation: dv/dtau = (i - v / sqrt(BetaC(v))) - sin(phi),
// recording the bias alone (equal to physical_derivative up to the last bit of
// the subtraction order).
inline double physical_iv_derivative(const PhysicalParams& p, InstantCurrents& c, double tau,
                                     const JunctionState& y, int k) {
  c.i = bias_current(p, tau);
  if (k == 0) return y[1];
  const double b = p.beta_c(p, y[1]);
  return (c.i - y[1] / std::sqrt(b)) - std::sin(y[0]);
}

// physical_derivative bound to its records, as the steppers call it.
struct PhysicalModel {
  const PhysicalParams& params;
  InstantCurrents& currents;
  double operator()(double tau, const JunctionState& y, int k) const {
    return physical_derivative(params, currents, tau, y, k);
  }
};

struct PhysicalIvModel {
  const PhysicalParams& params;
  InstantCurrents& currents;
  double operator()(double tau, const JunctionState& y, int k) const {
    return physical_iv_derivative(params, currents, tau, y, k);
  }
};

// physical_iv_derivative for B bias points side by side: the lanes share the
// junction and the rf drive, computed once per evaluation time (I1 sin is
// sin I1, bit for bit), and each has its own I0. The bias record is left out:
// the IV program never reads it.
template <std::size_t B>
struct PhysicalIvLanes {
  const PhysicalParams& params;
  LaneValues<B> I0{};
  mutable DriveMemo drive{};

  void operator()(double tau, const Lanes<2, B>& y, int k, LaneValues<B>& slopes) const {
    if (k == 0) {
      for (std::size_t l = 0; l < B; ++l) slopes[l] = y[l][1];
      return;
    }
    const PhysicalParams& p = params;
    const double rf = p.rf_on != 0 ? drive(p.I1, p.Omega1, tau) : 0.0;
    for (std::size_t l = 0; l < B; ++l) {
      const double i = p.rf_on != 0 ? rf + I0[l] : I0[l];
      const double b = p.beta_c(p, y[l][1]);
      slopes[l] = (i - y[l][1] / std::sqrt(b)) - std::sin(y[l][0]);
    }
  }
};

// ---- Output units -------------------------------------------------------------

// Multipliers from normalized values to printed ones: voltage, current, time.
struct OutputScales {
  double V_norm = 0;
  double I_norm = 0;
  double t_norm = 0;
};

// The answers of the output menus; an answer with no unit gives the scale 0.
enum class VoltageUnit : int { millivolt = 0, plasma_voltage = 1, characteristic_voltage = 2 };
enum class CurrentUnit : int { milliampere = 0, critical_current = 1 };
enum class TimeUnit : int { second = 0, plasma_period = 1, characteristic_period = 2 };

// mV, v itself, or units of Ic R_normal (1 / sqrt(BetaC_normal)); else 0.
double voltage_scale(const PhysicalParams& p, int answer);
// mA, or units of Ic; else 0.
double current_scale(const PhysicalParams& p, int answer);
// s (1 / omega_p), tau itself, or units of 1 / omega_c (sqrt(BetaC_normal)); else 0.
double time_scale(const PhysicalParams& p, int answer);

}  // namespace jj
