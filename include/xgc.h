/* The collected heap: an optional conservative mark-and-sweep collector that
 * owns every library result while it runs. */
#ifndef TARVO_XGC_H
#define TARVO_XGC_H

#include "tarvo_api.h"

#ifdef __cplusplus
extern "C" {
#endif

enum { XCORE_GC_MARK = 1, XCORE_GC_ROOT = 2, XCORE_GC_LEAF = 4 };

TARVO_API void *xCore_GC_Start(void *stack_bottom);
TARVO_API void xCore_GC_Stop(void);
TARVO_API void xCore_GC_Pause(void);
TARVO_API void xCore_GC_Resume(void);
TARVO_API void xCore_GC_Run(void);
TARVO_API void *xCore_GC_Add(void *p, uint32_t size, uint32_t flags, void (*dtor)(void *));
TARVO_API void xCore_GC_Remove(void *p);
TARVO_API void *xCore_GC_GetStackTop(void);
TARVO_API void *xCore_GC_SetStackTop(void *top);
TARVO_API void *xCore_GC_malloc(size_t size);
TARVO_API void *xCore_GC_calloc(size_t count, size_t size);
TARVO_API void *xCore_GC_realloc(void *p, size_t size);
TARVO_API void xCore_GC_free(void *p);

#ifdef __cplusplus
}
#endif
#endif
