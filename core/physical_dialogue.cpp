#include "physical_dialogue.hpp"

#include <cmath>
#include <cstdio>
#include <string>

namespace jj {
namespace {

bool positive_finite(double x) { return x > 0 && std::isfinite(x); }

// ---- Refusals ----------------------------------------------------------------
// The normalization divides by Ic and by V_plasma, and the damping by
// sqrt(BetaC): each must come out a positive, finite number.

std::string check_critical_current(double I_c) {
  return positive_finite(I_c) ? "" : "a positive, finite critical current (mA)";
}

AnswerCheck<double> check_capacitance(const PhysicalParams& p) {
  return [&p](double C) -> std::string {
    const double omega_p = plasma_frequency(p.I_c, C);
    return positive_finite(C) && positive_finite(omega_p) &&
                   positive_finite(plasma_voltage(omega_p))
               ? ""
               : "a positive, finite capacitance (pF) giving a positive, finite plasma frequency";
  };
}

AnswerCheck<double> check_gap_depth(const PhysicalParams& p) {
  return [&p](double V_depth) -> std::string {
    return positive_finite(V_depth) && positive_finite(V_depth / plasma_voltage(p.omega_p))
               ? ""
               : "a positive, finite width of the gap rise (mV): the continuous law divides "
                 "by it";
  };
}

AnswerCheck<double> check_gap_voltage(const PhysicalParams& p) {
  return [&p](double V_gap) -> std::string {
    return std::isfinite(V_gap / plasma_voltage(p.omega_p)) ? "" : "a finite gap voltage (mV)";
  };
}

AnswerCheck<double> check_resistance(const PhysicalParams& p) {
  return [&p](double R) -> std::string {
    return positive_finite(R) && positive_finite(beta_c_of(R, p.I_c, p.C))
               ? ""
               : "a positive, finite resistance (Ohm) whose BetaC = 3.0386 Ic R^2 C is "
                 "positive and finite";
  };
}

// A current in mA, normalized to Ic.
AnswerCheck<double> check_bias(const PhysicalParams& p) {
  return [&p](double I) -> std::string {
    return std::isfinite(I / p.I_c) ? "" : "a finite current (mA)";
  };
}

AnswerCheck<double> check_rf_frequency_GHz(const PhysicalParams& p) {
  return [&p](double f) -> std::string {
    return std::isfinite(angular_frequency_of_GHz(f) / p.omega_p) ? ""
                                                                  : "a finite frequency (GHz)";
  };
}

// ---- Blocks -------------------------------------------------------------------

void ask_constant_resistance(Dialogue& dialogue, PhysicalParams& p) {
  dialogue.say("1 == 1 Ohm\n");
  p.R_normal = dialogue.ask_double("R_normal ? ", check_resistance(p));
  p.omega_c = characteristic_frequency(p.R_normal, p.I_c);
  dialogue.say("Pulsazione caratteristica (rad/s) = %e\n", p.omega_c);
  p.BetaC_normal = beta_c_of(p.R_normal, p.I_c, p.C);
  dialogue.say("BetaC_normal = %lf\n", p.BetaC_normal);
}

void ask_gap_and_resistances(Dialogue& dialogue, PhysicalParams& p) {
  dialogue.say("1 == 1 mV\n");
  p.V_gap = dialogue.ask_double("Tensione di gap ? ", check_gap_voltage(p));
  dialogue.say("1 == 1 Ohm\n");
  p.R_subgap = dialogue.ask_double("R_subgap ? ", check_resistance(p));
  p.R_normal = dialogue.ask_double("R_normal ? ", check_resistance(p));
  p.BetaC_subgap = beta_c_of(p.R_subgap, p.I_c, p.C);
  p.BetaC_normal = beta_c_of(p.R_normal, p.I_c, p.C);
  dialogue.say("BetaC_subgap = %lf, BetaC_normal = %lf\n", p.BetaC_subgap, p.BetaC_normal);
}

void ask_rf(Dialogue& dialogue, PhysicalParams& p) {
  dialogue.say("0 = No, 1 = Si\n");
  // Any answer but 0 switches the term on, only 1 asks its parameters: with
  // Omega1 = I1 = 0 the term then adds nothing.
  p.rf_on = dialogue.ask_int("Inserire rf ? ");
  if (p.rf_on != 1) return;
  dialogue.say("1 == 1 GHz\n");
  p.omega_rf = angular_frequency_of_GHz(dialogue.ask_double("Frequenza rf ? ",
                                                            check_rf_frequency_GHz(p)));
  p.Omega1 = p.omega_rf / p.omega_p;
  dialogue.say("Pulsazione normalizzata alla pulsazione di plasma %lf\n", p.Omega1);
  if (p.law == ResistanceLaw::constant)
    dialogue.say("Pulsazione normalizzata alla pulsazione caratteristica %lf\n",
                 p.omega_rf / p.omega_c);
  dialogue.say("Step armonici in corrispondenza di %lf mV (normalizzato %lf)\n",
               p.Omega1 * p.V_plasma, p.Omega1);
  dialogue.say("1 == 1 mA\n");
  p.I1 = dialogue.ask_double("Ampiezza rf ? ", check_bias(p)) / p.I_c;
}

// A unit answer that is on no menu is taken, as the scale 0: the run goes on
// and every value it scales is printed as 0, which the user is told.
int ask_unit(Dialogue& dialogue, const char* prompt, const char* quantities,
             double (*scale)(const PhysicalParams&, int), const PhysicalParams& p) {
  const int answer = dialogue.ask_int(prompt);
  if (scale(p, answer) == 0.0) {
    const std::string question(prompt, std::string(prompt).size() - 1);  // without its blank
    report("warning: answer " + std::to_string(answer) + " to \"" + question +
           "\" is on no menu: the " + quantities + " are printed multiplied by 0");
  }
  return answer;
}

void ask_voltage_and_current_units(Dialogue& dialogue, const PhysicalParams& p,
                                   OutputScales& scales) {
  if (p.law == ResistanceLaw::constant)
    dialogue.say("0 = nessuna, 1 = tensione di plasma , 2 = tensione caratteristica\n");
  else
    dialogue.say("0 = nessuna, 1 = tensione di plasma\n");
  const int voltage = ask_unit(dialogue, "Normalizzazione tensione ? ", "voltages",
                               voltage_scale, p);
  dialogue.say("0 = nessuna, 1 = corrente critica\n");
  const int current = ask_unit(dialogue, "Normalizzazione corrente ? ", "currents",
                               current_scale, p);
  scales.I_norm = current_scale(p, current);
  scales.V_norm = voltage_scale(p, voltage);
}

const char* resistance_law_name(ResistanceLaw law) {
  switch (law) {
    case ResistanceLaw::piecewise: return " R spezzata";
    case ResistanceLaw::continuous: return "R continua";
    case ResistanceLaw::constant: break;
  }
  return "R costante";
}

}  // namespace

void ask_junction_parameters(Dialogue& dialogue, PhysicalParams& p) {
  dialogue.say("-- Parametri giunzione Josephson --\n");
  dialogue.say("1 == 1 mA\n");
  p.I_c = dialogue.ask_double("Corrente critica ? ", check_critical_current);
  dialogue.say("1 == 1 pF\n");
  p.C = dialogue.ask_double("Capacita' ? ", check_capacitance(p));
  p.omega_p = plasma_frequency(p.I_c, p.C);
  dialogue.say("Pulsazione di plasma (rad/s) = %e\n", p.omega_p);
  dialogue.say("0 = costante, 1 = spezzata, 2 = continua\n");
  p.law = ResistanceLaw(dialogue.ask_choice("Approssimazione R ? ", 0, 2));
  if (p.law == ResistanceLaw::constant) ask_constant_resistance(dialogue, p);
  if (p.law == ResistanceLaw::continuous) {
    dialogue.say("1 == 1mV\n");
    p.V_depth = dialogue.ask_double("Tensione di gap depth ? ", check_gap_depth(p));
  }
  if (p.law != ResistanceLaw::constant) ask_gap_and_resistances(dialogue, p);
  p.beta_c = beta_c_law(p.law);
  p.V_plasma = plasma_voltage(p.omega_p);
  p.v_gap = p.V_gap / p.V_plasma;
  p.v_depth = p.V_depth / p.V_plasma;
}

void ask_bias_parameters(Dialogue& dialogue, PhysicalParams& p) {
  dialogue.say("-- Parametri polarizzazione --\n");
  ask_rf(dialogue, p);
}

void ask_bias_parameters_with_dc_current(Dialogue& dialogue, PhysicalParams& p) {
  dialogue.say("-- Parametri polarizzazione --\n");
  dialogue.say("1 == 1 mA\n");
  p.I0 = dialogue.ask_double("Corrente continua ? ", check_bias(p)) / p.I_c;
  ask_rf(dialogue, p);
}

OutputScales ask_output_scales(Dialogue& dialogue, const PhysicalParams& p) {
  dialogue.say("-- Generazione output --\n");
  OutputScales scales;
  ask_voltage_and_current_units(dialogue, p, scales);
  return scales;
}

OutputScales ask_output_scales_with_time(Dialogue& dialogue, const PhysicalParams& p) {
  dialogue.say("-- Generazione output --\n");
  if (p.law == ResistanceLaw::constant)
    dialogue.say("0 = nessuna, 1 = pulsazione di plasma , 2 = pulsazione caratteristica\n");
  else
    dialogue.say("0 = nessuna, 1 = pulsazione di plasma\n");
  const int time = ask_unit(dialogue, "Normalizzazione tempo ? ", "times", time_scale, p);
  OutputScales scales;
  ask_voltage_and_current_units(dialogue, p, scales);
  scales.t_norm = time_scale(p, time);
  return scales;
}

void write_model_header(DataFile& file, const PhysicalParams& p) {
  file.write("# Modello utilizzato: %s con\n", resistance_law_name(p.law));
  if (p.law == ResistanceLaw::continuous)
    file.write("# Tensione di gap V_gap (mV) = %lf, Gap depth V_depth (mV) = %lf\n", p.V_gap,
               p.V_depth);
  if (p.law != ResistanceLaw::constant) file.write("# R_subgap (Ohm) = %lf\n", p.R_subgap);
  file.write("# R_normal (Ohm) = %lf\n", p.R_normal);
  file.write("# Capacita' C (pF) = %lf\n", p.C);
  file.write("# Corrente critica (mA) = %lf\n", p.I_c);
  file.write("# Pulsazione di plasma (rad/s) = %e\n", p.omega_p);
  if (p.law != ResistanceLaw::constant) {
    file.write("# BetaC_subgap = %lf, BetaC_normal = %lf\n", p.BetaC_subgap, p.BetaC_normal);
  } else {
    file.write("# Pulsazione caratteristica (rad/s) = %e\n", p.omega_c);
    file.write("# BetaC_normal = %lf\n", p.BetaC_normal);
  }
}

void write_rf_header(DataFile& file, const PhysicalParams& p) {
  if (p.rf_on == 1) file.write("# RF I1 = %lf, Omega1 = %lf\n", p.I1, p.Omega1);
}

}  // namespace jj
