// The stand-in spreadsheet server itself, where a fault of the model would
// pass unnoticed by the library's tests: the journal, counters and faults of
// the automation framework, cells that move, the book file round trip, the
// clipboard, texts of number formats, arrays of values, and the server in
// another process found through the running-object table.
#include "com_ref.hpp"
#include "disphelper.h"
#include "excel_standin.hpp"
#include "temp_dir.hpp"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

using tarvo::com::Bstr;
using tarvo::com::Ref;
using tarvo::com::Variant;
namespace disp = tarvo::disp;

struct Apartment {
  HRESULT hr = CoInitialize(nullptr);
  ~Apartment() {
    if (SUCCEEDED(hr)) CoUninitialize();
  }
};

// GetValue with a text, integer or object result: "<failed>", INT32_MIN or
// null on failure; `failure` gives the code of an object get.
template <class... A>
std::wstring text(IDispatch *o, const wchar_t *expression, A... args) {
  Bstr value;
  return SUCCEEDED(disp::GetValue(L"%S", value.put(), o, expression, args...)) ? value.c_str() : L"<failed>";
}

template <class... A>
int32_t number(IDispatch *o, const wchar_t *expression, A... args) {
  int32_t value = INT32_MIN;
  return SUCCEEDED(disp::GetValue(L"%d", &value, o, expression, args...)) ? value : INT32_MIN;
}

template <class... A>
HRESULT failure(IDispatch *o, const wchar_t *expression, A... args) {
  Ref<IDispatch> value;
  return disp::GetValue(L"%o", value.put(), o, expression, args...);
}

template <class... A>
Ref<IDispatch> object(IDispatch *o, const wchar_t *expression, A... args) {
  Ref<IDispatch> value;
  disp::GetValue(L"%o", value.put(), o, expression, args...);
  return value;
}

enum class Where { in_process, local_server };
void PrintTo(Where w, std::ostream *out) { *out << (w == Where::in_process ? "in-process" : "local server"); }

class ExcelStandin : public ::testing::TestWithParam<Where> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(apartment_.hr));
    disp::SetErrorDisplay(false);
    if (GetParam() == Where::in_process) {
      ASSERT_EQ(disp::CreateObject(L"Excel.Application", nullptr, app_.put()), S_OK) << "is the stand-in registered?";
    } else {
      ASSERT_EQ(CoCreateInstance(standin::excel::kExcelClsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch,
                                 app_.put_void()), S_OK);
    }
    baseline_ = number(app_.get(), L".LiveObjects");
    ASSERT_GT(baseline_, 0);
    book_ = object(app_.get(), L".Workbooks.Add()");
    sheet_ = object(book_.get(), L".Sheets(%d)", 1);
    ASSERT_TRUE(book_ && sheet_);
    ASSERT_EQ(disp::CallMethod(app_.get(), L"._ClearJournal()"), S_OK);
  }
  void TearDown() override {
    sheet_.reset();
    book_.reset();
    if (!app_) return;
    EXPECT_EQ(number(app_.get(), L".LiveObjects"), baseline_) << "an object reference was leaked";
    EXPECT_EQ(disp::CallMethod(app_.get(), L"._ClearFaults()"), S_OK);
    EXPECT_EQ(disp::CallMethod(app_.get(), L".Quit()"), S_OK);
  }
  std::wstring journal() { return text(app_.get(), L"._Journal"); }
  std::wstring cell(int r, int c) { return text(sheet_.get(), L".Cells(%d, %d).Text", r, c); }
  HRESULT put(int r, int c, const wchar_t *input) {
    return disp::PutValue(sheet_.get(), L".Cells(%d, %d).Formula = %S", r, c, input);
  }

  Apartment apartment_;
  Ref<IDispatch> app_, book_, sheet_;
  int32_t baseline_ = 0;
};

