#include "normalized_model.hpp"

#include "time_loop.hpp"

#include <ctime>
#include <random>

namespace jj {
namespace {

std::mt19937& generator() {
  static std::mt19937 engine;
  return engine;
}

}  // namespace

void seed_random_generator(unsigned seed) { generator().seed(seed); }

void seed_random_generator_from_clock() {
  seed_random_generator(static_cast<unsigned>(std::time(nullptr)));
}

// The top 15 of 32 uniform bits: uniform in 0 .. 32767.
int next_random_draw() { return int(generator()() >> 17); }

RandomStart random_initial_state() {
  const double phase = phase_from_draw(next_random_draw());
  const double value = voltage_from_draw(next_random_draw());
  return {phase, value};
}

void ask_junction_and_bias(Dialogue& dialogue, NormalizedParams& params,
                           const AnswerCheck<double>& omega1_check) {
  dialogue.say("-- Parametri giunzione Josephson --\n");
  params.BetaC = dialogue.ask_double("BetaC ? ", [](double BetaC) -> std::string {
    return BetaC != 0 ? "" : "any non-zero BetaC (the voltage equation divides by it)";
  });
  dialogue.say("-- Parametri polarizzazione --\n");
  dialogue.say("1 == 1 pulsazione caratteristica di Josephson\n");
  params.Omega1 = dialogue.ask_double("Omega1 ? ", omega1_check);
  dialogue.say("%s", ic_unit_line);
  params.I1 = dialogue.ask_double("I1 ?");
}

double ask_mesh_length(Dialogue& dialogue, const AnswerCheck<double>& program_check) {
  dialogue.say("-- Parametri integrazione numerica --\n");
  dialogue.say("1 == 1 rad == 1/(pulsazione caratteristica di Josephson)\n");
  return dialogue.ask_double("Lunghezza di mesh ? ", [&program_check](double h) -> std::string {
    const std::string refusal = check_mesh_length(h);
    return refusal.empty() && program_check ? program_check(h) : refusal;
  });
}

void write_normalized_params(DataFile& file, const NormalizedParams& params) {
  file.write("# BetaC = %lf\n", params.BetaC);
  file.write("# I1 = %lf, Omega1 = %lf\n", params.I1, params.Omega1);
}

}  // namespace jj
