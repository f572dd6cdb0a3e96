// Calendar and clock helpers.
#include "datetime.hpp"

#include <gtest/gtest.h>
#include <windows.h>

namespace {

TEST(DaysInMonth, GregorianLeapYears) {
  EXPECT_EQ(tarvo::days_in_month(2024, 2), 29);
  EXPECT_EQ(tarvo::days_in_month(1900, 2), 28);
  EXPECT_EQ(tarvo::days_in_month(2000, 2), 29);
  EXPECT_EQ(tarvo::days_in_month(2100, 2), 28);
  EXPECT_EQ(tarvo::days_in_month(2023, 2), 28);
}

TEST(DaysInMonth, TableAndMonthsOutOfRange) {
  const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  for (int m = 1; m <= 12; ++m) EXPECT_EQ(tarvo::days_in_month(2023, m), days[m - 1]) << m;
  EXPECT_EQ(tarvo::days_in_month(2023, 13), 0);
  EXPECT_EQ(tarvo::days_in_month(2023, 0), 0);
  EXPECT_EQ(tarvo::days_in_month(2023, -1), 0);
  EXPECT_EQ(tarvo::days_in_month(2023, INT32_MIN), 0);
  EXPECT_EQ(tarvo::days_in_month(-4, 2), 29) << "the proleptic rule holds before year 1";
}

TEST(SecondsClock, IsTheTickCountInSeconds) {
  double before = GetTickCount() * 0.001;
  double now = tarvo::seconds_clock();
  double after = GetTickCount() * 0.001;
  EXPECT_LE(before, now);
  EXPECT_LE(now, after);
}

}  // namespace
