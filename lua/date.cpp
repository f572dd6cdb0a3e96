// Calendar functions for scripts.
#include "datetime.hpp"
#include "registry.hpp"
#include "wrap.hpp"

namespace tarvo::lua {
namespace {

const luaL_Reg kDateFunctions[] = {
    {"DaysInMonth", wrap<days_in_month, Ret::Integer, Int, Int>},
};

const LuaFamily date_family(kDateFunctions);

}  // namespace
}  // namespace tarvo::lua
