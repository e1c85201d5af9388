// The standard workload of every program, as the program computes it (fast)
// and as the deliberately literal integrators compute it (derivative through
// a function pointer, one component per call, every sine computed, one point
// after the other). Both give the same bits: each run checks the checksum of
// its results against the other's. After the runs a table gives the ratio
// literal / fast for every program and method.
//
// A sweep is 24 bias points of 4002 steps each (a transient of 50 rad and a
// window of 150 rad at h = 0.05); a single trajectory (jj_strobe, jj_trace,
// jj_bench) is 96000 steps.
#include "integrators.hpp"
#include "integrators/lanes.hpp"
#include "literal_steppers.hpp"
#include "normalized_model.hpp"
#include "physical_model.hpp"
#include "tangent_equations.hpp"
#include "voltage_average.hpp"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace {

using namespace jj;

constexpr double h = 0.05;
constexpr int points = 24;
constexpr std::size_t lanes = 4;
constexpr AveragingSpans sweep_spans{3000, 1000, 3000 * h, 1000 * h};
constexpr AveragingSpans trajectory_spans{96000, 0, 96000 * h, 0.0};

// The chaotic rf-driven junction of the stepper benchmark.
constexpr NormalizedParams normalized_junction{3.0, 0.0, 0.9, 0.66};

// A niobium-like junction with the continuous gap rise, rf on.
PhysicalParams physical_junction() {
  PhysicalParams p;
  p.I_c = 0.1, p.C = 1.0, p.law = ResistanceLaw::continuous;
  p.R_subgap = 200, p.R_normal = 20, p.V_gap = 2.8, p.V_depth = 0.1;
  p.omega_p = plasma_frequency(p.I_c, p.C);
  p.BetaC_subgap = beta_c_of(p.R_subgap, p.I_c, p.C);
  p.BetaC_normal = beta_c_of(p.R_normal, p.I_c, p.C);
  p.V_plasma = plasma_voltage(p.omega_p);
  p.v_gap = p.V_gap / p.V_plasma;
  p.v_depth = p.V_depth / p.V_plasma;
  p.beta_c = beta_c_law(p.law);
  p.rf_on = 1, p.I1 = 0.5, p.Omega1 = 0.3;
  return p;
}

// The sweep's currents, by repeated addition, and the random starts.
std::vector<double> sweep_currents() {
  std::vector<double> I0;
  for (double I = 0.0; I0.size() < points; I = I + 0.1) I0.push_back(I);
  return I0;
}
std::vector<JunctionState> random_starts() {
  seed_random_generator(12345);
  std::vector<JunctionState> starts;
  for (int i = 0; i < points; ++i) {
    const RandomStart drawn = random_initial_state();
    starts.push_back({drawn.phase, drawn.value});
  }
  return starts;
}
const std::vector<double> currents = sweep_currents();
const std::vector<JunctionState> starts = random_starts();
const std::vector<JunctionState> rest(points, JunctionState{0.0, 0.0});

// ---- Literal: one point after the other ------------------------------------------

literal::DerivativePointer literal_f = nullptr;
PhysicalParams literal_physical;
InstantCurrents literal_currents;
double literal_physical_iv(double tau, const double* y, int k) {
  return physical_iv_derivative(literal_physical, literal_currents, tau, {y[0], y[1]}, k);
}
double literal_physical_trace(double tau, const double* y, int k) {
  return physical_derivative(literal_physical, literal_currents, tau, {y[0], y[1]}, k);
}

double literal_window_sum(int method, literal::History& history, double* y,
                          const AveragingSpans& a) {
  for (double tau = 0.0; tau <= a.T_tr; tau = tau + h)
    literal::step(method, literal_f, 2, history, tau, y, h);
  double sum = 0;
  for (double tau = a.T_tr; tau <= a.T_tr + a.T_avg; tau = tau + h) {
    literal::step(method, literal_f, 2, history, tau, y, h);
    sum = sum + y[1];
  }
  return sum;
}

// A continuous sweep: the state and history carried from point to point.
template <class SetBias>
double literal_continuous(int method, int depth, int sweep_points, const AveragingSpans& a,
                          SetBias set_bias) {
  literal::History history;
  double y[2] = {0.0, 0.0};
  literal::start(method, literal_f, 2, history, 0.0, y, h, depth);
  double checksum = 0;
  for (int i = 0; i < sweep_points; ++i) {
    set_bias(currents[std::size_t(i)]);
    checksum = checksum + literal_window_sum(method, history, y, a);
  }
  return checksum;
}

// Independent points, each from its start with a fresh history.
template <class SetBias>
double literal_independent(int method, int depth, const std::vector<JunctionState>& from,
                           SetBias set_bias) {
  double checksum = 0;
  for (int i = 0; i < points; ++i) {
    set_bias(currents[std::size_t(i)]);
    literal::History history;
    double y[2] = {from[std::size_t(i)][0], from[std::size_t(i)][1]};
    literal::start(method, literal_f, 2, history, 0.0, y, h, depth);
    checksum = checksum + literal_window_sum(method, history, y, sweep_spans);
  }
  return checksum;
}

