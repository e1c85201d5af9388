#include "voltage_average.hpp"

#include "time_loop.hpp"

#include <algorithm>
#include <cmath>

namespace jj {

AveragingSpans ask_averaging_spans(Dialogue& dialogue, double h) {
  AveragingSpans a;
  const double T_avg_in = dialogue.ask_double("Tempo su cui mediare (rad) ? ", [h](double T) {
    return span_fits_int(T, h) && span_to_steps(T, h) >= 1
               ? std::string()
               : "a span of at least half a mesh step and at most 2147483647 mesh steps";
  });
  a.N_avg = span_to_steps(T_avg_in, h);
  a.T_avg = a.N_avg * h;
  const double T_avg = a.T_avg;
  const double T_tr_in =
      dialogue.ask_double("Tempo da scartare come transiente (rad) ? ", [h, T_avg](double T) {
        const bool fits = span_fits_int(T, h);
        const double T_tr = fits ? span_to_steps(T, h) * h : 0;
        return fits && addition_advances(std::max(std::fabs(T_tr), std::fabs(T_tr + T_avg)), h)
                   ? std::string()
                   : "a span of at most 2147483647 mesh steps, short enough for tau to "
                     "advance by h up to its end";
      });
  a.N_tr = span_to_steps(T_tr_in, h);
  a.T_tr = a.N_tr * h;
  dialogue.say("Media su %lf rad (%d mesh steps) dopo transiente di %lf rad (%d mesh steps)\n",
               a.T_avg, a.N_avg, a.T_tr, a.N_tr);
  return a;
}

}  // namespace jj
