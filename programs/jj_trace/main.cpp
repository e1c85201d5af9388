// jj_trace: time trace of a junction given in physical units (Ic, C, a
// constant, piecewise or continuous quasiparticle resistance R(v)),
//
//   phi'' + phi' / sqrt(BetaC(phi')) + sin(phi) = I0 + I1 sin(Omega1 tau),
//
// tau = omega_p t. For every mesh step of the recorded span the line: time,
// bias current, phi, phi mod 2 pi, voltage, and the supercurrent, resistive
// and capacitive currents through the junction. Optionally the voltage is
// averaged over a window after a transient, and the mean voltage and its
// ratio to the rf frequency (the number of the Shapiro step) are reported.
#include "clock.hpp"
#include "data_file.hpp"
#include "dialogue.hpp"
#include "integrators.hpp"
#include "method_menu.hpp"
#include "normalized_model.hpp"
#include "physical_dialogue.hpp"
#include "physical_model.hpp"
#include "progress.hpp"
#include "rf_sampling.hpp"
#include "time_loop.hpp"

#include <climits>
#include <cmath>

using namespace jj;

namespace {

enum class StartMode { random = 0, entered = 1 };
enum class Averaging { off = 0, on = 1 };  // any answer but 1 is off

constexpr MethodMenu menu = MethodMenu::five_methods;

struct Settings {
  PhysicalParams params;
  double h = 0;
  IntegrationMethod method = IntegrationMethod::runge_kutta4;
  int N_rec = 0;
  double T_rec = 0;  // whole mesh steps, rad
  bool averaging = false;
  int N_avg = 0, N_tr = 0;
  double T_avg = 0, T_tr = 0, T_end = 0;  // whole mesh steps, rad
  JunctionState start{0.0, 0.0};
  OutputScales scales;
};

double ask_plasma_mesh_length(Dialogue& dialogue) {
  dialogue.say("-- Parametri integrazione numerica --\n");
  dialogue.say("1 == 1/(pulsazione di plasma)\n");
  return dialogue.ask_double("Lunghezza di mesh (rad) ? ", check_mesh_length);
}

bool steps_fit_int(long long steps) { return steps >= INT_MIN && steps <= INT_MAX; }

// The recording: tau must advance by h up to its end.
std::string check_recording(double T_rec, double h) {
  return span_fits_int(T_rec, h) && addition_advances(span_to_steps(T_rec, h) * h, h)
             ? ""
             : "a span of at most 2147483647 mesh steps, short enough for tau to advance by h "
               "up to its end";
}

// The averaging window is stretched to the end of the recording when
// transient and window would end before it; the window that results must
// hold at least one mesh step (the mean divides by its count), and the whole
// run N_tr + N_avg must be counted by an int with tau advancing to its end.
std::string check_transient(double T_tr, double T_avg, double T_rec, double h) {
  if (!span_fits_int(T_tr, h)) return "a span of at most 2147483647 mesh steps";
  if (T_tr + T_avg < T_rec) T_avg = T_rec - T_tr;
  if (!span_fits_int(T_avg, h) || span_to_steps(T_avg, h) < 1)
    return "a transient after which the averaging window holds from 1 to 2147483647 mesh "
           "steps (a window that would end before the recording is stretched to its end)";
  const long long steps = static_cast<long long>(span_to_steps(T_tr, h)) + span_to_steps(T_avg, h);
  if (!steps_fit_int(steps) || !addition_advances(double(steps) * h, h))
    return "a transient that keeps the whole run within 2147483647 mesh steps, short enough "
           "for tau to advance by h up to its end";
  return "";
}

void ask_spans(Dialogue& dialogue, Settings& s) {
  const double h = s.h;
  dialogue.say("-- Parametri registrazione traiettoria --\n");
  dialogue.say("1 == 1 /(pulsazione di plasma) \n");
  const double T_rec = dialogue.ask_double("Tempo su cui registrare (rad) ? ",
                                           [h](double T) { return check_recording(T, h); });
  s.N_rec = span_to_steps(T_rec, h);
  s.T_rec = s.N_rec * h;
  dialogue.say("-- Parametri media della tensione --\n");
  dialogue.say("0 = No, 1 = Si\n");
  s.averaging = Averaging(dialogue.ask_int("Calcolare media ? ")) == Averaging::on;
  double T_avg = 0, T_tr = 0;
  if (s.averaging) {
    dialogue.say("1 == 1 /(pulsazione di plasma) \n");
    T_avg = dialogue.ask_double("Tempo su cui mediare (rad) ? ", [h](double T) {
      return span_fits_int(T, h) ? "" : "a span of at most 2147483647 mesh steps";
    });
    T_tr = dialogue.ask_double("Tempo da scartare come transiente (rad) ? ", [=](double T) {
      return check_transient(T, T_avg, T_rec, h);
    });
  }
  // The run ends with the window: a window ending before the recording would cut the trace.
  if (T_tr + T_avg < T_rec) {
    T_avg = T_rec - T_tr;
    dialogue.say("!! Overwrite\n");
  }
  s.N_avg = span_to_steps(T_avg, h);
  s.T_avg = s.N_avg * h;
  s.N_tr = span_to_steps(T_tr, h);
  s.T_tr = s.N_tr * h;
  s.T_end = (s.N_tr + s.N_avg) * h;
  dialogue.say("Media su %lf rad (%d mesh steps) dopo transiente di %lf rad (%d mesh steps)\n",
               s.T_avg, s.N_avg, s.T_tr, s.N_tr);
}

std::string check_finite(double x) { return std::isfinite(x) ? "" : "a finite number"; }

// A random start takes the drawn voltage value as V(0) in mV.
void ask_initial_state(Dialogue& dialogue, Settings& s) {
  const double V_plasma = s.params.V_plasma;
  dialogue.say("-- Condizioni iniziali --\n");
  dialogue.say("0 = Random, 1 = Immettere\n");
  const auto mode = StartMode(dialogue.ask_choice("", 0, 1));
  double phi_0 = 0, V_0 = 0;
  if (mode == StartMode::random) {
    seed_random_generator_from_clock();
    const RandomStart drawn = random_initial_state();
    phi_0 = drawn.phase;
    V_0 = drawn.value;
  } else {
    phi_0 = dialogue.ask_double("Fase iniziale (rad) ? ", check_finite);
    V_0 = dialogue.ask_double("Tensione iniziale (mV) ? ", [V_plasma](double V) {
      return std::isfinite(V / V_plasma) ? "" : "a finite voltage (mV)";
    });
  }
  dialogue.say("Phi(0) == %lf (rad), V(0) == %lf (mV), v(0) == %lf\n", phi_0, V_0, V_0 / V_plasma);
  s.start = {phi_0, V_0 / V_plasma};
}

Settings ask_settings(Dialogue& dialogue) {
  Settings s;
  ask_junction_parameters(dialogue, s.params);
  ask_bias_parameters_with_dc_current(dialogue, s.params);
  s.h = ask_plasma_mesh_length(dialogue);
  s.method = ask_method(dialogue, menu);
  ask_spans(dialogue, s);
  ask_initial_state(dialogue, s);
  s.scales = ask_output_scales_with_time(dialogue, s.params);
  return s;
}

void write_header(DataFile& file, const Settings& s) {
  const PhysicalParams& p = s.params;
  file.write("# Data: %s\n", date_stamp().c_str());
  file.write("# Caratteristica IV giunzione Josephson\n");
  file.write("# Integrazione numerica via metodo di %s\n", method_name(s.method, menu));
  file.write("# Mesh length = %lf rad\n", s.h);
  write_model_header(file, p);
  file.write("# Normalizzazione: V_norm = %lf (mV), I_norm = %lf (mA), t_norm = %lf (sec)\n",
             p.V_plasma / s.scales.V_norm, s.scales.I_norm, s.scales.t_norm * p.omega_p);
  write_rf_header(file, p);
  file.write("# Tensione registrata su %lf rad (%d mesh steps)\n", s.T_rec, s.N_rec);
  file.write("# Tensione mediata su %lf rad (%d mesh steps)\n"
             "# scartato un transiente di %lf rad (%d mesh steps)\n",
             s.T_avg, s.N_avg, s.T_tr, s.N_tr);
  file.write("# I0 = %lf\n", p.I0);
  file.write("# Cnd iniziali: Phi(0) = %lf (rad), v(0) = %lf\n", s.start[0], s.start[1]);
  file.write("#\n# -- Simulazione iniziata...\n");
}

// Time, bias, phi, phi mod 2 pi (a remainder with the sign of phi), v and
// the three branch currents. The currents are those of the stepper's last voltage evaluation; the
// capacitive one is what the other two leave of the bias.
void write_trace_line(DataFile& file, const OutputScales& u, double tau, const JunctionState& y,
                      const InstantCurrents& c) {
  const double ic = (c.i - c.ir) - c.is;
  file.write("%.10lf\t%.10lf\t%.10lf\t%.10lf\t%.10lf\t%.10lf\t%.10lf\t%.10lf\t\n",
             tau * u.t_norm, c.i * u.I_norm, y[0], std::fmod(y[0], two_pi),
             y[1] * u.V_norm, c.is * u.I_norm, c.ir * u.I_norm, ic * u.I_norm);
}

// With averaging on, the run goes on to the end of the window: the trace is
// written while tau < T_rec and v summed after the transient. Returns the
// mean voltage (normalized), or 0 with averaging off.
template <class Step>
double trace(const Step& step, JunctionState& y, const InstantCurrents& currents,
             const Settings& s, DataFile& file) {
  step.start(0.0, y, s.h, start_depth(menu));
  if (!s.averaging) {
    SpanProgress progress(s.T_rec);
    integrate_span(step, y, 0.0, s.T_rec, s.h, [&](double tau, const JunctionState& after) {
      write_trace_line(file, s.scales, tau, after, currents);
      progress.step_done(tau);
    });
    return 0;
  }
  SpanProgress progress(s.T_end);
  double sum = 0;
  integrate_span(step, y, 0.0, s.T_end, s.h, [&](double tau, const JunctionState& after) {
    if (tau < s.T_rec) write_trace_line(file, s.scales, tau, after, currents);
    if (tau > s.T_tr) sum = sum + after[1];
    progress.step_done(tau);
  });
  return sum / double(s.N_avg);
}

}  // namespace

