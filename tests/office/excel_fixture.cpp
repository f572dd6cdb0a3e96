#include "excel_fixture.hpp"

#include "xcore.h"

namespace exceltest {

void ExcelTest::SetUp() {
  LeakCheckedTest::SetUp();
  ASSERT_TRUE(take_probe(Excel_Create())) << "is the stand-in spreadsheet server registered?";
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
