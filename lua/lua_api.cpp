// Resolution of the Lua C API from the engine's host DLL.
#include "lua_api.hpp"

#include <windows.h>

namespace tarvo::lua {

LuaApi api;

namespace {

// The discarded names are still asked for; their addresses land here.
void *g_discarded = nullptr;

#define TARVO_LUA_KEPT(name, R, P) {#name, reinterpret_cast<void **>(&api.name), true},
#define TARVO_LUA_DISCARDED(name) {#name, &g_discarded, false},
const LuaApiName g_names[] = {TARVO_LUA_API(TARVO_LUA_KEPT, TARVO_LUA_DISCARDED)};
#undef TARVO_LUA_KEPT
#undef TARVO_LUA_DISCARDED

static_assert(sizeof(g_names) / sizeof(g_names[0]) == kLuaApiNameCount);

using GetApiTableFn = int (*)(const char *name, void **slot);

}  // namespace

const LuaApiName *lua_api_names() { return g_names; }

bool resolve_lua_api() {
  HMODULE host = GetModuleHandleW(L"Lunhost.dll");
  if (!host) return false;
  auto get = reinterpret_cast<GetApiTableFn>(GetProcAddress(host, "GetApiTable"));
  if (!get) return false;
  const LuaApiName *names = lua_api_names();
  for (int i = 0; i < kLuaApiNameCount; ++i) {
    *names[i].slot = nullptr;
    get(names[i].name, names[i].slot);
  }
  return true;
}

const char *missing_lua_api() {
  for (const LuaApiName &n : g_names)
    if (n.kept && !*n.slot) return n.name;
  return nullptr;
}

}  // namespace tarvo::lua
