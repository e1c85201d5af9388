// jj_ivnorm: IV characteristic of the rf-driven junction in normalized units,
//
//   BetaC phi'' + phi' + sin(phi) = I0 + I1 sin(Omega1 tau).
//
// For every dc bias I0 of one or more interleaved sweeps (upward, or up and
// back down) the junction is integrated through a transient, v = dphi/dtau is
// averaged over a window, and the line I0, <v>, phi(0), v(0) is written. In
// the continuous start mode each point starts from the state the previous one
// left, so an up-and-down sweep shows the hysteresis of the junction.
#include "dialogue.hpp"
#include "clock.hpp"
#include "data_file.hpp"
#include "integrators.hpp"
#include "integrators/lanes.hpp"
#include "method_menu.hpp"
#include "normalized_model.hpp"
#include "sweeps.hpp"
#include "time_loop.hpp"
#include "voltage_average.hpp"

#include <algorithm>
#include <cmath>

using namespace jj;

namespace {

enum class StartMode { random = 0, continuous_from_zero = 1 };
enum class SweepMode { up_only = 0, ping_pong = 1 };

const char* start_mode_name(StartMode mode) {
  return mode == StartMode::random ? "Random" : "Continuo da zero";
}
const char* sweep_mode_name(SweepMode mode) {
  return mode == SweepMode::ping_pong ? "Ping pong" : "Solo salita";
}

constexpr MethodMenu menu = MethodMenu::five_methods;
constexpr const char* column_titles = "# I0-V media-phi(0)-v(0)\n";

struct Settings {
  NormalizedParams params;
  double h = 0;
  IntegrationMethod method = IntegrationMethod::runge_kutta4;
  AveragingSpans spans;
  SweepPlan plan;
  StartMode start_mode = StartMode::random;
  SweepMode sweep_mode = SweepMode::up_only;
};

void ask_spans(Dialogue& dialogue, Settings& s) {
  dialogue.say("-- Parametri media della tensione --\n");
  dialogue.say("1 == 1 rad == 1/(pulsazione caratteristica di Josephson)\n");
  s.spans = ask_averaging_spans(dialogue, s.h);
}

void ask_sweeps(Dialogue& dialogue, Settings& s) {
  ask_current_range(dialogue, s.plan, ic_unit_line);
  dialogue.say("-- Condizioni iniziali --\n");
  dialogue.say("0 = Random, 1 = Continuo da zero\n");
  s.start_mode = StartMode(dialogue.ask_choice("", 0, 1));
  ask_sweep_count(dialogue, s.plan);
  if (s.start_mode == StartMode::continuous_from_zero) {
    dialogue.say("Modalita' sweep\n");
    dialogue.say("0 = Solo salita, 1 = Ping pong\n");
    s.sweep_mode = SweepMode(dialogue.ask_choice("", 0, 1));
  }
  if (s.sweep_mode == SweepMode::ping_pong) s.plan.passes = 2;
}

Settings ask_settings(Dialogue& dialogue) {
  Settings s;
  ask_junction_and_bias(dialogue, s.params);
  s.h = ask_mesh_length(dialogue);
  s.method = ask_method(dialogue, menu);
  ask_spans(dialogue, s);
  ask_sweeps(dialogue, s);
  return s;
}

void write_header(DataFile& file, const Settings& s) {
  file.write("# Data: %s\n", date_stamp().c_str());
  file.write("# Caratteristica IV giunzione Josephson\n");
  file.write("# Integrazione numerica via metodo di %s\n", method_name(s.method, menu));
  write_normalized_params(file, s.params);
  file.write("# Mesh length = %lf rad\n", s.h);
  file.write("# Tensione mediata su %lf rad (%d mesh steps)\n"
             "# scartato un transiente di %lf rad (%d mesh steps)\n",
             s.spans.T_avg, s.spans.N_avg, s.spans.T_tr, s.spans.N_tr);
  file.write("# I0 = [%lf,%lf], DeltaI0 = %lf\n", s.plan.I_min, s.plan.I_max, s.plan.DeltaI0);
  file.write("# Cnd iniziali = %s\n", start_mode_name(s.start_mode));
  file.write("# Numero di sweep = %d\n", int(s.plan.sweeps));
  file.write("# Modalita' sweep = %s\n", sweep_mode_name(s.sweep_mode));
}

// <v> over the window after the transient: its N_avg + 1 voltages summed,
// weighted h / T_avg.
double mean_voltage(double window_sum, const Settings& s) {
  return (s.h / s.spans.T_avg) * window_sum;
}

// Continuous start: every sweep starts from rest with a fresh history, and
// each point goes on from the state and history the one before it left;
// only Adams III rebuilds its history, at every downward point. The starting
// phase and voltage written are those of rest.
template <class Step>
void run_continuous_sweeps(Settings& s, const Step& step, Dialogue& console, DataFile& file) {
  const int depth = start_depth(menu);
  const bool restarts_downward = s.method == IntegrationMethod::adams3;
  interleaved_sweeps(s.plan, console, file, column_titles, [&](const SweepSpan& span) {
    JunctionState y{0.0, 0.0};
    step.start(0.0, y, s.h, depth);
    auto point = [&](double I0) {
      const double V_mean = mean_voltage(window_voltage_sum(step, y, s.spans, s.h), s);
      file.write("%.10lf\t%.10lf\t%.10lf\t%.10lf\n", I0, V_mean, 0.0, 0.0);
    };
    sweep_up(span, s.params.I0, point);
    if (s.sweep_mode != SweepMode::ping_pong) return;
    sweep_down(span, s.params.I0, [&](double I0) {
      if (restarts_downward) step.start(0.0, y, s.h, depth);
      point(I0);
    });
  });
}

// With random starts the points of a sweep are independent (each draws its
// state and rebuilds its history) and only go upward, so they are integrated
// `lanes` at a time side by side, every point with the bits it would have
// alone. The draws are taken in the order of the points, as one point after
// the other would take them.
constexpr std::size_t lanes = 4;

template <class LaneStep>
void run_random_sweeps(Settings& s, NormalizedLanes<lanes>& model, const LaneStep& step,
                       Dialogue& console, DataFile& file) {
  batched_upward_sweeps<lanes>(
      s.plan, s.params.I0, console, file, column_titles,
      [&](const std::array<double, lanes>& I0, std::size_t count) {
        Lanes<2, lanes> y;
        const auto drawn = draw_lane_starts(y, count);
        model.I0 = I0;
        step.start(0.0, y, s.h, start_depth(menu));
        const LaneValues<lanes> sums = window_voltage_sum(step, y, s.spans, s.h);
        for (std::size_t l = 0; l < count; ++l)
          file.write("%.10lf\t%.10lf\t%.10lf\t%.10lf\n", I0[l], mean_voltage(sums[l], s),
                     drawn[l].phase, drawn[l].value);
      });
}

// One dispatch per run: the lanes where the points are independent, one
// point after the other where each continues from the one before.
void integrate_sweeps(Settings& s, Dialogue& console, DataFile& file) {
  if (s.start_mode == StartMode::random) {
    LaneHistory<2, lanes> history;
    NormalizedLanes<lanes> model{s.params};
    with_lane_stepper(s.method, model, history,
                      [&](const auto& step) { run_random_sweeps(s, model, step, console, file); });
    return;
  }
  MultistepHistory<2> history;
  const NormalizedModel model{s.params};
  with_stepper(s.method, model, history,
               [&](const auto& step) { run_continuous_sweeps(s, step, console, file); });
}

}  // namespace

int main() {
  return run_program("jj_ivnorm", [] {
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
