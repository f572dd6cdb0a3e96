// Loaded by the Lua tests with package.loadlib: no family of the module creates objects of the test server.
#include "disphelper.h"
#include "lua_api.hpp"

#include <string>

// CreateObject(progid) -> handle (0 on failure), owned by the script.
extern "C" __declspec(dllexport) int tarvo_com_probe_create(lua_State *L) {
  using tarvo::lua::api;
  if (!api.lua_tolstring && !tarvo::lua::resolve_lua_api()) return 0;
  const char *progid = api.lua_tolstring(L, 1, nullptr);
  const std::string ascii = progid ? progid : "";  // ProgIDs are ASCII
  IDispatch *object = nullptr;
  tarvo::disp::CreateObject(std::wstring(ascii.begin(), ascii.end()).c_str(), nullptr, &object);
  api.lua_pushinteger(L, static_cast<tarvo::lua::lua_Integer>(reinterpret_cast<intptr_t>(object)));
  return 1;
}
