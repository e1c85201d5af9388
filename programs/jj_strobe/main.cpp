// jj_strobe: stroboscopic trajectory of the rf-driven junction in normalized
// units,
//
//   BetaC phi'' + phi' + sin(phi) = I0 + I1 sin(Omega1 tau).
//
// One junction, one starting point (drawn at random, typed, or at rest). After
// a transient of whole rf cycles, the line tau, phi, v = dphi/dtau and
// phi mod 2 pi is written once every M mesh steps, M the whole number of
// steps nearest to the rf period 2 pi / Omega1. Plotting v against
// phi mod 2 pi gives the Poincare section: a few points on a phase-locked
// (Shapiro) step, a fractal cloud on a chaotic orbit.
#include "clock.hpp"
#include "data_file.hpp"
#include "dialogue.hpp"
#include "integrators.hpp"
#include "method_menu.hpp"
#include "normalized_model.hpp"
#include "progress.hpp"
#include "rf_sampling.hpp"
#include "sweeps.hpp"

#include <cmath>

using namespace jj;

namespace {

enum class StartChoice { random = 0, typed = 1, rest = 2 };

constexpr MethodMenu menu = MethodMenu::two_methods;

struct Settings {
  NormalizedParams params;
  double h = 0;
  IntegrationMethod method = IntegrationMethod::runge_kutta4;
  RfRecording rf;
};

// The rf period is needed to check h (at least one mesh step per period), so
// it is known from the Omega1 answer on.
Settings ask_settings(Dialogue& dialogue) {
  Settings s;
  ask_junction_and_bias(dialogue, s.params, check_rf_frequency);
  s.params.I0 = dialogue.ask_double("I0 ? ", check_current);
  const double T_rf = rf_period(s.params.Omega1);
  s.h = ask_mesh_length(dialogue, check_steps_per_rf_period(T_rf));
  s.method = ask_method(dialogue, menu);
  s.rf = ask_rf_cycles(dialogue, "-- Parametri registrazione traiettoria --\n", T_rf, s.h);
  return s;
}

void write_header(DataFile& file, const Settings& s) {
  file.write("# Data: %s\n", date_stamp().c_str());
  file.write("# Traiettoria phi(tau)-V(tau) per tau=k*2*Pi/Omega1 giunzione Josephson "
             "polarizzata con corrente i0+i1*sin(Omega1*tau)\n");
  file.write("# Integrazione numerica via metodo di %s\n", method_name(s.method, menu));
  file.write("# BetaC = %lf\n", s.params.BetaC);
  file.write("# I0 = %lf, I1 = %lf, Omega1 = %lf\n", s.params.I0, s.params.I1, s.params.Omega1);
  file.write("# Mesh length = %lf rad\n", s.h);
  file.write("# Traiettoria registrata per %lf rad (%d mesh steps)\n"
             "# scartato un transiente di %lf rad (%d mesh steps)\n",
             s.rf.T_rec, s.rf.N_rec, s.rf.T_tr, s.rf.N_tr);
  file.write("# Tau\t phi(Tau)\t v(Tau)\t phi(Tau) mod 2Pi\n");
}

std::string check_finite(double x) { return std::isfinite(x) ? "" : "a finite number"; }

// The generator is seeded only for a random start, right before its draws.
JunctionState ask_initial_state(Dialogue& dialogue) {
  const auto choice = StartChoice(
      dialogue.ask_choice("Valori iniziali (0 == Random, 1 == Immettere, 2 == [0,0])?\n", 0, 2));
  JunctionState y{0.0, 0.0};
  if (choice == StartChoice::random) {
    seed_random_generator_from_clock();
    const RandomStart drawn = random_initial_state();
    y = {drawn.phase, drawn.value};
  } else if (choice == StartChoice::typed) {
    y[0] = dialogue.ask_double("Fase iniziale ? ", check_finite);
    y[1] = dialogue.ask_double("Tensione iniziale ? ", check_finite);
  }
  dialogue.say("Phi(0) == %lf, V(0) == %lf\n", y[0], y[1]);
  return y;
}

// The phase is reduced with the quotient truncated toward zero, so the last
// column keeps the sign of phi.
template <class Step>
void record_trajectory(const Step& step, JunctionState& y, const Settings& s, DataFile& file) {
  SpanProgress progress(s.rf.T_tr + s.rf.T_rec);
  step.start(0.0, y, s.h, start_depth(menu));
  sample_every_rf_period(
      step, y, s.rf, s.h,
      [&file](double tau, const JunctionState& after) {
        file.write("%.10lf\t%.10lf\t%.10lf\t%.10lf\n", tau, after[0], after[1],
                   std::fmod(after[0], two_pi));
      },
      [&progress](double tau) { progress.step_done(tau); });
}

}  // namespace

int main() {
  return run_program("jj_strobe", [] {
    Dialogue dialogue;
    DataFile file(dialogue.ask_word("Nome file su cui scrivere traiettoria phi e v ? "));
    const Settings s = ask_settings(dialogue);

    write_header(file, s);
    JunctionState y = ask_initial_state(dialogue);

    MultistepHistory<2> history;
    const NormalizedModel model{s.params};
    with_stepper(s.method, model, history,
                 [&](const auto& step) { record_trajectory(step, y, s, file); });

    file.close();
  });
}
