// The late-bound call a caller writes by hand, the baseline of the member
// benchmarks: GetIDsOfNames for the name, then Invoke (a put with its named
// argument).
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <cstdlib>
#include <cstring>

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

// The stand-in's call journal would weigh on both ways alike: off while measuring.
inline void stop_journal(IDispatch *standin) {
  VARIANT off;
  off.vt = VT_BOOL;
  off.boolVal = VARIANT_FALSE;
  invoke_by_hand(standin, L"_Journaling", DISPATCH_PROPERTYPUT, &off, 1, nullptr);
}

// What the library does with a text result: copy it into memory of its own
// and hand it on; the baseline copies and frees it the same way. Gives the
// length, 0 when the result is not text.
inline size_t copy_text_by_hand(const VARIANT &text) {
  if (text.vt != VT_BSTR) return 0;
  const size_t n = SysStringLen(text.bstrVal);
  auto *copy = static_cast<wchar_t *>(std::malloc((n + 1) * sizeof(wchar_t)));
  if (!copy) return 0;
  std::memcpy(copy, text.bstrVal, (n + 1) * sizeof(wchar_t));
  std::free(copy);
  return n;
}

}  // namespace tarvo::bench
