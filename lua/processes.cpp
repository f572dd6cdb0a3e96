// Process functions of the module: ending processes by executable name.
#include "process_ops.hpp"
#include "registry.hpp"
#include "wrap.hpp"

namespace tarvo::lua {
namespace {

// True when at least one process was ended: a match that could not be ended
// does not count.
const luaL_Reg kProcessFunctions[] = {
    {"Process_KillName", wrap<tarvo::process::ended_by_name, Ret::Boolean, Text>},
};

const LuaFamily processes_family(kProcessFunctions);

}  // namespace
}  // namespace tarvo::lua
