#include "table.hpp"

namespace tarvo::lua {

bool push_new_table(lua_State *L, TableKind kind) {
  const char *chunk = kind == TableKind::List ? "return BasicLib.NewTable(1)" : "return BasicLib.NewTable(2)";
  int top = api.lua_gettop(L);
  if (api.luaL_loadstring(L, chunk) == LUA_OK) api.lua_pcallk(L, 0, LUA_MULTRET, 0, 0, nullptr);
  // A NewTable that returns nothing (or several values) still leaves one.
  if (api.lua_gettop(L) == top) api.lua_pushnil(L);
  if (api.lua_gettop(L) > top + 1) api.lua_settop(L, top + 1);
  return api.lua_type(L, -1) == LUA_TTABLE;
}

void push_new_table_or_raise(lua_State *L, TableKind kind) {
  if (push_new_table(L, kind)) return;
  if (api.lua_type(L, -1) == LUA_TSTRING) api.lua_error(L);
  api.luaL_error(L, "BasicLib.NewTable(%d) returned no table", static_cast<int>(kind));
}

}  // namespace tarvo::lua
