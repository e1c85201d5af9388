// The averaging window of the IV characteristics: the voltage is averaged
// over T_avg after a discarded transient T_tr, both whole numbers of mesh
// steps.
#pragma once

#include "dialogue.hpp"

namespace jj {

struct AveragingSpans {
  int N_avg = 0, N_tr = 0;     // mesh steps
  double T_avg = 0, T_tr = 0;  // N h, in rad
};

// "Tempo su cui mediare (rad) ? ", "Tempo da scartare come transiente (rad) ? "
// and the echo of both spans in mesh steps (the group's title and unit lines
// are the program's). The window must hold at least one mesh step, since the
// mean divides by it, and tau must advance by h up to the window's end.
AveragingSpans ask_averaging_spans(Dialogue& dialogue, double h);

}  // namespace jj
