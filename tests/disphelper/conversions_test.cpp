// Every argument letter and every result type, through a real IDispatch.
#include "automation_fixture.hpp"

#include <cstring>

namespace disptest {
namespace {

using ConversionTest = AutomationTest;

TEST_P(ConversionTest, NumbersAndFlagsArriveWithTheirTypes) {
  EXPECT_EQ(text_of(app_.get(), L".Describe(%d, %u, %p, %e, %b, %b)", -5, 4000000000u, intptr_t(-7), 2.5, 7, 0),
            L"I4:-5|UI4:4000000000|I8:-7|R8:2.5|BOOL:-1|BOOL:0");
}

TEST_P(ConversionTest, TextsAreCopiedIntoBstrs) {
  Bstr existing(SysAllocString(L"kept"));
  EXPECT_EQ(text_of(app_.get(), L".Describe(%S, %s, %T, %B, %S, %s)", L"wide \u00e9", "ansi", "mode",
                    existing.get(), static_cast<const wchar_t *>(nullptr), static_cast<const char *>(nullptr)),
            L"BSTR:wide \u00e9|BSTR:ansi|BSTR:mode|BSTR:kept|BSTR:|BSTR:");
  // %B passes the caller's BSTR without taking it over.
  EXPECT_STREQ(existing.get(), L"kept");

  disp::SetWideTextMode(true);
  EXPECT_EQ(text_of(app_.get(), L".Describe(%T)", L"wide mode"), L"BSTR:wide mode");
  disp::SetWideTextMode(false);
}

TEST_P(ConversionTest, ObjectsAndVariantsArePassedWithoutTakingThem) {
  Ref<IDispatch> node;
  ASSERT_EQ(disp::GetValue(L"%o", node.put(), app_.get(), L".NewNode(%S)", L"n1"), S_OK);
  Variant v;
  v->vt = VT_BSTR;
  v->bstrVal = SysAllocString(L"inside");
  EXPECT_EQ(text_of(app_.get(), L".Describe(%o, %O, %o, %v)", node.get(), static_cast<IUnknown *>(node.get()),
                    static_cast<IDispatch *>(nullptr), v.get()),
            L"DISPATCH|UNKNOWN|DISPATCH:null|BSTR:inside");
  // The VARIANT was copied bit for bit and is still the caller's.
  EXPECT_STREQ(v->bstrVal, L"inside");
  EXPECT_EQ(disp::GetValue(L"%S", nullptr, app_.get(), L".Name"), E_INVALIDARG);
}

TEST_P(ConversionTest, DatesFromEveryForm) {
  SYSTEMTIME st{2024, 2, 4, 29, 12, 0, 0, 0};
  FILETIME ft;
  ASSERT_TRUE(SystemTimeToFileTime(&st, &ft));
  DATE expected_t = 0;
  ASSERT_EQ(disp::TimeToDate(time_t(86400), &expected_t), S_OK);
  wchar_t expected[128];
  swprintf(expected, 128, L"DATE:45351.500000|DATE:45351.500000|DATE:45351.500000|DATE:%.6f", expected_t);
  EXPECT_EQ(text_of(app_.get(), L".Describe(%D, %W, %f, %t)", 45351.5, &st, &ft, time_t(86400)), expected);
  EXPECT_EQ(text_of(app_.get(), L".Describe(%W)", static_cast<SYSTEMTIME *>(nullptr)), L"<failed>");
}

TEST_P(ConversionTest, OmittedParametersAndUnknownLetters) {
  EXPECT_EQ(text_of(app_.get(), L".Describe(%d, %m, %d)", 1, 3), L"I4:1|-|I4:3");
  EXPECT_EQ(text_of(app_.get(), L".Join(%S, %m)", L"only"), L"only");
  int32_t out = 5;
  EXPECT_EQ(disp::GetValue(L"%d", &out, app_.get(), L".Sum(%d, %q)", 1, 2), E_INVALIDARG);
  EXPECT_EQ(disp::GetValue(L"%d", &out, app_.get(), L".Sum(%d, %", 1), E_INVALIDARG);
  EXPECT_EQ(out, 5);
}

TEST_P(ConversionTest, ResultTypesRoundTrip) {
  IDispatch *app = app_.get();
  ASSERT_EQ(disp::PutValue(app, L".Int = %d", -123), S_OK);
  int32_t i = 0;
  EXPECT_EQ(disp::GetValue(L"%d", &i, app, L".Int"), S_OK);
  EXPECT_EQ(i, -123);
  EXPECT_EQ(disp::GetValue(L"d", &i, app, L".Number"), S_OK);  // "%" is optional
  EXPECT_EQ(i, 42);

  ASSERT_EQ(disp::PutValue(app, L".UInt = %u", 4000000000u), S_OK);
  uint32_t u = 0;
  EXPECT_EQ(disp::GetValue(L"%u", &u, app, L".UInt"), S_OK);
  EXPECT_EQ(u, 4000000000u);

  ASSERT_EQ(disp::PutValue(app, L".Int64 = %p", intptr_t(-5000000000LL)), S_OK);
  int64_t p = 0;
  EXPECT_EQ(disp::GetValue(L"%p", &p, app, L".Int64"), S_OK);
  EXPECT_EQ(p, -5000000000LL);

  ASSERT_EQ(disp::PutValue(app, L".Real = %e", 0.125), S_OK);
  double e = 0;
  EXPECT_EQ(disp::GetValue(L"%e", &e, app, L".Real"), S_OK);
  EXPECT_EQ(e, 0.125);

  ASSERT_EQ(disp::PutValue(app, L".Flag = %b", 1), S_OK);
  int32_t b = 0;
  EXPECT_EQ(disp::GetValue(L"%b", &b, app, L".Flag"), S_OK);
  EXPECT_EQ(b, -1);
  ASSERT_EQ(disp::PutValue(app, L".Flag = %b", 0), S_OK);
  EXPECT_EQ(disp::GetValue(L"%b", &b, app, L".Flag"), S_OK);
  EXPECT_EQ(b, 0);
}

TEST_P(ConversionTest, TextResultsOwnedByTheCaller) {
  IDispatch *app = app_.get();
  ASSERT_EQ(disp::PutValue(app, L".Text = %S", L"caf\u00e9"), S_OK);
  for (const wchar_t *type : {L"%S", L"%B", L"S"}) {
    Bstr s;
    EXPECT_EQ(disp::GetValue(type, s.put(), app, L".Text"), S_OK);
    EXPECT_STREQ(s.c_str(), L"caf\u00e9");
  }
  for (const wchar_t *type : {L"%s", L"%T"}) {  // ANSI mode: a byte-length BSTR of ANSI text
    Bstr s;
    EXPECT_EQ(disp::GetValue(type, s.put(), app, L".Text"), S_OK);
    EXPECT_EQ(SysStringByteLen(s.get()), 4u);
    EXPECT_EQ(std::memcmp(s.get(), "caf\xe9", 5), 0);
  }
  disp::SetWideTextMode(true);
  Bstr w;
  EXPECT_EQ(disp::GetValue(L"%T", w.put(), app, L".Text"), S_OK);
  EXPECT_STREQ(w.c_str(), L"caf\u00e9");
  disp::SetWideTextMode(false);
  // Coercion both ways.
  EXPECT_EQ(text_of(app, L".Number"), L"42");
  ASSERT_EQ(disp::PutValue(app, L".Text = %S", L"123"), S_OK);
  EXPECT_EQ(int_of(app, L".Text"), 123);
}

TEST_P(ConversionTest, DateResultsInEveryForm) {
  IDispatch *app = app_.get();
  ASSERT_EQ(disp::PutValue(app, L".When = %D", 45351.5), S_OK);
  DATE d = 0;
  EXPECT_EQ(disp::GetValue(L"%D", &d, app, L".When"), S_OK);
  EXPECT_EQ(d, 45351.5);
  SYSTEMTIME st{};
  EXPECT_EQ(disp::GetValue(L"%W", &st, app, L".When"), S_OK);
  EXPECT_EQ(st.wYear, 2024);
  EXPECT_EQ(st.wMonth, 2);
  EXPECT_EQ(st.wDay, 29);
  EXPECT_EQ(st.wHour, 12);
  FILETIME ft{}, ft_expected{};
  ASSERT_TRUE(SystemTimeToFileTime(&st, &ft_expected));
  EXPECT_EQ(disp::GetValue(L"%f", &ft, app, L".When"), S_OK);
  EXPECT_EQ(ft.dwLowDateTime, ft_expected.dwLowDateTime);
  EXPECT_EQ(ft.dwHighDateTime, ft_expected.dwHighDateTime);

  ASSERT_EQ(disp::PutValue(app, L".When = %t", time_t(1700000000)), S_OK);
  time_t t = 0;
  EXPECT_EQ(disp::GetValue(L"%t", &t, app, L".When"), S_OK);
  EXPECT_EQ(t, time_t(1700000000));
  // Before 1970 there is no time_t: the variable is left alone.
  ASSERT_EQ(disp::PutValue(app, L".When = %D", 100.0), S_OK);
  t = 7;
  EXPECT_EQ(disp::GetValue(L"%t", &t, app, L".When"), E_INVALIDARG);
  EXPECT_EQ(t, time_t(7));
}

TEST_P(ConversionTest, ObjectAndVariantResults) {
  IDispatch *app = app_.get();
  Ref<IDispatch> node;
  ASSERT_EQ(disp::GetValue(L"%o", node.put(), app, L".NewNode(%S)", L"kept"), S_OK);
  ASSERT_EQ(disp::PutValue(app, L".Thing = %o", node.get()), S_OK);
  Ref<IDispatch> back;
  EXPECT_EQ(disp::GetValue(L"%o", back.put(), app, L".Thing"), S_OK);
  EXPECT_EQ(text_of(back.get(), L".Name"), L"kept");
  Ref<IUnknown> unknown;
  EXPECT_EQ(disp::GetValue(L"%O", unknown.put(), app, L".Thing"), S_OK);
  EXPECT_TRUE(unknown);
  // The application keeps its reference until the property changes.
  ASSERT_EQ(disp::PutValue(app, L".Thing = %o", static_cast<IDispatch *>(nullptr)), S_OK);

  Variant any;
  ASSERT_EQ(disp::PutValue(app, L".Any = %S", L"v"), S_OK);
  EXPECT_EQ(disp::GetValue(L"%v", any.get(), app, L".Any"), S_OK);
  EXPECT_EQ(any->vt, VT_BSTR);
  EXPECT_STREQ(any->bstrVal, L"v");

  IDispatch *empty = reinterpret_cast<IDispatch *>(1);
  EXPECT_EQ(disp::GetValue(L"%o", &empty, app, L".Nothing"), E_NOINTERFACE);
  EXPECT_EQ(empty, nullptr);
}

TEST_P(ConversionTest, BadResultTypesFailBeforeInvoking) {
  int32_t out = 9;
  for (const wchar_t *type : {L"%m", L"%x", L"%dd", L"", L"%"}) {
    EXPECT_EQ(disp::GetValue(type, &out, app_.get(), L".Quit()"), E_INVALIDARG) << type;
    EXPECT_STREQ(record().ErrorFunction, L"GetValueV");
  }
  EXPECT_EQ(disp::GetValue(nullptr, &out, app_.get(), L".Number"), E_INVALIDARG);
  // Coercion failure: nothing is written.
  EXPECT_EQ(disp::GetValue(L"%d", &out, app_.get(), L".Name"), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(out, 9);
}

INSTANTIATE_TEST_SUITE_P(Servers, ConversionTest, ::testing::Values(kInprocProgId, kLocalProgId), param_name);

}  // namespace
}  // namespace disptest
