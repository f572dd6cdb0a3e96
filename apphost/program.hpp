// What the programs (apphost, launcher) share: library text taken into a
// string, and the runtime started and stopped around their work.
#pragma once

#include "xcore.h"

#include <string>

namespace tarvo::program {

// A library text result as a string; the result is released, also when the
// copy cannot be made.
inline std::wstring take(wchar_t *p) {
  struct Owned {
    wchar_t *p;
    ~Owned() { xCore_free(p); }
  } const owned{p};
  return owned.p ? owned.p : L"";
}

// Runs the program's work between the runtime's start and stop; out of
// memory ends the work quietly. The exit code is always 0.
inline int main_of(void (*work)()) {
  xCoreInit();
  try {
    work();
  } catch (...) {
  }
  xCoreUnit();
  return 0;
}

}  // namespace tarvo::program
