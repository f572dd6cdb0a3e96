#include "excel_fixture.hpp"

#include "xcore.h"

namespace exceltest {

void ExcelTest::SetUp() {
  LeakCheckedTest::SetUp();
  probe_ = Excel_Create();
  ASSERT_NE(probe_, 0) << "is the stand-in spreadsheet server registered?";
  Control c = control();
  c.clear_faults();
  baseline_ = c.live();
  c.clear();
}

void ExcelTest::TearDown() {
  if (probe_) {
    Control c = control();
    c.clear_faults();
    EXPECT_EQ(c.live(), baseline_) << "an automation object was left behind";
    reinterpret_cast<IDispatch *>(probe_)->Release();
  }
  LeakCheckedTest::TearDown();
}

Objects Objects::make() {
  Objects o;
  o.app = Excel_Create();
  o.book = Excel_NewBook(o.app);
  o.sheet = Excel_Book_GetSheet_Index(o.book, 1);
  EXPECT_EQ(Excel_Sheet_SetCellNumber(o.sheet, 2, 3, 3.75), 1);
  o.range = Excel_Sheet_GetCell(o.sheet, 2, 3);
  EXPECT_TRUE(o.app && o.book && o.sheet && o.range);
  return o;
}

void Objects::release() {
  for (xComObject h : {range, sheet, book})
    if (h) reinterpret_cast<IDispatch *>(h)->Release();
  if (app) {
    Excel_Quit(app);
    reinterpret_cast<IDispatch *>(app)->Release();
  }
  *this = {};
}

}  // namespace exceltest
