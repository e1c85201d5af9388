// jj_lyap: Lyapunov spectrum of the rf-driven junction in normalized units,
//
//   BetaC phi'' + phi' + sin(phi) = I0 + I1 sin(Omega1 tau),
//
// against the dc bias I0. Every bias point of one or more interleaved sweeps
// starts from rest with the tangent vectors along phi and v; after an optional
// transient of whole rf cycles, the stretch factors of the tangent vectors are
// accumulated over the recording span T_rec, and the line
// I0, Lyap(phi), Lyap(v), Lyap(phi) + Lyap(v) is written, the exponents in
// 1/rad. A positive Lyap(phi) marks chaos; the sum is about -1/BetaC, the rate
// at which the flow contracts areas of the (phi, v) plane.
#include "data_file.hpp"
#include "dialogue.hpp"
#include "integrators/lanes.hpp"
#include "method_menu.hpp"
#include "normalized_model.hpp"
#include "rf_sampling.hpp"
#include "sweeps.hpp"
#include "tangent_equations.hpp"
#include "time_loop.hpp"

#include <cmath>

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

// The exponents are divided by T_rec, which must hold at least one mesh step.
AnswerCheck<int> check_recording_holds_a_step(double T_rf, double h) {
  return [T_rf, h](int C_rec) {
    return span_to_steps(double(C_rec) * T_rf, h) >= 1
               ? std::string()
               : "a number of rf cycles whose span holds at least one mesh step "
                 "(the exponents are divided by it)";
  };
}

Settings ask_settings(Dialogue& dialogue) {
  Settings s;
  ask_junction_and_bias(dialogue, s.params, check_rf_frequency);
  const double T_rf = rf_period(s.params.Omega1);
  s.h = ask_mesh_length(dialogue);
  s.method = ask_method(dialogue, menu);
  s.rf = ask_rf_cycles(dialogue, "-- Parametri registrazione tensione --\n", T_rf, s.h,
                       check_recording_holds_a_step(T_rf, s.h));
  ask_current_range(dialogue, s.plan, ic_unit_line);
  ask_sweep_count(dialogue, s.plan);
  return s;
}

void write_header(DataFile& file, const Settings& s) {
  write_sampled_sweep_header(file, "# Spettro di Lyapunov giunzione Josephson\n",
                             method_name(s.method, menu), s.params, s.h, s.rf, s.plan);
}

// Every bias point starts from rest with the tangent vectors along phi and v
// and a fresh multistep history, so its line does not depend on the points
// before it: the points are integrated `lanes` at a time side by side, with
// the bits each would have alone.
constexpr std::size_t lanes = 4;

struct Exponents {
  LaneValues<lanes> a{}, b{};  // Lyap(phi), Lyap(v) of every lane, in 1/rad
};

// The transient (when it holds a mesh step) keeps the tangent vectors
// orthonormal, so that the accumulation starts from the directions the
// attractor has selected, but adds nothing to the sums. The sums then run from
// tau = T_tr while tau <= T_tr + T_rec and are divided by the span T_rec, not
// by the time actually integrated.
template <class Step>
Exponents lyapunov_points(const Step& step, const Settings& s) {
  Lanes<6, lanes> y;
  y.fill(rest_with_unit_tangents);
  step.start(0.0, y, s.h, start_depth(menu));
  if (s.rf.N_tr > 0) {
    LaneValues<lanes> discarded_a{}, discarded_b{};
    integrate_span(step, y, 0.0, s.rf.T_tr, s.h, [&](double, Lanes<6, lanes>& after) {
      for (std::size_t l = 0; l < lanes; ++l)
        orthonormalize_tangents(after[l], discarded_a[l], discarded_b[l]);
    });
  }
  Exponents sums;
  integrate_span(step, y, s.rf.T_tr, s.rf.T_tr + s.rf.T_rec, s.h,
                 [&](double, Lanes<6, lanes>& after) {
                   for (std::size_t l = 0; l < lanes; ++l)
                     orthonormalize_tangents(after[l], sums.a[l], sums.b[l]);
                 });
  Exponents lyap;
  for (std::size_t l = 0; l < lanes; ++l) {
    lyap.a[l] = sums.a[l] / s.rf.T_rec;
    lyap.b[l] = sums.b[l] / s.rf.T_rec;
  }
  return lyap;
}

template <class Step>
void run_sweeps(Settings& s, LyapunovLanes<lanes>& model, const Step& step, Dialogue& console,
                DataFile& file) {
  batched_upward_sweeps<lanes>(
      s.plan, s.params.I0, console, file, "# I0-Lyap(phi)-Lyap(v)-Lyap(phi)+Lyap(v)\n",
      [&](const std::array<double, lanes>& I0, std::size_t count) {
        model.I0 = I0;
        const Exponents lyap = lyapunov_points(step, s);
        for (std::size_t l = 0; l < count; ++l)
          file.write("%.10lf\t%.10lf\t%.10lf\t%.10lf\n", I0[l], lyap.a[l], lyap.b[l],
                     lyap.a[l] + lyap.b[l]);
      });
}

}  // namespace

int main() {
  return run_program("jj_lyap", [] {
    Dialogue dialogue;
    DataFile file(dialogue.ask_word("Nome file su cui scrivere spettro di Lyapunov ? "));
    Settings s = ask_settings(dialogue);

    write_header(file, s);

    LaneHistory<6, lanes> history;
    LyapunovLanes<lanes> model{s.params};
    with_lane_stepper(s.method, model, history,
                      [&](const auto& step) { run_sweeps(s, model, step, dialogue, file); });

    file.close();
  });
}
