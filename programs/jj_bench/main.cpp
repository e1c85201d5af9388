// jj_bench: times one integration method on a fixed rf-driven junction,
//
//   25 phi'' + phi' + sin(phi) = 1 + 20 sin(0.2 tau),
//
// integrated from rest for the chosen number of mesh steps. It prints the
// time of day before and after the integration (the multistep start-up lies
// inside the timed span) and writes no file.
#include "clock.hpp"
#include "dialogue.hpp"
#include "integrators.hpp"
#include "method_menu.hpp"
#include "normalized_model.hpp"
#include "time_loop.hpp"

#include <cmath>

using namespace jj;

namespace {

constexpr MethodMenu menu = MethodMenu::five_methods;

// tau must be able to reach n h by repeated addition of h.
AnswerCheck<int> reachable_end(double h) {
  return [h](int n) {
    return addition_advances(n * h, h)
               ? std::string()
               : "a number of steps n whose end n h is a finite time tau can reach by adding h";
  };
}

// The final state is discarded, but must be computed: an opaque use of it
// keeps the compiler from dropping the whole integration.
void consume(const JunctionState& y) { asm volatile("" : : "g"(y[0]), "g"(y[1]) : "memory"); }

}  // namespace

int main() {
  return run_program("jj_bench", [] {
    Dialogue dialogue;
    const double h = ask_mesh_length(dialogue);
    const IntegrationMethod method = ask_method(dialogue, menu);
    const int n = dialogue.ask_int("Numero mesh step? ", reachable_end(h));
    const double T = n * h;

    JunctionState y{0.0, 0.0};
    MultistepHistory<2> history;
    const auto timing_problem = [](double tau, const JunctionState& state, int k) {
      return fixed_normalized_derivative(tau, state, k);
    };
    dialogue.say("Iniziato. Ore: %s\n", time_stamp().c_str());
    with_stepper(method, timing_problem, history, [&](const auto& step) {
      step.start(0.0, y, h, start_depth(menu));
      integrate_span(step, y, 0.0, T, h);
    });
    dialogue.say("Finito. Ore: %s\n", time_stamp().c_str());
    consume(y);
  });
}
