// Every member row against the stand-in's journal in the W form, the A form
// (ANSI text beyond ASCII) and the Lua function; the failure values of every
// member.
#include "excel_fixture.hpp"

#include "box_watcher.hpp"

namespace exceltest {
namespace {

using Row = MemberRow<Objects>;

#define CORNERS(a, b) L"get Cells(I4:" a L")\nget Cells(I4:" b L")\n"
#define RANGE_OF(a, b) L"DISPATCH:Range(Sheet1!" a L"),DISPATCH:Range(Sheet1!" b L")"
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
    ONE(Excel_Book_Save, "*", L"call Save()\n", o.book),
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
    WA(Excel_Book_CopySheet, "*", L"get Sheets(BSTR:Sheet1)\nget Copy()\n", o.book, ASCII("Sheet1"), -1),
    WA(Excel_Book_CopySheet, "o:obj", L"get Sheets()\nget Item(I4:3)\nget Sheets(BSTR:Sheet1)\nget Copy(DISPATCH:Worksheet(Sheet3))\n", o.book, ASCII("Sheet1"), 3),
    ONE(Excel_Book_CopySheet_Index, "o:obj", L"get Sheets()\nget Item(I4:3)\nget Sheets(I4:1)\nget Copy(DISPATCH:Worksheet(Sheet3))\n", o.book, 1, 3),
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
    ONE(Excel_Sheet_CellPaste, "*", L"get Cells(I4:4,I4:4)\ncall PasteSpecial(I4:-4104)\n", o.sheet, 4, 4, -4104),
    WA(Excel_Sheet_CellPasteS, "*", L"get Range(BSTR:D4)\ncall PasteSpecial(I4:-4104)\n", o.sheet, ASCII("D4"), -4104),
    WA(Excel_Sheet_Paste, "*", L"call PasteSpecial(BSTR:\u00e91)\n", o.sheet, kE1),
    ONE(Excel_Sheet_PasteAppend, "*", L"get Range()\ncall PasteSpecial(I4:-4104)\n", o.sheet, -4104),
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
    ONE(Excel_Sheet_SetPageSetup, "n:1", L"get PageSetup()\nput TopMargin()=R8:1.5\nget PageSetup()\nput BottomMargin()=R8:2\n"
        L"get PageSetup()\nput LeftMargin()=R8:3\nget PageSetup()\nput RightMargin()=R8:4\n"
        L"get PageSetup()\nput HeaderMargin()=R8:5\nget PageSetup()\nput FooterMargin()=R8:6\n"
        L"get PageSetup()\nput CenterHorizontally()=BOOL:-1\nget PageSetup()\nput CenterVertically()=BOOL:0\n", o.sheet, 1.5, 2.0, 3.0, 4.0, 5.0, 6.0, 1, 0),
    ONE(Excel_Sheet_PrintPreview, "n:1", L"call PrintPreview()\n", o.sheet),
    ONE(Excel_Sheet_Print, "n:1", L"call PrintOut()\n", o.sheet),
    WA_C(Excel_Range_AddComment, "n:1", L"call AddComment(BSTR:\u00e91)\n", o.range, kE1),
    ONE_C(Excel_Range_ClearComments, "n:1", L"call ClearComments()\n", o.range),
    ONE_C(Excel_Range_Copy, "n:1", L"call Copy()\n", o.range),
    ONE_C(Excel_Range_Cut, "n:1", L"call Cut()\n", o.range),
    ONE_C(Excel_Range_Paste, "*", L"call PasteSpecial(I4:-4104)\n", o.range, -4104),
    ONE_C(Excel_Range_Delete, "n:1", L"call Delete(I4:-4162)\n", o.range, -4162),
    ONE_C(Excel_Range_Clear, "n:1", L"call Clear()\n", o.range),
    ONE_C(Excel_Range_ClearContents, "n:1", L"call ClearContents()\n", o.range),
    ONE_C(Excel_Range_ClearFormats, "n:1", L"call ClearFormats()\n", o.range),
    ONE_C(Excel_Range_Select, "n:1", L"call Select()\n", o.range),
    ONE_C(Excel_Range_PrintPreview, "n:1", L"call PrintPreview()\n", o.range),
    ONE_C(Excel_Range_Print, "n:1", L"call PrintOut()\n", o.range),
    ONE_C(Excel_Range_RowCount, "n:1", L"get Rows()\nget Count()\n", o.range),
    ONE_C(Excel_Range_ColCount, "n:1", L"get Columns()\nget Count()\n", o.range),
    ONE_C(Excel_Range_CellCount, "n:1", L"get Count()\n", o.range),
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

using ExcelMembers = ExcelTest;

// The failing calls: a server exception, and an unknown member.
TEST_F(ExcelMembers, EveryRowInEveryFormAndItsFailureValues) {
  check_member_table(kRows, Objects::make, control(), script_, {L"raise", L"fail"});
}

TEST_F(ExcelMembers, AMessageBoxOnlyWhenSwitchedOn) {
  tarvo::test::BoxWatcher watcher;
  EXPECT_EQ(script_.run("return T.Excel_Book_Name(0)"), "t:");
  EXPECT_EQ(watcher.found(), 0);
  script_.run("T.COM_ShowError()");
  EXPECT_EQ(Excel_Book_FileFormat(0), 0);  // returns once the watcher has closed its box
  script_.run("T.COM_HideError()");
  EXPECT_EQ(Excel_Book_FileFormat(0), 0);
  watcher.stop();
  EXPECT_EQ(watcher.found(), 1);
  EXPECT_NE(watcher.text().find(L"Member:\t  .FileFormat\r\n"), std::wstring::npos) << utf8(watcher.text());
}

}  // namespace
}  // namespace exceltest
