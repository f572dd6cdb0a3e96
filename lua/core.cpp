// Core Lua functions: the result registers, paths, process start, random
// numbers, the input-method switch, conversions and the text utilities.
#include "registry.hpp"
#include "sized.hpp"
#include "wrap.hpp"
#include "xstring.h"
#include "xtext.h"

#include <cstring>

namespace tarvo::lua {
namespace {

// Rand(): with no argument a fraction in [0, 1) drawn from the library's
// generator (15 bits of it). A fraction formed from the two default bounds
// alone would always be 0.0.
int rand_lua(lua_State *L) {
  if (!count_ok(L, 0, 2)) return param_count_error(L);
  if (api.lua_gettop(L) == 0) {
    api.lua_pushnumber(L, xCore_Rand(0, 32768) / 32768.0);
    return 1;
  }
  return wrap<xCore_Rand, Ret::Integer, IntOr<0>, IntOr<2147483647>>(L);
}

struct BoolWords {
  const char *yes;
  const char *no;
};

// Styles 1 to 7; any other style gives "true"/"false".
constexpr BoolWords kBoolWords[] = {
    {"true", "false"}, {"yes", "no"},  {"on", "off"},   {"是", "否"},
    {"对", "错"},      {"真", "假"},   {"允许", "禁止"}, {"成功", "失败"},
};

const char *bool_to_string(int32_t flag, int64_t style) {
  const BoolWords &w = (style >= 1 && style <= 7) ? kBoolWords[style] : kBoolWords[0];
  return flag ? w.yes : w.no;
}

// "true", "on", "yes" in any ASCII case, or exactly one of the Chinese words.
int32_t string_to_bool(const char *text) {
  if (!text) return 0;
  for (const char *word : {"true", "on", "yes"})
    if (_stricmp(text, word) == 0) return 1;
  for (const char *word : {"是", "对", "真", "允许", "成功"})
    if (std::strcmp(text, word) == 0) return 1;
  return 0;
}

// The A text operations run on the UTF-8 bytes unchanged; the U trims and
// the filter convert through UTF-16.
const luaL_Reg kCoreFunctions[] = {
    // The error-number register (never set by the library).
    {"LastErrorID", wrap<field<&xCoreRecord::LastErrorID>, Ret::Integer>},
    // The error-message register: the constant message of the latest failure that set one.
    {"LastError", wrap<field<&xCoreRecord::LastError>, Ret::Constant>},
    // The 32-bit integer register.
    {"iRet", wrap<field<&xCoreRecord::iRet>, Ret::Integer>},
    // The 64-bit integer register.
    {"iRet64", wrap<field<&xCoreRecord::iRet64>, Ret::Integer>},
    // The size register: the length of the latest text or buffer result.
    {"iRetSize", wrap<field<&xCoreRecord::iRetSize>, Ret::Integer>},
    // The text register: the text the latest status-returning call left.
    {"sRet", wrap<field<&xCoreRecord::sRet>, Ret::Constant>},
    // The number register.
    {"dRet", wrap<field<&xCoreRecord::dRet>, Ret::Number>},
    {"ModFile", wrap<xCore_ModFileU, Ret::Text, Int>},
    {"AppFile", wrap<xCore_AppFileU, Ret::Text>},
    {"ModPath", wrap<xCore_ModPathU, Ret::Text, Int>},
    {"AppPath", wrap<xCore_AppPathU, Ret::Text>},
    {"Run", wrap<xCore_RunU, Ret::Integer, Text, IntOr<5>>},
    {"Start", wrap<xCore_StartU, Ret::Integer, Text, IntOr<5>>},
    {"Chain", wrap<xCore_ChainU, Ret::Integer, Text, IntOr<5>>},
    {"SystemPath", wrap<xCore_SystemPathU, Ret::Text, Int>},
    // Rand([a, b]): an integer in [min, max) of the bounds (b defaults to 2147483647); no argument: a fraction in [0, 1).
    {"Rand", rand_lua},
    {"IME_Disable", wrap<IME_Disable, Ret::Boolean, Int>},
    {"IME_Enable", wrap<IME_Enable, Ret::Boolean, Int>},
    // Conversions take and give raw bytes (UTF-16 as its bytes); a length
    // never reaches beyond the string.
    {"M2W", wrap<m2w, Ret::Bytes, Bytes, Int, LengthOf<1>>},
    // UTF-16 bytes in the code page.
    {"W2M", wrap<w2m, Ret::Bytes, Bytes, Int, LengthOf<1>>},
    {"A2W", wrap<m2w, Ret::Bytes, Bytes, Fixed<kCodePageA>, LengthOf<1>>},
    {"U2W", wrap<m2w, Ret::Bytes, Bytes, Fixed<kCodePageU>, LengthOf<1>>},
    // UTF-16 bytes as ANSI.
    {"W2A", wrap<w2m, Ret::Bytes, Bytes, Fixed<kCodePageA>, LengthOf<1>>},
    // UTF-16 bytes as UTF-8.
    {"W2U", wrap<w2m, Ret::Bytes, Bytes, Fixed<kCodePageU>, LengthOf<1>>},
    // ANSI bytes as UTF-8.
    {"A2U", wrap<recode, Ret::Bytes, Bytes, Fixed<kCodePageA>, Fixed<kCodePageU>, LengthOf<1>>},
    // UTF-8 bytes as ANSI.
    {"U2A", wrap<recode, Ret::Bytes, Bytes, Fixed<kCodePageU>, Fixed<kCodePageA>, LengthOf<1>>},
    {"SplitChar", wrap<xCore_SplitCharA, Ret::List, Text, Char, Fixed<0>>},
    {"SplitText", wrap<xCore_SplitTextA, Ret::List, Text, Text, Fixed<0>>},
    // A null separator would make the library read the text as a list of
    // zero-terminated strings ended by an empty one, which a Lua string is
    // not: a separator that is not a string splits nothing.
    {"Split", wrap<xCore_SplitA, Ret::List, Text, TextOrEmpty, Fixed<0>>},
    {"Replace", wrap<xCore_ReplaceA, Ret::Text, Text, Text, Text>},
    {"LTrim", wrap<xxLTrimU, Ret::Text, Text, Text>},
    {"RTrim", wrap<xxRTrimU, Ret::Text, Text, Text>},
    {"Trim", wrap<xxTrimU, Ret::Text, Text, Text>},
    {"StringFilter", wrap<xxStringFilterU, Ret::Text, Text, Text>},
    // Binary safe both ways: all of the string is encoded, all decoded bytes
    // are pushed.
    {"HexEncode", wrap<HexEncode, Ret::Text, Bytes, SizeOf<1>>},
    {"HexDecode", wrap<hex_decode, Ret::Bytes, Text, Fixed<0>>},
    {"UriEncode", wrap<UriEncode, Ret::Text, Text>},
    // %XX sequences decoded; all decoded bytes.
    {"UriDecode", wrap<uri_decode, Ret::Bytes, Text>},
    // The word for a flag in a style: 1 yes/no, 2 on/off, 3 to 7 Chinese pairs, else true/false.
    {"BoolToString", wrap<bool_to_string, Ret::Constant, Flag, IntOr<0>>},
    {"StringToBool", wrap<string_to_bool, Ret::Boolean, Text>},
};

const LuaFamily core_family(kCoreFunctions);

}  // namespace
}  // namespace tarvo::lua
