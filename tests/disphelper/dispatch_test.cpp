// The dispatch layer through a real IDispatch, in-process and across the process boundary.
#include "com_ref.hpp"
#include "disphelper.h"

#include <gtest/gtest.h>

#include <cmath>
#include <regex>
#include <thread>

namespace disptest {
namespace {

using tarvo::com::Bstr;
using tarvo::com::Ref;
using tarvo::com::Variant;
namespace disp = tarvo::disp;

struct Apartment {
  HRESULT hr = CoInitialize(nullptr);
  ~Apartment() { if (SUCCEEDED(hr)) CoUninitialize(); }
};

// GetValue with a text or integer result: "<failed>" or INT32_MIN on failure.
template <class... A>
std::wstring text_of(IDispatch *o, const wchar_t *expression, A... args) {
  Bstr value;
  return SUCCEEDED(disp::GetValue(L"%S", value.put(), o, expression, args...)) ? value.c_str() : L"<failed>";
}
template <class... A>
int32_t int_of(IDispatch *o, const wchar_t *expression, A... args) {
  int32_t value = INT32_MIN;
  return SUCCEEDED(disp::GetValue(L"%d", &value, o, expression, args...)) ? value : INT32_MIN;
}

// The thread's failure record (an empty one before the first failure).
const disp::DispatchErrorRecord &record() {
  static const disp::DispatchErrorRecord none{};
  return disp::ThreadErrorRecord() ? *disp::ThreadErrorRecord() : none;
}

constexpr const wchar_t *kInprocProgId = L"TarvoTest.Application";
// An application object of the test server that must hold no more object references after a test than before.
class Dispatch : public ::testing::TestWithParam<const wchar_t *> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(apartment_.hr));
    disp::SetErrorDisplay(false);
    disp::SetWideTextMode(false);
    ASSERT_EQ(disp::CreateObject(GetParam(), nullptr, app_.put()), S_OK) << "is the test automation server registered?";
    app = app_.get();
    ASSERT_GT(baseline_ = int_of(app_.get(), L".LiveObjects"), 0);
  }
  void TearDown() override {
    if (!app_) return;
    EXPECT_EQ(int_of(app_.get(), L".LiveObjects"), baseline_) << "an object reference was leaked";
    EXPECT_EQ(disp::CallMethod(app_.get(), L".Quit()"), S_OK);
  }

  Apartment apartment_;
  Ref<IDispatch> app_;
  IDispatch *app = nullptr;  // app_'s object
  int32_t baseline_ = 0;
};

FILETIME filetime(uint64_t ticks) { return FILETIME{DWORD(ticks), DWORD(ticks >> 32)}; }
uint64_t ticks(FILETIME ft) { return (uint64_t(ft.dwHighDateTime) << 32) | ft.dwLowDateTime; }

TEST_P(Dispatch, ArgumentLettersAndWhoOwnsThem) {
  Bstr kept(SysAllocString(L"kept"));
  Ref<IDispatch> node;
  ASSERT_EQ(disp::GetValue(L"%o", node.put(), app, L".NewNode(%S)", L"n1"), S_OK);
  Variant v;
  v->vt = VT_BSTR;
  v->bstrVal = SysAllocString(L"inside");
  EXPECT_EQ(text_of(app, L".Describe(%u, %p, %b, %S, %s, %T, %B, %S, %s, %o, %O, %o, %v)", 4000000000u, intptr_t(-7),
                    7, L"wide \u00e9", "ansi", "mode", kept.get(), static_cast<const wchar_t *>(nullptr),
                    static_cast<const char *>(nullptr), node.get(), static_cast<IUnknown *>(node.get()),
                    static_cast<IDispatch *>(nullptr), v.get()),
            L"UI4:4000000000|I8:-7|BOOL:-1|BSTR:wide \u00e9|BSTR:ansi|BSTR:mode|BSTR:kept|BSTR:|BSTR:|DISPATCH|UNKNOWN|"
            L"DISPATCH:null|BSTR:inside");
  EXPECT_STREQ(kept.get(), L"kept") << "%B and %v leave the caller's values with the caller";
  EXPECT_STREQ(v->bstrVal, L"inside");
  SYSTEMTIME st{2024, 2, 4, 29, 12, 0, 0, 0};
  FILETIME ft = filetime(133536816000000000ull);
  disp::SetWideTextMode(true);
  EXPECT_EQ(text_of(app, L".Describe(%T, %D, %W, %f)", L"wide", 45351.5, &st, &ft),
            L"BSTR:wide|DATE:45351.500000|DATE:45351.500000|DATE:45351.500000");
}