int main() {
  return run_program("jj_trace", [] {
    Dialogue dialogue;
    DataFile file(dialogue.ask_word("Nome file su cui scrivere traiettoria del sistema ? "));
    const Settings s = ask_settings(dialogue);

    write_header(file, s);
    const std::string now = time_stamp();
    dialogue.say("Ore: %s\n", now.c_str());
    file.write("#\n# -- Ore %s\n# i0 - i - phi - phi mod 2Pi - v - is - ir - ic\n", now.c_str());

    JunctionState y = s.start;
    InstantCurrents currents;
    MultistepHistory<2> history;
    const PhysicalModel model{s.params, currents};
    const double mean = with_stepper(s.method, model, history, [&](const auto& step) {
      return trace(step, y, currents, s, file);
    });

    dialogue.say("Finito! Ore: %s\n", time_stamp().c_str());
    if (s.averaging) {
      // The step number <v> / Omega1; without rf it is a quotient by zero, printed as such.
      const double V_plasma = s.params.V_plasma, Omega1 = s.params.Omega1;
      dialogue.say("Tensione media = %lf mV (normalizzato %lf). Step numero = %lf\n",
                   mean * V_plasma, mean, mean / Omega1);
      file.write("# Tensione media = %lf mV (normalizzato %lf). Step numero = %lf\n",
                 mean * V_plasma, mean, mean / Omega1);
    }
    file.close();
  });
}
