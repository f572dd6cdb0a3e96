// Ending processes by name for the script's Process_KillName, which reports
// whether anything really ended rather than how many names matched.
#pragma once

#include <cstdint>

namespace tarvo::process {

// Ends every running process named in the "|"-separated list, as
// Process_KillNameW does; the number of processes really ended.
uint32_t ended_by_name(const wchar_t *names);

}  // namespace tarvo::process
