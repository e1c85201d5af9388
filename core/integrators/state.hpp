// State vectors advanced in place by the steppers, and the form of the
// right-hand side they call.
#pragma once

#include <array>
#include <concepts>
#include <cstddef>

namespace jj {

// N doubles; N is fixed for a program (2 for the junction, 6 with tangents).
template <std::size_t N>
using State = std::array<double, N>;

// Component 0 is the phase phi, component 1 the normalized voltage v.
using JunctionState = State<2>;

// A right-hand side is called one component at a time,
//   double f(double tau, const State<N>& y, int k)  ->  d y[k] / d tau,
// and at every evaluation point for k = 0 .. N-1 in increasing order. The
// steppers take it as a template parameter so that every call inlines.
template <class F, std::size_t N>
concept DerivativeFn = requires(const F& f, double tau, const State<N>& y, int k) {
  { f(tau, y, k) } -> std::convertible_to<double>;
};

}  // namespace jj
