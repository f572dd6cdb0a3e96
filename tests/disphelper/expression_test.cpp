// Member chains, assignments and the limits of an expression.
#include "automation_fixture.hpp"

namespace disptest {
namespace {

using ExpressionTest = AutomationTest;

TEST_P(ExpressionTest, ChainsWithAndWithoutLeadingDot) {
  IDispatch *app = app_.get();
  EXPECT_EQ(text_of(app, L".Workbooks(%d).Sheets(%d).Name", 1, 2), L"Sheet2");
  EXPECT_EQ(text_of(app, L"Workbooks(%d).Sheets(%d).Name", 1, 3), L"Sheet3");
  EXPECT_EQ(text_of(app, L".Workbooks(%d).Name", 1), L"Book1");
  EXPECT_EQ(int_of(app, L".Workbooks.Count"), 1);
  EXPECT_EQ(disp::CallMethod(app, L".Workbooks.Add()"), S_OK);
  // The new book, its sheet collection and three sheets stay with the application.
  EXPECT_EQ(live(), baseline_ + 5);
  baseline_ += 5;
  EXPECT_EQ(int_of(app, L"Workbooks.Count"), 2);
  EXPECT_EQ(text_of(app, L".Workbooks(%d).Name", 2), L"Book2");
  EXPECT_EQ(text_of(app, L".NewNode(%S).Child.Child.Name", L"root"), L"child");
}

TEST_P(ExpressionTest, ArgumentsAreTakenLeftToRightAcrossSegments) {
  IDispatch *app = app_.get();
  // Two integers for Cells, the text for Value, passed as the put's named argument.
  ASSERT_EQ(disp::PutValue(app, L".Workbooks(%d).Sheets(%d).Cells(%d, %d).Value = %S", 1, 2, 3, 4, L"cell"), S_OK);
  EXPECT_EQ(text_of(app, L".Workbooks(%d).Sheets(%d).Cells(%d, %d).Value", 1, 2, 3, 4), L"cell");
  EXPECT_EQ(int_of(app, L".Workbooks(%d).Sheets(%d).Cells(%d, %d).Column", 1, 2, 3, 4), 4);
  Ref<IDispatch> sheet;
  ASSERT_EQ(disp::GetValue(L"%o", sheet.put(), app, L".Workbooks(%d).Sheets(%d)", 1, 1), S_OK);
  ASSERT_EQ(disp::PutValue(sheet.get(), L".Cells(%d, %d).Value = %e", 1, 1, 2.75), S_OK);
  double d = 0;
  EXPECT_EQ(disp::GetValue(L"%e", &d, sheet.get(), L".Cells(%d, %d).Value", 1, 1), S_OK);
  EXPECT_EQ(d, 2.75);
  EXPECT_EQ(text_of(app, L".Join(%S, %S)", L"a", L"b"), L"ab");
}

TEST_P(ExpressionTest, PutNeedsItsValue) {
  EXPECT_EQ(disp::PutValue(app_.get(), L".Int = 5"), DISP_E_PARAMNOTOPTIONAL);
  EXPECT_EQ(disp::PutValue(app_.get(), L".Name = %S", L"x"), DISP_E_MEMBERNOTFOUND);
}

std::wstring conversions(int n) {
  std::wstring e = L".Describe(";
  for (int i = 0; i < n; ++i) e += i ? L", %d" : L"%d";
  return e + L")";
}

TEST_P(ExpressionTest, TwentyFiveConversionsPerSegment) {
  const std::wstring e25 = conversions(25), e26 = conversions(26);
  std::wstring expected;
  for (int i = 1; i <= 25; ++i) expected += (i > 1 ? L"|I4:" : L"I4:") + std::to_wstring(i);
  EXPECT_EQ(text_of(app_.get(), e25.c_str(), 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20,
                    21, 22, 23, 24, 25),
            expected);
  Bstr out;
  EXPECT_EQ(disp::GetValue(L"%S", out.put(), app_.get(), e26.c_str(), 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13,
                           14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24, 25, 26),
            E_INVALIDARG);
  EXPECT_EQ(out.get(), nullptr);
  EXPECT_STREQ(record().ErrorFunction, L"CreateArgumentArray");
  // Strings converted before the failing conversion are freed, not leaked
  // into the server: the segment was never invoked.
  std::wstring strings = L".Describe(";
  for (int i = 0; i < 26; ++i) strings += i ? L", %S" : L"%S";
  strings += L")";
  const wchar_t *s = L"s";
  EXPECT_EQ(disp::GetValue(L"%S", out.put(), app_.get(), strings.c_str(), s, s, s, s, s, s, s, s, s, s, s, s, s, s,
                           s, s, s, s, s, s, s, s, s, s, s, s),
            E_INVALIDARG);
}

TEST_P(ExpressionTest, FiveHundredElevenCharacters) {
  std::wstring e = L".Name";
  e.resize(511, L' ');
  EXPECT_EQ(text_of(app_.get(), e.c_str()), L"Tarvo Test Application");
  e += L' ';
  EXPECT_EQ(text_of(app_.get(), e.c_str()), L"<failed>");
  EXPECT_EQ(record().Code, E_INVALIDARG);
  EXPECT_STREQ(record().ErrorFunction, L"InvokeV");
}

TEST_P(ExpressionTest, MissingPiecesAreInvalidArguments) {
  int32_t out = 0;
  EXPECT_EQ(disp::GetValue(L"%d", &out, nullptr, L".Number"), E_INVALIDARG);
  EXPECT_EQ(disp::GetValue(L"%d", &out, app_.get(), nullptr), E_INVALIDARG);
  EXPECT_EQ(disp::CallMethod(app_.get(), L"."), E_INVALIDARG);
  EXPECT_EQ(disp::CallMethod(app_.get(), L".Workbooks..Count"), E_INVALIDARG);
}

INSTANTIATE_TEST_SUITE_P(Servers, ExpressionTest, ::testing::Values(kInprocProgId, kLocalProgId), param_name);

}  // namespace
}  // namespace disptest
