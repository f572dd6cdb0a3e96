// The desktop-automation functions of the module: one per row of xop.h that
// has a Lua result, the searches (result, x, y) and the hand-written rest.
#include "lua_members.hpp"
#include "registry.hpp"
#include "xop.h"

#include <tuple>
#include <utility>

namespace tarvo::lua {
namespace {

// OP_CreateObject() by ProgID, OP_CreateObject(file) from the DLL; a nil
// file counts as none.
int create_object(lua_State *L) {
  if (!count_ok(L, 0, 1)) return param_count_error(L);
  OpObject *handle;
  if (api.lua_type(L, 1) <= LUA_TNIL) {
    handle = OP_CreateObjectW(nullptr);
  } else {
    WideArg<kCodePageU> file(api.lua_tolstring(L, 1, nullptr));
    handle = OP_CreateObjectW(file);
  }
  api.lua_pushinteger(L, static_cast<lua_Integer>(reinterpret_cast<intptr_t>(handle)));
  return 1;
}

// A search with its coordinates as one value, for a three-value push.
struct Found {
  int32_t result, x, y;
};

template <auto Fn, class Params, class Index>
struct Coordinates;
template <auto Fn, class... P, size_t... I>
struct Coordinates<Fn, std::tuple<P...>, std::index_sequence<I...>> {
  static Found run(std::tuple_element_t<I, std::tuple<P...>>... a) {
    Found f{};
    f.result = Fn(a..., &f.x, &f.y);
    return f;
  }
};
// The export without its two out parameters.
template <auto Fn, class Params = typename Signature<decltype(Fn)>::Params>
constexpr auto coordinates = &Coordinates<Fn, Params, std::make_index_sequence<std::tuple_size_v<Params> - 2>>::run;

struct PushFound {
  static int push(lua_State *L, Found f) {
    for (int32_t v : {f.result, f.x, f.y}) api.lua_pushinteger(L, v);
    return 3;
  }
};

#define XOP_SEARCH_LUA(name, position, expression, ...) \
  {#name, wrap<coordinates<&name##W>, PushFound XM_MAP(XM_LUA_KIND, Rec(OpObject), __VA_ARGS__)>},

const luaL_Reg kOpFunctions[] = {
    // OP_CreateObject([file]): the object by ProgID, or from its DLL file; the handle, 0 on failure.
    {"OP_CreateObject", create_object},
    {"OP_ReleaseObject", wrap<OP_ReleaseObject, Ret::Integer, Int>},
    XOP_MEMBERS(TARVO_MEMBER_LUA)
    XOP_SEARCHES(XOP_SEARCH_LUA)
    {"OP_LeftClickPoint", wrap<OP_LeftClickPoint, Ret::None, Int, Int, Int>},
    {"OP_LeftClickStr", wrap<OP_LeftClickStrW, Ret::Integer, Int, Int, Int, Int, Int, Text, Text, Number, Int, Int, Int>},
};
const LuaFamily op_family(kOpFunctions);

}  // namespace
}  // namespace tarvo::lua
