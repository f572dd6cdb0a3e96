// Load and unload of the library.
#include "cleanup.hpp"
#include "disphelper.h"
#include "xcore.h"

#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  switch (reason) {
    case DLL_PROCESS_ATTACH:
      xCoreInit();
      // The dispatch layer initialises COM on the loading thread, whose
      // apartment the automation objects are then used from; text mode ANSI.
      tarvo::disp::Initialise(true, false);
      tarvo::cleanup_list_create();
      break;
    case DLL_PROCESS_DETACH:
      // The release records first: a daemon thread still running calls into
      // the collected heap and the native window layer, so it ends before
      // they go.
      tarvo::cleanup_list_run_and_destroy();
      xCoreUnit();
      break;
    default:
      break;
  }
  return TRUE;
}
