#include "automation_fixture.hpp"

#include <climits>

namespace disptest {

std::wstring text_of(IDispatch *object, const wchar_t *expression, ...) {
  va_list args;
  va_start(args, expression);
  Bstr value;
  HRESULT hr = disp::GetValueV(L"%S", value.put(), object, expression, args);
  va_end(args);
  return SUCCEEDED(hr) ? std::wstring(value.c_str()) : L"<failed>";
}

int32_t int_of(IDispatch *object, const wchar_t *expression, ...) {
  va_list args;
  va_start(args, expression);
  int32_t value = INT32_MIN;
  HRESULT hr = disp::GetValueV(L"%d", &value, object, expression, args);
  va_end(args);
  return SUCCEEDED(hr) ? value : INT32_MIN;
}

void AutomationTest::SetUp() {
  ASSERT_TRUE(SUCCEEDED(apartment_.hr));
  disp::SetErrorDisplay(false);
  disp::SetWideTextMode(false);
  HRESULT hr = disp::CreateObject(GetParam(), nullptr, app_.put());
  ASSERT_EQ(hr, S_OK) << "is the test automation server registered?";
  baseline_ = live();
  ASSERT_GT(baseline_, 0);
}

void AutomationTest::TearDown() {
  if (!app_) return;
  EXPECT_EQ(live(), baseline_) << "an object reference was leaked";
  EXPECT_EQ(disp::CallMethod(app_.get(), L".Quit()"), S_OK);
  app_.reset();
}

const disp::DispatchErrorRecord &AutomationTest::record() {
  static const disp::DispatchErrorRecord none{};
  const disp::DispatchErrorRecord *r = disp::ThreadErrorRecord();
  return r ? *r : none;
}

std::string param_name(const ::testing::TestParamInfo<const wchar_t *> &info) {
  return std::wstring(info.param) == kLocalProgId ? "LocalServer" : "InProcess";
}

}  // namespace disptest
