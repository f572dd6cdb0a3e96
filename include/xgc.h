/* The collected heap: an optional conservative mark-and-sweep collector that
 * owns every library result while it runs.
 *
 * While it runs, the record's malloc/calloc/realloc/free slots hold
 * xCore_GC_malloc/calloc/realloc/free, so every block the library hands out
 * is registered. A registered block is kept while its start address is found
 * in a word of the registering thread's stack (between the current position
 * and the stack bottom in use), in its saved registers, or in a kept block
 * that is scanned (roots, and blocks reached from them, unless flagged leaf).
 * A pointer into the middle of a block does not keep it. Memory outside the
 * stack and the registered blocks (globals, the C runtime heap, the xCore
 * record's sRet) is not scanned: copy what must outlive a collection.
 *
 * One thread is served: a collection started on a thread whose stack does not
 * hold the registered bottom sees no stack, so it keeps every block and
 * releases nothing. There is no lock. */
#ifndef TARVO_XGC_H
#define TARVO_XGC_H

#include "xcore.h"

#ifdef __cplusplus
extern "C" {
#endif

enum { XCORE_GC_MARK = 1, XCORE_GC_ROOT = 2, XCORE_GC_LEAF = 4 };

/* One slot of the collector's open-addressing table. */
typedef struct xCoreGcItem {
  void *ptr;         /* start of the block */
  uint32_t flags;    /* XCORE_GC_MARK | XCORE_GC_ROOT | XCORE_GC_LEAF */
  size_t size;       /* bytes of the block */
  size_t hash;       /* home slot + 1; 0 = empty slot */
  xCoreGcDtor dtor;  /* called with ptr just before the block is released */
} xCoreGcItem;

/* The collector's state; xCore.GcHeap points to it while it runs. */
typedef struct xCoreGcState {
  void *bottom;        /* where stack scanning ends (the outermost frame) */
  uint32_t paused;     /* 1 while automatic collection is suspended */
  uintptr_t minptr;    /* lowest block address ever registered */
  uintptr_t maxptr;    /* highest block end ever registered */
  xCoreGcItem *items;  /* the table: Robin Hood probing, back-shift removal */
  xCoreGcItem *frees;  /* blocks chosen for release by the running sweep */
  double loadfactor;   /* 0.9 */
  double sweepfactor;  /* 0.5 */
  size_t nitems;       /* registered blocks */
  size_t nslots;       /* slots in the table */
  size_t mitems;       /* a registration passing this count collects */
  size_t nfrees;       /* entries in frees */
} xCoreGcState;

/* Starts the collector and returns its state (an xCoreGcState); when it runs
 * already, returns the existing state and changes nothing. A null bottom
 * means the base of the calling thread's stack, so that every frame of that
 * thread, the caller's own included, is scanned. Null if the state cannot be
 * allocated. */
TARVO_API void *xCore_GC_Start(void *stack_bottom);

/* Puts the C runtime allocator and xCore_free back into the record, releases
 * every registered block that is not a root (dtors called) and the state.
 * Roots stay allocated and belong to the caller again. Harmless when the
 * collector does not run. */
TARVO_API void xCore_GC_Stop(void);

/* Suspends automatic collection; a no-op when not running. */
TARVO_API void xCore_GC_Pause(void);
/* Allows automatic collection again; a no-op when not running. */
TARVO_API void xCore_GC_Resume(void);

/* One collection now, paused or not; a no-op when not running or when called
 * from inside a collection (a dtor). */
TARVO_API void xCore_GC_Run(void);

/* Registers a block allocated with the C runtime. Returns p; null after
 * releasing the block when the table cannot grow. A block registered already
 * keeps its entry unchanged. When the collector does not run, nothing is
 * registered and p is returned: the block stays the caller's. */
TARVO_API void *xCore_GC_Add(void *p, uint32_t size, uint32_t flags, xCoreGcDtor dtor);

/* Forgets a block without releasing it; a no-op for unknown blocks or when
 * not running. */
TARVO_API void xCore_GC_Remove(void *p);

/* The stack bottom in use; null when not running. */
TARVO_API void *xCore_GC_GetStackTop(void);

/* Replaces the stack bottom (null = the calling thread's stack base) and
 * returns the state; null and nothing changes when not running. */
TARVO_API void *xCore_GC_SetStackTop(void *top);

/* C runtime allocation registered with flags 0 and no dtor; null on failure.
 * When the collector does not run, plain C runtime allocation (release with
 * xCore_free). */
TARVO_API void *xCore_GC_malloc(size_t size);
TARVO_API void *xCore_GC_calloc(size_t count, size_t size);

/* Reallocates with the C runtime. A registered block keeps its flags and dtor
 * at its new address. Size 0 releases a registered block (no dtor) and
 * returns null. When the reallocation fails, null is returned and the old
 * block stays allocated and registered. An unregistered block is reallocated
 * and returned unregistered; it stays the caller's (likewise for every block
 * while the collector does not run). */
TARVO_API void *xCore_GC_realloc(void *p, size_t size);

/* Releases a registered block: forgets it, calls its dtor, frees it. An
 * unregistered address (and everything while not running) is ignored. */
TARVO_API void xCore_GC_free(void *p);

#ifdef __cplusplus
}
#endif
#endif
