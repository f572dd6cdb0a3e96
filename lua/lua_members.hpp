// The Lua functions of automation member rows (include/tarvo_members.h says
// what a row holds), and the argument and result kinds the automation
// families need beyond wrap.hpp's.
//
// A family's Lua source expands its rows into its table:
//
//   const luaL_Reg kExcelFunctions[] = {
//       XEXCEL_MEMBERS(TARVO_MEMBER_LUA)
//       {"Excel_CheckFile", check_file},  // functions no row can express
//   };
//
// Each row with a Lua result becomes {"Name", wrap<NameW or Name, result,
// one kind per parameter>}: the W form is called, text arguments arrive as
// UTF-8, an argument written IntOr(v) or FlagOr(v) is optional with that
// default. Object handles and 32-bit integers are read as integers (the
// low 32 bits for 32-bit parameters), numbers as numbers, flags as a boolean
// or a number (non-zero is true).
//
// A Lua name that differs from the export's, or a function dispatching on
// its argument types, is a NoLua row plus one hand-written table line.
#pragma once

#include "tarvo_members.h"
#include "table.hpp"
#include "wrap.hpp"

#include <cmath>
#include <cstdint>
#include <limits>

namespace tarvo::lua {

namespace read {

// A boolean, or a number whose low 32 bits the operation tests: true must
// not become 0, and 0 must stay false.
struct FlagOrNumber {
  template <class P>
  static P get(lua_State *L, int pos) {
    if (api.lua_type(L, pos) == LUA_TBOOLEAN) return static_cast<P>(api.lua_toboolean(L, pos) ? 1 : 0);
    return to_param<P>(integer_at(L, pos));
  }
};

template <lua_Integer Default>
struct FlagOrNumberOr {
  template <class P>
  static P get(lua_State *L, int pos) {
    return present(L, pos) ? FlagOrNumber::get<P>(L, pos) : static_cast<P>(Default);
  }
};

// A number (non-numbers give 0).
struct Number {
  template <class P>
  static P get(lua_State *L, int pos) {
    return static_cast<P>(api.lua_tonumberx(L, pos, nullptr));
  }
};

}  // namespace read

using AnyFlag = ValueKind<read::FlagOrNumber>;
template <lua_Integer Default>
using AnyFlagOr = ValueKind<read::FlagOrNumberOr<Default>, false>;
using Number = ValueKind<read::Number>;

namespace Ret {

// A double cut toward zero to an integer; NaN gives 0 and values beyond the
// integer range the nearest end.
struct Truncated {
  static lua_Integer truncate(double v) {
    if (std::isnan(v)) return 0;
    if (v >= 9223372036854775807.0) return std::numeric_limits<lua_Integer>::max();
    if (v <= -9223372036854775808.0) return std::numeric_limits<lua_Integer>::min();
    return static_cast<lua_Integer>(v);
  }
  template <class R>
  static int push(lua_State *L, R v) {
    api.lua_pushinteger(L, truncate(static_cast<double>(v)));
    return 1;
  }
};

}  // namespace Ret

// A list of numbers or object handles as a list table (BasicLib.NewTable(1)).
// Raises the engine's error when no table can be made, so call it while
// nothing with a destructor is alive.
template <class T>
int push_list(lua_State *L, const T *values, size_t count) {
  push_new_table_or_raise(L, TableKind::List);
  TableWriter table(L);
  for (size_t i = 0; i < count; ++i) {
    if constexpr (std::is_floating_point_v<T>)
      table.add(static_cast<double>(values[i]));
    else
      table.add(static_cast<lua_Integer>(values[i]));
  }
  return 1;
}

// A shape's left, top, width and height, for the two table results below.
struct Rect {
  double left = 0.0, top = 0.0, width = 0.0, height = 0.0;
};

namespace Ret {

// A Rect as a record keyed "x", "y", "w", "h" (BasicLib.NewTable(2)); the
// table is made before the call, like a list result's.
struct RectRecord {
  static void prepare(lua_State *L) { push_new_table_or_raise(L, TableKind::Record); }
  static int push(lua_State *L, const Rect &r) {
    TableWriter table(L);
    table.set("x", r.left);
    table.set("y", r.top);
    table.set("w", r.width);
    table.set("h", r.height);
    return 1;
  }
};

// A Rect as a list of the four numbers (BasicLib.NewTable(1)).
struct RectList {
  static void prepare(lua_State *L) { push_new_table_or_raise(L, TableKind::List); }
  static int push(lua_State *L, const Rect &r) {
    TableWriter table(L);
    for (double v : {r.left, r.top, r.width, r.height}) table.add(v);
    return 1;
  }
};

}  // namespace Ret

// wrap<> that also accepts one surplus argument, which nobody reads.
template <auto Fn, class R, class... K>
int wrap_spare(lua_State *L) {
  if (api.lua_gettop(L) == kMaxArgs<K...> + 1) api.lua_settop(L, kMaxArgs<K...>);
  return wrap<Fn, R, K...>(L);
}

// (object, name or index): a number calls ByIndex, a string ByName, any
// other value gives false without a call (the SetActive... functions).
template <int32_t (*ByIndex)(xComObject, int32_t), int32_t (*ByName)(xComObject, const wchar_t *)>
int name_or_index(lua_State *L) {
  if (!count_ok(L, 2, 2)) return param_count_error(L);
  const xComObject object = integer_at(L, 1);
  int32_t done = 0;
  if (api.lua_type(L, 2) == LUA_TNUMBER) {
    done = ByIndex(object, static_cast<int32_t>(integer_at(L, 2)));
  } else if (api.lua_type(L, 2) == LUA_TSTRING) {
    WideArg<kCodePageU> name(api.lua_tolstring(L, 2, nullptr));
    done = ByName(object, name);
  }
  api.lua_pushboolean(L, done);
  return 1;
}

}  // namespace tarvo::lua

