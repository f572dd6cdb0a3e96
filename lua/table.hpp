// Tables handed to scripts come from the engine: the chunk
// "return BasicLib.NewTable(1)" makes a list, "... (2)" a record. What the
// kind means is the engine's business; the library only fills the table.
#pragma once

#include "lua_api.hpp"

#include <type_traits>

namespace tarvo::lua {

enum class TableKind { List = 1, Record = 2 };

// Runs the chunk in the calling state (compiled once per state) and leaves
// exactly one value on top:
// the new table, or the chunk's error value when BasicLib is missing or
// fails. True when it is a table.
bool push_new_table(lua_State *L, TableKind kind);

// Like push_new_table, but raises the chunk's error (or a message of its own
// when the engine returned something else) instead of leaving it. Call it
// while nothing with a destructor is alive.
void push_new_table_or_raise(lua_State *L, TableKind kind);

// Pushes a plain value: text (UTF-8, null as empty), boolean, integer or
// number.
template <class V>
void push_value(lua_State *L, V v) {
  if constexpr (std::is_same_v<V, bool>)
    api.lua_pushboolean(L, v ? 1 : 0);
  else if constexpr (std::is_integral_v<V>)
    api.lua_pushinteger(L, static_cast<lua_Integer>(v));
  else if constexpr (std::is_floating_point_v<V>)
    api.lua_pushnumber(L, static_cast<lua_Number>(v));
  else
    api.lua_pushstring(L, v ? v : "");
}

// Fills the table on top of the stack: list items get the keys 1, 2, ...;
// record fields their names. Every store is key, value, settable(-3).
class TableWriter {
 public:
  explicit TableWriter(lua_State *L) : L_(L) {}
  template <class V>
  void add(V v) {
    api.lua_pushinteger(L_, next_++);
    push_value(L_, v);
    api.lua_settable(L_, -3);
  }
  template <class V>
  void set(const char *key, V v) {
    api.lua_pushstring(L_, key);
    push_value(L_, v);
    api.lua_settable(L_, -3);
  }
  // A nested table is built on top first; these store it.
  void add_top() {
    api.lua_pushinteger(L_, next_++);
    store_under();
  }
  void set_top(const char *key) {
    api.lua_pushstring(L_, key);
    store_under();
  }

 private:
  // The key was pushed above the value: swap them, then store.
  void store_under() {
    api.lua_rotate(L_, -2, 1);
    api.lua_settable(L_, -3);
  }
  lua_State *L_;
  lua_Integer next_ = 1;
};

// Fills the table on top of the stack with fill(L) under a protected call:
// an error it raises (a failing store, out of memory) stops here, so the
// caller can let go of what it holds before raising the error on. LUA_OK, or
// the failing status with the error value on top of the table.
template <class F>
int fill_protected(lua_State *L, F &fill) {
  lua_CFunction run = [](lua_State *S) -> int {
    (*static_cast<F *>(api.lua_touserdata(S, 1)))(S);
    return 0;
  };
  int table = api.lua_absindex(L, -1);
  api.lua_pushcclosure(L, run, 0);
  api.lua_pushlightuserdata(L, &fill);
  api.lua_pushvalue(L, table);
  return api.lua_pcallk(L, 2, 0, 0, 0, nullptr);
}

}  // namespace tarvo::lua
