/* The stand-in host's API table with lua_upvaluejoin withheld. */
#include <string.h>

#define GetApiTable full_api_table
#include "../../standins/lunhost/get_api_table.c"
#undef GetApiTable

__declspec(dllexport) int GetApiTable(const char *name, void **slot) {
  int found = full_api_table(name, slot);
  if (slot && name && strcmp(name, "lua_upvaluejoin") == 0) {
    *slot = NULL;
    return 0;
  }
  return found;
}
