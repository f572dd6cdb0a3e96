// The SAP GUI scripting functions of the module: one per row of xsap.h that
// has a Lua result, and the connection's close under its script name.
#include "lua_members.hpp"
#include "registry.hpp"
#include "xsap.h"

namespace tarvo::lua {
namespace {

const luaL_Reg kSapFunctions[] = {
    XSAP_MEMBERS(TARVO_MEMBER_LUA)
    {"SAP_CloseConnect", wrap<&SAP_Conn_Close, Ret::Boolean, Int>},
};
const LuaFamily sap_family(kSapFunctions);

}  // namespace
}  // namespace tarvo::lua
