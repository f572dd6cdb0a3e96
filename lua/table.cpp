#include "table.hpp"

namespace tarvo::lua {

namespace {
// Registry keys of the compiled chunks, one per kind.
const char kListChunk = 0;
const char kRecordChunk = 0;
}  // namespace

// The chunk is compiled once per state and kept in the state's registry; it
// looks BasicLib up afresh on every run.
bool push_new_table(lua_State *L, TableKind kind) {
  bool list = kind == TableKind::List;
  const void *key = list ? &kListChunk : &kRecordChunk;
  int top = api.lua_gettop(L);
  if (api.lua_rawgetp(L, LUA_REGISTRYINDEX, key) != LUA_TFUNCTION) {
    api.lua_settop(L, top);
    if (api.luaL_loadstring(L, list ? "return BasicLib.NewTable(1)" : "return BasicLib.NewTable(2)") != LUA_OK)
      return false;  // the load error stands where the table should be
    api.lua_pushvalue(L, -1);
    api.lua_rawsetp(L, LUA_REGISTRYINDEX, key);
  }
  api.lua_pcallk(L, 0, LUA_MULTRET, 0, 0, nullptr);
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
