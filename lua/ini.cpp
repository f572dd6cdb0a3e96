// INI functions of the module.
#include "registry.hpp"
#include "wrap.hpp"
#include "xini.h"

namespace tarvo::lua {
namespace {

const luaL_Reg kIniFunctions[] = {
    {"Ini_Read", wrap<Ini_ReadU, Ret::Text, Text, Text, Text>},
    {"Ini_ReadInt", wrap<Ini_ReadIntU, Ret::Integer, Text, Text, Text>},
    // A nil (or any non-text) value is written as an empty value, never taken
    // as "remove the key".
    {"Ini_Write", wrap<Ini_WriteU, Ret::Integer, Text, Text, Text, TextOrEmpty>},
};

const LuaFamily ini_family(kIniFunctions);

}  // namespace
}  // namespace tarvo::lua
