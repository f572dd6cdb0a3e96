// The keyboard/input-method switch on a window, with the saved layout and
// input context kept by the caller: IME_Disable/IME_Enable keep theirs in the
// core record, the HTML host's page functions their own.
#pragma once

namespace tarvo {

struct ImeSaved {
  void *layout = nullptr;   // the keyboard layout active before the switch
  void *context = nullptr;  // the window's input context, detached
};

// US English keyboard and no input context for the window; what was active
// is saved once, so a second call keeps the first saved state.
void ime_off(void *hwnd, ImeSaved &saved);
// Puts back what ime_off saved and forgets it.
void ime_on(void *hwnd, ImeSaved &saved);

}  // namespace tarvo
