// State vectors advanced in place by the steppers, and the form of the
// right-hand side they call.
#pragma once

// The results are defined by the order of the operations as written; a build
// that may reorder or approximate them cannot reproduce them.
#if defined(__FAST_MATH__)
#error "the suite must not be built with -ffast-math: its results are defined to the bit"
#endif

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

// B trajectories advanced side by side (integrators/lanes.hpp).
template <std::size_t N, std::size_t B>
using Lanes = std::array<State<N>, B>;

template <std::size_t B>
using LaneValues = std::array<double, B>;

// f(tau, y, k, slopes) sets slopes[l] = d y[l][k] / d tau for every lane l;
// called for k = 0 .. N-1 in increasing order at every evaluation point.
template <class F, std::size_t N, std::size_t B>
concept LaneDerivativeFn =
    requires(const F& f, double tau, const Lanes<N, B>& y, int k, LaneValues<B>& slopes) {
      f(tau, y, k, slopes);
    };

}  // namespace jj
