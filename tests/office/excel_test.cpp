// The Excel family on the stand-in spreadsheet server: the member table, scenarios, helper objects on
// failures, the file-type check, the process boundary, and sheets read through both engines.
#include "box_watcher.hpp"
#include "excel_standin.hpp"
#include "member_test.hpp"
#include "temp_dir.hpp"
#include "xexcel.h"

namespace exceltest {
namespace {

using namespace membertest;
using tarvo::test::raw_write;
using tarvo::test::TempDir;

// The probe is an application.
using ExcelTest = ApplicationTest<Excel_Create>;

// A fresh application with one book of three sheets (Sheet1 to Sheet3) and
// the number 3.75 in Sheet1!C2, copied to the clipboard; the range handle is
// that cell.
struct Objects {
  xComObject app = 0, book = 0, sheet = 0, range = 0;
  static Objects make() {
    Objects o{Excel_Create()};
    o.book = Excel_NewBook(o.app);
    o.sheet = Excel_Book_GetSheet_Index(o.book, 1);
    EXPECT_EQ(Excel_Sheet_SetCellNumber(o.sheet, 2, 3, 3.75), 1);
    o.range = Excel_Sheet_GetCell(o.sheet, 2, 3);
    EXPECT_EQ(Excel_Range_Copy(o.range), 1);
    EXPECT_TRUE(o.app && o.book && o.sheet && o.range);
    return o;
  }
  std::vector<std::pair<const char *, xComObject>> globals() const {
    return {{"app", app}, {"book", book}, {"sheet", sheet}, {"range", range}};
  }
  void release() {  // quits the application
    membertest::release({range, sheet, book});
    if (app) Excel_Quit(app);
    membertest::release(app);
    *this = {};
  }
};

using Row = MemberRow<Objects>;

#define CORNERS(a, b) L"get Cells(I4:" a L")\nget Cells(I4:" b L")\n"
#define RANGE_OF(a, b) L"DISPATCH:Range(Sheet1!" a L"),DISPATCH:Range(Sheet1!" b L")"
#define PAGE(put) L"get PageSetup()\nput " put L"\n"
#define SHEET_AT(n) L"get Sheets()\nget Item(I4:" n L")\n"
#define TWO_CORNERS CORNERS(L"1,I4:1", L"2,I4:2") L"get Range(" RANGE_OF(L"$A$1", L"$B$2") L")\n"

const Row kRows[] = {
    ONE(Excel_Create, "o:obj", L""),
    ONE(WPS_Create, "o:obj", L""),
    ONE(Excel_Visible, "n:1", L"put Visible()=BOOL:-1\n", o.app, 1),
    ONE(Excel_DisplayAlerts, "n:1", L"put DisplayAlerts()=BOOL:0\n", o.app, 0),
    WA(Excel_SetCaption, "n:1", L"put Caption()=BSTR:\u00e91\n", o.app, kE1),
    ONE(Excel_Quit, "n:1", L"call Quit()\n", o.app),
    ONE(Excel_Books, "o:obj", L"get Workbooks()\n", o.app),
    ONE(Excel_NewBook, "o:obj", L"get Workbooks()\nget Add()\n", o.app),
    WA(Excel_OpenBook, "o:null", L"get Workbooks()\nget Open(BSTR:\u00e91,I4:0,BOOL:0)\n", o.app, kE1, 0),
    WA(Excel_OpenBookEx, "o:null", L"get Workbooks()\nget Open(BSTR:\u00e91,I4:0,BOOL:-1,BSTR:\u00e92,BSTR:\u00e93,BSTR:\u00e94)\n", o.app, kE1, 1, kE2, kE3, kE4),
    WA(Excel_GetBook, "o:obj", L"get Workbooks()\nget Item(BSTR:Book1)\n", o.app, ASCII("Book1")),
    ONE(Excel_GetBook_Index, "o:obj", L"get Workbooks(I4:1)\n", o.app, 1),
    ONE(Excel_GetActiveBook, "o:obj", L"get ActiveWorkbook()\n", o.app),
    WA(Excel_SetActiveBook, "n:1", L"get Workbooks(BSTR:Book1)\ncall Activate()\n", o.app, ASCII("Book1")),
    ONE_C(Excel_SetActiveBook_Index, "n:1", L"get Workbooks(I4:1)\ncall Activate()\n", o.app, 1),
    ONE(Excel_GetBookCount, "n:1", L"get Workbooks()\nget Count()\n", o.app),
    ONE(Excel_CloseAllBook, "n:1", L"get Workbooks()\ncall Close()\n", o.app),
    ONE(Excel_Book_Close, "n:1", L"call Close(BOOL:0)\n", o.book, 0),
    ONE(Excel_Book_Save, "n:0", L"call Save()\n", o.book),  // a book without a file yet
    WA(Excel_Book_SaveAs, "n:0", L"call SaveAs(BSTR:?\u00e91,I4:51)\n", o.book, kBadPath, 51),
    ONE(Excel_Book_Saved, "n:1", L"put Saved()=BOOL:-1\n", o.book, 1),
    ONE(Excel_Book_FileFormat, "n:51", L"get FileFormat()\n", o.book),
    WA(Excel_Book_FullName, "t:Book1", L"get FullName()\n", o.book),
    WA(Excel_Book_Name, "t:Book1", L"get Name()\n", o.book),
    WA(Excel_Book_Path, "t:", L"get Path()\n", o.book),
    WA(Excel_Book_Activate, "n:1", L"get Sheets(BSTR:Sheet2)\ncall Activate()\n", o.book, ASCII("Sheet2")),
    ONE(Excel_Book_Activate_Index, "n:1", L"get Sheets(I4:2)\ncall Activate()\n", o.book, 2),
    ONE(Excel_Book_ActiveSheet, "o:obj", L"get ActiveSheet()\n", o.book),
    ONE(Excel_Book_Sheets, "o:obj", L"get Sheets()\n", o.book),
    ONE(Excel_Book_AddSheet, "o:obj", L"get Sheets()\nget Add()\n", o.book, -1),
    ONE(Excel_Book_AddSheet, "o:obj", L"get Sheets()\nget Item(I4:2)\nget Sheets()\nget Add(DISPATCH:Worksheet(Sheet2))\n", o.book, 2),
    WA(Excel_Book_CopySheet, "o:obj", L"get Sheets(BSTR:Sheet1)\ncall Copy()\nget Application()\nget ActiveSheet()\n", o.book, ASCII("Sheet1"), -1),
    WA(Excel_Book_CopySheet, "o:obj", SHEET_AT(L"3") L"get Sheets(BSTR:Sheet1)\ncall Copy(DISPATCH:Worksheet(Sheet3))\n" SHEET_AT(L"3"), o.book, ASCII("Sheet1"), 3),
    ONE(Excel_Book_CopySheet_Index, "o:obj", SHEET_AT(L"3") L"get Sheets(I4:1)\ncall Copy(DISPATCH:Worksheet(Sheet3))\n" SHEET_AT(L"3"), o.book, 1, 3),
    WA(Excel_Book_GetSheet, "o:obj", L"get Sheets()\nget Item(BSTR:Sheet2)\n", o.book, ASCII("Sheet2")),
    ONE(Excel_Book_GetSheet_Index, "o:obj", L"get Sheets(I4:2)\n", o.book, 2),
    ONE(Excel_Book_GetSheetCount, "n:3", L"get Sheets()\nget Count()\n", o.book),
    WA(Excel_Book_GetSheetName, "t:Sheet2", L"get Sheets(I4:2)\nget Name()\n", o.book, 2),
    WA(Excel_Book_SetSheetName, "n:1", L"get Sheets(BSTR:Sheet2)\nput Name()=BSTR:\u00e91\n", o.book, ASCII("Sheet2"), kE1),
    WA(Excel_Book_SetSheetName_Index, "n:1", L"get Sheets(I4:2)\nput Name()=BSTR:\u00e91\n", o.book, 2, kE1),
    WA(Excel_Book_MoveSheet, "n:1", L"get Sheets()\nget Item(I4:3)\nget Sheets(BSTR:Sheet1)\ncall Move(DISPATCH:Worksheet(Sheet3))\n", o.book, ASCII("Sheet1"), 3),
    ONE(Excel_Book_MoveSheet_Index, "n:1", L"get Sheets()\nget Item(I4:3)\nget Sheets(I4:1)\ncall Move(DISPATCH:Worksheet(Sheet3))\n", o.book, 1, 3),
    WA(Excel_Book_DeleteSheet, "n:1", L"get Sheets(BSTR:Sheet2)\ncall Delete()\n", o.book, ASCII("Sheet2")),
    ONE(Excel_Book_DeleteSheet_Index, "n:1", L"get Sheets(I4:2)\ncall Delete()\n", o.book, 2),
    ONE(Excel_Sheet_RowCount, "n:1", L"get UsedRange()\nget Rows()\nget Count()\n", o.sheet),
    ONE(Excel_Sheet_ColCount, "n:1", L"get UsedRange()\nget Columns()\nget Count()\n", o.sheet),
    ONE(Excel_Sheet_InsertRow, "n:1", L"get Rows(I4:2)\ncall Insert()\n", o.sheet, 2),
    ONE(Excel_Sheet_InsertCol, "n:1", L"get Columns(I4:2)\ncall Insert()\n", o.sheet, 2),
    ONE(Excel_Sheet_DeleteRow, "n:1", L"get Rows(I4:2)\ncall Delete()\n", o.sheet, 2),
    ONE(Excel_Sheet_DeleteCol, "n:1", L"get Columns(I4:2)\ncall Delete()\n", o.sheet, 2),
    ONE(Excel_Sheet_UsedRange, "o:obj", L"get UsedRange()\n", o.sheet),
    ONE(Excel_Sheet_GetRange, "o:obj", CORNERS(L"1,I4:1", L"3,I4:2") L"get Range(" RANGE_OF(L"$A$1", L"$B$3") L")\n", o.sheet, 1, 1, 3, 2),
    WA(Excel_Sheet_GetRangeS, "o:obj", L"get Range(BSTR:A1:B2)\n", o.sheet, ASCII("A1:B2")),
    ONE(Excel_Sheet_GetRow, "o:obj", L"get Rows(I4:2)\n", o.sheet, 2),
    ONE(Excel_Sheet_GetCol, "o:obj", L"get Columns(I4:2)\n", o.sheet, 2),
    ONE(Excel_Sheet_GetCell, "o:obj", L"get Cells(I4:2,I4:3)\n", o.sheet, 2, 3),
    ONE(Excel_Sheet_SetRowHeight, "n:1", L"get Rows(I4:2)\nput RowHeight()=R8:20.5\n", o.sheet, 2, 20.5),
    ONE(Excel_Sheet_SetColWidth, "n:1", L"get Columns(I4:2)\nput ColumnWidth()=R8:8.25\n", o.sheet, 2, 8.25),
    WA(Excel_Sheet_GetCellText, "t:3.75", L"get Cells(I4:2,I4:3)\nget Text()\n", o.sheet, 2, 3),
    WA(Excel_Sheet_SetCellText, "n:1", L"get Cells(I4:2,I4:3)\nput Value()=BSTR:\u00e91\n", o.sheet, 2, 3, kE1),
    WA(Excel_Sheet_SetRangeText, "n:1", L"get Range(BSTR:A1:B2)\nput Value()=BSTR:\u00e91\n", o.sheet, ASCII("A1:B2"), kE1),
    ONE(Excel_Sheet_GetCellNumber, "n:3.75", L"get Cells(I4:2,I4:3)\nget Value()\n", o.sheet, 2, 3),
    ONE(Excel_Sheet_SetCellNumber, "n:1", L"get Cells(I4:2,I4:3)\nput Value()=R8:2.5\n", o.sheet, 2, 3, 2.5),
    WA(Excel_Sheet_SetRangeNumber, "n:1", L"get Range(BSTR:A1:B2)\nput Value()=R8:2.5\n", o.sheet, ASCII("A1:B2"), 2.5),
    ONE(Excel_Sheet_GetCellInt, "n:4", L"get Cells(I4:2,I4:3)\nget Value()\n", o.sheet, 2, 3),
    ONE(Excel_Sheet_SetCellInt, "n:1", L"get Cells(I4:2,I4:3)\nput Value()=I4:-7\n", o.sheet, 2, 3, -7),
    WA(Excel_Sheet_SetRangeInt, "n:1", L"get Range(BSTR:A1:B2)\nput Value()=I4:-7\n", o.sheet, ASCII("A1:B2"), -7),
    WA(Excel_Sheet_GetCellFormula, "t:3.75", L"get Cells(I4:2,I4:3)\nget Formula()\n", o.sheet, 2, 3),
    WA(Excel_Sheet_SetCellFormula, "n:1", L"get Cells(I4:2,I4:3)\nput Formula()=BSTR:=1+2\n", o.sheet, 2, 3, ASCII("=1+2")),
    WA(Excel_Sheet_SetCellFormat, "n:1", L"get Cells(I4:2,I4:3)\nput NumberFormatLocal()=BSTR:0.00\n", o.sheet, 2, 3, ASCII("0.00")),
    WA(Excel_Sheet_SetRangeFormat, "n:1", L"get Range(BSTR:A1:B2)\nput NumberFormatLocal()=BSTR:0.00\n", o.sheet, ASCII("A1:B2"), ASCII("0.00")),
    ONE(Excel_Sheet_CopyRange, "n:1", TWO_CORNERS L"call Copy()\n", o.sheet, 1, 1, 2, 2),
    WA(Excel_Sheet_CopyRangeS, "n:1", L"get Range(BSTR:A1:B2)\ncall Copy()\n", o.sheet, ASCII("A1:B2")),
    ONE(Excel_Sheet_CellPaste, "n:1", L"get Cells(I4:4,I4:4)\ncall PasteSpecial(I4:-4104)\n", o.sheet, 4, 4, -4104),
    WA(Excel_Sheet_CellPasteS, "n:1", L"get Range(BSTR:D4)\ncall PasteSpecial(I4:-4104)\n", o.sheet, ASCII("D4"), -4104),
    WA(Excel_Sheet_Paste, "n:1", L"call PasteSpecial(BSTR:\u00e91)\n", o.sheet, kE1),
    ONE(Excel_Sheet_PasteAppend, "n:1", L"get UsedRange()\nget Row()\nget UsedRange()\nget Rows()\nget Count()\nget Cells(I4:3,I4:1)\n"
        L"call PasteSpecial(I4:-4104)\n", o.sheet, -4104),
    ONE(Excel_Sheet_ClearRange, "n:1", TWO_CORNERS L"call Clear()\n", o.sheet, 1, 1, 2, 2),
    WA(Excel_Sheet_ClearRangeS, "n:1", L"get Range(BSTR:A1:B2)\ncall Clear()\n", o.sheet, ASCII("A1:B2")),
    ONE(Excel_Sheet_ClearRangeText, "n:1", TWO_CORNERS L"call ClearContents()\n", o.sheet, 1, 1, 2, 2),
    WA(Excel_Sheet_ClearRangeTextS, "n:1", L"get Range(BSTR:A1:B2)\ncall ClearContents()\n", o.sheet, ASCII("A1:B2")),
    ONE(Excel_Sheet_ClearRangeFormat, "n:1", TWO_CORNERS L"call ClearFormats()\n", o.sheet, 1, 1, 2, 2),
    WA(Excel_Sheet_ClearRangeFormatS, "n:1", L"get Range(BSTR:A1:B2)\ncall ClearFormats()\n", o.sheet, ASCII("A1:B2")),
    ONE(Excel_Sheet_DeleteRange, "n:1", TWO_CORNERS L"call Delete(I4:-4162)\n", o.sheet, 1, 1, 2, 2, -4162),
    ONE(Excel_Sheet_DeleteRange, "n:1", TWO_CORNERS L"get EntireRow()\ncall Delete(I4:16777216)\n", o.sheet, 1, 1, 2, 2, 0x1000000),
    WA(Excel_Sheet_DeleteRangeS, "n:1", L"get Range(BSTR:A1:B2)\ncall Delete(I4:-4162)\n", o.sheet, ASCII("A1:B2"), -4162),
    WA(Excel_Sheet_DeleteRangeS, "n:1", L"get Range(BSTR:A1:B2)\nget EntireColumn()\ncall Delete(I4:33554432)\n", o.sheet, ASCII("A1:B2"), 0x2000000),
    WA(Excel_Sheet_SetPageHeader, "n:1", L"get PageSetup()\nput CenterHeader()=BSTR:\u00e91\n", o.sheet, kE1),
    WA(Excel_Sheet_SetPageFooter, "n:1", L"get PageSetup()\nput CenterFooter()=BSTR:\u00e91\n", o.sheet, kE1),
    ONE(Excel_Sheet_SetPageSetup, "n:1", PAGE("TopMargin()=R8:1.5") PAGE("BottomMargin()=R8:2") PAGE("LeftMargin()=R8:3")
        PAGE("RightMargin()=R8:4") PAGE("HeaderMargin()=R8:5") PAGE("FooterMargin()=R8:6") PAGE("CenterHorizontally()=BOOL:-1")
        PAGE("CenterVertically()=BOOL:0"), o.sheet, 1.5, 2.0, 3.0, 4.0, 5.0, 6.0, 1, 0),
    ONE(Excel_Sheet_PrintPreview, "n:1", L"call PrintPreview()\n", o.sheet),
    ONE(Excel_Sheet_Print, "n:1", L"call PrintOut()\n", o.sheet),
    WA_C(Excel_Range_AddComment, "n:1", L"call AddComment(BSTR:\u00e91)\n", o.range, kE1),
    ONE_C(Excel_Range_ClearComments, "n:1", L"call ClearComments()\n", o.range),
    ONE_C(Excel_Range_Copy, "n:1", L"call Copy()\n", o.range),
    ONE_C(Excel_Range_Cut, "n:1", L"call Cut()\n", o.range),
    ONE_C(Excel_Range_Paste, "n:1", L"call PasteSpecial(I4:-4104)\n", o.range, -4104),
    ONE_C(Excel_Range_Delete, "n:1", L"call Delete(I4:-4162)\n", o.range, -4162),
    ONE_C(Excel_Range_Clear, "n:1", L"call Clear()\n", o.range),
    ONE_C(Excel_Range_ClearContents, "n:1", L"call ClearContents()\n", o.range),
    ONE_C(Excel_Range_ClearFormats, "n:1", L"call ClearFormats()\n", o.range),
    ONE_C(Excel_Range_Select, "n:1", L"call Select()\n", o.range),
    ONE_C(Excel_Range_PrintPreview, "n:1", L"call PrintPreview()\n", o.range),
    ONE_C(Excel_Range_Print, "n:1", L"call PrintOut()\n", o.range),
    ONE_C(Excel_Range_RowCount, "n:1", L"get Rows()\nget Count()\n", o.range),
    ONE_C(Excel_Range_ColCount, "n:1", L"get Columns()\nget Count()\n", o.range),
    ONE_C(Excel_Range_CellCount, "n:1", L"get CountLarge()\n", o.range),
    WA_C(Excel_Range_SetFont, "n:1", L"get Font()\nput Name()=BSTR:\u00e91\nput Size()=I4:12\nput Bold()=BOOL:-1\nput Italic()=BOOL:0\n"
       L"put Underline()=BOOL:-1\nput Strikethrough()=BOOL:0\n", o.range, kE1, 12, 1, 0, 1, 0),
    ONE_C(Excel_Range_SetColor, "n:1", L"get Font()\nput Color()=I4:255\nget Interior()\nput Color()=I4:65280\nget Borders()\nput Color()=I4:16711680\n", o.range, 255, 65280, 16711680),
    WA_C(Excel_Range_SetFormat, "n:1", L"put NumberFormatLocal()=BSTR:0.00\n", o.range, ASCII("0.00")),
    WA_C(Excel_Range_SetFormula, "n:1", L"put Formula()=BSTR:=1+2\n", o.range, ASCII("=1+2")),
    ONE_C(Excel_Range_HasFormula, "n:0", L"get HasFormula()\n", o.range),
    WA_C(Excel_Range_GetFormula, "t:3.75", L"get Formula()\n", o.range),
    WA_C(Excel_Range_GetText, "t:3.75", L"get Value()\n", o.range),
    WA_C(Excel_Range_SetText, "n:1", L"put Value()=BSTR:\u00e91\n", o.range, kE1),
    ONE_C(Excel_Range_GetNumber, "n:3.75", L"get Value()\n", o.range),
    ONE_C(Excel_Range_SetNumber, "n:1", L"put Value()=R8:2.5\n", o.range, 2.5),
    ONE_C(Excel_Range_GetInt, "n:4", L"get Value()\n", o.range),
    ONE_C(Excel_Range_SetInt, "n:1", L"put Value()=I4:-7\n", o.range, -7),
    ONE_C(Excel_Range_SetWrapText, "n:1", L"put WrapText()=BOOL:-1\n", o.range, 1),
};

// The failing calls: a server exception, and an unknown member; a message box
// only when switched on.
TEST_F(ExcelTest, EveryRowInEveryFormAndItsFailureValues) {
  check_member_table(kRows, Objects::make, control(), script_, LuaKinds{XEXCEL_MEMBERS(MEMBERTEST_LUA_KIND)},
                     {L"raise", L"fail"});
  tarvo::test::BoxWatcher watcher;
  script_.run("T.COM_ShowError()");
  EXPECT_EQ(Excel_Book_FileFormat(0), 0);  // returns once the watcher has closed its box
  script_.run("T.COM_HideError()");
  EXPECT_EQ(Excel_Book_FileFormat(0), 0);
  watcher.stop();
  EXPECT_EQ(watcher.found(), 1);
  EXPECT_NE(watcher.text().find(L"Member:\t  .FileFormat\r\n"), std::wstring::npos) << utf8(watcher.text());
}

std::string text_at(xComObject sheet, int r, int c) { return describe(Excel_Sheet_GetCellTextW(sheet, r, c)); }
std::string sheet_order(xComObject book) {
  std::string names;
  for (int i = 1, n = Excel_Book_GetSheetCount(book); i <= n; ++i)
    names += describe(Excel_Book_GetSheetNameW(book, i)).substr(2) + (i < n ? "," : "");
  return names;
}

TEST_F(ExcelTest, SheetsAddedCopiedMovedRenamedDeletedAndSaved) {
  Objects o = Objects::make();
  release(Excel_Book_AddSheet(o.book, 1));
  EXPECT_EQ(sheet_order(o.book), "Sheet4,Sheet1,Sheet2,Sheet3");
  EXPECT_EQ(Excel_Book_AddSheet(o.book, 9), 0) << "no sheet to put it before";
  xComObject copy = Excel_Book_CopySheetW(o.book, L"Sheet1", 4);
  EXPECT_EQ(sheet_order(o.book), "Sheet4,Sheet1,Sheet2,Sheet1 (2),Sheet3");
  EXPECT_EQ(text_at(copy, 2, 3), "t:3.75") << "the copy is the result";
  EXPECT_EQ(Excel_Sheet_SetCellNumber(copy, 2, 3, 1.5), 1);
  EXPECT_EQ(text_at(o.sheet, 2, 3), "t:3.75") << "and not the sheet copied";
  release(copy);
  // Without a position the copy goes into a new workbook of its own.
  copy = Excel_Book_CopySheet_Index(o.book, 2, -1);
  EXPECT_EQ(Excel_GetBookCount(o.app), 2);
  EXPECT_EQ(text_at(copy, 2, 3), "t:3.75");
  xComObject second = Excel_GetBook_Index(o.app, 2);
  EXPECT_EQ(sheet_order(second), "Sheet1");
  EXPECT_EQ(Excel_Sheet_SetCellNumber(copy, 1, 1, 7), 1);
  xComObject there = Excel_Book_GetSheet_Index(second, 1);
  EXPECT_EQ(text_at(there, 1, 1), "t:7") << "the copy is that book's sheet";
  release({there, copy, second});
  EXPECT_EQ(Excel_Book_MoveSheet_Index(o.book, 1, 5), 1);
  EXPECT_EQ(Excel_Book_MoveSheetW(o.book, L"Sheet3", 1), 1);
  EXPECT_EQ(sheet_order(o.book), "Sheet3,Sheet1,Sheet2,Sheet1 (2),Sheet4");
  EXPECT_EQ(Excel_Book_SetSheetNameW(o.book, L"Sheet1 (2)", L"\u6570\u636e"), 1);
  EXPECT_EQ(Excel_Book_SetSheetName_IndexW(o.book, 1, L"Last"), 1);
  EXPECT_EQ(Excel_Book_DeleteSheetW(o.book, L"Sheet2"), 1);
  EXPECT_EQ(Excel_Book_DeleteSheet_Index(o.book, 4), 1);
  EXPECT_EQ(sheet_order(o.book), "Last,Sheet1,\u6570\u636e");
  // Saved, closed and opened again.
  TempDir dir;
  const std::wstring path = dir.file(L"caf\u00e9.xlsx");
  ASSERT_EQ(Excel_Book_SaveAsW(o.book, path.c_str(), 51), 1);
  EXPECT_EQ(describe(Excel_Book_FullNameW(o.book)), "t:" + utf8(path));
  EXPECT_EQ(Excel_Book_Close(o.book, 0), 1);
  xComObject book = Excel_OpenBookW(o.app, path.c_str(), 1), sheet = Excel_Book_GetSheetW(book, L"Sheet1");
  EXPECT_EQ(sheet_order(book) + text_at(sheet, 2, 3), "Last,Sheet1,\u6570\u636et:3.75");
  EXPECT_EQ(Excel_CloseAllBook(o.app), 1);
  EXPECT_EQ(Excel_GetBookCount(o.app), 0);
  release({sheet, book});
  o.release();
}

TEST_F(ExcelTest, CellsAndRanges) {
  Objects o = Objects::make();
  const wchar_t *kWide = L"\u4e2d\u6587 \U0001F600 caf\u00e9";
  EXPECT_EQ(Excel_Sheet_SetCellTextW(o.sheet, 1, 1, kWide), 1);
  EXPECT_EQ(text_at(o.sheet, 1, 1), "t:" + utf8(kWide));
  EXPECT_EQ(Excel_Sheet_SetCellTextA(o.sheet, 1, 2, "na\xefve"), 1);
  EXPECT_EQ(describe(Excel_Sheet_GetCellTextA(o.sheet, 1, 2)), "t:na\u00efve");
  EXPECT_EQ(Excel_Sheet_InsertRow(o.sheet, 1), 1);
  EXPECT_EQ(text_at(o.sheet, 2, 2), "t:na\u00efve") << "row 1 moved down";
  EXPECT_EQ(Excel_Sheet_DeleteCol(o.sheet, 1), 1);
  EXPECT_EQ(text_at(o.sheet, 2, 1), "t:na\u00efve") << "column B moved left";
  EXPECT_EQ(Excel_Sheet_CopyRange(o.sheet, 2, 1, 4, 2), 1);
  EXPECT_EQ(Excel_Sheet_CellPaste(o.sheet, 6, 1, -4104), 1);
  EXPECT_EQ(text_at(o.sheet, 6, 1), "t:na\u00efve");
  // Appended at column A of the first row below the used range (A2:B7).
  EXPECT_EQ(Excel_Sheet_CopyRangeSW(o.sheet, L"A2:A2"), 1);
  EXPECT_EQ(Excel_Sheet_PasteAppend(o.sheet, -4104), 1);
  EXPECT_EQ(text_at(o.sheet, 8, 1), "t:na\u00efve");
  EXPECT_EQ(Excel_Sheet_RowCount(o.sheet), 7);
  // A whole sheet holds more cells than 32 bits count.
  const xComObject all = Excel_Sheet_GetRangeSW(o.sheet, L"A1:XFD1048576"),
                    column = Excel_Sheet_GetRangeSW(o.sheet, L"A1:A1048576");
  EXPECT_EQ(std::vector<int32_t>({Excel_Range_CellCount(all), Excel_Range_RowCount(all), Excel_Range_CellCount(column)}),
            std::vector<int32_t>({INT32_MAX, 1048576, 1048576}));
  release({all, column});
  o.release();
}

// Every helper object is released whichever call fails (the fixture counts the live objects), and a
// member stops at the first failure: no null object handed on, no page setting after a refused one.
TEST_F(ExcelTest, HelperObjectsReleasedOnEveryPath) {
  const FaultCase<Objects> cases[] = {
      {L"Cells", 1, CALL(Excel_Sheet_GetRange(o.sheet, 1, 1, 2, 2)), "o:null", L"Range", true},
      {L"Cells", 2, CALL(Excel_Sheet_CopyRange(o.sheet, 1, 1, 2, 2)), "n:0", L"Copy", true},
      {L"Cells", 2, CALL(Excel_Sheet_DeleteRange(o.sheet, 1, 1, 2, 2, -4162)), "n:0", L"Delete", true},
      {L"Range", 1, CALL(Excel_Sheet_ClearRange(o.sheet, 1, 1, 2, 2)), "n:0", L"Clear(", true},
      {L"put Bold", 1, CALL(Excel_Range_SetFontW(o.range, L"Arial", 9, 1, 1, 1, 1)), "n:0", L"Italic"},
      {L"Font", 1, CALL(Excel_Range_SetFontW(o.range, L"Arial", 9, 1, 1, 1, 1)), "n:0", L"Name", true},
      {L"Item", 1, CALL(Excel_Book_AddSheet(o.book, 1)), "o:null", L"Add", true},
      {L"Add", 1, CALL(Excel_Book_AddSheet(o.book, 1)), "o:null", L"", true},
      {L"Copy", 1, CALL(Excel_Book_CopySheetW(o.book, L"Sheet1", 2)), "o:null", L""},
      {L"Copy", 1, CALL(Excel_Book_CopySheet_Index(o.book, 1, -1)), "o:null", L""},
      {L"Row", 1, CALL(Excel_Sheet_PasteAppend(o.sheet, -4104)), "n:0", L""},
      {L"Move", 1, CALL(Excel_Book_MoveSheet_Index(o.book, 1, 3)), "n:0", L""},
      {L"Item", 1, CALL(Excel_Book_MoveSheetW(o.book, L"Sheet1", 7)), "n:0", L"Move", true},
      {L"put LeftMargin", 1, CALL(Excel_Sheet_SetPageSetup(o.sheet, 1, 2, 3, 4, 5, 6, 1, 1)), "n:0", L"RightMargin"},
  };
  check_fault_cases(cases, Objects::make, control(), baseline_, {L"raise", L"empty"});
}

TEST_F(ExcelTest, CheckFileReadsOnlyWhatIsThere) {
  TempDir dir;
  const struct {
    std::string bytes;
    int32_t plain, with_html;
  } cases[] = {
      {"PK\x03\x04rest", 1, 1}, {std::string("\xD0\xCF\x11\xE0\xA1\xB1", 6), 2, 2}, {"<?xml version", 3, 3},
      {"<html>", 0, 4}, {"<HTML>", 0, 0}, {"", 0, 0}, {"P", 0, 0}, {"PK", 0, 0}, {"PK\x03", 0, 0},
      {std::string("\0\0\0\0", 4), 0, 0},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    const std::wstring path = dir.file(L"f" + std::to_wstring(i) + L".bin");
    raw_write(path, cases[i].bytes);
    SCOPED_TRACE(cases[i].bytes);
    EXPECT_EQ(Excel_CheckFile(utf8(path).c_str(), 0), cases[i].plain);  // the temporary folder is ASCII here
    EXPECT_EQ(Excel_CheckFile(utf8(path).c_str(), 1), cases[i].with_html);
  }
  EXPECT_EQ(Excel_CheckFile(utf8(dir.file(L"missing.xlsx")).c_str(), 1), 0);
  EXPECT_EQ(Excel_CheckFile(nullptr, 1), 0);
  // The script form opens the path in wide form: a name no ANSI code page here can spell.
  const std::wstring wide = dir.file(L"\u8868\u683c.xlsx");
  raw_write(wide, "PK\x03\x04");
  EXPECT_EQ(script_.run("return T.Excel_CheckFile([[" + utf8(wide) + "]])"), "n:1");
  EXPECT_EQ(script_.run("return T.Excel_CheckFile([[" + utf8(dir.file(L"f3.bin")) + "]], true)"), "n:4");
}

// A local server process: objects marshalled across, attachment through the running-object table, WPS
// by its own ProgID.
TEST_F(ExcelTest, AcrossTheProcessBoundary) {
  LocalServer server(standin::excel::kExcelClsid);
  xComObject attached = Excel_GetObject();
  ASSERT_NE(attached, 0) << "the running instance is found";
  xComObject remote_book = Excel_NewBook(attached);
  xComObject remote_sheet = Excel_Book_GetSheetW(remote_book, L"Sheet2");
  EXPECT_NE(remote_sheet, 0);
  release({remote_sheet, remote_book});
  EXPECT_EQ(server.live(), server.start) << "books and sheets released across the boundary";
  EXPECT_EQ(Excel_Quit(attached), 1);
  release(attached);
  server.ref.reset();
  xComObject wps = WPS_Create();
  ASSERT_NE(wps, 0);
  EXPECT_EQ(describe(Excel_Book_NameW(wps)), "t:WPS Spreadsheets");
  EXPECT_EQ(Excel_Quit(wps), 1);
  release(wps);
}

// One book of the stand-ins' own format: a sheet for each shape.
const char kBook[] =
    "tarvo-book\t1\nformat\t51\nactive\t1\nsheet\tNamed\ncell\tA1\ts\tName\ncell\tB1\ts\tQty\n"
    "cell\tA2\ts\tapple\ncell\tB2\tn\t3\ncell\tA3\ts\t\xe6\xa2\xa8\ncell\tB3\tn\t3.75\n"
    "cell\tA4\ts\t\xf0\x9f\x98\x80x\ncell\tB4\tn\t-2\n"
    "sheet\tKeyB\ncell\tA1\ts\tx\ncell\tB1\ts\ty\ncell\tA2\ts\ta2\ncell\tB2\ts\tb2\ncell\tA3\ts\ta3\ncell\tA4\ts\ta4\n"
    "sheet\tGap\ncell\tA1\ts\ta\ncell\tC1\ts\tc\ncell\tA2\ts\tv\ncell\tC2\ts\tw\nsheet\tEmpty\n"
    "sheet\tHeaderOnly\ncell\tA1\ts\th1\ncell\tB1\ts\th2\n"
    "sheet\tDup\ncell\tA1\ts\tk\ncell\tB1\ts\tk\ncell\tA2\ts\t1\ncell\tB2\ts\t2\n";

// An entry point of the stand-in file library, which sits beside the test.
template <class F>
F standin_entry(const char *name) {
  return reinterpret_cast<F>(GetProcAddress(GetModuleHandleW(L"tarvo_libxl_standin.dll"), name));
}

class SheetReadTest : public ExcelTest {
 protected:
  void SetUp() override {
    ExcelTest::SetUp();
    const std::wstring path = dir_.file(L"\u043a\u043d\u0438\u0433\u0430.xlsx");
    raw_write(path, kBook);
    script_.run("P = [[" + utf8(path) + "]] M = [[" + utf8(dir_.file(L"missing.xlsx")) + "]]");
    ASSERT_EQ(script_.run("return T.LibXL_Init('tarvo_libxl_standin.dll')"), "n:1");
    live_books_ = standin_entry<long (*)()>("xlStandinLiveBooks");
    fail_ = standin_entry<void (*)(const char *)>("xlStandinFail");
    ASSERT_TRUE(live_books_ && fail_);
  }
  void TearDown() override {
    if (fail_) fail_(nullptr);
    EXPECT_EQ(live_books_ ? live_books_() : 0, 0) << "a file-library book was left behind";
    ExcelTest::TearDown();
  }
  // The call (E the engine flag) through both engines: the same table.
  std::string both(const std::string &call) {
    const std::string application = script_.run("E = false return T." + call);
    EXPECT_EQ(script_.run("E = true return T." + call), application) << call;
    return application;
  }

