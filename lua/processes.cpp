// Process functions of the module: ending processes by executable name.
#include "registry.hpp"
#include "wrap.hpp"
#include "xprocess.h"

namespace tarvo::lua {
namespace {

// True when at least one process matched.
const luaL_Reg kProcessFunctions[] = {
    {"Process_KillName", wrap<Process_KillNameW, Ret::Boolean, Text>},
};

const LuaFamily processes_family(kProcessFunctions);

}  // namespace
}  // namespace tarvo::lua
