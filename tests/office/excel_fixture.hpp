// What the Excel tests share beside tests/support/member_test.hpp.
#pragma once

#include "member_test.hpp"
#include "xexcel.h"

#include <utility>
#include <vector>

namespace exceltest {

using namespace membertest;

// The probe is an application.
class ExcelTest : public ProbedTest {
 protected:
  void SetUp() override {
    LeakCheckedTest::SetUp();
    ASSERT_TRUE(take_probe(Excel_Create())) << "is the stand-in spreadsheet server registered?";
  }
};

inline void release(xComObject h) {
  if (h) reinterpret_cast<IDispatch *>(h)->Release();
}

// A fresh application with one book of three sheets (Sheet1 to Sheet3) and
// the number 3.75 in Sheet1!C2; the range handle is that cell.
struct Objects {
  xComObject app = 0, book = 0, sheet = 0, range = 0;
  static Objects make() {
    Objects o{Excel_Create()};
    o.book = Excel_NewBook(o.app);
    o.sheet = Excel_Book_GetSheet_Index(o.book, 1);
    EXPECT_EQ(Excel_Sheet_SetCellNumber(o.sheet, 2, 3, 3.75), 1);
    o.range = Excel_Sheet_GetCell(o.sheet, 2, 3);
    EXPECT_TRUE(o.app && o.book && o.sheet && o.range);
    return o;
  }
  std::vector<std::pair<const char *, xComObject>> globals() const {
    return {{"app", app}, {"book", book}, {"sheet", sheet}, {"range", range}};
  }
  void release() {  // quits the application
    for (xComObject h : {range, sheet, book}) exceltest::release(h);
    if (app) Excel_Quit(app);
    exceltest::release(app);
    *this = {};
  }
};

}  // namespace exceltest
