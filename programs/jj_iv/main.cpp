// jj_iv: IV characteristic of a junction given in physical units (Ic, C, a
// constant, piecewise or continuous quasiparticle resistance R(v)),
//
//   phi'' + phi' / sqrt(BetaC(phi')) + sin(phi) = I0 + I1 sin(Omega1 tau),
//
// tau = omega_p t. For every dc bias I0 of a sweep the junction is integrated
// through a transient, v is averaged over a window, and the line I0, <V> is
// written. Either every point starts from a random state, with several sweeps
// whose current grids interleave, or one sweep starts from rest and carries
// the state from point to point, up or up and back down: the down sweep of an
// underdamped junction retraps at a lower current, the hysteresis of the IV.
#include "clock.hpp"
#include "data_file.hpp"
#include "dialogue.hpp"
#include "integrators.hpp"
#include "integrators/lanes.hpp"
#include "method_menu.hpp"
#include "normalized_model.hpp"
#include "physical_dialogue.hpp"
#include "physical_model.hpp"
#include "sweeps.hpp"
#include "time_loop.hpp"
#include "voltage_average.hpp"

#include <algorithm>
#include <cmath>

using namespace jj;

namespace {

enum class StartMode { random = 0, continuous_from_zero = 1 };
enum class SweepMode { up_only = 0, up_and_down = 1 };

const char* start_mode_name(StartMode mode) {
  return mode == StartMode::random ? "Random" : "Continuo da zero";
}
const char* sweep_mode_name(SweepMode mode) {
  return mode == SweepMode::up_and_down ? "Salita e discesa" : "Solo salita";
}

constexpr MethodMenu menu = MethodMenu::five_methods;
constexpr const char* column_titles = "# I-<V>\n";

struct Settings {
  PhysicalParams params;
  double h = 0;
  IntegrationMethod method = IntegrationMethod::runge_kutta4;
  AveragingSpans spans;
  SweepPlan plan;              // currents in units of I_c
  StartMode start_mode = StartMode::random;
  SweepMode sweep_mode = SweepMode::up_only;
  OutputScales scales;
};

double ask_plasma_mesh_length(Dialogue& dialogue) {
  dialogue.say("-- Parametri integrazione numerica --\n");
  dialogue.say("1 == 1/(pulsazione di plasma)\n");
  return dialogue.ask_double("Lunghezza di mesh (rad) ? ", check_mesh_length);
}

void ask_spans(Dialogue& dialogue, Settings& s) {
  dialogue.say("-- Parametri media della tensione --\n");
  dialogue.say("1 == 1 /(pulsazione di plasma) \n");
  s.spans = ask_averaging_spans(dialogue, s.h);
}

// Currents are entered in mA and kept in units of I_c.
void ask_currents(Dialogue& dialogue, Settings& s) {
  ask_current_range(dialogue, s.plan, "1 == 1 mA\n", s.params.I_c);
}

// Random starts take any number of sweeps, all upward; a continuous start
// runs one sweep, up or up and back down.
void ask_start_and_sweeps(Dialogue& dialogue, Settings& s) {
  dialogue.say("-- Condizioni iniziali --\n");
  dialogue.say("0 = Random, 1 = Continuo da zero\n");
  s.start_mode = StartMode(dialogue.ask_choice("", 0, 1));
  if (s.start_mode == StartMode::random) {
    ask_sweep_count(dialogue, s.plan);
  } else {
    dialogue.say("Modalita' sweep\n");
    dialogue.say("0 = Solo salita, 1 = Salita e discesa\n");
    s.sweep_mode = SweepMode(dialogue.ask_choice("", 0, 1));
    s.plan.sweeps = 1.0;
  }
  if (s.sweep_mode == SweepMode::up_and_down) s.plan.passes = 2;
}

Settings ask_settings(Dialogue& dialogue) {
  Settings s;
  ask_junction_parameters(dialogue, s.params);
  ask_bias_parameters(dialogue, s.params);
  s.h = ask_plasma_mesh_length(dialogue);
  s.method = ask_method(dialogue, menu);
  ask_spans(dialogue, s);
  ask_currents(dialogue, s);
  ask_start_and_sweeps(dialogue, s);
  s.scales = ask_output_scales(dialogue, s.params);
  return s;
}

void write_header(DataFile& file, const Settings& s) {
  file.write("# Data: %s\n", date_stamp().c_str());
  file.write("# Caratteristica IV giunzione Josephson\n");
  file.write("# Integrazione numerica via metodo di %s\n", method_name(s.method, menu));
  file.write("# Mesh length = %lf rad\n", s.h);
  write_model_header(file, s.params);
  file.write("# Normalizzazione: V_norm = %lf, I_norm = I_c = %lf\n", s.scales.V_norm,
             s.scales.I_norm);
  write_rf_header(file, s.params);
  file.write("# Tensione mediata su %lf rad (%d mesh steps)\n"
             "# scartato un transiente di %lf rad (%d mesh steps)\n",
             s.spans.T_avg, s.spans.N_avg, s.spans.T_tr, s.spans.N_tr);
  file.write("# I0 = [%lf,%lf], DeltaI0 = %lf\n", s.plan.I_min, s.plan.I_max, s.plan.DeltaI0);
  file.write("# Cnd iniziali = %s\n", start_mode_name(s.start_mode));
  file.write("# Numero di sweep = %d\n", int(s.plan.sweeps));
  file.write("# Modalita' sweep = %s\n", sweep_mode_name(s.sweep_mode));
}

// A line of the characteristic: the current and the mean voltage in the
// output units.
void write_point(DataFile& file, const Settings& s, double I0, double mean) {
  file.write("%.10lf\t%.10lf\n", I0 * s.scales.I_norm, mean * s.scales.V_norm);
}

// The two branches divide the same sum in two ways, equal up to the last bit.
double upward_mean(double sum, const Settings& s) { return sum / double(s.spans.N_avg); }
double downward_mean(double sum, const Settings& s) { return (sum / s.spans.T_avg) * s.h; }

// Continuous start: the sweep starts from rest with a fresh history, built
// at the bias left in I0, and each point goes on from the state and history
// the one before it left; only Adams III rebuilds its history, at every
// downward point.
template <class Step>
void run_continuous_sweep(Settings& s, const Step& step, Dialogue& console, DataFile& file) {
  const int depth = start_depth(menu);
  const bool restarts_downward = s.method == IntegrationMethod::adams3;
  interleaved_sweeps(s.plan, console, file, column_titles, [&](const SweepSpan& span) {
    JunctionState y{0.0, 0.0};
    step.start(0.0, y, s.h, depth);
    sweep_up(span, s.params.I0, [&](double I0) {
      write_point(file, s, I0, upward_mean(window_voltage_sum(step, y, s.spans, s.h), s));
    });
    if (s.sweep_mode != SweepMode::up_and_down) return;
    sweep_down(span, s.params.I0, [&](double I0) {
      if (restarts_downward) step.start(0.0, y, s.h, depth);
      write_point(file, s, I0, downward_mean(window_voltage_sum(step, y, s.spans, s.h), s));
    });
  });
}

// Random points are independent (each draws its state and rebuilds its
// history), so they are integrated `lanes` at a time side by side, every
// point with the bits it would have alone; the draws are taken in the order
// of the points.
constexpr std::size_t lanes = 4;

template <class LaneStep>
void run_random_sweeps(Settings& s, PhysicalIvLanes<lanes>& model, const LaneStep& step,
                       Dialogue& console, DataFile& file) {
  batched_upward_sweeps<lanes>(
      s.plan, s.params.I0, console, file, column_titles,
      [&](const std::array<double, lanes>& I0, std::size_t count) {
        Lanes<2, lanes> y;
        draw_lane_starts(y, count);
        model.I0 = I0;
        step.start(0.0, y, s.h, start_depth(menu));
        const LaneValues<lanes> sums = window_voltage_sum(step, y, s.spans, s.h);
        for (std::size_t l = 0; l < count; ++l)
          write_point(file, s, I0[l], upward_mean(sums[l], s));
      });
}

// One dispatch per run: the lanes where the points are independent, one
// point after the other where each continues from the one before.
void integrate_sweeps(Settings& s, Dialogue& console, DataFile& file) {
  if (s.start_mode == StartMode::random) {
    LaneHistory<2, lanes> history;
    PhysicalIvLanes<lanes> model{s.params};
    with_lane_stepper(s.method, model, history,
                      [&](const auto& step) { run_random_sweeps(s, model, step, console, file); });
    return;
  }
  InstantCurrents currents;
  MultistepHistory<2> history;
  const PhysicalIvModel model{s.params, currents};
  with_stepper(s.method, model, history,
               [&](const auto& step) { run_continuous_sweep(s, step, console, file); });
}

}  // namespace

int main() {
  return run_program("jj_iv", [] {
    Dialogue dialogue;
    DataFile file(dialogue.ask_word("Nome file su cui scrivere caratteristica <I> vs <V> ? "));
    Settings s = ask_settings(dialogue);

    write_header(file, s);
    seed_random_generator_from_clock();
    file.write("#\n# -- Simulazione iniziata...\n");

    integrate_sweeps(s, dialogue, file);

    dialogue.say("Finito! Ore: %s\n", time_stamp().c_str());
    file.close();
  });
}
