// The Word functions of the module: one per row of xword.h that has a Lua
// result, and the two no row can express.
#include "lua_members.hpp"
#include "registry.hpp"
#include "xword.h"

namespace tarvo::lua {
namespace {

// Word_SetActiveFile(app, name or index): a number activates by index, a
// string by name, any other value gives false without a call.
int set_active_file(lua_State *L) {
  if (!count_ok(L, 2, 2)) return param_count_error(L);
  const xComObject app = integer_at(L, 1);
  int32_t done = 0;
  if (api.lua_type(L, 2) == LUA_TNUMBER) {
    done = Word_SetActiveFile_Index(app, static_cast<int32_t>(integer_at(L, 2)));
  } else if (api.lua_type(L, 2) == LUA_TSTRING) {
    WideArg<kCodePageU> name(api.lua_tolstring(L, 2, nullptr));
    done = Word_SetActiveFileW(app, name);
  }
  api.lua_pushboolean(L, done);
  return 1;
}

const luaL_Reg kWordFunctions[] = {
    XWORD_MEMBERS(TARVO_MEMBER_LUA)
    {"Word_SetActiveFile", set_active_file},
    // The script name is one letter shorter than the export's.
    {"Word_CloseAllFil", wrap<Word_CloseAllFile, Ret::Boolean, Int>},
};
const LuaFamily word_family(kWordFunctions);

}  // namespace
}  // namespace tarvo::lua
