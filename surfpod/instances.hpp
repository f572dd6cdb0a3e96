// The process-wide table of driven browsers and the companion's set-up.
//
// The table lives in the library for its whole life: a new set-up empties it
// in place (closing the old slots' process handles), so a handle from before
// reads as an empty slot instead of pointing into released memory. A handle
// is checked against the table's slots before it is read, so an address that
// is no slot is refused like null.
#pragma once

#include "xsurfpod.h"

#include <windows.h>

namespace tarvo::surfpod {

// The slot behind a handle while it holds a browser, with LastActive set to
// now; null for an invalid handle. The watcher's checks use peek (no stamp).
SurfpodInstance *use(SurfpodInstance *h);
SurfpodInstance *peek(SurfpodInstance *h);

bool has_table();
// The table's slots in index order (SURFPOD_SLOTS of them); valid once set up.
SurfpodInstance *slots();
// The first slot that holds no browser, or null.
SurfpodInstance *free_slot();
// The slot that holds this main window, or null.
SurfpodInstance *slot_of(HWND main);
// Closes the slot's process handle and clears it: the slot is free again.
void empty_slot(SurfpodInstance &s);

// Surfpod.exe in the configured folder (empty before a set-up).
const char *exe_path();

}  // namespace tarvo::surfpod
