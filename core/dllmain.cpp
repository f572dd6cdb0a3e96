// Load and unload of the library.
#include "cleanup.hpp"
#include "xcore.h"

#include <windows.h>
#include <objbase.h>

namespace {
bool g_com_initialised = false;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  switch (reason) {
    case DLL_PROCESS_ATTACH:
      xCoreInit();
      // The loading thread's apartment; automation objects are used from it.
      g_com_initialised = SUCCEEDED(CoInitialize(nullptr));
      tarvo::cleanup_list_create();
      break;
    case DLL_PROCESS_DETACH:
      xCoreUnit();
      tarvo::cleanup_list_run_and_destroy();
      (void)g_com_initialised;
      break;
    default:
      break;
  }
  return TRUE;
}