TEST_P(Dispatch, CreatingObjectsAndRefusingBadInput) {
  Ref<IDispatch> object;
  ASSERT_EQ(disp::CreateObject(L"{BC2B863E-94DB-401A-A327-BD35BBFE0029}", nullptr, object.put()), S_OK);
  EXPECT_EQ(text_of(object.get(), L".Name"), L"Tarvo Test Application");
  ASSERT_EQ(disp::GetObject(L"C:\\data\\book.tst", kInprocProgId, object.put()), S_OK);
  EXPECT_EQ(text_of(object.get(), L".FileName"), L"C:\\data\\book.tst");
  EXPECT_EQ(disp::CreateObject(nullptr, nullptr, object.put()), E_INVALIDARG);
  EXPECT_EQ(disp::CreateObject(kInprocProgId, nullptr, nullptr), E_INVALIDARG);
  EXPECT_EQ(disp::GetObject(nullptr, nullptr, object.put()), E_INVALIDARG);
  int r = 0;  // the reserved argument
  EXPECT_EQ(disp::GetObjectEx(nullptr, kInprocProgId, IID_IDispatch, CLSCTX_ALL, &r, object.put_void()), E_INVALIDARG);
  EXPECT_FALSE(object);
  int32_t out = 9;
  for (const wchar_t *type : {L"%m", L"%x", L"%dd", L"", L"%"})
    EXPECT_EQ(disp::GetValue(type, &out, app, L".Quit()"), E_INVALIDARG) << type;
  EXPECT_STREQ(record().ErrorFunction, L"GetValueV");
  EXPECT_EQ(disp::GetValue(L"%d", &out, app, L".Sum(%d, %q)", 1, 2), E_INVALIDARG);
  EXPECT_EQ(disp::GetValue(L"%d", &out, app, L".Sum(%d, %", 1), E_INVALIDARG);
  EXPECT_EQ(text_of(app, L".Describe(%W)", static_cast<SYSTEMTIME *>(nullptr)), L"<failed>");
  EXPECT_EQ(disp::GetValue(nullptr, &out, app, L".Number"), E_INVALIDARG);
  EXPECT_EQ(disp::GetValue(L"%S", nullptr, app, L".Name"), E_INVALIDARG);
  EXPECT_EQ(disp::GetValue(L"%d", &out, app, L".Name"), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(disp::GetValue(L"%d", &out, nullptr, L".Number"), E_INVALIDARG);
  EXPECT_EQ(disp::GetValue(L"%d", &out, app, nullptr), E_INVALIDARG);
  EXPECT_EQ(out, 9);
  EXPECT_EQ(disp::CallMethod(app, L"."), E_INVALIDARG);
  EXPECT_EQ(disp::CallMethod(app, L".Workbooks..Count"), E_INVALIDARG);
  const std::wstring e = L".Name" + std::wstring(506, L' ');  // 511 characters
  EXPECT_EQ(text_of(app, e.c_str()), L"Tarvo Test Application");
  EXPECT_EQ(text_of(app, (e + L' ').c_str()), L"<failed>") << "512 characters";
  EXPECT_STREQ(record().ErrorFunction, L"InvokeV");
}

// Values 1, 2, 3... for %d and a text for %S, from no argument list.
struct CountingSource final : disp::ArgumentSource {
  int given = 0;
  HRESULT convert(wchar_t letter, VARIANT &slot, bool &owned) override {
    ++given;
    return letter == L'S' ? disp::wide_to_slot(L"s", slot, owned) : disp::integer_to_slot(VT_I4, given, slot);
  }
};

TEST_P(Dispatch, TwentyFiveConversionsPerSegment) {
  std::wstring expression = L".Describe(%d";
  for (int i = 2; i <= 25; ++i) expression += L", %d";
  CountingSource values;
  Bstr out;
  EXPECT_EQ(disp::GetValue(L"%S", out.put(), app, (expression + L")").c_str(), values), S_OK);
  EXPECT_TRUE(std::regex_match(out.c_str(), std::wregex(L"I4:1\\|I4:2\\|(I4:\\d+\\|){22}I4:25"))) << out.c_str();
  // One more fails before anything is invoked, texts converted or not.
  for (const wchar_t *last : {L", %d)", L", %S)"}) {
    CountingSource more;
    EXPECT_EQ(disp::GetValue(L"%S", out.put(), app, (expression + last).c_str(), more), E_INVALIDARG);
    EXPECT_EQ(out.get(), nullptr);
    EXPECT_STREQ(record().ErrorFunction, L"CreateArgumentArray");
  }
}

// Put with one letter, read back with another (or the same).
template <class T, class V>
T round_trip(IDispatch *app, const wchar_t *put, V value, const wchar_t *type, const wchar_t *member) {
  T out{};
  EXPECT_EQ(disp::PutValue(app, put, value), S_OK) << put;
  EXPECT_EQ(disp::GetValue(type, &out, app, member), S_OK) << put << " read as " << type;
  return out;
}

TEST_P(Dispatch, NumberAndDateResults) {
  // An unsigned result is coerced as unsigned: through a signed type these overflow.
  EXPECT_EQ(round_trip<uint32_t>(app, L".Real = %e", 4000000000.0, L"%u", L".Real"), 4000000000u);
  EXPECT_EQ(round_trip<uint32_t>(app, L".Int64 = %p", intptr_t(4000000000), L"%u", L".Int64"), 4000000000u);
  EXPECT_EQ(round_trip<uint32_t>(app, L".Text = %S", L"4000000000", L"%u", L".Text"), 4000000000u);
  EXPECT_EQ(round_trip<int64_t>(app, L".Int64 = %p", intptr_t(-5000000000LL), L"%p", L".Int64"), -5000000000LL);
  EXPECT_EQ(round_trip<time_t>(app, L".When = %t", time_t(1700000000), L"%t", L".When"), time_t(1700000000));
  EXPECT_EQ(round_trip<DATE>(app, L".When = %D", 45351.5, L"%D", L".When"), 45351.5);
  SYSTEMTIME st{};
  FILETIME ft{};
  EXPECT_TRUE(disp::GetValue(L"%W", &st, app, L".When") == S_OK && st.wYear == 2024 && st.wDay == 29 && st.wHour == 12);
  EXPECT_TRUE(disp::GetValue(L"%f", &ft, app, L".When") == S_OK && ticks(ft) == 133536816000000000ull);
  time_t t = 7;  // before 1970 there is no time_t: the variable is left alone
  ASSERT_EQ(disp::PutValue(app, L".When = %D", 100.0), S_OK);
  EXPECT_TRUE(disp::GetValue(L"%t", &t, app, L".When") == E_INVALIDARG && t == 7);
}

TEST_P(Dispatch, TextObjectAndVariantResultsOwnedByTheCaller) {
  ASSERT_EQ(disp::PutValue(app, L".Text = %S", L"caf\u00e9"), S_OK);
  for (bool wide : {false, true}) {
    disp::SetWideTextMode(wide);
    for (const wchar_t *type : {L"%S", L"%B", L"S", L"%s", L"%T"}) {
      Bstr s;
      EXPECT_EQ(disp::GetValue(type, s.put(), app, L".Text"), S_OK);
      const bool ansi = type[1] == L's' || (type[1] == L'T' && !wide);  // a byte-length BSTR of ANSI text
      EXPECT_EQ(std::string(reinterpret_cast<const char *>(s.get()), SysStringByteLen(s.get())),
                ansi ? std::string("caf\xe9") : std::string("c\0a\0f\0\xe9\0", 8)) << type;
    }
  }
  Ref<IUnknown> unknown;
  Variant any;
  EXPECT_TRUE(disp::GetValue(L"%O", unknown.put(), app, L".NewNode(%S)", L"n") == S_OK && unknown);
  ASSERT_EQ(disp::GetValue(L"%v", any.get(), app, L".Name"), S_OK);
  EXPECT_TRUE(any->vt == VT_BSTR && std::wstring(any->bstrVal) == L"Tarvo Test Application");
  IDispatch *empty = reinterpret_cast<IDispatch *>(1);
  EXPECT_EQ(disp::GetValue(L"%o", &empty, app, L".Nothing"), E_NOINTERFACE);
  EXPECT_EQ(empty, nullptr);
}

std::wstring message() {
  wchar_t text[512];
  disp::FormatErrorMessage(record(), text);
  return text;
}
bool shows(const wchar_t *pattern) { return std::regex_search(message(), std::wregex(pattern)); }

TEST_P(Dispatch, TheRecordOfTheLatestFailurePerThreadAndItsMessage) {
  int32_t out;
  EXPECT_EQ(disp::GetValue(L"%d", &out, app, L".Workbooks.Bogus(%d)", 1), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(message(), L"Member:\t  .Workbooks.Bogus(%d)\r\nFunction:\t  GetValue\t\t\r\nError In:\t  InvokeArray\r\n"
                       L"Error:\t  Object doesn't support this property or method: 'Bogus'\r\nCode:\t  80020006\r\n"
                       L"Source:\t  IDispatch Interface");
  EXPECT_EQ(disp::CallMethod(app, L".Sum(%S, %d)", L"x", 1), DISP_E_TYPEMISMATCH);
  EXPECT_TRUE(shows(L"\nError:\t  Type mismatch: 'Sum'. Argument Index: 1\r\n"));
  EXPECT_EQ(disp::CallMethod(app, L".Fail(%d, %S)", 0x80040201, L"Broken on purpose"), DISP_E_EXCEPTION);
  const auto &r = record();
  EXPECT_TRUE(shows(L"\nError:\t  Broken on purpose\r\nCode:\t  80040201\r\nSource:\t  TarvoTest$"));
  // A failure without exception information clears the previous texts.
  EXPECT_EQ(disp::CallMethod(app, L".Bogus"), DISP_E_UNKNOWNNAME);
  EXPECT_TRUE(r.Description == nullptr && r.ServerCode == 0);
  // Texts the server defers are filled in.
  EXPECT_EQ(disp::CallMethod(app, L".FailDeferred()"), DISP_E_EXCEPTION);
  EXPECT_TRUE(r.ServerCode == LONG(0x800A03EC) && std::wstring(r.Description) == L"Deferred failure");
  // The objects walked before a non-object are released (the fixture counts them).
  EXPECT_EQ(disp::CallMethod(app, L".Workbooks(%d).Name.Count", 1), DISP_E_TYPEMISMATCH);
  // Without a dispatch call the text is the system's, without a line end of its own.
  EXPECT_EQ(disp::CallMethod(nullptr, L".Quit()"), E_INVALIDARG);
  EXPECT_TRUE(shows(L"\nError:\t  [^\r\n]+\r\nCode:\t  80070057\r\nSource:\t  Application$"));
  EXPECT_EQ(disp::CallMethod(app, L".Bogus"), DISP_E_UNKNOWNNAME);
  const disp::DispatchErrorRecord *mine = disp::ThreadErrorRecord();
  std::thread([&] {
    EXPECT_EQ(disp::CallMethod(nullptr, L".X"), E_INVALIDARG);
    EXPECT_TRUE(disp::ThreadErrorRecord() != mine && std::wstring(record().CompleteMember) == L".X");
  }).join();
  EXPECT_STREQ(record().Member, L"Bogus");
}

INSTANTIATE_TEST_SUITE_P(Servers, Dispatch, ::testing::Values(kInprocProgId, L"TarvoTest.LocalApplication"),
                         [](const auto &info) { return std::string(info.index ? "LocalServer" : "InProcess"); });

TEST(Dates, OleEncodingBefore1900AndRangeLimits) {
  const uint64_t t = 94353120000000000ull - 648000000000ull;  // 1899-12-29 06:00, encoded as -1.25
  DATE d = 0;
  FILETIME ft{};
  ASSERT_EQ(disp::FileTimeToDate(filetime(t), &d), S_OK);
  EXPECT_NEAR(d, -1.25, 1e-8);
  EXPECT_TRUE(disp::DateToFileTime(-1.25, &ft) == S_OK && ticks(ft) == t);
  EXPECT_EQ(disp::FileTimeToDate(filetime(2650467744000000000ull), &d), E_INVALIDARG);
  EXPECT_EQ(disp::FileTimeToDate(filetime(~0ull), &d), E_INVALIDARG);  // no wrap-around
  // FILETIME's range is 1601-01-01 12:00 to 9999-12-31 23:58; past it, and what no integer can hold, is refused.
  EXPECT_TRUE(disp::DateToFileTime(-109205.5, &ft) == S_OK && disp::DateToFileTime(2958465.999, &ft) == S_OK);
  for (double bad : {-109206.0, 2958466.0, 1e300, HUGE_VAL, -HUGE_VAL, std::nan("")}) {
    FILETIME untouched{7, 7};
    SYSTEMTIME st{};
    time_t time = 5;
    EXPECT_TRUE(disp::DateToFileTime(bad, &untouched) == E_INVALIDARG && ticks(untouched) == ((7ull << 32) | 7)) << bad;
    EXPECT_TRUE(FAILED(disp::DateToTime(bad, &time)) && time == 5) << bad;
    EXPECT_EQ(disp::DateToSystemTime(bad, &st), E_INVALIDARG) << bad;
  }
  EXPECT_EQ(disp::TimeToDate(time_t(253402300800LL), &d), E_INVALIDARG);  // the year 10000
}

}  // namespace
}  // namespace disptest
