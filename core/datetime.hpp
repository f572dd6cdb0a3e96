// Calendar and clock services.
#pragma once

#include <cstdint>

namespace tarvo {

// 0 for a month outside 1..12; February has 29 days in Gregorian leap years.
int32_t days_in_month(int32_t year, int32_t month);
// The system's 32-bit millisecond tick count in seconds; callers take
// differences of two readings.
double seconds_clock();

}  // namespace tarvo
