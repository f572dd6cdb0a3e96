// Path functions of the module.
#include "registry.hpp"
#include "sized.hpp"
#include "wrap.hpp"
#include "xpath.h"
#include "xstring.h"

#include <string>

namespace tarvo::lua {
namespace {

// Path_SafeCheck(path [, repair = false]): without repair whether the path
// was unsafe, with repair the repaired path.
int safe_check(lua_State *L) {
  if (!count_ok(L, 1, 2)) return param_count_error(L);
  bool repair = api.lua_gettop(L) >= 2 && api.lua_toboolean(L, 2);
  const char *path = api.lua_tolstring(L, 1, nullptr);
  int32_t unsafe = 1;
  char *repaired = empty_a();
  tarvo::guarded([&] {
    // Repaired in place: an own copy, never the shared empty text.
    std::wstring buffer(WideArg<kCodePageU>(path).get());
    unsafe = Path_SafeCheckW(buffer.data(), repair ? 1 : 0);
    if (repair) repaired = w2m(buffer.c_str(), kCodePageU, 0).p;
    return 0;
  }, 0);
  if (!repair) {
    api.lua_pushboolean(L, unsafe);
    return 1;
  }
  // The repaired text is released before an error of its push goes on.
  int status;
  {
    const detail::Released<char> owned{repaired};
    auto put = [&owned](lua_State *S) { api.lua_pushstring(S, owned.p); };
    status = detail::protected_push(L, put);
  }
  return detail::pushed_or_raise(L, status);
}

const luaL_Reg kPathFunctions[] = {
    {"Path_FileNameExt", wrap<Path_FileNameExtW, Ret::Text, Text>},
    {"Path_FileName", wrap<Path_FileNameW, Ret::Text, Text>},
    {"Path_FileExt", wrap<Path_FileExtW, Ret::Text, Text>},
    {"Path_FilePath", wrap<Path_FilePathW, Ret::Text, Text>},
    {"Path_GetAbs", wrap<Path_GetAbsW, Ret::Text, Text, TextOr<"">>},
    {"Path_GetRel", wrap<Path_GetRelW, Ret::Text, Text, TextOr<"">>},
    {"Path_Random", wrap<Path_RandomW, Ret::Text, Text, Text, Int>},
    {"Path_SafeCheck", safe_check},
    {"Path_Join", wrap<Path_JoinW, Ret::Text, Text, Text>},
};

const LuaFamily paths_family(kPathFunctions);

}  // namespace
}  // namespace tarvo::lua
