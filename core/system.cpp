// Bitness, random numbers and the keyboard/input-method switch.
#include "runtime.hpp"

#include <windows.h>
#include <imm.h>

#include <cstdlib>

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
  if (!xCore.SavedKeyboardLayout) xCore.SavedKeyboardLayout = GetKeyboardLayout(0);
  LoadKeyboardLayoutW(L"00000409", KLF_ACTIVATE);
  if (xCore.SavedImeContext) return 1;
  xCore.SavedImeContext = ImmAssociateContext(static_cast<HWND>(hwnd), nullptr);
  return 1;
}

int32_t IME_Enable(void *hwnd) {
  if (xCore.SavedKeyboardLayout) {
    ActivateKeyboardLayout(static_cast<HKL>(xCore.SavedKeyboardLayout), 0);
    xCore.SavedKeyboardLayout = nullptr;
  }
  if (xCore.SavedImeContext) {
    ImmAssociateContext(static_cast<HWND>(hwnd), static_cast<HIMC>(xCore.SavedImeContext));
    xCore.SavedImeContext = nullptr;
  }
  return 1;
}

}  // extern "C"
