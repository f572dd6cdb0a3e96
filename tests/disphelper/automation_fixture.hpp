// Helpers of the tests driving automation objects through the dispatch layer.
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

}  // namespace disptest
