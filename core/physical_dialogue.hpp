// The questions that the two physical-unit programs share (junction, bias,
// output units) and the model lines of their headers. Each block fills
// PhysicalParams and computes the derived quantities as soon as their
// answers are known, echoing them on the console.
#pragma once

#include "data_file.hpp"
#include "dialogue.hpp"
#include "physical_model.hpp"

namespace jj {

// Ic and C (then omega_p), the resistance law, its resistances and gap
// voltages (then omega_c or the BetaC values); selects the law and computes
// V_plasma, v_gap and v_depth.
void ask_junction_parameters(Dialogue& dialogue, PhysicalParams& p);

// The rf switch and, when it is 1, the rf frequency (then Omega1 and the
// voltage of the harmonic steps) and amplitude.
void ask_bias_parameters(Dialogue& dialogue, PhysicalParams& p);
// The same block opened by the dc bias current, for the trajectory program.
void ask_bias_parameters_with_dc_current(Dialogue& dialogue, PhysicalParams& p);

// Units of the printed voltages and currents.
OutputScales ask_output_scales(Dialogue& dialogue, const PhysicalParams& p);
// The same block opened by the unit of the printed times.
OutputScales ask_output_scales_with_time(Dialogue& dialogue, const PhysicalParams& p);

// The resistance law with its parameters as entered, C, Ic, omega_p and the
// BetaC values (with omega_c for the constant law).
void write_model_header(DataFile& file, const PhysicalParams& p);

// "# RF I1 = ..., Omega1 = ...", only when the rf parameters were asked.
void write_rf_header(DataFile& file, const PhysicalParams& p);

}  // namespace jj