TEST_P(ExcelStandin, JournalCountsAndFaults) {
  ASSERT_EQ(disp::PutValue(sheet_.get(), L".Cells(%d, %d).NumberFormatlocal = %S", 1, 2, L"0.00"), S_OK);
  ASSERT_EQ(disp::PutValue(app_.get(), L".Workbooks(%d).Sheets(%S).Range(%S).Value = %e", 1, L"Sheet1", L"B1", 2.5), S_OK);
  EXPECT_EQ(disp::CallMethod(sheet_.get(), L".Range(%o, %m).Clear()", sheet_.get()), DISP_E_EXCEPTION);
  EXPECT_EQ(journal(),
            L"get Cells(I4:1,I4:2)\nput NumberFormatLocal()=BSTR:0.00\n"
            L"get Workbooks(I4:1)\nget Sheets(BSTR:Sheet1)\nget Range(BSTR:B1)\nput Value()=R8:2.5\n"
            L"get Range(DISPATCH:Worksheet(Sheet1),ERROR:80020004)\n");
  EXPECT_EQ(cell(1, 2), L"2.50");
  EXPECT_EQ(number(app_.get(), L"._Count(%S)", L"Cells"), 2);  // with the one of cell()
  EXPECT_EQ(number(app_.get(), L"._Count(%S)", L"put value"), 1);
  EXPECT_EQ(number(app_.get(), L"._Count"), 9);

  // The second put of Value raises; the first and third go through.
  ASSERT_EQ(disp::CallMethod(app_.get(), L"._Fault(%S, %S, %d, %d)", L"put Value", L"raise", 0x800A0007, 2), S_OK);
  EXPECT_EQ(put(3, 1, L"one"), S_OK);
  EXPECT_EQ(disp::PutValue(sheet_.get(), L".Cells(%d, %d).Value = %S", 3, 1, L"two"), S_OK);
  EXPECT_EQ(disp::PutValue(sheet_.get(), L".Cells(%d, %d).Value = %S", 3, 1, L"three"), DISP_E_EXCEPTION);
  EXPECT_EQ(disp::ThreadErrorRecord()->ServerCode, LONG(0x800A0007));
  EXPECT_STREQ(disp::ThreadErrorRecord()->Description, L"Injected failure of Value");
  EXPECT_EQ(disp::PutValue(sheet_.get(), L".Cells(%d, %d).Value = %S", 3, 1, L"four"), S_OK);
  EXPECT_EQ(cell(3, 1), L"four");

  ASSERT_EQ(disp::CallMethod(app_.get(), L"._Fault(%S, %S)", L"Sheets", L"deferred"), S_OK);
  ASSERT_EQ(disp::CallMethod(app_.get(), L"._Fault(%S, %S, %d)", L"Name", L"fail", E_ACCESSDENIED), S_OK);
  ASSERT_EQ(disp::CallMethod(app_.get(), L"._Fault(%S, %S)", L"Workbooks", L"empty"), S_OK);
  EXPECT_EQ(number(book_.get(), L".Sheets.Count"), INT32_MIN);
  EXPECT_STREQ(disp::ThreadErrorRecord()->Description, L"Injected deferred failure");
  EXPECT_EQ(text(book_.get(), L".Name"), L"<failed>");
  EXPECT_EQ(disp::ThreadErrorRecord()->Code, E_ACCESSDENIED);
  EXPECT_EQ(number(app_.get(), L".Workbooks.Count"), INT32_MIN);
  EXPECT_EQ(disp::ThreadErrorRecord()->Code, DISP_E_TYPEMISMATCH);  // Empty is no object
  EXPECT_EQ(disp::CallMethod(app_.get(), L"._Fault(%S, %S)", L"Name", L"explode"), E_INVALIDARG);
}

