// The collected heap's exports. Every export is safe while the collector does
// not run: allocation falls back to the plain C runtime, the rest does
// nothing (see xgc.h).
#include "gc_collect.hpp"
#include "lifecycle.hpp"
#include "xgc.h"

#include <cstdint>
#include <cstdlib>

namespace {

using tarvo::gc::Item;
using tarvo::gc::State;

State *running() { return static_cast<State *>(xCore.GcHeap); }

void note_range(State &s, void *p, size_t size) {
  auto start = reinterpret_cast<uintptr_t>(p);
  uintptr_t end = start + size;
  if (end < start) end = UINTPTR_MAX;
  if (start < s.minptr) s.minptr = start;
  if (end > s.maxptr) s.maxptr = end;
}

// Registers a block allocated with the C runtime. On failure the block is
// left alone and null returned; the caller decides whether to release it.
void *add(State &s, void *p, size_t size, uint32_t flags, xCoreGcDtor dtor) {
  if (tarvo::gc::find(s, reinterpret_cast<uintptr_t>(p))) return p;
  if (!tarvo::gc::reserve_one_more(s)) return nullptr;
  s.nitems += 1;
  note_range(s, p, size);
  tarvo::gc::place(s, Item{p, flags & ~static_cast<uint32_t>(XCORE_GC_MARK), size, 0, dtor});
  if (!s.paused && s.nitems > s.mitems) {
    // The only reference to the new block may be this frame's.
    void *volatile keep = p;
    tarvo::gc::collect(s);
    p = keep;
  }
  return p;
}

// A fresh block of the C runtime, registered; released again when the table
// cannot take it.
void *add_fresh(State *s, void *p, size_t size) {
  if (!s || !p) return p;
  if (add(*s, p, size, 0, nullptr)) return p;
  std::free(p);
  return nullptr;
}

}  // namespace

extern "C" {

void *xCore_GC_Start(void *stack_bottom) {
  if (State *s = running()) return s;
  State *s = tarvo::gc::create_state(stack_bottom ? stack_bottom : tarvo::gc::thread_stack_base());
  if (!s) return nullptr;
  xCore.GcHeap = s;
  xCore.malloc = xCore_GC_malloc;
  xCore.calloc = xCore_GC_calloc;
  xCore.realloc = xCore_GC_realloc;
  xCore.free = xCore_GC_free;
  return s;
}

void xCore_GC_Stop(void) {
  // From a dtor the release list is still being walked; stopping then would
  // pull the state from under it.
  if (tarvo::gc::collecting()) return;
  tarvo::use_runtime_allocator();
  State *s = running();
  if (!s) return;
  tarvo::gc::sweep(*s);
  tarvo::gc::destroy_state(s);
  xCore.GcHeap = nullptr;
}

void xCore_GC_Pause(void) {
  if (State *s = running()) s->paused = 1;
}

void xCore_GC_Resume(void) {
  if (State *s = running()) s->paused = 0;
}

void xCore_GC_Run(void) {
  if (State *s = running()) tarvo::gc::collect(*s);
}

void *xCore_GC_Add(void *p, uint32_t size, uint32_t flags, xCoreGcDtor dtor) {
  State *s = running();
  if (!s || !p) return p;
  if (add(*s, p, size, flags, dtor)) return p;
  std::free(p);
  return nullptr;
}

void xCore_GC_Remove(void *p) {
  if (State *s = running(); s && p) tarvo::gc::forget(*s, p);
}

void *xCore_GC_GetStackTop(void) {
  State *s = running();
  return s ? s->bottom : nullptr;
}

void *xCore_GC_SetStackTop(void *top) {
  State *s = running();
  if (s) s->bottom = top ? top : tarvo::gc::thread_stack_base();
  return s;
}

void *xCore_GC_malloc(size_t size) { return add_fresh(running(), std::malloc(size), size); }

void *xCore_GC_calloc(size_t count, size_t size) {
  // calloc refuses a product that overflows, so the product is the size.
  return add_fresh(running(), std::calloc(count, size), count * size);
}

void *xCore_GC_realloc(void *p, size_t size) {
  State *s = running();
  if (!s) return std::realloc(p, size);
  if (!p) return add_fresh(s, std::malloc(size), size);
  Item *item = tarvo::gc::find(*s, reinterpret_cast<uintptr_t>(p));
  if (!item) return std::realloc(p, size);
  if (size == 0) {
    tarvo::gc::forget(*s, p);
    std::free(p);
    return nullptr;
  }
  void *q = std::realloc(p, size);
  if (!q) return nullptr;  // p is untouched and stays registered
  if (q == p) {
    item->size = size;
    note_range(*s, q, size);
    return q;
  }
  // Moved: the entry moves with it. Taking the old entry out without
  // shrinking leaves room for the new one, so registering cannot fail here.
  Item old = *item;
  tarvo::gc::erase_slot(*s, static_cast<size_t>(item - s->items));
  s->nitems -= 1;
  add(*s, q, size, old.flags, old.dtor);
  return q;
}

void xCore_GC_free(void *p) {
  State *s = running();
  if (!s || !p) return;
  Item *item = tarvo::gc::find(*s, reinterpret_cast<uintptr_t>(p));
  if (!item) return;
  // Forgotten before the dtor runs, so a dtor that releases the block itself
  // finds nothing to release twice.
  xCoreGcDtor dtor = item->dtor;
  tarvo::gc::forget(*s, p);
  if (dtor) dtor(p);
  std::free(p);
}

}  // extern "C"
