// The date conversions behind the t, W and f letters.
#include "disphelper.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>

namespace {

namespace disp = tarvo::disp;

FILETIME filetime(uint64_t ticks) { return FILETIME{DWORD(ticks), DWORD(ticks >> 32)}; }
uint64_t ticks(FILETIME ft) { return (uint64_t(ft.dwHighDateTime) << 32) | ft.dwLowDateTime; }

TEST(Dates, BothWaysIncludingTheOleEncodingBefore1900) {
  SYSTEMTIME st{2024, 2, 4, 29, 18, 0, 0, 0}, back{};
  DATE d = 0;
  ASSERT_EQ(disp::SystemTimeToDate(st, &d), S_OK);
  EXPECT_NEAR(d, 45351.75, 1e-8);
  ASSERT_EQ(disp::DateToSystemTime(d, &back), S_OK);
  EXPECT_EQ((std::array<WORD, 4>{back.wYear, back.wDay, back.wHour, back.wMinute}),
            (std::array<WORD, 4>{2024, 29, 18, 0}));
  // 1899-12-29 06:00 is 0.75 days before day zero, encoded as -1.25.
  const uint64_t t = 94353120000000000ull - 648000000000ull;
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

TEST(Dates, TimeTRoundTripsThroughLocalTime) {
  for (time_t t : {time_t(0), time_t(86400), time_t(1700000000), time_t(2000000000)}) {
    DATE d = 0;
    time_t back = 0;
    ASSERT_EQ(disp::TimeToDate(t, &d), S_OK);
    ASSERT_EQ(disp::DateToTime(d, &back), S_OK);
    EXPECT_EQ(back, t);
  }
}

}  // namespace
