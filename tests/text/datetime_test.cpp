// Calendar and clock helpers.
#include "datetime.hpp"

#include <gtest/gtest.h>
#include <windows.h>

namespace {

TEST(DaysInMonth, GregorianTableAndMonthsOutOfRange) {
  const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  for (int m = 1; m <= 12; ++m) EXPECT_EQ(tarvo::days_in_month(2023, m), days[m - 1]) << m;
  for (int year : {2024, 2000, -4}) EXPECT_EQ(tarvo::days_in_month(year, 2), 29) << year;
  for (int year : {1900, 2100}) EXPECT_EQ(tarvo::days_in_month(year, 2), 28) << year;
  for (int month : {13, 0, -1, INT32_MIN}) EXPECT_EQ(tarvo::days_in_month(2023, month), 0) << month;
}

TEST(SecondsClock, IsTheTickCountInSeconds) {
  double before = GetTickCount() * 0.001, now = tarvo::seconds_clock(), after = GetTickCount() * 0.001;
  EXPECT_LE(before, now);
  EXPECT_LE(now, after);
}

}  // namespace
