#include "rf_sampling.hpp"

#include "clock.hpp"

#include <cmath>
#include <cstdio>
#include <limits>

namespace jj {
namespace {

// The largest count in 0 .. INT_MAX that `accepts`, given that it accepts 0
// and that once it refuses a count it refuses every larger one.
template <class Accepts>
int largest_accepted(Accepts accepts) {
  int accepted = 0, refused = std::numeric_limits<int>::max();
  if (accepts(refused)) return refused;
  while (refused - accepted > 1) {
    const int middle = accepted + (refused - accepted) / 2;
    (accepts(middle) ? accepted : refused) = middle;
  }
  return accepted;
}

// A span of whole rf cycles in whole mesh steps, as the run counts it.
int cycle_steps(int cycles, double T_rf, double h) {
  return span_to_steps(double(cycles) * T_rf, h);
}

// Cycles from 0 up whose span fits an int of mesh steps and ends where tau,
// having already covered `before` rad, still advances by h.
bool cycles_fit(int cycles, double T_rf, double h, double before) {
  const double span = double(cycles) * T_rf;
  return cycles >= 0 && span_fits_int(span, h) &&
         addition_advances(before + span_to_steps(span, h) * h, h);
}

AnswerCheck<int> check_cycles(double T_rf, double h, double before) {
  return [T_rf, h, before](int cycles) -> std::string {
    if (cycles_fit(cycles, T_rf, h, before)) return {};
    const int most =
        largest_accepted([=](int count) { return cycles_fit(count, T_rf, h, before); });
    return "a number of rf cycles from 0 to " + std::to_string(most);
  };
}

}  // namespace

std::string check_rf_frequency(double Omega1) {
  const double T_rf = rf_period(Omega1);
  return Omega1 > 0 && std::isfinite(Omega1) && T_rf > 0 && std::isfinite(T_rf)
             ? ""
             : "a positive, finite Omega1 whose rf period 2*Pi/Omega1 is finite";
}

AnswerCheck<double> check_steps_per_rf_period(double T_rf) {
  return [T_rf](double h) -> std::string {
    if (span_fits_int(T_rf, h) && span_to_steps(T_rf, h) >= 1) return {};
    char limits[160];
    std::snprintf(limits, sizeof limits,
                  "a mesh length giving from 1 to 2147483647 mesh steps per rf period of %g rad "
                  "(at most %g rad)",
                  T_rf, 2 * T_rf);
    return limits;
  };
}

RfRecording ask_rf_cycles(Dialogue& dialogue, const char* title, double T_rf, double h,
                          const AnswerCheck<int>& recorded_check) {
  RfRecording r;
  dialogue.say("%s", title);
  dialogue.say("1 = 1 ciclo rf == 2*Pi/(Omega1) rad = %lf rad\n", T_rf);
  const int C_tr = dialogue.ask_int("Cicli rf da scartare come transiente ? ",
                                    check_cycles(T_rf, h, 0.0));
  const double T_tr = cycle_steps(C_tr, T_rf, h) * h;
  const AnswerCheck<int> fits = check_cycles(T_rf, h, T_tr);
  const int C_rec = dialogue.ask_int("Cicli rf su cui registrare ? ", [&](int cycles) {
    const std::string refusal = fits(cycles);
    return refusal.empty() && recorded_check ? recorded_check(cycles) : refusal;
  });
  r.N_rec = cycle_steps(C_rec, T_rf, h);
  r.T_rec = r.N_rec * h;
  r.N_tr = cycle_steps(C_tr, T_rf, h);
  r.T_tr = r.N_tr * h;
  r.M = span_fits_int(T_rf, h) ? span_to_steps(T_rf, h) : 0;
  dialogue.say("Registro su %lf rad (%d mesh steps) dopo transiente di %lf rad (%d mesh steps)\n",
               r.T_rec, r.N_rec, r.T_tr, r.N_tr);
  return r;
}

void write_sampled_sweep_header(DataFile& file, const char* title, const char* method,
                                const NormalizedParams& params, double h,
                                const RfRecording& rf, const SweepPlan& plan) {
  file.write("# Data: %s\n", date_stamp().c_str());
  file.write("%s", title);
  file.write("# Integrazione numerica via metodo di %s\n", method);
  write_normalized_params(file, params);
  file.write("# Mesh length = %lf rad\n", h);
  file.write("# Tensione registrata per %lf rad (%d mesh steps)\n"
             "# scartato un transiente di %lf rad (%d mesh steps)\n",
             rf.T_rec, rf.N_rec, rf.T_tr, rf.N_tr);
  file.write("# I0 = [%lf,%lf], DeltaI0 = %lf\n", plan.I_min, plan.I_max, plan.DeltaI0);
  file.write("# Numero di sweep = %lf\n", plan.sweeps);
  file.write("#\n# -- Simulazione iniziata...\n");
}

}  // namespace jj
