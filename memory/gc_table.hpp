// The collector's table of registered blocks: open addressing keyed by the
// block address, Robin Hood probing and back-shift removal (no tombstones),
// sized from a fixed list of primes.
#pragma once

#include "xgc.h"

#include <cstddef>
#include <cstdint>

namespace tarvo::gc {

using State = xCoreGcState;
using Item = xCoreGcItem;

// A new state (the documented defaults, no table yet) with room for small
// tables and release lists beside it, or null; and its release with every
// table it still holds.
State *create_state(void *bottom);
void destroy_state(State *s);

// Storage for a release list of `count` items (null if it cannot be
// allocated), and its release. Small lists need no allocation.
Item *acquire_frees(State &s, size_t count);
void release_frees(State &s, Item *frees);

// The table size for n items at the state's load factor.
size_t ideal_size(const State &s, size_t n);

// Rehashes into a zeroed table of `slots` slots; false (old table kept) when
// it cannot be allocated.
bool resize(State &s, size_t slots);

// Grows for one more item if needed; false when the table cannot grow.
bool reserve_one_more(State &s);

// Shrinks to the ideal size when that is smaller; a failed shrink keeps the
// larger table, which stays valid.
void shrink_to_fit(State &s);

// Stores an item that is not in the table yet; room must have been made.
void place(State &s, Item item);

// The slot holding the block that starts at `address`, or null.
Item *find(const State &s, uintptr_t address);

// Empties the slot and shifts the following displaced items back.
void erase_slot(State &s, size_t slot);

// Forgets a block (clears it from the running sweep's release list too):
// back-shift removal, shrink, threshold nitems * 1.5 + 1. False if unknown.
bool forget(State &s, void *p);

}  // namespace tarvo::gc
