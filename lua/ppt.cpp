// The PowerPoint functions of the module: one per row of xppt.h that has a
// Lua result, and the few no row can express.
#include "lua_members.hpp"
#include "registry.hpp"
#include "xppt.h"

namespace tarvo::lua {
namespace {

// Every value starts at 0.0, so one that could not be read stays 0.
Rect shape_pos(xComObject shape) {
  Rect r;
  PPT_Shape_GetPos(shape, &r.left, &r.top, &r.width, &r.height);
  return r;
}

const luaL_Reg kPptFunctions[] = {
    XPPT_MEMBERS(TARVO_MEMBER_LUA)
    // PPT_SetActiveFile(app, name or index): activates the presentation's first window; false for any other value, without a call.
    {"PPT_SetActiveFile", name_or_index<&PPT_SetActiveFile_Index, &PPT_SetActiveFileW>},
    {"PPT_Shape_GetPos", wrap<shape_pos, Ret::RectRecord, Int>},
    {"PPT_Shape_GetPosArray", wrap<shape_pos, Ret::RectList, Int>},
};
const LuaFamily ppt_family(kPptFunctions);

}  // namespace
}  // namespace tarvo::lua
