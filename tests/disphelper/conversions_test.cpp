// Every argument letter and every result type, through a real IDispatch.
#include "automation_fixture.hpp"

#include <array>
#include <cstring>

namespace disptest {
namespace {

using ConversionTest = AutomationTest;

TEST_P(ConversionTest, ArgumentsArriveWithTheirTypes) {
  IDispatch *app = app_.get();
  EXPECT_EQ(text_of(app, L".Describe(%d, %u, %p, %e, %b, %m, %b)", -5, 4000000000u, intptr_t(-7), 2.5, 7, 0),
            L"I4:-5|UI4:4000000000|I8:-7|R8:2.5|BOOL:-1|-|BOOL:0");
  EXPECT_EQ(text_of(app, L".Join(%S, %m)", L"only"), L"only");

  Bstr existing(SysAllocString(L"kept"));
  EXPECT_EQ(text_of(app, L".Describe(%S, %s, %T, %B, %S, %s)", L"wide \u00e9", "ansi", "mode", existing.get(),
                    static_cast<const wchar_t *>(nullptr), static_cast<const char *>(nullptr)),
            L"BSTR:wide \u00e9|BSTR:ansi|BSTR:mode|BSTR:kept|BSTR:|BSTR:");
  EXPECT_STREQ(existing.get(), L"kept") << "%B passes the caller's BSTR without taking it over";
  disp::SetWideTextMode(true);
  EXPECT_EQ(text_of(app, L".Describe(%T)", L"wide mode"), L"BSTR:wide mode");
  disp::SetWideTextMode(false);

  Ref<IDispatch> node;
  ASSERT_EQ(disp::GetValue(L"%o", node.put(), app, L".NewNode(%S)", L"n1"), S_OK);
  Variant v;
  v->vt = VT_BSTR;
  v->bstrVal = SysAllocString(L"inside");
  EXPECT_EQ(text_of(app, L".Describe(%o, %O, %o, %v)", node.get(), static_cast<IUnknown *>(node.get()),
                    static_cast<IDispatch *>(nullptr), v.get()),
            L"DISPATCH|UNKNOWN|DISPATCH:null|BSTR:inside");
  EXPECT_STREQ(v->bstrVal, L"inside") << "the VARIANT was copied and is still the caller's";

  SYSTEMTIME st{2024, 2, 4, 29, 12, 0, 0, 0};
  FILETIME ft;
  ASSERT_TRUE(SystemTimeToFileTime(&st, &ft));
  DATE from_t = 0;
  ASSERT_EQ(disp::TimeToDate(time_t(86400), &from_t), S_OK);
  wchar_t expected[128];
  swprintf(expected, 128, L"DATE:45351.500000|DATE:45351.500000|DATE:45351.500000|DATE:%.6f", from_t);
  EXPECT_EQ(text_of(app, L".Describe(%D, %W, %f, %t)", 45351.5, &st, &ft, time_t(86400)), expected);
}

TEST_P(ConversionTest, BadConversionsFailBeforeInvoking) {
  int32_t out = 9;
  EXPECT_EQ(disp::GetValue(L"%d", &out, app_.get(), L".Sum(%d, %q)", 1, 2), E_INVALIDARG);
  EXPECT_EQ(disp::GetValue(L"%d", &out, app_.get(), L".Sum(%d, %", 1), E_INVALIDARG);
  EXPECT_EQ(text_of(app_.get(), L".Describe(%W)", static_cast<SYSTEMTIME *>(nullptr)), L"<failed>");
  for (const wchar_t *type : {L"%m", L"%x", L"%dd", L"", L"%"}) {
    EXPECT_EQ(disp::GetValue(type, &out, app_.get(), L".Quit()"), E_INVALIDARG) << type;
    EXPECT_STREQ(record().ErrorFunction, L"GetValueV");
  }
  EXPECT_EQ(disp::GetValue(nullptr, &out, app_.get(), L".Number"), E_INVALIDARG);
  EXPECT_EQ(disp::GetValue(L"%S", nullptr, app_.get(), L".Name"), E_INVALIDARG);
  EXPECT_EQ(disp::GetValue(L"%d", &out, app_.get(), L".Name"), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(out, 9) << "nothing is written on failure";
}

// Put with one letter, read back with another (or the same).
template <class T, class V>
T round_trip(IDispatch *app, const wchar_t *put, V value, const wchar_t *type, const wchar_t *member) {
  T out{};
  EXPECT_EQ(disp::PutValue(app, put, value), S_OK) << put;
  EXPECT_EQ(disp::GetValue(type, &out, app, member), S_OK) << put << " read as " << type;
  return out;
}

TEST_P(ConversionTest, NumberResultsRoundTrip) {
  IDispatch *app = app_.get();
  EXPECT_EQ(round_trip<int32_t>(app, L".Int = %d", -123, L"%d", L".Int"), -123);
  EXPECT_EQ(round_trip<int32_t>(app, L".Int = %d", 42, L"d", L".Int"), 42) << "\"%\" is optional";
  EXPECT_EQ(round_trip<uint32_t>(app, L".UInt = %u", 4000000000u, L"%u", L".UInt"), 4000000000u);
  // An unsigned result is coerced as unsigned: through a signed type these overflow.
  EXPECT_EQ(round_trip<uint32_t>(app, L".Real = %e", 4000000000.0, L"%u", L".Real"), 4000000000u);
  EXPECT_EQ(round_trip<uint32_t>(app, L".Int64 = %p", intptr_t(4000000000), L"%u", L".Int64"), 4000000000u);
  EXPECT_EQ(round_trip<uint32_t>(app, L".Text = %S", L"4000000000", L"%u", L".Text"), 4000000000u);
  EXPECT_EQ(round_trip<int64_t>(app, L".Int64 = %p", intptr_t(-5000000000LL), L"%p", L".Int64"), -5000000000LL);
  EXPECT_EQ(round_trip<double>(app, L".Real = %e", 0.125, L"%e", L".Real"), 0.125);
  EXPECT_EQ(round_trip<int32_t>(app, L".Flag = %b", 1, L"%b", L".Flag"), -1);
  EXPECT_EQ(round_trip<int32_t>(app, L".Flag = %b", 0, L"%b", L".Flag"), 0);
  EXPECT_EQ(round_trip<int32_t>(app, L".Text = %S", L"123", L"%d", L".Text"), 123);
  EXPECT_EQ(text_of(app, L".Number"), L"42");
}

TEST_P(ConversionTest, TextResultsOwnedByTheCaller) {
  IDispatch *app = app_.get();
  ASSERT_EQ(disp::PutValue(app, L".Text = %S", L"caf\u00e9"), S_OK);
  for (bool wide : {false, true}) {
    disp::SetWideTextMode(wide);
    for (const wchar_t *type : {L"%S", L"%B", L"S", L"%s", L"%T"}) {
      Bstr s;
      EXPECT_EQ(disp::GetValue(type, s.put(), app, L".Text"), S_OK);
      if (type[1] == L's' || (type[1] == L'T' && !wide)) {  // a byte-length BSTR of ANSI text
        EXPECT_EQ(SysStringByteLen(s.get()), 4u) << type;
        EXPECT_EQ(std::memcmp(s.get(), "caf\xe9", 5), 0) << type;
      } else {
        EXPECT_STREQ(s.c_str(), L"caf\u00e9") << type;
      }
    }
  }
  disp::SetWideTextMode(false);
}

TEST_P(ConversionTest, DateResultsInEveryForm) {
  IDispatch *app = app_.get();
  EXPECT_EQ(round_trip<DATE>(app, L".When = %D", 45351.5, L"%D", L".When"), 45351.5);
  SYSTEMTIME st{};
  EXPECT_EQ(disp::GetValue(L"%W", &st, app, L".When"), S_OK);
  EXPECT_EQ((std::array<WORD, 4>{st.wYear, st.wMonth, st.wDay, st.wHour}), (std::array<WORD, 4>{2024, 2, 29, 12}));
  FILETIME ft{}, ft_expected{};
  ASSERT_TRUE(SystemTimeToFileTime(&st, &ft_expected));
  EXPECT_EQ(disp::GetValue(L"%f", &ft, app, L".When"), S_OK);
  EXPECT_EQ(std::memcmp(&ft, &ft_expected, sizeof ft), 0);
  EXPECT_EQ(round_trip<time_t>(app, L".When = %t", time_t(1700000000), L"%t", L".When"), time_t(1700000000));
  // Before 1970 there is no time_t: the variable is left alone.
  ASSERT_EQ(disp::PutValue(app, L".When = %D", 100.0), S_OK);
  time_t t = 7;
  EXPECT_EQ(disp::GetValue(L"%t", &t, app, L".When"), E_INVALIDARG);
  EXPECT_EQ(t, time_t(7));
}

TEST_P(ConversionTest, ObjectAndVariantResults) {
  IDispatch *app = app_.get();
  Ref<IDispatch> node, back;
  Ref<IUnknown> unknown;
  ASSERT_EQ(disp::GetValue(L"%o", node.put(), app, L".NewNode(%S)", L"kept"), S_OK);
  ASSERT_EQ(disp::PutValue(app, L".Thing = %o", node.get()), S_OK);
  EXPECT_EQ(disp::GetValue(L"%o", back.put(), app, L".Thing"), S_OK);
  EXPECT_EQ(text_of(back.get(), L".Name"), L"kept");
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

INSTANTIATE_TEST_SUITE_P(Servers, ConversionTest, ::testing::Values(kInprocProgId, kLocalProgId), param_name);

}  // namespace
}  // namespace disptest
