// Helpers of the tests that drive automation objects through the dispatch
// layer, and a fixture holding one application object of the test automation
// server, in-process or across the process boundary, that proves at the end
// of every test that no object reference was leaked.
#pragma once

#include "com_ref.hpp"
#include "disphelper.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace disptest {

using tarvo::com::Bstr;
using tarvo::com::Ref;
using tarvo::com::Variant;
namespace disp = tarvo::disp;

inline constexpr const wchar_t *kInprocProgId = L"TarvoTest.Application";
inline constexpr const wchar_t *kLocalProgId = L"TarvoTest.LocalApplication";

// The thread's apartment for one test.
struct Apartment {
  HRESULT hr = CoInitialize(nullptr);
  ~Apartment() {
    if (SUCCEEDED(hr)) CoUninitialize();
  }
};

// GetValue with a text, integer or object result: "<failed>", INT32_MIN or
// null on failure.
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
template <class... A>
Ref<IDispatch> object_of(IDispatch *o, const wchar_t *expression, A... args) {
  Ref<IDispatch> value;
  disp::GetValue(L"%o", value.put(), o, expression, args...);
  return value;
}

// The thread's failure record (an empty one before the first failure).
inline const disp::DispatchErrorRecord &record() {
  static const disp::DispatchErrorRecord none{};
  const disp::DispatchErrorRecord *r = disp::ThreadErrorRecord();
  return r ? *r : none;
}

class AutomationTest : public ::testing::TestWithParam<const wchar_t *> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(apartment_.hr));
    disp::SetErrorDisplay(false);
    disp::SetWideTextMode(false);
    ASSERT_EQ(disp::CreateObject(GetParam(), nullptr, app_.put()), S_OK) << "is the test automation server registered?";
    baseline_ = live();
    ASSERT_GT(baseline_, 0);
  }
  void TearDown() override {
    if (!app_) return;
    EXPECT_EQ(live(), baseline_) << "an object reference was leaked";
    EXPECT_EQ(disp::CallMethod(app_.get(), L".Quit()"), S_OK);
  }
  bool local() const { return std::wstring(GetParam()) == kLocalProgId; }
  int32_t live() { return int_of(app_.get(), L".LiveObjects"); }

  Apartment apartment_;
  Ref<IDispatch> app_;
  int32_t baseline_ = 0;
};

#define AUTOMATION_SERVERS(suite)                                                                         \
  INSTANTIATE_TEST_SUITE_P(Servers, suite, ::testing::Values(kInprocProgId, kLocalProgId),              \
                           [](const auto &info) {                                                         \
                             return std::wstring(info.param) == kLocalProgId ? "LocalServer" : "InProcess"; \
                           })

}  // namespace disptest
