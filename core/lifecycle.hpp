// Steps that later layers attach to the library's load and unload. The native
// window layer registers here so the core does not depend on it.
#pragma once

namespace tarvo {

using LifecycleStep = void (*)();

// Puts the C runtime's allocator and xCore_free back into the record's slots.
void use_runtime_allocator();

// Registered from static initialisers; run by xCoreInit / xCoreUnit in order.
bool add_init_hook(LifecycleStep step);
bool add_unit_hook(LifecycleStep step);
void run_init_hooks();
void run_unit_hooks();

}  // namespace tarvo
