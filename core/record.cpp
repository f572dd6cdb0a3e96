// The exported core record, its initialisation and the release rule.
#include "runtime.hpp"
#include "xstring.h"
#include "xgc.h"
#include "lifecycle.hpp"

#include <windows.h>

#include <cstdlib>

namespace {
// Eight zero bytes: an empty ANSI, UTF-8, UTF-16 and UTF-32 text at once.
alignas(8) const char kEmptyString[8] = {};

void *__cdecl crt_malloc(size_t n) { return std::malloc(n); }
void *__cdecl crt_calloc(size_t c, size_t n) { return std::calloc(c, n); }
void *__cdecl crt_realloc(void *p, size_t n) { return std::realloc(p, n); }
}  // namespace

extern "C" {

xCoreRecord xCore = {};

void xCore_free(void *p) {
  if (p == kEmptyString) return;
  // A result obtained while the collector runs is registered with it; left
  // in its table, the block would be released a second time by a sweep.
  if (p && xCore.GcHeap) xCore_GC_Remove(p);
  std::free(p);
}

void xCoreInit(void) {
  xCore.Stamp = 256;
  xCore.EmptyString = kEmptyString;
  xCore.GcHeap = nullptr;
  xCore.SysBits = static_cast<uint32_t>(xCore_SysBits());
  xCore.sRet = const_cast<char *>(kEmptyString);
  xCore.iRetSize = 0;
  xCore.iRet = 0;
  xCore.iRet64 = 0;
  xCore.dRet = 0.0;
  xCore.LastErrorID = 0;
  xCore.LastError = kEmptyString;
  xCore.SavedKeyboardLayout = nullptr;
  xCore.SavedImeContext = nullptr;
  tarvo::use_runtime_allocator();
  xCore.AppFile = xCore_AppFileA();
  xCore.AppPath = xCore_AppPathA();
  xCore.ModPath = xCore_ModPathA(nullptr);
  xCore.GC_Start = xCore_GC_Start;
  xCore.GC_Stop = xCore_GC_Stop;
  xCore.GC_Pause = xCore_GC_Pause;
  xCore.GC_Resume = xCore_GC_Resume;
  xCore.GC_Run = xCore_GC_Run;
  xCore.GC_Add = xCore_GC_Add;
  xCore.GC_Remove = xCore_GC_Remove;
  xCore.A2W = xCore_A2W;
  xCore.W2A = xCore_W2A;
  xCore.U2W = xCore_U2W;
  xCore.W2U = xCore_W2U;
  xCore.A2U = xCore_A2U;
  xCore.U2A = xCore_U2A;
  tarvo::run_init_hooks();
  std::srand(GetTickCount());
}

void xCoreUnit(void) {
  xCore_GC_Stop();
  tarvo::run_unit_hooks();
}

}  // extern "C"

namespace tarvo {

void use_runtime_allocator() {
  xCore.malloc = crt_malloc;
  xCore.calloc = crt_calloc;
  xCore.realloc = crt_realloc;
  xCore.free = xCore_free;
}

}  // namespace tarvo
