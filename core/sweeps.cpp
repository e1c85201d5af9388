#include "sweeps.hpp"

#include "time_loop.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>

namespace jj {

SweepProgress::SweepProgress(const SweepPlan& plan)
    : sweeps_(plan.sweeps > 0 ? int(std::ceil(plan.sweeps)) : 0),
      expected_points_(plan.I_max < plan.I_min
                           ? 0
                           : sweeps_ * plan.passes *
                                 (std::floor((plan.I_max - plan.I_min) / plan.DeltaI0) + 1)) {}

void SweepProgress::point_done(int sweep, double I0) {
  if (!line_.active() || !(expected_points_ > 0)) return;
  done_points_ += 1;
  char what[96];
  std::snprintf(what, sizeof what, "sweep %d of %d, I0 = %g", sweep, sweeps_, I0);
  line_.show(what, done_points_ / expected_points_);
}

void SweepProgress::finish() {
  if (line_.active() && done_points_ > 0) line_.show("all sweeps", 1.0);
}

void ask_current_range(Dialogue& dialogue, SweepPlan& plan, const char* unit_line,
                       double critical_current) {
  const double I_c = critical_current;
  const auto finite = [I_c](double I) { return check_current(I / I_c); };
  dialogue.say("-- Parametri caratteristica --\n");
  dialogue.say("%s", unit_line);
  plan.I_min = dialogue.ask_double("Corrente minima ? ", finite) / I_c;
  plan.I_max = dialogue.ask_double("Corrente massima ? ", finite) / I_c;
  plan.DeltaI0 = dialogue.ask_double("Delta corrente ? ", [&plan, I_c](double DeltaI0) {
    return check_current_step(plan.I_min, plan.I_max, DeltaI0 / I_c, I_c);
  }) / I_c;
}

void ask_sweep_count(Dialogue& dialogue, SweepPlan& plan) {
  dialogue.say("-- Parametri Sweep di corrente --\n");
  plan.sweeps = dialogue.ask_double("Numero cicli di sweep ? ", check_sweep_count);
}

std::string check_current(double I) {
  return std::isfinite(I) ? "" : "a finite current";
}

std::string check_current_step(double I_min, double I_max, double DeltaI0,
                               double critical_current) {
  if (!std::isfinite(DeltaI0)) return "a finite current step";
  const bool has_points = !(I_max < I_min) || !(I_max + DeltaI0 < I_min + DeltaI0);
  if (!has_points) return {};
  const double reach = std::max(std::fabs(I_min), std::fabs(I_max)) + std::fabs(DeltaI0);
  if (addition_advances(reach, DeltaI0)) return {};
  char least[32];
  std::snprintf(least, sizeof least, "%.3g",
                (std::nextafter(reach, INFINITY) - reach) * critical_current);
  return std::string("a positive current step, large enough to change I0 at every addition "
                     "(at least ") + least + ")";
}

std::string check_sweep_count(double sweeps) {
  constexpr double most = std::numeric_limits<int>::max();
  if (std::isfinite(sweeps) && sweeps >= -most && sweeps <= most) return {};
  return "a number of sweeps from -2147483647 to 2147483647";
}

}  // namespace jj
