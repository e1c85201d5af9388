// jj_scatter: bifurcation diagram of the rf-driven junction in normalized
// units,
//
//   BetaC phi'' + phi' + sin(phi) = I0 + I1 sin(Omega1 tau),
//
// against the dc bias I0. Every bias point of one or more interleaved upward
// sweeps starts from rest with a fresh multistep history; after a transient
// of whole rf cycles the voltage v = dphi/dtau is sampled once every M mesh
// steps, M the whole number of steps nearest to the rf period 2 pi / Omega1,
// and every sample is its own line I0, v. A motion with the period of the
// drive writes one voltage per point, a period-n orbit n voltages, chaos a
// spread of them.
#include "data_file.hpp"
#include "dialogue.hpp"
#include "integrators/lanes.hpp"
#include "method_menu.hpp"
#include "normalized_model.hpp"
#include "rf_sampling.hpp"
#include "sweeps.hpp"

#include <array>
#include <vector>

using namespace jj;

namespace {

constexpr MethodMenu menu = MethodMenu::two_methods;

struct Settings {
  NormalizedParams params;
  double h = 0;
  IntegrationMethod method = IntegrationMethod::runge_kutta4;
  RfRecording rf;
  SweepPlan plan;
};

// The rf period is needed to check h (at least one mesh step per period), so
// it is known from the Omega1 answer on.
Settings ask_settings(Dialogue& dialogue) {
  Settings s;
  ask_junction_and_bias(dialogue, s.params, check_rf_frequency);
  const double T_rf = rf_period(s.params.Omega1);
  s.h = ask_mesh_length(dialogue, check_steps_per_rf_period(T_rf));
  s.method = ask_method(dialogue, menu);
  s.rf = ask_rf_cycles(dialogue, "-- Parametri registrazione tensione --\n", T_rf, s.h);
  ask_current_range(dialogue, s.plan, ic_unit_line);
  ask_sweep_count(dialogue, s.plan);
  return s;
}

void write_header(DataFile& file, const Settings& s) {
  write_sampled_sweep_header(file, "# Caratteristica I-V(k*2Pi/Omega1) giunzione Josephson\n",
                             method_name(s.method, menu), s.params, s.h, s.rf, s.plan);
}

// Every point starts from rest with its own history, so its lines do not
// depend on the points before it: the points are integrated `lanes` at a time
// side by side, with the bits each would have alone, and their samples
// written in the order of I0.
constexpr std::size_t lanes = 4;

// The first point of a batch writes its samples as they come; the others
// are held until the batch ends, 8 bytes a sample. A point with more samples
// than `most_held_samples` has its batch to itself, so that the memory held
// stays bounded however long the recording.
constexpr std::size_t most_held_samples = std::size_t(1) << 20;

template <class Step>
void run_sweeps(Settings& s, NormalizedLanes<lanes>& model, const Step& step, Dialogue& console,
                DataFile& file) {
  const std::size_t samples_per_point = std::size_t(s.rf.N_rec / s.rf.M) + 2;
  const bool point_alone = samples_per_point > most_held_samples;
  std::array<std::vector<double>, lanes> voltages;
  if (!point_alone)
    for (auto& samples : voltages) samples.reserve(samples_per_point);
  PointBatches<lanes> batches([&](const std::array<double, lanes>& I0, std::size_t count) {
    model.I0 = I0;
    Lanes<2, lanes> y{};
    for (auto& samples : voltages) samples.clear();
    step.start(0.0, y, s.h, start_depth(menu));
    sample_every_rf_period(step, y, s.rf, s.h, [&](double, const Lanes<2, lanes>& after) {
      file.write("%.10lf\t%.10lf\n", I0[0], after[0][1]);
      for (std::size_t l = 1; l < count; ++l) voltages[l].push_back(after[l][1]);
    });
    for (std::size_t l = 1; l < count; ++l)
      for (double v : voltages[l]) file.write("%.10lf\t%.10lf\n", I0[l], v);
  });
  interleaved_sweeps(s.plan, console, file, "# I0-V\n", [&](const SweepSpan& span) {
    sweep_up(span, s.params.I0, [&](double I0) {
      batches.add(I0);
      if (point_alone) batches.flush();
    });
    batches.flush();
  });
}

}  // namespace

int main() {
  return run_program("jj_scatter", [] {
    Dialogue dialogue;
    DataFile file(dialogue.ask_word("Nome file su cui scrivere caratteristica <I> vs V_scatter ? "));
    Settings s = ask_settings(dialogue);

    write_header(file, s);

    LaneHistory<2, lanes> history;
    NormalizedLanes<lanes> model{s.params};
    with_lane_stepper(s.method, model, history,
                      [&](const auto& step) { run_sweeps(s, model, step, dialogue, file); });

    file.close();
  });
}
