// Collection: mark from roots, saved registers and the registering thread's
// stack, then sweep what was not reached.
#pragma once

#include "gc_table.hpp"

namespace tarvo::gc {

// Mark, then sweep. A no-op while another collection of this state is
// releasing its blocks (a dtor that allocates or collects).
void collect(State &s);

// Releases every block that is not a root, without marking (what stopping
// does). A no-op during a collection.
void sweep(State &s);

// True while a collection or sweep runs (dtors included).
bool collecting();

// The highest address of the calling thread's stack (exclusive).
void *thread_stack_base();

}  // namespace tarvo::gc
