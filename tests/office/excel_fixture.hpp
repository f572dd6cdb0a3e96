// What the Excel tests share beside tests/support/member_test.hpp.
#pragma once

#include "alloc_counter.hpp"
#include "member_test.hpp"
#include "xexcel.h"

#include <gtest/gtest.h>

#include <string>

namespace exceltest {

using namespace membertest;

class ExcelTest : public ProbedTest {
 protected:
  void SetUp() override;  // the probe is an application
};

// A fresh application with one book of three sheets (Sheet1 to Sheet3) and
// the number 3.75 in Sheet1!C2; the range handle is that cell.
struct Objects {
  xComObject app = 0, book = 0, sheet = 0, range = 0;
  static Objects make();
  void release();  // quits the application
};

}  // namespace exceltest
