// A deliberately literal Runge-Kutta step: the right-hand side reached
// through a function pointer, one component per call, the size known only at
// run time. It is the yardstick for the templated stepper, which must give
// the same bits and be faster.
#pragma once

#include "normalized_model.hpp"

namespace jj::literal {

using DerivativePointer = double (*)(double tau, const double* y, int k);

inline NormalizedParams params;  // what the pointer-called derivative reads

inline double normalized_derivative(double tau, const double* y, int k) {
  if (k == 0) return y[1];
  return normalized_voltage_slope(params, tau, y[0], y[1]);
}

// Only N <= 8 is ever used; the scratch vectors are fixed arrays.
inline void rk4_step(DerivativePointer f, int n, double tau, double* y, double h) {
  double a1[8], a2[8], a3[8], a4[8], y1[8], y2[8], y3[8];
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

}  // namespace jj::literal
