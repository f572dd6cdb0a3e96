#include "lifecycle.hpp"

#include <array>
#include <cstddef>

namespace tarvo {
namespace {

// Fixed-size so that registration from static initialisers needs no allocation.
struct StepList {
  std::array<LifecycleStep, 8> steps{};
  size_t count = 0;
  bool add(LifecycleStep s) {
    if (count == steps.size()) return false;
    steps[count++] = s;
    return true;
  }
  void run() const {
    for (size_t i = 0; i < count; ++i) steps[i]();
  }
};

StepList &init_steps() {
  static StepList list;
  return list;
}
StepList &unit_steps() {
  static StepList list;
  return list;
}

}  // namespace

bool add_init_hook(LifecycleStep step) { return init_steps().add(step); }
bool add_unit_hook(LifecycleStep step) { return unit_steps().add(step); }
void run_init_hooks() { init_steps().run(); }
void run_unit_hooks() { unit_steps().run(); }

}  // namespace tarvo
