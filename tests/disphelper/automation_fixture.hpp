// Helpers of the tests driving automation objects through the dispatch layer, and a fixture holding an
// application object of the test server that must hold no more object references after a test than before.
#pragma once
#include "com_ref.hpp"
#include "disphelper.h"

#include <gtest/gtest.h>

namespace disptest {

using tarvo::com::Bstr;
using tarvo::com::Ref;
using tarvo::com::Variant;
namespace disp = tarvo::disp;

struct Apartment {
  HRESULT hr = CoInitialize(nullptr);
  ~Apartment() { if (SUCCEEDED(hr)) CoUninitialize(); }
};

// GetValue with a text, integer or object result: "<failed>", INT32_MIN or null on failure.
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
  return disp::ThreadErrorRecord() ? *disp::ThreadErrorRecord() : none;
}

inline constexpr const wchar_t *kInprocProgId = L"TarvoTest.Application";
class AutomationTest : public ::testing::TestWithParam<const wchar_t *> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(apartment_.hr));
    disp::SetErrorDisplay(false);
    disp::SetWideTextMode(false);
    ASSERT_EQ(disp::CreateObject(GetParam(), nullptr, app_.put()), S_OK) << "is the test automation server registered?";
    ASSERT_GT(baseline_ = int_of(app_.get(), L".LiveObjects"), 0);
  }
  void TearDown() override {
    if (!app_) return;
    EXPECT_EQ(int_of(app_.get(), L".LiveObjects"), baseline_) << "an object reference was leaked";
    EXPECT_EQ(disp::CallMethod(app_.get(), L".Quit()"), S_OK);
  }

  Apartment apartment_;
  Ref<IDispatch> app_;
  int32_t baseline_ = 0;
};

}  // namespace disptest