TEST_P(ExcelStandin, RowsAndColumnsMoveCellsAndReferences) {
  put(1, 1, L"10");
  put(2, 1, L"20");
  put(2, 2, L"=A1+A2");
  put(5, 3, L"=SUM(A1:A2)*2");
  ASSERT_EQ(disp::CallMethod(sheet_.get(), L".Rows(%d).Insert", 2), S_OK);
  EXPECT_EQ(cell(2, 1), L"");
  EXPECT_EQ(cell(3, 1), L"20");
  EXPECT_EQ(text(sheet_.get(), L".Cells(%d, %d).Formula", 3, 2), L"=A1+A3");
  EXPECT_EQ(text(sheet_.get(), L".Cells(%d, %d).Formula", 6, 3), L"=SUM(A1:A3)*2");
  EXPECT_EQ(cell(6, 3), L"60");
  ASSERT_EQ(disp::CallMethod(sheet_.get(), L".Columns(%d).Delete", 1), S_OK);
  EXPECT_EQ(text(sheet_.get(), L".Cells(%d, %d).Formula", 3, 1), L"=#REF!+#REF!");
  EXPECT_EQ(cell(3, 1), L"#REF!");
  EXPECT_EQ(number(sheet_.get(), L".UsedRange.Rows.Count"), 4);  // A3:B6
  EXPECT_EQ(text(sheet_.get(), L".UsedRange.Address"), L"$A$3:$B$6");
  // A partial range shifts only its own columns.
  put(1, 5, L"top");
  put(1, 6, L"side");
  ASSERT_EQ(disp::CallMethod(sheet_.get(), L".Range(%S).Insert(%d)", L"E1", -4121), S_OK);
  EXPECT_EQ(cell(2, 5), L"top");
  EXPECT_EQ(cell(1, 6), L"side");
  ASSERT_EQ(disp::CallMethod(sheet_.get(), L".Range(%S).Delete(%d)", L"E1", -4162), S_OK);
  EXPECT_EQ(cell(1, 5), L"top");
  EXPECT_EQ(disp::CallMethod(sheet_.get(), L".Range(%S).Delete(%d)", L"E1", 7), DISP_E_EXCEPTION);
}

TEST_P(ExcelStandin, TextsOfNumberFormats) {
  const struct {
    const wchar_t *input, *format, *shown;
  } rows[] = {
      {L"3.75", L"General", L"3.75"},      {L"1234567.891", L"#,##0.00", L"1,234,567.89"},
      {L"-0.5", L"0%", L"-50%"},            {L"7", L"000", L"007"},
      {L"12345", L"0.00E+00", L"1.23E+04"}, {L"45000.75", L"yyyy-mm-dd hh:mm", L"2023-03-15 18:00"},
      {L"2.5", L"\"$\"0.0", L"$2.5"},       {L"123456789012", L"General", L"1.23457E+11"},
      {L"0123", L"@", L"0123"},             {L"=1/0", L"General", L"#DIV/0!"},
      {L"true", L"General", L"TRUE"},       {L"'12", L"0.00", L"12"},
      {L"=SUM(B1:XFD1048576)", L"0", L"0"}, {L"-1", L"yyyy", L"########"},
  };
  for (const auto &row : rows) {
    ASSERT_EQ(disp::PutValue(sheet_.get(), L".Cells(%d, %d).NumberFormatlocal = %S", 1, 1, row.format), S_OK);
    ASSERT_EQ(put(1, 1, row.input), S_OK);
    EXPECT_EQ(cell(1, 1), row.shown) << tarvo::test::utf8(row.input) << " in " << tarvo::test::utf8(row.format);
  }
  // Nesting deeper than a sane formula is an error, not a stack overflow.
  ASSERT_EQ(put(1, 1, (L"=" + std::wstring(100000, L'(') + L"1").c_str()), S_OK);
  EXPECT_EQ(cell(1, 1), L"#VALUE!");
}

TEST_P(ExcelStandin, BookFileRoundTrip) {
  tarvo::test::TempDir dir;
  const std::wstring path = dir.file(L"книга 📒.xlsx");
  put(1, 1, L"中文 😀\ttab");
  put(2, 1, L"3.75");
  put(3, 1, L"=A2*2");
  disp::PutValue(sheet_.get(), L".Cells(%d, %d).NumberFormatlocal = %S", 2, 1, L"0.0");
  disp::PutValue(sheet_.get(), L".Cells(%d, %d).Font.Bold = %b", 2, 1, 1);
  disp::PutValue(sheet_.get(), L".PageSetup.TopMargin = %e", 12.5);
  disp::PutValue(sheet_.get(), L".Name = %S", L"Data");
  ASSERT_EQ(disp::CallMethod(book_.get(), L".SaveAs(%S, %d)", path.c_str(), 56), S_OK);
  EXPECT_EQ(text(book_.get(), L".Name"), L"книга 📒.xlsx");
  EXPECT_EQ(text(book_.get(), L".Path") + L"\\", dir.path());
  ASSERT_EQ(disp::CallMethod(book_.get(), L".Close(%b)", 0), S_OK);
  EXPECT_EQ(text(book_.get(), L".Name"), L"<failed>");  // a closed book answers no more
  sheet_.reset();

  book_ = object(app_.get(), L".Workbooks.Open(%S, %d, %b)", path.c_str(), 0, 1);
  ASSERT_TRUE(book_);
  sheet_ = object(book_.get(), L".Sheets(%S)", L"data");
  ASSERT_TRUE(sheet_);
  EXPECT_EQ(number(book_.get(), L".FileFormat"), 56);
  EXPECT_EQ(number(book_.get(), L".Sheets.Count"), 3);
  EXPECT_EQ(cell(1, 1), L"中文 😀\ttab");
  EXPECT_EQ(cell(2, 1), L"3.8");
  EXPECT_EQ(cell(3, 1), L"7.5");
  EXPECT_EQ(number(sheet_.get(), L".Cells(%d, %d).Font.Bold", 2, 1), -1);
  EXPECT_EQ(text(sheet_.get(), L".PageSetup.TopMargin"), L"12.5");
  EXPECT_EQ(disp::CallMethod(book_.get(), L".Save()"), DISP_E_EXCEPTION);  // opened read-only
  EXPECT_EQ(failure(app_.get(), L".Workbooks.Open(%S)", dir.file(L"missing.xlsx").c_str()),
            DISP_E_EXCEPTION);
}

