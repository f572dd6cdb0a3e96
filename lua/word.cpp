// The Word functions of the module: one per row of xword.h that has a Lua
// result, and the two no row can express.
#include "lua_members.hpp"
#include "registry.hpp"
#include "xword.h"

namespace tarvo::lua {
namespace {

const luaL_Reg kWordFunctions[] = {
    XWORD_MEMBERS(TARVO_MEMBER_LUA)
    // Word_SetActiveFile(app, name or index): activates the document; false for any other value, without a call.
    {"Word_SetActiveFile", name_or_index<Word_SetActiveFile_Index, Word_SetActiveFileW>},
    // The script name is one letter shorter than the export's.
    {"Word_CloseAllFil", wrap<Word_CloseAllFile, Ret::Boolean, Int>},
};
const LuaFamily word_family(kWordFunctions);

}  // namespace
}  // namespace tarvo::lua
