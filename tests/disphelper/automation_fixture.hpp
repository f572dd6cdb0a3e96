// A test fixture holding one application object of the test automation
// server, in-process or across the process boundary, and proving at the end
// of every test that no object reference was leaked.
#pragma once

#include "com_ref.hpp"
#include "disphelper.h"

#include <gtest/gtest.h>

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

// GetValue with a text result, as a std::wstring ("<failed>" on failure).
std::wstring text_of(IDispatch *object, const wchar_t *expression, ...);
// GetValue with an integer result (INT32_MIN on failure).
int32_t int_of(IDispatch *object, const wchar_t *expression, ...);

class AutomationTest : public ::testing::TestWithParam<const wchar_t *> {
 protected:
  void SetUp() override;
  void TearDown() override;
  bool local() const { return std::wstring(GetParam()) == kLocalProgId; }
  int32_t live() { return int_of(app_.get(), L".LiveObjects"); }
  const disp::DispatchErrorRecord &record();

  Apartment apartment_;
  Ref<IDispatch> app_;
  int32_t baseline_ = 0;
};

std::string param_name(const ::testing::TestParamInfo<const wchar_t *> &info);

}  // namespace disptest
