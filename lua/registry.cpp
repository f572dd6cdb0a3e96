// The module registry and the module's open function.
//
// How a family of Lua functions joins the module: write lua/<family>.cpp with
// one table of rows {"LuaName", wrap<...>} (wrap.hpp gives the shape) and one
// line `const LuaFamily <family>_family(kTable);` beside it. Nothing else is
// edited: lua/CMakeLists.txt compiles every lua/*.cpp, each family links
// itself into the list below while the library loads, and luaopen_TARVO
// registers the rows of all of them. An alias is a second row with the same
// function. A name must appear in one family only.
#include "registry.hpp"

#include <new>
#include <vector>

namespace tarvo::lua {
namespace {

// Zero-initialised before any family's constructor runs.
const LuaFamily *g_families = nullptr;

}  // namespace

LuaFamily::LuaFamily(const luaL_Reg *rows, size_t count) : rows_(rows), count_(count), next_(g_families) {
  g_families = this;
}

const luaL_Reg *registry() {
  static const std::vector<luaL_Reg> rows = [] {
    std::vector<luaL_Reg> all;
    try {
      for (const LuaFamily *f = g_families; f; f = f->next()) all.insert(all.end(), f->rows(), f->rows() + f->count());
      all.push_back({nullptr, nullptr});
    } catch (const std::bad_alloc &) {
      all.clear();
    }
    return all;
  }();
  return rows.empty() ? nullptr : rows.data();
}

}  // namespace tarvo::lua

using namespace tarvo::lua;

// Opens the module: resolves the Lua API from the engine's Lunhost.dll,
// checks the engine (Lua 5.3, 64-bit integers, doubles) and returns a new
// table holding every registered function.
//
// Without Lunhost.dll in the process (or without its GetApiTable) nothing can
// be registered: the function returns 0 (no value) and calls nothing, not
// even through slots filled by an earlier resolution, which may point into a
// runtime that has since been unloaded. A null state gets the same answer.
// A host that lacks any function of the table is refused at once, with an
// error naming it (0 when it lacks even the error function), rather than
// failing later in whichever call first needs it.
extern "C" int luaopen_TARVO(lua_State *L) {
  if (!resolve_lua_api() || !L) return 0;
  if (const char *missing = missing_lua_api())
    return api.luaL_error ? api.luaL_error(L, "Lunhost.dll lacks the Lua function %s", missing) : 0;
  api.luaL_checkversion_(L, LUA_VERSION_NUM, LUAL_NUMSIZES);
  const luaL_Reg *rows = registry();
  if (!rows) return api.luaL_error(L, "not enough memory");
  api.lua_createtable(L, 0, -1);
  api.luaL_setfuncs(L, rows, 0);
  return 1;
}
