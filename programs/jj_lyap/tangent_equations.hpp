// The junction together with two tangent vectors of its flow, for the
// Lyapunov exponents of the rf-driven junction (Benettin et al., Meccanica 15,
// 1980): the tangent vectors follow the linearized equations, are
// re-orthonormalized by Gram-Schmidt after every mesh step, and the logarithms
// of their stretch factors, summed over a span and divided by it, are the two
// exponents.
#pragma once

#include "integrators/state.hpp"
#include "normalized_model.hpp"

#include <cmath>

namespace jj {

// phi, v, then the tangent vectors a = (a_phi, a_v) and b = (b_phi, b_v) in
// the (phi, v) plane with the plain Euclidean norm.
using LyapunovState = State<6>;

// The junction at rest, a along phi and b along v.
constexpr LyapunovState rest_with_unit_tangents{0.0, 0.0, 1.0, 0.0, 0.0, 1.0};

// Linearized about the trajectory, a displacement (dphi, dv) obeys
//   d(dphi)/dtau = dv
//   d(dv)/dtau   = -(cos(phi) dphi + dv) / BetaC
// The drive enters only through phi(tau).
inline double tangent_voltage_slope(const NormalizedParams& p, double phi, double d_phi,
                                    double d_v) {
  return -(((std::cos(phi) * d_phi) + d_v) / p.BetaC);
}

// Components 0 and 1 are the junction equations of normalized_derivative,
// 2 to 5 the tangent equations for a and b.
inline double lyapunov_derivative(const NormalizedParams& p, double tau, const LyapunovState& y,
                                  int k) {
  switch (k) {
    case 0: return y[1];
    case 1: return normalized_voltage_slope(p, tau, y[0], y[1]);
    case 2: return y[3];
    case 3: return tangent_voltage_slope(p, y[0], y[2], y[3]);
    case 4: return y[5];
    default: return tangent_voltage_slope(p, y[0], y[4], y[5]);
  }
}

// lyapunov_derivative for B bias points side by side: the lanes share BetaC,
// I1 and Omega1, each has its own I0. The drive is computed once per
// evaluation time for all lanes (DriveMemo), and the cosine of phi taken for a's
// equation (k = 3) serves b's (k = 5) too: the steppers ask for every
// component of one evaluation point, on one vector, in increasing k.
template <std::size_t B>
struct LyapunovLanes {
  const NormalizedParams& params;
  LaneValues<B> I0{};
  mutable DriveMemo drive{};
  mutable LaneValues<B> cos_phi{};

  void operator()(double tau, const Lanes<6, B>& y, int k, LaneValues<B>& slopes) const {
    const double BetaC = params.BetaC;
    switch (k) {
      case 1: {
        const double rf = drive(params.I1, params.Omega1, tau);
        for (std::size_t l = 0; l < B; ++l)
          slopes[l] = (((rf - std::sin(y[l][0])) - y[l][1]) + I0[l]) / BetaC;
        return;
      }
      case 3:
        for (std::size_t l = 0; l < B; ++l) {
          cos_phi[l] = std::cos(y[l][0]);
          slopes[l] = -(((cos_phi[l] * y[l][2]) + y[l][3]) / BetaC);
        }
        return;
      case 5:
        for (std::size_t l = 0; l < B; ++l) slopes[l] = -(((cos_phi[l] * y[l][4]) + y[l][5]) / BetaC);
        return;
      default:  // 0, 2, 4: the phase components move with their voltage components
        for (std::size_t l = 0; l < B; ++l) slopes[l] = y[l][std::size_t(k) + 1];
    }
  }
};

// Gram-Schmidt on the tangent vectors: a is normalized, b made orthogonal to
// the new a and normalized; the logarithms of the two stretch factors are
// added to S_a and S_b. Only components 2 to 5 change.
inline void orthonormalize_tangents(LyapunovState& y, double& S_a, double& S_b) {
  double& a_phi = y[2];
  double& a_v = y[3];
  double& b_phi = y[4];
  double& b_v = y[5];
  const double n_a = std::sqrt((a_phi * a_phi) + (a_v * a_v));
  a_phi = a_phi / n_a;
  a_v = a_v / n_a;
  const double d = (b_phi * a_phi) + (b_v * a_v);
  b_phi = b_phi - (d * a_phi);
  b_v = b_v - (d * a_v);
  const double n_b = std::sqrt((b_phi * b_phi) + (b_v * b_v));
  b_phi = b_phi / n_b;
  b_v = b_v / n_b;
  S_a = S_a + std::log(n_a);
  S_b = S_b + std::log(n_b);
}

}  // namespace jj