TEST_P(ExcelStandin, Clipboard) {
  put(1, 1, L"1");
  put(1, 2, L"=A1+1");
  ASSERT_EQ(disp::CallMethod(sheet_.get(), L".Range(%S).Copy()", L"A1:B1"), S_OK);
  ASSERT_EQ(disp::CallMethod(sheet_.get(), L".Cells(%d, %d).PasteSpecial(%d)", 3, 1, -4104), S_OK);
  EXPECT_EQ(text(sheet_.get(), L".Cells(%d, %d).Formula", 3, 2), L"=A3+1");
  ASSERT_EQ(disp::CallMethod(sheet_.get(), L".Range(%S).PasteSpecial(%d)", L"E1", -4163), S_OK);
  EXPECT_EQ(text(sheet_.get(), L".Cells(%d, %d).Formula", 1, 6), L"2");  // values only
  ASSERT_EQ(disp::CallMethod(sheet_.get(), L".Range(%S).Cut", L"A3:B3"), S_OK);
  ASSERT_EQ(disp::CallMethod(sheet_.get(), L".Range(%S).Select", L"A10"), S_OK);
  ASSERT_EQ(disp::CallMethod(sheet_.get(), L".Range.PasteSpecial(%d)", -4104), S_OK);
  EXPECT_EQ(cell(3, 1), L"");
  EXPECT_EQ(cell(10, 2), L"2");
  // A cut is pasted once.
  EXPECT_EQ(disp::CallMethod(sheet_.get(), L".Cells(%d, %d).PasteSpecial(%d)", 20, 1, -4104), DISP_E_EXCEPTION);
}

TEST_P(ExcelStandin, ValuesOfARangeAndBadArguments) {
  put(1, 1, L"a");
  put(2, 2, L"2");
  Variant v;
  ASSERT_EQ(disp::GetValue(L"%v", v.get(), sheet_.get(), L".Range(%S).Value", L"A1:B2"), S_OK);
  ASSERT_EQ(v->vt, VT_ARRAY | VT_VARIANT);
  ASSERT_EQ(SafeArrayGetDim(v->parray), 2u);
  LONG at[2] = {1, 1};
  Variant element;
  ASSERT_EQ(SafeArrayGetElement(v->parray, at, element.get()), S_OK);
  EXPECT_EQ(element->vt, VT_BSTR);
  at[0] = at[1] = 2;
  ASSERT_EQ(SafeArrayGetElement(v->parray, at, element.get()), S_OK);
  EXPECT_EQ(element->vt, VT_R8);
  EXPECT_EQ(element->dblVal, 2.0);

  // Null objects, foreign positions and indexes past the end are refused.
  EXPECT_EQ(failure(sheet_.get(), L".Range(%o, %o)", nullptr, nullptr), DISP_E_EXCEPTION);
  EXPECT_EQ(failure(book_.get(), L".Sheets.Add(%o)", nullptr), DISP_E_EXCEPTION);
  EXPECT_EQ(failure(book_.get(), L".Sheets.Add(%o)", app_.get()), DISP_E_EXCEPTION);
  EXPECT_EQ(failure(book_.get(), L".Sheets.Item(%d)", 4), DISP_E_BADINDEX);
  EXPECT_EQ(failure(sheet_.get(), L".Range(%S).Cells(%d, %d)", L"C3", INT32_MAX, 1), DISP_E_EXCEPTION);
  EXPECT_EQ(failure(sheet_.get(), L".Range(%S).Cells(%d)", L"C3", INT32_MIN), DISP_E_EXCEPTION);
  EXPECT_EQ(text(sheet_.get(), L".Range(%S).Cells(%d).Address", L"B2:C3", 3), L"$B$3");
  EXPECT_EQ(disp::PutValue(book_.get(), L".Sheets(%d).Name = %S", 2, L"Sheet3"), DISP_E_EXCEPTION);
  EXPECT_EQ(number(book_.get(), L".Sheets.Count"), 3);
}

