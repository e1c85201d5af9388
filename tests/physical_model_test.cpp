// The junction in physical units: derived quantities, the three resistance
// laws, the derivative and the currents it leaves behind, the output units,
// and the shared dialogue's echoes.
#include "integrators.hpp"
#include "integrators/lanes.hpp"
#include "physical_dialogue.hpp"
#include "physical_model.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

namespace jj {
namespace {

// A junction of 0.1 mA and 1 pF with the given resistances and gap.
PhysicalParams junction(ResistanceLaw law, double R_subgap, double R_normal,
                        double V_gap = 2.8, double V_depth = 0.1) {
  PhysicalParams p;
  p.I_c = 0.1;
  p.C = 1.0;
  p.law = law;
  p.R_subgap = R_subgap;
  p.R_normal = R_normal;
  p.V_gap = V_gap;
  p.V_depth = V_depth;
  p.omega_p = plasma_frequency(p.I_c, p.C);
  p.BetaC_subgap = beta_c_of(R_subgap, p.I_c, p.C);
  p.BetaC_normal = beta_c_of(R_normal, p.I_c, p.C);
  p.V_plasma = plasma_voltage(p.omega_p);
  p.v_gap = V_gap / p.V_plasma;
  p.v_depth = V_depth / p.V_plasma;
  p.beta_c = beta_c_law(law);
  return p;
}

// BetaC of the resistance 1/G.
double beta_c_of_conductance(const PhysicalParams& p, double G) {
  return beta_c_of(1.0 / G, p.I_c, p.C);
}

TEST(DerivedQuantities, PlasmaFrequencyAndVoltageOfOneMilliampereAndOnePicofarad) {
  const double omega_p = plasma_frequency(1.0, 1.0);
  EXPECT_EQ(omega_p, std::sqrt(3.0386e+24));
  EXPECT_NEAR(omega_p, 1.7431e12, 1e8);
  EXPECT_NEAR(plasma_voltage(omega_p), 0.57367, 1e-5);  // mV
}

// sqrt(BetaC) is omega_c / omega_p for the same resistance.
TEST(DerivedQuantities, BetaCIsTheSquaredRatioOfCharacteristicToPlasmaFrequency) {
  const double I_c = 0.25, C = 2.0, R = 7.0;
  const double ratio = characteristic_frequency(R, I_c) / plasma_frequency(I_c, C);
  EXPECT_NEAR(std::sqrt(beta_c_of(R, I_c, C)), ratio, 1e-12 * ratio);
  EXPECT_EQ(beta_c_of(R, I_c, C), R * R * I_c * C * 3.0386);
}

// ---- Resistance laws ----------------------------------------------------------

TEST(ResistanceLaws, PiecewiseTakesTheGapItselfAsSubgap) {
  const PhysicalParams p = junction(ResistanceLaw::piecewise, 200, 20);
  for (double v : {p.v_gap, -p.v_gap, 0.0, 0.5 * p.v_gap})
    EXPECT_EQ(beta_c_piecewise(p, v), p.BetaC_subgap) << v;
  for (double v : {std::nextafter(p.v_gap, 1e9), -std::nextafter(p.v_gap, 1e9), 3 * p.v_gap})
    EXPECT_EQ(beta_c_piecewise(p, v), p.BetaC_normal) << v;
}

TEST(ResistanceLaws, ContinuousRisesFromSubgapToNormalThroughTheMeanConductanceAtTheGap) {
  const PhysicalParams p = junction(ResistanceLaw::continuous, 200, 20);
  const double G_mean = (1.0 / 200 + 1.0 / 20) / 2;
  EXPECT_NEAR(beta_c_continuous(p, p.v_gap) / beta_c_of_conductance(p, G_mean), 1.0, 1e-14);
  // 28 gap depths below and above the gap: exp(-28) = 7e-13 of the way, which
  // moves the conductance by 9 times that below the gap and BetaC twice as much.
  EXPECT_NEAR(beta_c_continuous(p, 0.0) / p.BetaC_subgap, 1.0, 2e-11);
  EXPECT_NEAR(beta_c_continuous(p, 2 * p.v_gap) / p.BetaC_normal, 1.0, 2e-12);
  // One depth above the gap the conductance has risen by e / (e + 1) of the step.
  const double e = std::exp(1.0);
  const double G_above = 1.0 / 200 + (1.0 / 20 - 1.0 / 200) * (e / (e + 1));
  EXPECT_NEAR(beta_c_continuous(p, p.v_gap + p.v_depth) / beta_c_of_conductance(p, G_above), 1.0,
              1e-13);
  double previous = beta_c_continuous(p, 0.0);
  for (double v = 0.1; v < 3 * p.v_gap; v += 0.1) {
    const double b = beta_c_continuous(p, v);
    EXPECT_LE(b, previous) << v;  // the resistance only falls as |v| grows
    previous = b;
  }
}

TEST(ResistanceLaws, EveryLawIsSymmetricInTheVoltage) {
  for (ResistanceLaw law :
       {ResistanceLaw::constant, ResistanceLaw::piecewise, ResistanceLaw::continuous}) {
    const PhysicalParams p = junction(law, 200, 20);
    for (double v : {0.0, 0.3, p.v_gap - 0.01, p.v_gap, p.v_gap + 0.01, 40.0})
      EXPECT_EQ(p.beta_c(p, v), p.beta_c(p, -v)) << int(law) << " v = " << v;
  }
}

TEST(ResistanceLaws, EqualResistancesMakeTheThreeLawsOne) {
  for (ResistanceLaw law :
       {ResistanceLaw::constant, ResistanceLaw::piecewise, ResistanceLaw::continuous}) {
    const PhysicalParams p = junction(law, 20, 20);
    for (double v : {0.0, p.v_gap, -p.v_gap, 1.5 * p.v_gap})
      EXPECT_NEAR(p.beta_c(p, v), p.BetaC_normal, 4e-16 * p.BetaC_normal) << int(law);
  }
}

// ---- Derivative and the currents it records ---------------------------------

TEST(PhysicalDerivative, VoltageSlopeIsBiasLessSupercurrentLessQuasiparticleCurrent) {
  PhysicalParams p = junction(ResistanceLaw::piecewise, 200, 20);
  p.I0 = 0.7;
  p.rf_on = 1;
  p.I1 = 0.4;
  p.Omega1 = 0.9;
  InstantCurrents c;
  const JunctionState y{0.8, 0.5};
  EXPECT_EQ(physical_derivative(p, c, 2.0, y, 0), 0.5);
  const double slope = physical_derivative(p, c, 2.0, y, 1);
  EXPECT_EQ(c.i, std::sin(0.9 * 2.0) * 0.4 + 0.7);
  EXPECT_EQ(c.is, std::sin(0.8));
  EXPECT_EQ(c.ir, 0.5 / std::sqrt(p.BetaC_subgap));
  EXPECT_EQ(slope, (c.i - c.is) - c.ir);

  // The IV form differs in the order of the subtractions alone, and keeps
  // the branch currents of the last full evaluation.
  InstantCurrents iv = c;
  iv.is = iv.ir = -1;
  EXPECT_NEAR(physical_iv_derivative(p, iv, 2.0, y, 1), slope, 1e-15);
  EXPECT_EQ(iv.i, c.i);
  EXPECT_EQ(iv.is, -1);
  EXPECT_EQ(iv.ir, -1);
}

TEST(PhysicalDerivative, WithoutRfTheBiasIsI0WhateverTheDrive) {
  PhysicalParams p = junction(ResistanceLaw::constant, 20, 20);
  p.I0 = 0.3;
  p.I1 = 5;
  p.Omega1 = 2;
  InstantCurrents c;
  physical_derivative(p, c, 1.234, JunctionState{0, 0}, 1);
  EXPECT_EQ(c.i, 0.3);
  // A switch answer other than 1 turns the term on with Omega1 = I1 = 0.
  p.rf_on = 2;
  p.I1 = p.Omega1 = 0;
  physical_derivative(p, c, 1.234, JunctionState{0, 0}, 0);
  EXPECT_EQ(c.i, 0.3);
}

// After a step the record holds the stepper's last voltage evaluation:
// Runge-Kutta's fourth stage at tau + h, the Adams-Bashforth methods' first
// evaluation at tau on the state on entry, the predictor-corrector methods'
// evaluation at tau + h on the predicted state; none of them on the state
// returned, except Adams-Bashforth's on the state it started from.
TEST(InstantCurrents, AfterAStepTheyAreThoseOfTheLastVoltageEvaluation) {
  using enum IntegrationMethod;
  struct Expected {
    IntegrationMethod method;
    double last_tau;
    bool on_entry_state;
  };
  const double tau = 3.0, h = 0.1;
  const Expected table[] = {{runge_kutta4, tau + h, false},
                            {adams3, tau, true},
                            {adams4, tau, true},
                            {adams_moulton5, tau + h, false},
                            {adams_moulton6, tau + h, false}};
  PhysicalParams p = junction(ResistanceLaw::continuous, 200, 20);
  p.I0 = 1.1;
  p.rf_on = 1;
  p.I1 = 0.5;
  p.Omega1 = 0.7;
  for (const auto& [method, last_tau, on_entry_state] : table) {
    InstantCurrents currents;
    const PhysicalModel model{p, currents};
    double seen_tau = -1;
    JunctionState seen{};
    const auto watched = [&](double t, const JunctionState& y, int k) {
      if (k == 1) seen_tau = t, seen = y;
      return model(t, y, k);
    };
    MultistepHistory<2> history;
    const JunctionState entry{0.4, 2.0};
    JunctionState y = entry;
    with_stepper(method, watched, history, [&](const auto& step) {
      step.start(tau, y, h, 5);
      step(tau, y, h);
    });
    SCOPED_TRACE(int(method));
    EXPECT_EQ(seen_tau, last_tau);
    EXPECT_EQ(seen == entry, on_entry_state);
    EXPECT_NE(seen, y);
    EXPECT_EQ(currents.i, std::sin(0.7 * last_tau) * 0.5 + 1.1);
    EXPECT_EQ(currents.is, std::sin(seen[0]));
    EXPECT_EQ(currents.ir, seen[1] / std::sqrt(beta_c_continuous(p, seen[1])));
  }
}

// Bias points side by side give every lane the bits of its own run, for every
// resistance law, with and without rf, for every method.
TEST(PhysicalIvLanes, EveryLaneMatchesItsOwnRunBitForBit) {
  using enum IntegrationMethod;
  constexpr std::size_t B = 3;
  const double I0[B] = {0.3, 1.2, 2.5}, h = 0.05;
  const int steps = 4000;
  const auto lane_start = [](std::size_t l) { return JunctionState{0.5 * double(l), 0.1}; };
  for (ResistanceLaw law : {ResistanceLaw::constant, ResistanceLaw::piecewise, ResistanceLaw::continuous})
    for (int rf_on : {0, 1})
      for (IntegrationMethod method : {runge_kutta4, adams3, adams4, adams_moulton5, adams_moulton6}) {
        PhysicalParams p = junction(law, 200, 20);
        p.rf_on = rf_on;
        p.I1 = 0.8;
        p.Omega1 = 0.6;
        PhysicalIvLanes<B> lane_model{p};
        Lanes<2, B> lanes;
        for (std::size_t l = 0; l < B; ++l) lane_model.I0[l] = I0[l], lanes[l] = lane_start(l);
        LaneHistory<2, B> lane_history;
        with_lane_stepper(method, lane_model, lane_history, [&](const auto& step) {
          step.start(0.0, lanes, h, 5);
          double tau = 0;
          for (int i = 0; i < steps; ++i, tau = tau + h) step(tau, lanes, h);
        });
        for (std::size_t l = 0; l < B; ++l) {
          PhysicalParams own = p;
          own.I0 = I0[l];
          InstantCurrents currents;
          const PhysicalIvModel model{own, currents};
          MultistepHistory<2> history;
          JunctionState alone = lane_start(l);
          with_stepper(method, model, history, [&](const auto& step) {
            step.start(0.0, alone, h, 5);
            double tau = 0;
            for (int i = 0; i < steps; ++i, tau = tau + h) step(tau, alone, h);
          });
          EXPECT_EQ(lanes[l], alone) << "law " << int(law) << ", rf " << rf_on << ", method "
                                     << int(method) << ", lane " << l;
        }
      }
}

// ---- Output units -------------------------------------------------------------

TEST(OutputScales, EveryMenuAnswerAndTheAnswersOnNoMenu) {
  const PhysicalParams p = junction(ResistanceLaw::piecewise, 200, 20);
  EXPECT_EQ(voltage_scale(p, 0), p.V_plasma);
  EXPECT_EQ(voltage_scale(p, 1), 1.0);
  EXPECT_EQ(voltage_scale(p, 2), 1.0 / std::sqrt(p.BetaC_normal));  // offered for law 0 only
  EXPECT_EQ(current_scale(p, 0), p.I_c);
  EXPECT_EQ(current_scale(p, 1), 1.0);
  EXPECT_EQ(time_scale(p, 0), 1.0 / p.omega_p);
  EXPECT_EQ(time_scale(p, 1), 1.0);
  EXPECT_EQ(time_scale(p, 2), std::sqrt(p.BetaC_normal));
  for (int answer : {-1, 3, 1000}) {
    EXPECT_EQ(voltage_scale(p, answer), 0.0);
    EXPECT_EQ(time_scale(p, answer), 0.0);
  }
  EXPECT_EQ(current_scale(p, 2), 0.0);
  // Choice 2 prints V / (Ic R_normal) and t omega_c, omega_c of R_normal.
  EXPECT_NEAR(voltage_scale(p, 2), p.V_plasma / (p.I_c * p.R_normal), 1e-15);
  EXPECT_NEAR(time_scale(p, 2), characteristic_frequency(p.R_normal, p.I_c) / p.omega_p, 1e-12);
}

// ---- Dialogue echoes ----------------------------------------------------------

// The console of the shared blocks for a string of answers.
std::string console_of(const std::string& answers, PhysicalParams& p) {
  std::string in = answers;
  std::FILE* input = fmemopen(in.data(), in.size(), "r");
  char* text = nullptr;
  std::size_t size = 0;
  std::FILE* output = open_memstream(&text, &size);
  {
    Dialogue dialogue(input, output, false);
    ask_junction_parameters(dialogue, p);
    ask_bias_parameters(dialogue, p);
  }
  std::fclose(input);
  std::fclose(output);
  std::string console(text, size);
  std::free(text);
  return console;
}

// The harmonic steps lie at n h f / 2e: 2.0678 microvolt per GHz, whatever
// the junction.
TEST(BiasDialogue, HarmonicStepVoltageDependsOnTheFrequencyAlone) {
  for (const char* junction_answers : {"1 1 0 10 ", "0.1 3 1 2.8 200 20 ", "5 0.2 2 0.1 2.8 50 5 "}) {
    PhysicalParams p;
    const std::string console = console_of(std::string(junction_answers) + "1 100 0.5", p);
    EXPECT_NE(console.find("Step armonici in corrispondenza di 0.206779 mV"), std::string::npos)
        << console;
    EXPECT_NEAR(p.Omega1 * p.V_plasma, 100 * 6283185307.18 * 3.2909892713749753e-13, 1e-15);
    EXPECT_EQ(console.find("pulsazione caratteristica") != std::string::npos,
              p.law == ResistanceLaw::constant);
  }
}

TEST(JunctionDialogue, EachLawAsksItsOwnParametersAndSelectsItsFunction) {
  struct Case {
    const char* answers;
    ResistanceLaw law;
    BetaCLaw function;
    const char* echo;
  };
  const Case cases[] = {
      {"1 1 0 10 0", ResistanceLaw::constant, beta_c_constant,
       "Pulsazione caratteristica (rad/s) = 3.038600e+13\nBetaC_normal = 303.860000\n"},
      {"1 1 1 2.8 100 10 0", ResistanceLaw::piecewise, beta_c_piecewise,
       "Tensione di gap ? 1 == 1 Ohm\nR_subgap ? R_normal ? "
       "BetaC_subgap = 30386.000000, BetaC_normal = 303.860000\n"},
      {"1 1 2 0.1 2.8 100 10 0", ResistanceLaw::continuous, beta_c_continuous,
       "1 == 1mV\nTensione di gap depth ? 1 == 1 mV\nTensione di gap ? "},
  };
  for (const Case& c : cases) {
    PhysicalParams p;
    const std::string console = console_of(c.answers, p);
    EXPECT_EQ(p.law, c.law);
    EXPECT_EQ(p.beta_c, c.function);
    EXPECT_NE(console.find(c.echo), std::string::npos) << console;
    EXPECT_EQ(console.find("depth") != std::string::npos, c.law == ResistanceLaw::continuous);
    EXPECT_EQ(p.v_gap, p.V_gap / p.V_plasma);
    EXPECT_EQ(p.v_depth, p.V_depth / p.V_plasma);
  }
}

}  // namespace
}  // namespace jj
