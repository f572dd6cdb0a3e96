// The module's registry: every Lua function of TARVO, gathered from one table
// per family. See registry.cpp for how a family joins.
#pragma once

#include "lua_api.hpp"

#include <cstddef>

namespace tarvo::lua {

// A family's table of Lua functions registers itself by defining one of
// these at namespace scope in its source, next to the table:
//
//   const luaL_Reg kFileFunctions[] = {{"File_ReadAll", wrap<...>}, ...};
//   const LuaFamily files_family(kFileFunctions);
class LuaFamily {
 public:
  template <size_t N>
  explicit LuaFamily(const luaL_Reg (&rows)[N]) : LuaFamily(rows, N) {}
  LuaFamily(const luaL_Reg *rows, size_t count);

  const luaL_Reg *rows() const { return rows_; }
  size_t count() const { return count_; }
  const LuaFamily *next() const { return next_; }

 private:
  const luaL_Reg *rows_;
  size_t count_;
  const LuaFamily *next_;
};

// All registered rows in one array ended by an empty row; null when it cannot
// be built (out of memory).
const luaL_Reg *registry();

}  // namespace tarvo::lua

#include "xlua.h"
