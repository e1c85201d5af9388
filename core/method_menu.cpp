#include "method_menu.hpp"

namespace jj {

const char* method_name(IntegrationMethod method, MethodMenu menu) {
  if (menu == MethodMenu::two_methods)
    return method == IntegrationMethod::adams3 ? "Adams" : "Runge-Kutta quarto ordine";
  switch (method) {
    case IntegrationMethod::adams3: return "Adams III ordine";
    case IntegrationMethod::adams4: return "Adams IV ordine";
    case IntegrationMethod::adams_moulton5: return "Adams-Moulton V ordine";
    case IntegrationMethod::adams_moulton6: return "Adams-Moulton VI ordine";
    case IntegrationMethod::runge_kutta4: break;
  }
  return "Runge-Kutta IV ordine";
}

std::optional<IntegrationMethod> method_from_menu(int answer, MethodMenu menu) {
  const int last = menu == MethodMenu::five_methods ? 4 : 1;
  if (answer < 0 || answer > last) return std::nullopt;
  return static_cast<IntegrationMethod>(answer);
}

IntegrationMethod ask_method(Dialogue& dialogue, MethodMenu menu) {
  if (menu == MethodMenu::five_methods)
    return *method_from_menu(
        dialogue.ask_choice("Metodo di integrazione (0 == Runge-Kutta IV, 1 == Adams III, "
                            "2 == Adams IV, 3 == Adams-Moulton V, 4 == Adams-Moulton VI) ? ",
                            0, 4),
        menu);
  dialogue.say("0 = Runge-Kutta, 1 = Adams\n");
  return *method_from_menu(dialogue.ask_choice("Metodo di integrazione ? ", 0, 1), menu);
}

}  // namespace jj
