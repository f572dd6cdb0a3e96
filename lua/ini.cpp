// INI functions of the module.
#include "registry.hpp"
#include "wrap.hpp"
#include "xini.h"

namespace tarvo::lua {
namespace {

// A nil (or any non-text) value is written as an empty value, never taken as
// "remove the key".
struct TextOrEmpty {
  static const char *get(lua_State *L, int pos) {
    const char *s = api.lua_tolstring(L, pos, nullptr);
    return s ? s : "";
  }
};

const luaL_Reg kIniFunctions[] = {
    {"Ini_Read", wrap<Ini_ReadU, Ret::Text, Text, Text, Text>},
    {"Ini_ReadInt", wrap<Ini_ReadIntU, Ret::Integer, Text, Text, Text>},
    {"Ini_Write", wrap<Ini_WriteU, Ret::Integer, Text, Text, Text, TextKind<TextOrEmpty>>},
};

const LuaFamily ini_family(kIniFunctions);

}  // namespace
}  // namespace tarvo::lua
