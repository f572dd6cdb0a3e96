// Member chains, assignments and the limits of an expression.
#include "automation_fixture.hpp"

namespace disptest {
namespace {

using ExpressionTest = AutomationTest;

TEST_P(ExpressionTest, ChainsWithAndWithoutLeadingDot) {
  IDispatch *app = app_.get();
  EXPECT_EQ(text_of(app, L".Workbooks(%d).Sheets(%d).Name", 1, 2), L"Sheet2");
  EXPECT_EQ(text_of(app, L"Workbooks(%d).Sheets(%d).Name", 1, 3), L"Sheet3");
  EXPECT_EQ(int_of(app, L".Workbooks.Count"), 1);
  EXPECT_EQ(disp::CallMethod(app, L".Workbooks.Add()"), S_OK);
  // The new book, its sheet collection and three sheets stay with the application.
  EXPECT_EQ(live(), baseline_ + 5);
  baseline_ += 5;
  EXPECT_EQ(text_of(app, L".Workbooks(%d).Name", 2), L"Book2");
  EXPECT_EQ(text_of(app, L".NewNode(%S).Child.Child.Name", L"root"), L"child");
}

TEST_P(ExpressionTest, ArgumentsAreTakenLeftToRightAcrossSegments) {
  IDispatch *app = app_.get();
  // Two integers for Cells, the text for Value, passed as the put's named argument.
  ASSERT_EQ(disp::PutValue(app, L".Workbooks(%d).Sheets(%d).Cells(%d, %d).Value = %S", 1, 2, 3, 4, L"cell"), S_OK);
  EXPECT_EQ(text_of(app, L".Workbooks(%d).Sheets(%d).Cells(%d, %d).Value", 1, 2, 3, 4), L"cell");
  EXPECT_EQ(int_of(app, L".Workbooks(%d).Sheets(%d).Cells(%d, %d).Column", 1, 2, 3, 4), 4);
  EXPECT_EQ(text_of(app, L".Join(%S, %S)", L"a", L"b"), L"ab");
}

// Values 1, 2, 3... for %d and a counted text for %S, from no argument list.
struct CountingSource final : disp::ArgumentSource {
  int given = 0;
  HRESULT convert(wchar_t letter, VARIANT &slot, bool &owned) override {
    ++given;
    return letter == L'S' ? disp::wide_to_slot(L"s", slot, owned) : disp::integer_to_slot(VT_I4, given, slot);
  }
};

std::wstring conversions(int n, const wchar_t *letter) {
  std::wstring e = L".Describe(";
  for (int i = 0; i < n; ++i) e += (i ? L", " : L"") + std::wstring(letter);
  return e + L")";
}

TEST_P(ExpressionTest, TwentyFiveConversionsPerSegment) {
  std::wstring expected;
  for (int i = 1; i <= 25; ++i) expected += (i > 1 ? L"|I4:" : L"I4:") + std::to_wstring(i);
  CountingSource values;
  Bstr out;
  EXPECT_EQ(disp::GetValue(L"%S", out.put(), app_.get(), conversions(25, L"%d").c_str(), values), S_OK);
  EXPECT_STREQ(out.c_str(), expected.c_str());
  // One more fails before anything is invoked, texts converted or not.
  for (const wchar_t *letter : {L"%d", L"%S"}) {
    CountingSource more;
    Bstr none;
    EXPECT_EQ(disp::GetValue(L"%S", none.put(), app_.get(), conversions(26, letter).c_str(), more), E_INVALIDARG);
    EXPECT_EQ(none.get(), nullptr);
    EXPECT_STREQ(record().ErrorFunction, L"CreateArgumentArray");
  }
}

TEST_P(ExpressionTest, MalformedExpressionsAreRefused) {
  std::wstring e = L".Name";
  e.resize(511, L' ');
  EXPECT_EQ(text_of(app_.get(), e.c_str()), L"Tarvo Test Application");
  e += L' ';
  EXPECT_EQ(text_of(app_.get(), e.c_str()), L"<failed>") << "512 characters";
  EXPECT_EQ(record().Code, E_INVALIDARG);
  EXPECT_STREQ(record().ErrorFunction, L"InvokeV");
  int32_t out = 0;
  EXPECT_EQ(disp::GetValue(L"%d", &out, nullptr, L".Number"), E_INVALIDARG);
  EXPECT_EQ(disp::GetValue(L"%d", &out, app_.get(), nullptr), E_INVALIDARG);
  EXPECT_EQ(disp::CallMethod(app_.get(), L"."), E_INVALIDARG);
  EXPECT_EQ(disp::CallMethod(app_.get(), L".Workbooks..Count"), E_INVALIDARG);
  EXPECT_EQ(disp::PutValue(app_.get(), L".Int = 5"), DISP_E_PARAMNOTOPTIONAL);
  EXPECT_EQ(disp::PutValue(app_.get(), L".Name = %S", L"x"), DISP_E_MEMBERNOTFOUND);
}

INSTANTIATE_TEST_SUITE_P(Servers, ExpressionTest, ::testing::Values(kInprocProgId, kLocalProgId), param_name);

}  // namespace
}  // namespace disptest
