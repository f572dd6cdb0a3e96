// Bitness, random numbers and the keyboard/input-method switch.
#include "ime.hpp"
#include "runtime.hpp"

#include <windows.h>
#include <imm.h>

#include <cstdlib>

void tarvo::ime_off(void *hwnd, ImeSaved &saved) {
  if (!saved.layout) saved.layout = GetKeyboardLayout(0);
  LoadKeyboardLayoutW(L"00000409", KLF_ACTIVATE);
  if (saved.context) return;
  saved.context = ImmAssociateContext(static_cast<HWND>(hwnd), nullptr);
}

void tarvo::ime_on(void *hwnd, ImeSaved &saved) {
  if (saved.layout) {
    ActivateKeyboardLayout(static_cast<HKL>(saved.layout), 0);
    saved.layout = nullptr;
  }
  if (saved.context) {
    ImmAssociateContext(static_cast<HWND>(hwnd), static_cast<HIMC>(saved.context));
    saved.context = nullptr;
  }
}

extern "C" {

int32_t xCore_SysBits(void) {
  SYSTEM_INFO info{};
  GetNativeSystemInfo(&info);
  WORD arch = info.wProcessorArchitecture;
  return (arch == PROCESSOR_ARCHITECTURE_AMD64 || arch == PROCESSOR_ARCHITECTURE_IA64) ? 64 : 32;
}

// [min, max) from rand(); the span is computed in 64 bits so that the widest
// bounds do not overflow.
int32_t xCore_Rand(int32_t a, int32_t b) {
  if (a == b) return a;
  int64_t lo = a < b ? a : b;
  int64_t span = (a < b ? b : a) - lo;
  return static_cast<int32_t>(lo + std::rand() % span);
}

int32_t IME_Disable(void *hwnd) {
  tarvo::ImeSaved saved{xCore.SavedKeyboardLayout, xCore.SavedImeContext};
  tarvo::ime_off(hwnd, saved);
  xCore.SavedKeyboardLayout = saved.layout;
  xCore.SavedImeContext = saved.context;
  return 1;
}

int32_t IME_Enable(void *hwnd) {
  tarvo::ImeSaved saved{xCore.SavedKeyboardLayout, xCore.SavedImeContext};
  tarvo::ime_on(hwnd, saved);
  xCore.SavedKeyboardLayout = saved.layout;
  xCore.SavedImeContext = saved.context;
  return 1;
}

}  // extern "C"
