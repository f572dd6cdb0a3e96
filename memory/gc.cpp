// Interim: the collector arrives with the collected-heap work; until then the
// exports behave as if it were never started.
#include "xgc.h"
#include <cstdlib>
extern "C" {
void *xCore_GC_Start(void *) { return nullptr; }
void xCore_GC_Stop(void) {}
void xCore_GC_Pause(void) {}
void xCore_GC_Resume(void) {}
void xCore_GC_Run(void) {}
void *xCore_GC_Add(void *p, uint32_t, uint32_t, void (*)(void *)) { return p; }
void xCore_GC_Remove(void *) {}
void *xCore_GC_GetStackTop(void) { return nullptr; }
void *xCore_GC_SetStackTop(void *) { return nullptr; }
void *xCore_GC_malloc(size_t n) { return std::malloc(n); }
void *xCore_GC_calloc(size_t c, size_t n) { return std::calloc(c, n); }
void *xCore_GC_realloc(void *p, size_t n) { return std::realloc(p, n); }
void xCore_GC_free(void *) {}
}
