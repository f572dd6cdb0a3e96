// Stateful scenarios on the stand-in's model (books, sheets, cells and
// ranges, page setup), objects released on injected failures, the file-type
// check, and members across the process boundary.
#include "excel_fixture.hpp"

#include "excel_standin.hpp"
#include "temp_dir.hpp"
#include "xcore.h"

#include <filesystem>
#include <fstream>
#include <vector>

namespace exceltest {
namespace {

using tarvo::test::TempDir;

std::string text_at(xComObject sheet, int r, int c) { return describe(Excel_Sheet_GetCellTextW(sheet, r, c)); }
std::string sheet_name(xComObject book, int i) { return describe(Excel_Book_GetSheetNameW(book, i)); }

std::string sheet_order(xComObject book) {
  std::string names;
  const int n = Excel_Book_GetSheetCount(book);
  for (int i = 1; i <= n; ++i) names += sheet_name(book, i).substr(2) + (i < n ? "," : "");
  return names;
}

void release(xComObject h) {
  if (h) reinterpret_cast<IDispatch *>(h)->Release();
}

using ExcelScenario = ExcelTest;

TEST_F(ExcelScenario, BooksSavedClosedAndOpenedAgain) {
  TempDir dir;
  const std::wstring path = dir.file(L"caf\u00e9.xlsx");
  Objects o = Objects::make();
  ASSERT_EQ(Excel_Sheet_SetCellTextW(o.sheet, 1, 1, L"kept \u00e9"), 1);
  ASSERT_EQ(Excel_Book_SaveAsW(o.book, path.c_str(), 51), 1);
  EXPECT_EQ(describe(Excel_Book_FullNameW(o.book)), "t:" + utf8(path));
  EXPECT_EQ(describe(Excel_Book_NameW(o.book)), "t:caf\u00e9.xlsx");
  EXPECT_EQ(describe(Excel_Book_PathW(o.book)), "t:" + utf8(dir.path().substr(0, dir.path().size() - 1)));
  xComObject second = Excel_NewBook(o.app);
  EXPECT_EQ(Excel_GetBookCount(o.app), 2);
  EXPECT_EQ(Excel_Book_Close(second, 0), 1);
  release(second);
  EXPECT_EQ(Excel_Book_Close(o.book, 0), 1);
  EXPECT_EQ(Excel_GetBookCount(o.app), 0);

  xComObject book = Excel_OpenBookW(o.app, path.c_str(), 1);
  ASSERT_NE(book, 0);
  xComObject sheet = Excel_Book_GetSheet_Index(book, 1);
  EXPECT_EQ(text_at(sheet, 1, 1), "t:kept \u00e9");
  EXPECT_EQ(text_at(sheet, 2, 3), "t:3.75");
  EXPECT_EQ(Excel_GetBookCount(o.app), 1);
  xComObject same = Excel_GetBookW(o.app, L"caf\u00e9.xlsx");
  EXPECT_NE(same, 0);
  release(same);
  EXPECT_EQ(Excel_CloseAllBook(o.app), 1);
  EXPECT_EQ(Excel_GetBookCount(o.app), 0);
  release(sheet);
  release(book);
  o.release();
}

TEST_F(ExcelScenario, SheetsAddedCopiedMovedRenamedAndDeleted) {
  Objects o = Objects::make();
  EXPECT_EQ(sheet_order(o.book), "Sheet1,Sheet2,Sheet3");
  release(Excel_Book_AddSheet(o.book, 1));
  EXPECT_EQ(sheet_order(o.book), "Sheet4,Sheet1,Sheet2,Sheet3");
  EXPECT_EQ(Excel_Book_AddSheet(o.book, 9), 0) << "no sheet to put it before";
  release(Excel_Book_CopySheetW(o.book, L"Sheet1", 4));
  EXPECT_EQ(sheet_order(o.book), "Sheet4,Sheet1,Sheet2,Sheet1 (2),Sheet3");
  EXPECT_EQ(Excel_Book_MoveSheet_Index(o.book, 1, 5), 1);
  EXPECT_EQ(Excel_Book_MoveSheetW(o.book, L"Sheet3", 1), 1);
  EXPECT_EQ(sheet_order(o.book), "Sheet3,Sheet1,Sheet2,Sheet1 (2),Sheet4");
  EXPECT_EQ(Excel_Book_SetSheetNameW(o.book, L"Sheet1 (2)", L"\u6570\u636e"), 1);
  EXPECT_EQ(Excel_Book_SetSheetName_IndexW(o.book, 1, L"Last"), 1);
  EXPECT_EQ(Excel_Book_DeleteSheetW(o.book, L"Sheet2"), 1);
  EXPECT_EQ(Excel_Book_DeleteSheet_Index(o.book, 4), 1);
  EXPECT_EQ(sheet_order(o.book), "Last,Sheet1,\u6570\u636e");
  EXPECT_EQ(Excel_Book_GetSheetCount(o.book), 3);
  xComObject copy = Excel_Book_GetSheetW(o.book, L"\u6570\u636e");
  EXPECT_EQ(text_at(copy, 2, 3), "t:3.75") << "the copy took the cells along";
  release(copy);
  EXPECT_EQ(Excel_Book_ActivateW(o.book, L"Sheet1"), 1);
  xComObject active = Excel_Book_ActiveSheet(o.book);
  EXPECT_EQ(describe(Excel_Book_GetSheetNameW(o.book, 2)), "t:Sheet1");
  release(active);
  o.release();
}

TEST_F(ExcelScenario, CellsAndRanges) {
  Objects o = Objects::make();
  const wchar_t *kWide = L"\u4e2d\u6587 \U0001F600 caf\u00e9";
  EXPECT_EQ(Excel_Sheet_SetCellTextW(o.sheet, 1, 1, kWide), 1);
  EXPECT_EQ(text_at(o.sheet, 1, 1), utf8(std::wstring(L"t:") + kWide).substr(0));
  EXPECT_EQ(Excel_Sheet_SetCellTextA(o.sheet, 1, 2, "na\xefve"), 1);
  EXPECT_EQ(describe(Excel_Sheet_GetCellTextA(o.sheet, 1, 2)), "t:na\u00efve");
  EXPECT_EQ(Excel_Sheet_SetCellNumber(o.sheet, 3, 1, 2.5), 1);
  EXPECT_EQ(Excel_Sheet_SetCellInt(o.sheet, 3, 2, 4), 1);
  EXPECT_EQ(Excel_Sheet_SetCellFormulaW(o.sheet, 3, 3, L"=A3*B3"), 1);
  EXPECT_EQ(text_at(o.sheet, 3, 3), "t:10");
  EXPECT_EQ(describe(Excel_Sheet_GetCellFormulaW(o.sheet, 3, 3)), "t:=A3*B3");
  EXPECT_EQ(Excel_Sheet_GetCellNumber(o.sheet, 3, 1), 2.5);
  EXPECT_EQ(Excel_Sheet_GetCellInt(o.sheet, 3, 1), 2.0) << "2.5 rounds to even through the coercion";
  EXPECT_EQ(Excel_Sheet_SetCellFormatW(o.sheet, 3, 1, L"0.00"), 1);
  EXPECT_EQ(text_at(o.sheet, 3, 1), "t:2.50");

  EXPECT_EQ(Excel_Sheet_InsertRow(o.sheet, 1), 1);
  EXPECT_EQ(text_at(o.sheet, 2, 2), "t:na\u00efve") << "row 1 moved down";
  EXPECT_EQ(describe(Excel_Sheet_GetCellFormulaW(o.sheet, 4, 3)), "t:=A4*B4") << "references follow";
  EXPECT_EQ(Excel_Sheet_DeleteCol(o.sheet, 1), 1);
  EXPECT_EQ(text_at(o.sheet, 2, 1), "t:na\u00efve") << "column B moved left";
  EXPECT_EQ(Excel_Sheet_RowCount(o.sheet), 3);
  EXPECT_EQ(Excel_Sheet_ColCount(o.sheet), 2);

  EXPECT_EQ(Excel_Sheet_CopyRange(o.sheet, 2, 1, 4, 2), 1);
  EXPECT_EQ(Excel_Sheet_CellPaste(o.sheet, 6, 1, -4104), 1);
  EXPECT_EQ(text_at(o.sheet, 6, 1), "t:na\u00efve");
  EXPECT_EQ(Excel_Sheet_ClearRangeSW(o.sheet, L"A6:B8"), 1);
  EXPECT_EQ(text_at(o.sheet, 6, 1), "t:");
  EXPECT_EQ(Excel_Sheet_ClearRangeText(o.sheet, 2, 1, 2, 1), 1);
  EXPECT_EQ(text_at(o.sheet, 2, 1), "t:");

  xComObject range = Excel_Sheet_GetRange(o.sheet, 1, 1, 3, 2);
  EXPECT_EQ(Excel_Range_RowCount(range), 3);
  EXPECT_EQ(Excel_Range_CellCount(range), 6);
  release(range);
  xComObject cell = Excel_Sheet_GetCell(o.sheet, 9, 9);
  EXPECT_EQ(Excel_Range_SetFormulaW(cell, L"=1+1"), 1);
  EXPECT_EQ(Excel_Range_HasFormula(cell), -1);
  EXPECT_EQ(Excel_Range_GetInt(cell), 2);
  release(cell);
  o.release();
}

TEST_F(ExcelScenario, PageSetupStopsAtTheFirstRefusal) {
  Objects o = Objects::make();
  control().fault(L"put LeftMargin", L"raise");
  EXPECT_EQ(Excel_Sheet_SetPageSetup(o.sheet, 1, 2, 3, 4, 5, 6, 1, 1), 0);
  const std::wstring sent = control().journal();
  EXPECT_NE(sent.find(L"put BottomMargin()=R8:2\n"), std::wstring::npos);
  EXPECT_NE(sent.find(L"put LeftMargin()=R8:3\n"), std::wstring::npos);
  EXPECT_EQ(sent.find(L"RightMargin"), std::wstring::npos) << "nothing after the refusal";
  control().clear_faults();
  EXPECT_EQ(Excel_Sheet_SetPageSetup(o.sheet, 1, 2, 3, 4, 5, 6, 1, 1), 1);
  o.release();
}

// Every helper object is released whichever call fails (the fixture checks
// the live-object count), and a missing object stops the member before the
// server is handed a null one.
TEST_F(ExcelScenario, HelperObjectsReleasedOnEveryPath) {
  struct Case {
    const wchar_t *fault;
    int32_t nth;
    std::function<int64_t(const Objects &)> member;
    const wchar_t *never_sent;
    bool get = true;  // a get, which an empty answer fails too
  };
  const Case cases[] = {
      {L"Cells", 1, [](const Objects &o) { return Excel_Sheet_GetRange(o.sheet, 1, 1, 2, 2); }, L"Range"},
      {L"Cells", 2, [](const Objects &o) { return Excel_Sheet_CopyRange(o.sheet, 1, 1, 2, 2); }, L"Copy"},
      {L"Cells", 2, [](const Objects &o) { return Excel_Sheet_DeleteRange(o.sheet, 1, 1, 2, 2, -4162); }, L"Delete"},
      {L"Range", 1, [](const Objects &o) { return Excel_Sheet_ClearRange(o.sheet, 1, 1, 2, 2); }, L"Clear("},
      {L"put Bold", 1, [](const Objects &o) { return Excel_Range_SetFontW(o.range, L"Arial", 9, 1, 1, 1, 1); },
       L"Italic", false},
      {L"Font", 1, [](const Objects &o) { return Excel_Range_SetFontW(o.range, L"Arial", 9, 1, 1, 1, 1); }, L"Name"},
      {L"Item", 1, [](const Objects &o) { return Excel_Book_AddSheet(o.book, 1); }, L"Add"},
      {L"Add", 1, [](const Objects &o) { return Excel_Book_AddSheet(o.book, 1); }, L"\n\n"},
      {L"Copy", 1, [](const Objects &o) { return Excel_Book_CopySheetW(o.book, L"Sheet1", 2); }, L"\n\n"},
      {L"Move", 1, [](const Objects &o) { return Excel_Book_MoveSheet_Index(o.book, 1, 3); }, L"\n\n", false},
      {L"Item", 1, [](const Objects &o) { return Excel_Book_MoveSheetW(o.book, L"Sheet1", 7); }, L"Move"},
  };
  for (const wchar_t *mode : {L"raise", L"empty"}) {
    for (const Case &c : cases) {
      if (!c.get && std::wstring(mode) == L"empty") continue;
      SCOPED_TRACE(utf8(c.fault) + " " + utf8(mode));
      Objects o = Objects::make();
      const int32_t live = control().live();
      control().clear();
      control().fault(c.fault, mode, 0, c.nth);
      EXPECT_EQ(c.member(o), 0);
      EXPECT_EQ(control().journal().find(c.never_sent), std::wstring::npos);
      control().clear_faults();
      EXPECT_EQ(control().live(), live);
      o.release();
    }
  }
}

TEST_F(ExcelScenario, CheckFileReadsOnlyWhatIsThere) {
  TempDir dir;
  struct Case {
    std::string bytes;
    int32_t plain, with_html;
  };
  const Case cases[] = {
      {"PK\x03\x04rest", 1, 1},
      {std::string("\xD0\xCF\x11\xE0\xA1\xB1", 6), 2, 2},
      {"<?xml version", 3, 3},
      {"<html>", 0, 4},
      {"<HTML>", 0, 0},
      {"", 0, 0},
      {"P", 0, 0},
      {"PK", 0, 0},
      {"PK\x03", 0, 0},
      {std::string("\0\0\0\0", 4), 0, 0},
  };
  int n = 0;
  for (const Case &c : cases) {
    const std::wstring path = dir.file(L"f" + std::to_wstring(n++) + L".bin");
    std::ofstream(std::filesystem::path(path), std::ios::binary) << c.bytes;
    const std::string ansi = utf8(path);  // the temporary folder is ASCII here
    SCOPED_TRACE(c.bytes);
    EXPECT_EQ(Excel_CheckFile(ansi.c_str(), 0), c.plain);
    EXPECT_EQ(Excel_CheckFile(ansi.c_str(), 1), c.with_html);
  }
  EXPECT_EQ(Excel_CheckFile(utf8(dir.file(L"missing.xlsx")).c_str(), 1), 0);
  EXPECT_EQ(Excel_CheckFile(nullptr, 1), 0);

  // The script form opens the path in wide form: a name no ANSI code page
  // here can spell.
  const std::wstring wide = dir.file(L"\u8868\u683c.xlsx");
  std::ofstream(std::filesystem::path(wide), std::ios::binary) << "PK\x03\x04";
  Script script;
  EXPECT_EQ(script.run("return T.Excel_CheckFile([[" + utf8(wide) + "]])"), "n:1");
  EXPECT_EQ(script.run("return T.Excel_CheckFile([[" + utf8(dir.file(L"f3.bin")) + "]], true)"), "n:4");
}

// A local server process: objects marshalled across, attachment through the
// running-object table, and WPS by its own ProgID.
TEST_F(ExcelScenario, AcrossTheProcessBoundary) {
  Ref<IDispatch> remote;
  ASSERT_EQ(CoCreateInstance(standin::excel::kExcelClsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch,
                             remote.put_void()),
            S_OK);
  const xComObject app = reinterpret_cast<xComObject>(remote.get());
  Control server(app);
  const int32_t start = server.live();
  xComObject attached = Excel_GetObject();
  ASSERT_NE(attached, 0) << "the running instance is found";
  EXPECT_EQ(Excel_SetCaptionW(attached, L"remote \u00e9"), 1);
  xComObject book = Excel_NewBook(app);
  xComObject sheet = Excel_Book_GetSheetW(book, L"Sheet2");
  EXPECT_EQ(Excel_Sheet_SetCellTextW(sheet, 2, 2, L"\u00e9\U0001F600"), 1);
  EXPECT_EQ(text_at(sheet, 2, 2), "t:\u00e9\U0001F600");
  EXPECT_EQ(Excel_Sheet_CopyRange(sheet, 2, 2, 2, 2), 1);
  EXPECT_EQ(Excel_Sheet_CellPasteSW(sheet, L"C3", -4104), 1);
  EXPECT_EQ(text_at(sheet, 3, 3), "t:\u00e9\U0001F600");
  EXPECT_EQ(Excel_Book_GetSheetCount(book), 3);
  EXPECT_EQ(Excel_Sheet_GetRange(sheet, 0, 1, 1, 1), 0) << "a corner the server refuses";
  release(sheet);
  release(book);
  EXPECT_EQ(server.live(), start) << "books and sheets released across the boundary";
  EXPECT_EQ(Excel_Quit(attached), 1);
  release(attached);
  remote.reset();

  xComObject wps = WPS_Create();
  ASSERT_NE(wps, 0);
  EXPECT_EQ(describe(Excel_Book_NameW(wps)), "t:WPS Spreadsheets");
  EXPECT_EQ(Excel_Quit(wps), 1);
  release(wps);
}

}  // namespace
}  // namespace exceltest
