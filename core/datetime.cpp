#include "datetime.hpp"

#include <windows.h>

namespace tarvo {

int32_t days_in_month(int32_t year, int32_t month) {
  static constexpr int32_t kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  bool leap = year % 400 == 0 || (year % 100 != 0 && year % 4 == 0);
  return kDays[month - 1] + (month == 2 && leap ? 1 : 0);
}

double seconds_clock() { return GetTickCount() * 0.001; }

}  // namespace tarvo
