// Stateful scenarios on the stand-in's model, objects released on injected
// failures, the file-type check, members across the process boundary, and
// what the stand-in server itself must refuse.
#include "excel_fixture.hpp"

#include "excel_standin.hpp"
#include "temp_dir.hpp"

#include <filesystem>
#include <fstream>

namespace exceltest {
namespace {

using tarvo::test::TempDir;
using ExcelScenario = ExcelTest;

std::string text_at(xComObject sheet, int r, int c) { return describe(Excel_Sheet_GetCellTextW(sheet, r, c)); }
std::string sheet_order(xComObject book) {
  std::string names;
  for (int i = 1, n = Excel_Book_GetSheetCount(book); i <= n; ++i)
    names += describe(Excel_Book_GetSheetNameW(book, i)).substr(2) + (i < n ? "," : "");
  return names;
}

TEST_F(ExcelScenario, BooksSavedClosedAndOpenedAgain) {
  TempDir dir;
  const std::wstring path = dir.file(L"caf\u00e9.xlsx");
  Objects o = Objects::make();
  ASSERT_EQ(Excel_Book_SaveAsW(o.book, path.c_str(), 51), 1);
  EXPECT_EQ(describe(Excel_Book_FullNameW(o.book)), "t:" + utf8(path));
  EXPECT_EQ(Excel_Book_Close(o.book, 0), 1);
  EXPECT_EQ(Excel_GetBookCount(o.app), 0);
  xComObject book = Excel_OpenBookW(o.app, path.c_str(), 1);
  xComObject sheet = Excel_Book_GetSheet_Index(book, 1);
  EXPECT_EQ(text_at(sheet, 2, 3), "t:3.75");
  xComObject same = Excel_GetBookW(o.app, L"caf\u00e9.xlsx");
  EXPECT_NE(same, 0);
  EXPECT_EQ(Excel_CloseAllBook(o.app), 1);
  EXPECT_EQ(Excel_GetBookCount(o.app), 0);
  for (xComObject h : {same, sheet, book}) release(h);
  o.release();
}

TEST_F(ExcelScenario, SheetsAddedCopiedMovedRenamedAndDeleted) {
  Objects o = Objects::make();
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
  xComObject copy = Excel_Book_GetSheetW(o.book, L"\u6570\u636e");
  EXPECT_EQ(text_at(copy, 2, 3), "t:3.75") << "the copy took the cells along";
  release(copy);
  o.release();
}

TEST_F(ExcelScenario, CellsAndRanges) {
  Objects o = Objects::make();
  const wchar_t *kWide = L"\u4e2d\u6587 \U0001F600 caf\u00e9";
  EXPECT_EQ(Excel_Sheet_SetCellTextW(o.sheet, 1, 1, kWide), 1);
  EXPECT_EQ(text_at(o.sheet, 1, 1), "t:" + utf8(kWide));
  EXPECT_EQ(Excel_Sheet_SetCellTextA(o.sheet, 1, 2, "na\xefve"), 1);
  EXPECT_EQ(describe(Excel_Sheet_GetCellTextA(o.sheet, 1, 2)), "t:na\u00efve");
  EXPECT_EQ(Excel_Sheet_SetCellFormulaW(o.sheet, 3, 3, L"=A3*B3"), 1);
  EXPECT_EQ(Excel_Sheet_InsertRow(o.sheet, 1), 1);
  EXPECT_EQ(text_at(o.sheet, 2, 2), "t:na\u00efve") << "row 1 moved down";
  EXPECT_EQ(describe(Excel_Sheet_GetCellFormulaW(o.sheet, 4, 3)), "t:=A4*B4") << "references follow";
  EXPECT_EQ(Excel_Sheet_DeleteCol(o.sheet, 1), 1);
  EXPECT_EQ(text_at(o.sheet, 2, 1), "t:na\u00efve") << "column B moved left";
  EXPECT_EQ(Excel_Sheet_CopyRange(o.sheet, 2, 1, 4, 2), 1);
  EXPECT_EQ(Excel_Sheet_CellPaste(o.sheet, 6, 1, -4104), 1);
  EXPECT_EQ(text_at(o.sheet, 6, 1), "t:na\u00efve");
  EXPECT_EQ(Excel_Sheet_ClearRangeSW(o.sheet, L"A6:B8"), 1);
  EXPECT_EQ(text_at(o.sheet, 6, 1), "t:");
  o.release();
}

// Every helper object is released whichever call fails (the fixture counts
// the live objects), and a member stops at the first failure: no null object
// handed on, no page setting after a refused one.
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
      {L"put LeftMargin", 1, [](const Objects &o) { return Excel_Sheet_SetPageSetup(o.sheet, 1, 2, 3, 4, 5, 6, 1, 1); },
       L"RightMargin", false},
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
    std::ofstream(std::filesystem::path(path), std::ios::binary) << cases[i].bytes;
    SCOPED_TRACE(cases[i].bytes);
    EXPECT_EQ(Excel_CheckFile(utf8(path).c_str(), 0), cases[i].plain);  // the temporary folder is ASCII here
    EXPECT_EQ(Excel_CheckFile(utf8(path).c_str(), 1), cases[i].with_html);
  }
  EXPECT_EQ(Excel_CheckFile(utf8(dir.file(L"missing.xlsx")).c_str(), 1), 0);
  EXPECT_EQ(Excel_CheckFile(nullptr, 1), 0);
  // The script form opens the path in wide form: a name no ANSI code page here can spell.
  const std::wstring wide = dir.file(L"\u8868\u683c.xlsx");
  std::ofstream(std::filesystem::path(wide), std::ios::binary) << "PK\x03\x04";
  EXPECT_EQ(script_.run("return T.Excel_CheckFile([[" + utf8(wide) + "]])"), "n:1");
  EXPECT_EQ(script_.run("return T.Excel_CheckFile([[" + utf8(dir.file(L"f3.bin")) + "]], true)"), "n:4");
}