// ---- Fast: as the programs integrate ------------------------------------------------

template <class Model>
double fast_continuous(int method, int depth, int sweep_points, const AveragingSpans& a,
                       const Model& model, double& I0) {
  MultistepHistory<2> history;
  double checksum = 0;
  with_stepper(IntegrationMethod(method), model, history, [&](const auto& step) {
    JunctionState y{0.0, 0.0};
    step.start(0.0, y, h, depth);
    for (int i = 0; i < sweep_points; ++i) {
      I0 = currents[std::size_t(i)];
      checksum = checksum + window_voltage_sum(step, y, a, h);
    }
  });
  return checksum;
}

template <class LaneModel>
double fast_independent(int method, int depth, const std::vector<JunctionState>& from,
                        LaneModel& model) {
  LaneHistory<2, lanes> history;
  double checksum = 0;
  with_lane_stepper(IntegrationMethod(method), model, history, [&](const auto& step) {
    for (std::size_t first = 0; first < points; first += lanes) {
      Lanes<2, lanes> y;
      for (std::size_t l = 0; l < lanes; ++l) y[l] = from[first + l], model.I0[l] = currents[first + l];
      step.start(0.0, y, h, depth);
      const LaneValues<lanes> sums = window_voltage_sum(step, y, sweep_spans, h);
      for (double sum : sums) checksum = checksum + sum;
    }
  });
  return checksum;
}

// ---- Lyapunov exponents: the six-component state, orthonormalized after every step

NormalizedParams literal_lyapunov_params;
double literal_lyapunov(double tau, const double* y, int k) {
  return lyapunov_derivative(literal_lyapunov_params, tau, {y[0], y[1], y[2], y[3], y[4], y[5]}, k);
}

double literal_lyapunov_sweep(int method) {
  double checksum = 0;
  for (int i = 0; i < points; ++i) {
    literal_lyapunov_params = normalized_junction;
    literal_lyapunov_params.I0 = currents[std::size_t(i)];
    literal::History history;
    LyapunovState y = rest_with_unit_tangents;
    literal::start(method, literal_lyapunov, 6, history, 0.0, y.data(), h, 2);
    double S_a = 0, S_b = 0;
    for (double tau = 0.0; tau <= sweep_spans.T_avg; tau = tau + h) {
      literal::step(method, literal_lyapunov, 6, history, tau, y.data(), h);
      orthonormalize_tangents(y, S_a, S_b);
    }
    checksum = checksum + (S_a + S_b);
  }
  return checksum;
}

double fast_lyapunov_sweep(int method) {
  LyapunovLanes<lanes> model{normalized_junction};
  LaneHistory<6, lanes> history;
  double checksum = 0;
  with_lane_stepper(IntegrationMethod(method), model, history, [&](const auto& step) {
    for (std::size_t first = 0; first < points; first += lanes) {
      Lanes<6, lanes> y;
      y.fill(rest_with_unit_tangents);
      for (std::size_t l = 0; l < lanes; ++l) model.I0[l] = currents[first + l];
      step.start(0.0, y, h, 2);
      LaneValues<lanes> S_a{}, S_b{};
      integrate_span(step, y, 0.0, sweep_spans.T_avg, h, [&](double, Lanes<6, lanes>& after) {
        for (std::size_t l = 0; l < lanes; ++l) orthonormalize_tangents(after[l], S_a[l], S_b[l]);
      });
      for (std::size_t l = 0; l < lanes; ++l) checksum = checksum + (S_a[l] + S_b[l]);
    }
  });
  return checksum;
}

// ---- The workloads -----------------------------------------------------------------

struct Workload {
  std::string program;
  std::vector<int> methods;
  std::function<double(int)> fast, literal;
};

double normalized_continuous(int method, int depth, int sweep_points, const AveragingSpans& a,
                             bool literal_form) {
  NormalizedParams p = normalized_junction;
  if (!literal_form) return fast_continuous(method, depth, sweep_points, a, NormalizedModel{p}, p.I0);
  literal::params = p;
  literal_f = literal::normalized_derivative;
  return literal_continuous(method, depth, sweep_points, a, [](double I0) { literal::params.I0 = I0; });
}

double normalized_independent(int method, int depth, const std::vector<JunctionState>& from,
                              bool literal_form) {
  if (!literal_form) {
    NormalizedLanes<lanes> model{normalized_junction};
    return fast_independent(method, depth, from, model);
  }
  literal::params = normalized_junction;
  literal_f = literal::normalized_derivative;
  return literal_independent(method, depth, from, [](double I0) { literal::params.I0 = I0; });
}