// The argument kinds of a row, with a leading comma each.
#define XM_LUA_KIND(n, arg) XM_CAT(XM_LK_, arg)(n)
#define XM_LK_Obj(n) , ::tarvo::lua::Int
#define XM_LK_Int(n) , ::tarvo::lua::Int
#define XM_LK_IntOr(v) , ::tarvo::lua::IntOr<v> XM_EAT
#define XM_LK_Flag(n) , ::tarvo::lua::AnyFlag
#define XM_LK_FlagOr(v) , ::tarvo::lua::AnyFlagOr<v> XM_EAT
#define XM_LK_Num(n) , ::tarvo::lua::Number
#define XM_LK_Text(n) , ::tarvo::lua::Text
#define XM_LK_Fixed(v) XM_EAT
#define XM_LK_Pos(n) , ::tarvo::lua::Int
#define XM_LK_Cells(n) , ::tarvo::lua::Int, ::tarvo::lua::Int, ::tarvo::lua::Int, ::tarvo::lua::Int
#define XM_LK_Void(n)
#define XM_LK_Rec(T) , ::tarvo::lua::Int XM_EAT

#define XM_W_FUNCTION(form, name) XM_CAT(XM_WF_, form)(name)
#define XM_WF_One(name) name
#define XM_WF_WA(name) name##W
#define XM_WF_W(name) name##W

// The table line of one row (none for NoLua).
#define TARVO_MEMBER_LUA(form, name, kind, expression, lua, ...) \
  XM_CAT(XM_LUA_, lua)(#name, XM_W_FUNCTION(form, name), __VA_ARGS__)
#define XM_LUA_NoLua(...)
#define XM_LUA_ROW(name, function, result, ...) \
  {name, ::tarvo::lua::wrap<&function, ::tarvo::lua::Ret::result XM_MAP(XM_LUA_KIND, __VA_ARGS__)>},
#define XM_LUA_Lbool(name, function, ...) XM_LUA_ROW(name, function, Boolean, __VA_ARGS__)
#define XM_LUA_Lint(name, function, ...) XM_LUA_ROW(name, function, Integer, __VA_ARGS__)
#define XM_LUA_Lnum(name, function, ...) XM_LUA_ROW(name, function, Number, __VA_ARGS__)
#define XM_LUA_Ltext(name, function, ...) XM_LUA_ROW(name, function, Text, __VA_ARGS__)
#define XM_LUA_Ltrunc(name, function, ...) XM_LUA_ROW(name, function, Truncated, __VA_ARGS__)
#define XM_LUA_Lnone(name, function, ...) XM_LUA_ROW(name, function, None, __VA_ARGS__)
#define XM_LUA_Lint_spare(name, function, ...) \
  {name, ::tarvo::lua::wrap_spare<&function, ::tarvo::lua::Ret::Integer XM_MAP(XM_LUA_KIND, __VA_ARGS__)>},
