// The two method menus: all five methods, or Runge-Kutta and Adams III alone
// with the shorter start-up of two backward steps.
#pragma once

#include "dialogue.hpp"
#include "integrators.hpp"

#include <optional>

namespace jj {

enum class MethodMenu { five_methods, two_methods };

// Name written after "# Integrazione numerica via metodo di ".
const char* method_name(IntegrationMethod method, MethodMenu menu);

// The method of a menu answer, or nothing when the menu has no such entry.
std::optional<IntegrationMethod> method_from_menu(int answer, MethodMenu menu);

// Backward steps of the start-up: every history row an offered method reads.
constexpr int start_depth(MethodMenu menu) { return menu == MethodMenu::five_methods ? 5 : 2; }

// Prints the menu and reads the method.
IntegrationMethod ask_method(Dialogue& dialogue, MethodMenu menu);

}  // namespace jj
