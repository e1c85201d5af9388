// The deliberately literal integrators: the right-hand side reached through a
// function pointer, one component per call, the state size known only at run
// time, the method chosen by a switch at every step, every sine computed by
// the model at every call. They are the yardstick of the suite's steppers,
// which must give the same bits and be faster.
#pragma once

#include "normalized_model.hpp"

namespace jj::literal {

using DerivativePointer = double (*)(double tau, const double* y, int k);

// Only n <= 8 is ever used; the scratch vectors are fixed arrays.
constexpr int most_components = 8;

struct History {
  double D[6][most_components] = {};
  double previous[most_components] = {};
  double h12 = 0, h24 = 0, h90 = 0, h720 = 0, h1440 = 0;
};

inline void rk4_step(DerivativePointer f, int n, double tau, double* y, double h) {
  double a1[most_components], a2[most_components], a3[most_components], a4[most_components];
  double y1[most_components], y2[most_components], y3[most_components];
  const double h2 = h * 0.5;
  const double h6 = h * (1.0 / 6.0);
  for (int k = 0; k < n; ++k) {
    a1[k] = f(tau, y, k);
    y1[k] = y[k] + h2 * a1[k];
  }
  for (int k = 0; k < n; ++k) {
    a2[k] = f(tau + h2, y1, k);
    y2[k] = y[k] + h2 * a2[k];
  }
  for (int k = 0; k < n; ++k) {
    a3[k] = f(tau + h2, y2, k);
    y3[k] = y[k] + h * a3[k];
  }
  for (int k = 0; k < n; ++k) a4[k] = f(tau + h, y3, k);
  for (int k = 0; k < n; ++k) y[k] = y[k] + h6 * (((2.0 * (a2[k] + a3[k])) + a1[k]) + a4[k]);
}

inline void multistep_start(DerivativePointer f, int n, History& s, double tau, double* y,
                            double h, int depth) {
  s.h12 = h * (1.0 / 12.0);
  s.h24 = h * (1.0 / 24.0);
  s.h90 = h * (1.0 / 90.0);
  s.h720 = h * (1.0 / 720.0);
  s.h1440 = h * (1.0 / 1440.0);
  double initial[most_components];
  for (int k = 0; k < n; ++k) initial[k] = y[k];
  for (int j = 1; j <= depth; ++j) {
    rk4_step(f, n, tau - double(j - 1) * h, y, -h);
    for (int k = 0; k < n; ++k) s.D[j][k] = f(tau - double(j) * h, y, k);
    if (j == 1 && depth == 5)
      for (int k = 0; k < n; ++k) s.previous[k] = y[k];
  }
  for (int k = 0; k < n; ++k) y[k] = initial[k];
}

// The rows age by one step, from row `depth` down to row 1.
inline void shift_rows(History& s, int n, int depth) {
  for (int j = depth; j >= 1; --j)
    for (int k = 0; k < n; ++k) s.D[j][k] = s.D[j - 1][k];
}

inline void adams3_step(DerivativePointer f, int n, History& s, double tau, double* y) {
  for (int k = 0; k < n; ++k) s.D[0][k] = f(tau, y, k);
  for (int k = 0; k < n; ++k)
    y[k] = y[k] + s.h12 * (((23.0 * s.D[0][k]) - (16.0 * s.D[1][k])) + (5.0 * s.D[2][k]));
  shift_rows(s, n, 2);
}

inline void adams4_step(DerivativePointer f, int n, History& s, double tau, double* y) {
  for (int k = 0; k < n; ++k) s.D[0][k] = f(tau, y, k);
  for (int k = 0; k < n; ++k)
    y[k] = y[k] + s.h24 * ((((55.0 * s.D[0][k]) - (59.0 * s.D[1][k])) + (37.0 * s.D[2][k]))
                           - (9.0 * s.D[3][k]));
  shift_rows(s, n, 3);
}

inline void adams_moulton5_step(DerivativePointer f, int n, History& s, double tau, double* y,
                                double h) {
  double start[most_components], slope[most_components];
  for (int k = 0; k < n; ++k) s.D[0][k] = f(tau, y, k);
  for (int k = 0; k < n; ++k) {
    start[k] = y[k];
    y[k] = s.previous[k] + s.h90 * (((((269.0 * s.D[0][k]) - (266.0 * s.D[1][k]))
                                      + (294.0 * s.D[2][k])) - (146.0 * s.D[3][k]))
                                    + (29.0 * s.D[4][k]));
  }
  for (int k = 0; k < n; ++k) s.previous[k] = start[k];
  shift_rows(s, n, 4);
  for (int k = 0; k < n; ++k) slope[k] = f(tau + h, y, k);
  for (int k = 0; k < n; ++k)
    y[k] = start[k] + s.h720 * (((((251.0 * slope[k]) + (646.0 * s.D[1][k])) - (264.0 * s.D[2][k]))
                                 + (106.0 * s.D[3][k])) - (19.0 * s.D[4][k]));
}

inline void adams_moulton6_step(DerivativePointer f, int n, History& s, double tau, double* y,
                                double h) {
  double start[most_components], slope[most_components];
  for (int k = 0; k < n; ++k) s.D[0][k] = f(tau, y, k);
  for (int k = 0; k < n; ++k) {
    start[k] = y[k];
    y[k] = s.previous[k] + s.h90 * ((((((297.0 * s.D[0][k]) - (406.0 * s.D[1][k]))
                                       + (574.0 * s.D[2][k])) - (426.0 * s.D[3][k]))
                                     + (169.0 * s.D[4][k])) - (28.0 * s.D[5][k]));
  }
  for (int k = 0; k < n; ++k) s.previous[k] = start[k];
  shift_rows(s, n, 5);
  for (int k = 0; k < n; ++k) slope[k] = f(tau + h, y, k);
  for (int k = 0; k < n; ++k)
    y[k] = start[k] + s.h1440 * ((((((475.0 * slope[k]) + (1427.0 * s.D[1][k]))
                                    - (798.0 * s.D[2][k])) + (482.0 * s.D[3][k]))
                                  - (173.0 * s.D[4][k])) + (27.0 * s.D[5][k]));
}

// One step of method 0 to 4 (the five-method menu's numbers).
inline void step(int method, DerivativePointer f, int n, History& s, double tau, double* y,
                 double h) {
  switch (method) {
    case 0: return rk4_step(f, n, tau, y, h);
    case 1: return adams3_step(f, n, s, tau, y);
    case 2: return adams4_step(f, n, s, tau, y);
    case 3: return adams_moulton5_step(f, n, s, tau, y, h);
    default: return adams_moulton6_step(f, n, s, tau, y, h);
  }
}

// The start-up, for the multistep methods only.
inline void start(int method, DerivativePointer f, int n, History& s, double tau, double* y,
                  double h, int depth) {
  if (method != 0) multistep_start(f, n, s, tau, y, h, depth);
}

// ---- Literal right-hand sides ----------------------------------------------------

inline NormalizedParams params;  // what the pointer-called derivatives read

inline double normalized_derivative(double tau, const double* y, int k) {
  if (k == 0) return y[1];
  return normalized_voltage_slope(params, tau, y[0], y[1]);
}

inline double fixed_derivative(double tau, const double* y, int k) {
  return fixed_normalized_derivative(tau, JunctionState{y[0], y[1]}, k);
}

}  // namespace jj::literal