Ref<IDispatch> local_server() {
  Ref<IDispatch> app;
  EXPECT_EQ(CoCreateInstance(standin::excel::kExcelClsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch, app.put_void()),
            S_OK);
  return app;
}

// A local server process: objects marshalled across, attachment through the
// running-object table, and WPS by its own ProgID.
TEST_F(ExcelScenario, AcrossTheProcessBoundary) {
  Ref<IDispatch> remote = local_server();
  ASSERT_TRUE(remote);
  Control server(reinterpret_cast<xComObject>(remote.get()));
  const int32_t start = server.live();
  xComObject attached = Excel_GetObject();
  ASSERT_NE(attached, 0) << "the running instance is found";
  EXPECT_EQ(Excel_SetCaptionW(attached, L"remote \u00e9"), 1);
  xComObject book = Excel_NewBook(attached);
  xComObject sheet = Excel_Book_GetSheetW(book, L"Sheet2");
  EXPECT_EQ(Excel_Sheet_SetCellTextW(sheet, 2, 2, L"\u00e9\U0001F600"), 1);
  EXPECT_EQ(text_at(sheet, 2, 2), "t:\u00e9\U0001F600");
  for (xComObject h : {sheet, book}) release(h);
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

// What the library's members never send but a script can: null objects,
// foreign positions and indexes past the end (in 64 bits) are refused without
// a crash, in-process and by the local server.
TEST_F(ExcelScenario, TheServerRefusesBadArguments) {
  const auto refused = [](IDispatch *o, const wchar_t *expression, auto... args) {
    Ref<IDispatch> object;
    return disp::GetValue(L"%o", object.put(), o, expression, args...);
  };
  Ref<IDispatch> remote = local_server();
  for (IDispatch *app : {reinterpret_cast<IDispatch *>(probe_), remote.get()}) {
    Ref<IDispatch> book, sheet;
    ASSERT_EQ(disp::GetValue(L"%o", book.put(), app, L".Workbooks.Add()"), S_OK);
    ASSERT_EQ(disp::GetValue(L"%o", sheet.put(), book.get(), L".Sheets(%d)", 1), S_OK);
    EXPECT_EQ(refused(sheet.get(), L".Range(%o, %o)", nullptr, nullptr), DISP_E_EXCEPTION);
    EXPECT_EQ(refused(book.get(), L".Sheets.Add(%o)", nullptr), DISP_E_EXCEPTION);
    EXPECT_EQ(refused(book.get(), L".Sheets.Add(%o)", app), DISP_E_EXCEPTION);
    EXPECT_EQ(refused(book.get(), L".Sheets.Item(%d)", 4), DISP_E_BADINDEX);
    EXPECT_EQ(refused(sheet.get(), L".Range(%S).Cells(%d, %d)", L"C3", INT32_MAX, 1), DISP_E_EXCEPTION);
    EXPECT_EQ(refused(sheet.get(), L".Range(%S).Cells(%d)", L"C3", INT32_MIN), DISP_E_EXCEPTION);
    EXPECT_EQ(disp::PutValue(book.get(), L".Sheets(%d).Name = %S", 2, L"Sheet3"), DISP_E_EXCEPTION);
    EXPECT_EQ(disp::CallMethod(book.get(), L".Close(%b)", 0), S_OK);
  }
}

}  // namespace
}  // namespace exceltest