  TempDir dir_;
  long (*live_books_)() = nullptr;
  void (*fail_)(const char *) = nullptr;
};

#define LIST_ROW(a, b) "L{[1]=\"" a "\",[2]=\"" b "\"}"
#define NAMED_LIST "L{[1]=" LIST_ROW("apple", "3") ",[2]=" LIST_ROW("\xe6\xa2\xa8", "3.75") ",[3]=" \
                   LIST_ROW("\xf0\x9f\x98\x80x", "-2") "}"
#define DONE(rows) ",LastError=\"\",RowCount=" rows ",Success=true}"
#define SHEET_ERROR(message) "R{ColCount=0,Data=L{},LastError=\"" message "\",RowCount=0,Success=false}"
#define BOOK_ERROR(message, sheets) "R{LastError=\"" message "\",SheetCount=0,Sheets=" sheets ",Success=false}"

TEST_F(SheetReadTest, EverySheetBookAndErrorIsTheSameThroughBothEnginesAndLeavesNothingBehind) {
  const std::pair<const char *, const char *> kReads[] = {
      {"Excel_ReadSheet(P, 'Named', 'A', 1, true, E)",
       "R{ColCount=2,Data=L{[1]=R{Name=\"apple\",Qty=\"3\"},[2]=R{Name=\"\xe6\xa2\xa8\",Qty=\"3.75\"},"
       "[3]=R{Name=\"\xf0\x9f\x98\x80x\",Qty=\"-2\"}},LastError=\"\",MapField=R{Name=1,Qty=2},"
       "MapIndex=L{[1]=\"Name\",[2]=\"Qty\"},RowCount=3,Success=true}"},
      {"Excel_ReadSheet(P, 1, nil, nil, nil, E)", "R{ColCount=2,Data=" NAMED_LIST DONE("3")},
      // A key column of numbers: the file library reads them as numbers.
      {"Excel_ReadSheet(P, nil, 'b', 1, false, E)", "R{ColCount=2,Data=" NAMED_LIST DONE("3")},
      {"Excel_ReadSheet(P, 'Named', 'A', 2, false, E)",
       "R{ColCount=2,Data=L{[1]=" LIST_ROW("\xe6\xa2\xa8", "3.75") ",[2]=" LIST_ROW("\xf0\x9f\x98\x80x", "-2")
       "}" DONE("2")},
      {"Excel_ReadSheet(P, 'KeyB', 'B', 1, false, E)", "R{ColCount=2,Data=L{[1]=" LIST_ROW("a2", "b2") "}" DONE("1")},
      {"Excel_ReadSheet(P, 'Gap', 'A', 1, false, E)", "R{ColCount=1,Data=L{[1]=L{[1]=\"v\"}}" DONE("1")},
      {"Excel_ReadSheet(P, 'Empty', 'A', 1, true, E)", "R{ColCount=0,Data=L{},RowCount=0}"},
      {"Excel_ReadSheet(P, 'HeaderOnly', 'A', 1, true, E)", "R{ColCount=2,Data=L{},RowCount=0}"},
      {"Excel_ReadSheet(P, 'Dup', 'A', 1, true, E)",
       "R{ColCount=2,Data=L{[1]=R{k=\"2\"}},LastError=\"\",MapField=R{k=2},MapIndex=L{[1]=\"k\",[2]=\"k\"},"
       "RowCount=1,Success=true}"},
      {"Excel_ReadSheet(P, 'Named', 'A', 0, false, E)", "R{ColCount=0,Data=L{},RowCount=4}"},
      {"Excel_ReadSheet(P, 'Named', 'A', math.maxinteger, false, E)", "R{ColCount=0,Data=L{},RowCount=0}"},
      {"Excel_ReadSheet(P, 'Named', '', math.mininteger, true, E)", "R{ColCount=0,Data=L{},RowCount=0}"},
      {"Excel_ReadSheet(P, 'Named', {}, 1, false, E)", "R{ColCount=2,Data=L{},RowCount=0}"},
      {"Excel_ReadSheet({}, 1, 'A', 1, false, E)", SHEET_ERROR("Param1 Datatype Error !")},
      {"Excel_ReadSheet(P, {}, 'A', 1, false, E)", SHEET_ERROR("Param2 Datatype Error !")},
      {"Excel_ReadSheet(M, 1, 'A', 1, false, E)", SHEET_ERROR("GetBook Failed !")},
      {"Excel_ReadSheet(0, 1, 'A', 1, false, E)", SHEET_ERROR("GetBook Failed !")},
      {"Excel_ReadSheet(P, 'Nope', 'A', 1, false, E)", SHEET_ERROR("GetSheet Failed !")},
      {"Excel_ReadSheet(P, 7, 'A', 1, false, E)", SHEET_ERROR("GetSheet Failed !")},
      {"Excel_ReadBook(false, 'A', 1, true, false, E)", BOOK_ERROR("Param1 Datatype Error !", "R{}")},
      {"Excel_ReadBook(M, 'A', 1, true, false, E)", BOOK_ERROR("GetBook Failed !", "R{}")},
      {"Excel_ReadBook(M, 'A', 1, false, false, E)", BOOK_ERROR("GetBook Failed !", "L{}")},
  };
  for (auto [call, table] : kReads) EXPECT_EQ(both(call), table) << call;
  // A Lua error while building (no BasicLib) is raised after the tidying up.
  for (const std::string engine : {"false", "true"})
    EXPECT_EQ(script_.run("local B = BasicLib BasicLib = nil local ok = pcall(T.Excel_ReadSheet, P, 1, 'A', 1, false, "
                          + engine + ") BasicLib = B return ok"), "n:0");
  const std::string by_name = both("Excel_ReadBook(P, 'A', 1, true, true, E)");
  EXPECT_NE(by_name.find("Empty=R{ColCount=0,Data=L{},RowCount=0,SheetIndex=4,SheetName=\"Empty\"}"),
            std::string::npos) << by_name;
  const std::string by_number = both("Excel_ReadBook(P, nil, nil, false, nil, E)");
  EXPECT_EQ(by_number.rfind("R{LastError=\"\",SheetCount=6,Sheets=L{[1]=R{ColCount=2,Data=" NAMED_LIST, 0), 0u)
      << by_number;
  // Unreadable names: the sheets are keyed by number, not all by "".
  control().fault(L"get Name", L"fail");
  fail_("xlBookGetSheetNameW");
  const std::string unnamed = both("Excel_ReadBook(P, 'A', 1, true, false, E)");
  EXPECT_NE(unnamed.find("Sheets=R{[1]=R{"), std::string::npos) << unnamed;
  EXPECT_NE(unnamed.find("[6]=R{"), std::string::npos) << unnamed;
  // No sheet at all from the file library: empty sheets, never a read through null.
  fail_("xlBookGetSheetW");
  EXPECT_NE(script_.run("return T.Excel_ReadBook(P, 'A', 1, false, false, true)")
                .find("[6]=R{ColCount=0,Data=L{},RowCount=0,SheetIndex=6,SheetName=\"Dup\"}},Success=true}"),
            std::string::npos);
}

// Through the application a path gets an application of its own, whose book
// alone is closed; a handle given in is neither closed nor released.
TEST_F(SheetReadTest, TidyingUpClosesOnlyTheBookTheReadOpened) {
  Objects o = Objects::make();
  Excel_Sheet_SetCellTextW(o.sheet, 1, 1, L"h");
  Excel_Sheet_SetCellTextW(o.sheet, 2, 1, L"v");
  control().clear();
  EXPECT_EQ(script_.run("return T.Excel_ReadSheet(P, 1, 'A', 1, false, false).RowCount"), "n:3");
  const std::wstring journal = control().journal();
  EXPECT_TRUE(journal.ends_with(L"call Close(BOOL:0)\nget Workbooks()\nget Count()\ncall Quit()\n")) << utf8(journal);
  EXPECT_EQ(journal.find(L"call Close()"), std::wstring::npos) << "all books closed";
  script_.set("B", o.book);
  EXPECT_EQ(script_.run("return T.Excel_ReadSheet(B, 1, 'A', 1, false, false)"),
            "R{ColCount=1,Data=L{[1]=L{[1]=\"v\"}}" DONE("1"));
  EXPECT_EQ(control().journal().find(L"Close"), std::wstring::npos);
  EXPECT_EQ(Excel_GetBookCount(o.app), 1);
  o.release();
}

// The binding, in the order a script meets it (each test runs in a process
// of its own: nothing is bound at the start).
using LibXLBinding = tarvo::test::LeakCheckedTest;
TEST_F(LibXLBinding, AllOrNothingAndAFailedRebindingKeepsTheGoodOne) {
  TempDir dir;
  const std::wstring path = dir.file(L"b.xlsx");
  raw_write(path, kBook);
  Script s;
  s.run("P = [[" + utf8(path) + "]]");
  const std::pair<const char *, const char *> kSteps[] = {
      {"return T.LibXL_NewBook()", "n:0"},  // before any binding: nothing is called
      {"return T.LibXL_BookLoad(12345, P)", "n:0"},
      {"return T.LibXL_Release(12345)", "none"},
      {"return T.Excel_ReadSheet(P, 1, 'A', 1, false, true).LastError", "t:GetBook Failed !"},
      {"return T.LibXL_Init('no_such_library.dll')", "n:0"},
      {"return T.LibXL_Init('tarvo_libxl_standin_noansi.dll')", "n:0"},
      {"return T.LibXL_NewBook()", "n:0"},
      {"return T.LibXL_Init('tarvo_libxl_standin.dll')", "n:1"},
      {"X = T.LibXL_NewBook() return X ~= 0", "n:1"},
      {"return T.LibXL_Init('tarvo_libxl_standin_noansi.dll')", "n:0"},
      {"return T.LibXL_BookLoad(X, P .. 'x')", "n:0"},  // a missing file
      {"return T.LibXL_BookLoad(X, P)", "n:1"},  // the good binding still works
      {"return T.Excel_ReadSheet(X, 'KeyB', 'A', 1, false, true).RowCount", "n:3"},
      {"return T.LibXL_Release(X)", "none"},
  };
  for (auto [call, result] : kSteps) EXPECT_EQ(s.run(call), result) << call;
  // The format of a new book, as the stand-in saw it made.
  const auto is_xml = standin_entry<int32_t (*)(intptr_t)>("xlStandinBookIsXml");
  ASSERT_TRUE(is_xml);
  for (auto [argument, xml] : {std::pair{"", 1}, {"1", 1}, {"0", 0}}) {
    const std::string handle = s.run(std::string("X = T.LibXL_NewBook(") + argument + ") return X");
    EXPECT_EQ(is_xml(static_cast<intptr_t>(std::stod(handle.substr(2)))), xml) << argument;
    s.run("T.LibXL_Release(X)");
  }
}

}  // namespace
}  // namespace exceltest
