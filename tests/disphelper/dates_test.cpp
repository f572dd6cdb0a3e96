// The date conversions behind the t, W and f letters.
#include "disphelper.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

namespace disp = tarvo::disp;

FILETIME filetime(uint64_t ticks) { return FILETIME{DWORD(ticks), DWORD(ticks >> 32)}; }
uint64_t ticks(FILETIME ft) { return (uint64_t(ft.dwHighDateTime) << 32) | ft.dwLowDateTime; }

// (Dates of 1900 onwards and time_t round trips: the conversion tests.)
TEST(Dates, TheOleEncodingBefore1900BothWays) {
  // 1899-12-29 06:00 is 0.75 days before day zero, encoded as -1.25.
  const uint64_t t = 94353120000000000ull - 648000000000ull;
  DATE d = 0;
  ASSERT_EQ(disp::FileTimeToDate(filetime(t), &d), S_OK);
  EXPECT_NEAR(d, -1.25, 1e-8);
  FILETIME ft{};
  ASSERT_EQ(disp::DateToFileTime(-1.25, &ft), S_OK);
  EXPECT_EQ(ticks(ft), t);
}

TEST(Dates, RangeLimits) {
  DATE d = 0;
  EXPECT_EQ(disp::FileTimeToDate(filetime(2650467744000000000ull), &d), E_INVALIDARG);
  EXPECT_EQ(disp::FileTimeToDate(filetime(~0ull), &d), E_INVALIDARG);  // no wrap-around
  EXPECT_EQ(disp::FileTimeToDate(filetime(2650467743999990000ull), &d), S_OK);
  FILETIME ft{};
  EXPECT_EQ(disp::DateToFileTime(-109205.5, &ft), S_OK);  // OLE encoding: 1601-01-01 12:00
  EXPECT_EQ(disp::DateToFileTime(-109205.0, &ft), S_OK);
  EXPECT_EQ(ticks(ft), 0u);
  EXPECT_EQ(disp::DateToFileTime(2958465.999, &ft), S_OK);  // 9999-12-31 23:58
  // Outside FILETIME's range, and what no integer can hold: refused, not converted.
  const double inf = std::numeric_limits<double>::infinity();
  for (double bad : {-109206.0, 2958466.0, 1e300, inf, -inf, std::nan("")}) {
    ft = FILETIME{7, 7};
    EXPECT_EQ(disp::DateToFileTime(bad, &ft), E_INVALIDARG) << bad;
    EXPECT_EQ(ticks(ft), (7ull << 32) | 7) << bad;
  }
  SYSTEMTIME st{};
  EXPECT_EQ(disp::DateToSystemTime(std::nan(""), &st), E_INVALIDARG);
  time_t t = 5;
  EXPECT_EQ(disp::DateToTime(25568.99, &t), E_INVALIDARG);
  EXPECT_EQ(disp::DateToTime(std::nan(""), &t), E_INVALIDARG);
  EXPECT_EQ(t, 5);
  EXPECT_EQ(disp::TimeToDate(time_t(253402300800LL), &d), E_INVALIDARG);
}

}  // namespace
