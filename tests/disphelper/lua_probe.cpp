// A helper the Lua tests load with package.loadlib: it creates an automation
// object and hands its handle to the script, since no family of the module
// creates objects of the test server.
#include "disphelper.h"
#include "lua_api.hpp"

#include <string>

using tarvo::lua::api;

// CreateObject(progid) -> handle (0 on failure), owned by the script.
extern "C" __declspec(dllexport) int tarvo_com_probe_create(lua_State *L) {
  if (!api.lua_tolstring && !tarvo::lua::resolve_lua_api()) return 0;
  const char *progid = api.lua_tolstring(L, 1, nullptr);
  std::wstring wide;
  for (const char *p = progid ? progid : ""; *p; ++p) wide += static_cast<wchar_t>(*p);  // ASCII ProgIDs
  IDispatch *object = nullptr;
  tarvo::disp::CreateObject(wide.c_str(), nullptr, &object);
  api.lua_pushinteger(L, static_cast<tarvo::lua::lua_Integer>(reinterpret_cast<intptr_t>(object)));
  return 1;
}
