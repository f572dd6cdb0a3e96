// The stand-in spreadsheet server itself, where the library's tests would not
// notice a fault of the model: arrays of values (the sheet reading relies on
// their shape) and arguments a real server refuses (null objects, foreign
// positions, indexes past the end) refused without a crash. Cells that move,
// the book file, the clipboard, the journal and the running-object table are
// exercised through the library by the Excel tests.
#include "automation_fixture.hpp"
#include "excel_standin.hpp"

namespace {

using namespace disptest;
// The failure code of an object get.
template <class... A>
HRESULT failure(IDispatch *o, const wchar_t *expression, A... args) {
  Ref<IDispatch> value;
  return disp::GetValue(L"%o", value.put(), o, expression, args...);
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
    baseline_ = int_of(app_.get(), L".LiveObjects");
    ASSERT_GT(baseline_, 0);
    book_ = object_of(app_.get(), L".Workbooks.Add()");
    sheet_ = object_of(book_.get(), L".Sheets(%d)", 1);
    ASSERT_TRUE(book_ && sheet_);
    ASSERT_EQ(disp::CallMethod(app_.get(), L"._ClearJournal()"), S_OK);
  }
  void TearDown() override {
    sheet_.reset();
    book_.reset();
    if (!app_) return;
    EXPECT_EQ(int_of(app_.get(), L".LiveObjects"), baseline_) << "an object reference was leaked";
    EXPECT_EQ(disp::CallMethod(app_.get(), L"._ClearFaults()"), S_OK);
    EXPECT_EQ(disp::CallMethod(app_.get(), L".Quit()"), S_OK);
  }
  HRESULT put(int r, int c, const wchar_t *input) {
    return disp::PutValue(sheet_.get(), L".Cells(%d, %d).Formula = %S", r, c, input);
  }

  Apartment apartment_;
  Ref<IDispatch> app_, book_, sheet_;
  int32_t baseline_ = 0;
};

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
  EXPECT_EQ(text_of(sheet_.get(), L".Range(%S).Cells(%d).Address", L"B2:C3", 3), L"$B$3");
  EXPECT_EQ(disp::PutValue(book_.get(), L".Sheets(%d).Name = %S", 2, L"Sheet3"), DISP_E_EXCEPTION);
  EXPECT_EQ(int_of(book_.get(), L".Sheets.Count"), 3);
}

INSTANTIATE_TEST_SUITE_P(Excel, ExcelStandin, ::testing::Values(Where::in_process, Where::local_server),
                         [](const auto &info) { return info.param == Where::in_process ? "InProcess" : "LocalServer"; });

}  // namespace
