// The late-bound call a caller writes by hand, the baseline of the member
// benchmarks: GetIDsOfNames for the name, then Invoke (a put with its named
// argument).
#pragma once

#include <windows.h>
#include <oaidl.h>

namespace tarvo::bench {

inline HRESULT invoke_by_hand(IDispatch *object, const wchar_t *name, WORD kind, VARIANT *args, UINT count,
                              VARIANT *result) {
  DISPID id, put = DISPID_PROPERTYPUT;
  LPOLESTR n = const_cast<LPOLESTR>(name);
  HRESULT hr = object->GetIDsOfNames(IID_NULL, &n, 1, LOCALE_USER_DEFAULT, &id);
  if (FAILED(hr)) return hr;
  const bool is_put = kind == DISPATCH_PROPERTYPUT;
  DISPPARAMS params{args, is_put ? &put : nullptr, count, is_put ? 1u : 0u};
  return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, kind, &params, result, nullptr, nullptr);
}

}  // namespace tarvo::bench