TEST_P(ExcelStandin, SheetsCopyMoveDelete) {
  auto first = object(book_.get(), L".Sheets.Item(%d)", 1);
  auto added = object(book_.get(), L".Sheets.Add(%o)", first.get());
  EXPECT_EQ(text(added.get(), L".Name"), L"Sheet4");
  auto copy = object(book_.get(), L".Sheets(%S).Copy(%o)", L"Sheet1", first.get());
  EXPECT_EQ(text(copy.get(), L".Name"), L"Sheet1 (2)");
  ASSERT_EQ(disp::CallMethod(book_.get(), L".Sheets(%d).Move(%o)", 1, object(book_.get(), L".Sheets(%d)", 5).get()), S_OK);
  std::wstring order;
  for (int i = 1; i <= number(book_.get(), L".Sheets.Count"); ++i) order += text(book_.get(), L".Sheets(%d).Name", i) + L",";
  EXPECT_EQ(order, L"Sheet1 (2),Sheet1,Sheet2,Sheet4,Sheet3,");
  // Without a position the copy goes into a new workbook of its own.
  auto alone = object(book_.get(), L".Sheets(%d).Copy", 1);
  EXPECT_EQ(number(app_.get(), L".Workbooks.Count"), 2);
  EXPECT_EQ(number(app_.get(), L".Workbooks(%d).Sheets.Count", 2), 1);
  ASSERT_EQ(disp::CallMethod(book_.get(), L".Sheets(%S).Delete()", L"Sheet4"), S_OK);
  EXPECT_EQ(disp::CallMethod(alone.get(), L".Delete()"), DISP_E_EXCEPTION);  // the last sheet stays
  EXPECT_EQ(text(added.get(), L".Name"), L"<failed>");
}

INSTANTIATE_TEST_SUITE_P(Excel, ExcelStandin, ::testing::Values(Where::in_process, Where::local_server),
                         [](const auto &info) { return info.param == Where::in_process ? "InProcess" : "LocalServer"; });

// The local server's application is in the running-object table under the
// application's class until Quit, also when started through its local-only
// class, as a script would.
TEST(ExcelStandinServer, RunningObjectTable) {
  Apartment apartment;
  disp::SetErrorDisplay(false);
  Ref<IDispatch> app, attached;
  ASSERT_EQ(disp::CreateObject(L"TarvoStandin.KET.Local", nullptr, app.put()), S_OK);
  ASSERT_EQ(disp::GetObject(nullptr, L"KET.Application", attached.put()), S_OK);
  EXPECT_EQ(text(attached.get(), L".Name"), L"WPS Spreadsheets");
  ASSERT_EQ(disp::CallMethod(attached.get(), L".Workbooks.Add()"), S_OK);
  EXPECT_EQ(number(app.get(), L".Workbooks.Count"), 1);
  ASSERT_EQ(disp::CallMethod(app.get(), L".Quit()"), S_OK);
  attached.reset();
  EXPECT_NE(disp::GetObject(nullptr, L"KET.Application", attached.put()), S_OK);
  // The server stays for the next creation (one shutting down would fail it).
  app.reset();
  ASSERT_EQ(disp::CreateObject(L"TarvoStandin.KET.Local", nullptr, app.put()), S_OK);
  EXPECT_EQ(number(app.get(), L".Workbooks.Count"), 0);
  ASSERT_EQ(disp::GetObject(nullptr, L"KET.Application", attached.put()), S_OK);
  EXPECT_EQ(disp::CallMethod(attached.get(), L".Quit()"), S_OK);
}

}  // namespace