// jj_iv's sweeps: continuous, or independent points from random starts.
double physical_iv(int method, bool independent, bool literal_form) {
  PhysicalParams p = physical_junction();
  if (literal_form) {
    literal_physical = p;
    literal_f = literal_physical_iv;
    const auto set_bias = [](double I0) { literal_physical.I0 = I0; };
    return independent ? literal_independent(method, 5, starts, set_bias)
                       : literal_continuous(method, 5, points, sweep_spans, set_bias);
  }
  if (!independent) {
    InstantCurrents records;
    return fast_continuous(method, 5, points, sweep_spans, PhysicalIvModel{p, records}, p.I0);
  }
  PhysicalIvLanes<lanes> model{p};
  return fast_independent(method, 5, starts, model);
}

// jj_trace's trajectory, recording the branch currents at every evaluation.
double physical_trace(int method, bool literal_form) {
  PhysicalParams p = physical_junction();
  p.I0 = 1.2;
  if (literal_form) {
    literal_physical = p;
    literal_f = literal_physical_trace;
    return literal_continuous(method, 5, 1, trajectory_spans, [](double) {});
  }
  InstantCurrents records;
  double unused_bias = 0;
  return fast_continuous(method, 5, 1, trajectory_spans, PhysicalModel{p, records}, unused_bias);
}

double fixed_problem(int method, bool literal_form) {
  struct Fixed {
    double operator()(double tau, const JunctionState& y, int k) const {
      return fixed_normalized_derivative(tau, y, k);
    }
  };
  if (!literal_form) {
    double unused_bias = 0;
    return fast_continuous(method, 5, 1, trajectory_spans, Fixed{}, unused_bias);
  }
  literal_f = literal::fixed_derivative;
  return literal_continuous(method, 5, 1, trajectory_spans, [](double) {});
}

const std::vector<int> five = {0, 1, 2, 3, 4}, two = {0, 1};

const std::vector<Workload> workloads = {
    {"jj_ivnorm continuous", five,
     [](int m) { return normalized_continuous(m, 5, points, sweep_spans, false); },
     [](int m) { return normalized_continuous(m, 5, points, sweep_spans, true); }},
    {"jj_ivnorm random", five, [](int m) { return normalized_independent(m, 5, starts, false); },
     [](int m) { return normalized_independent(m, 5, starts, true); }},
    {"jj_scatter", two, [](int m) { return normalized_independent(m, 2, rest, false); },
     [](int m) { return normalized_independent(m, 2, rest, true); }},
    {"jj_lyap", two, fast_lyapunov_sweep, literal_lyapunov_sweep},
    {"jj_strobe", two, [](int m) { return normalized_continuous(m, 2, 1, trajectory_spans, false); },
     [](int m) { return normalized_continuous(m, 2, 1, trajectory_spans, true); }},
    {"jj_trace", five, [](int m) { return physical_trace(m, false); },
     [](int m) { return physical_trace(m, true); }},
    {"jj_iv continuous", five, [](int m) { return physical_iv(m, false, false); },
     [](int m) { return physical_iv(m, false, true); }},
    {"jj_iv random", five, [](int m) { return physical_iv(m, true, false); },
     [](int m) { return physical_iv(m, true, true); }},
    {"jj_bench", five, [](int m) { return fixed_problem(m, false); },
     [](int m) { return fixed_problem(m, true); }},
};

// ---- Running and the table of ratios ----------------------------------------------

std::string run_name(const Workload& w, int method, const char* form) {
  return "workload/" + w.program + "/method:" + std::to_string(method) + "/" + form;
}

void register_workloads() {
  for (const Workload& w : workloads)
    for (int method : w.methods) {
      const double expected = w.literal(method);
      for (const char* form : {"literal", "fast"}) {
        const auto& compute = std::string(form) == "fast" ? w.fast : w.literal;
        benchmark::RegisterBenchmark(run_name(w, method, form).c_str(),
                                     [compute, method, expected](benchmark::State& state) {
                                       double checksum = 0;
                                       for (auto _ : state) checksum = compute(method);
                                       if (checksum != expected)
                                         state.SkipWithError("results differ from the literal ones");
                                     })
            ->Unit(benchmark::kMillisecond);
      }
    }
}

// Remembers the time of every run and prints literal / fast at the end.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs)
      if (run.run_type == Run::RT_Iteration || run.aggregate_name == "median")
        seconds_[run.run_name.function_name] = run.GetAdjustedRealTime();
  }
  void Finalize() override {
    ConsoleReporter::Finalize();
    std::printf("\n%-22s %6s %12s %12s %8s\n", "program", "method", "literal", "fast", "ratio");
    for (const Workload& w : workloads)
      for (int method : w.methods) {
        const auto literal = seconds_.find(run_name(w, method, "literal"));
        const auto fast = seconds_.find(run_name(w, method, "fast"));
        if (literal == seconds_.end() || fast == seconds_.end()) continue;
        std::printf("%-22s %6d %9.2f ms %9.2f ms %7.2fx\n", w.program.c_str(), method,
                    literal->second, fast->second, literal->second / fast->second);
      }
  }

 private:
  std::map<std::string, double> seconds_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  register_workloads();
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
}
