#include "physical_model.hpp"

namespace jj {

BetaCLaw beta_c_law(ResistanceLaw law) {
  switch (law) {
    case ResistanceLaw::piecewise: return beta_c_piecewise;
    case ResistanceLaw::continuous: return beta_c_continuous;
    case ResistanceLaw::constant: break;
  }
  return beta_c_constant;
}

double voltage_scale(const PhysicalParams& p, int answer) {
  switch (VoltageUnit(answer)) {
    case VoltageUnit::millivolt: return p.V_plasma;
    case VoltageUnit::plasma_voltage: return 1.0;
    case VoltageUnit::characteristic_voltage: return 1.0 / std::sqrt(p.BetaC_normal);
  }
  return 0.0;
}

double current_scale(const PhysicalParams& p, int answer) {
  switch (CurrentUnit(answer)) {
    case CurrentUnit::milliampere: return p.I_c;
    case CurrentUnit::critical_current: return 1.0;
  }
  return 0.0;
}

double time_scale(const PhysicalParams& p, int answer) {
  switch (TimeUnit(answer)) {
    case TimeUnit::second: return 1.0 / p.omega_p;
    case TimeUnit::plasma_period: return 1.0;
    case TimeUnit::characteristic_period: return std::sqrt(p.BetaC_normal);
  }
  return 0.0;
}

}  // namespace jj
