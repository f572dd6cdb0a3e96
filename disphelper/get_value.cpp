// GetValue: invoking the last member as a method or property get and storing
// the result in the form the caller asked for.
#include "arguments.hpp"
#include "com_ref.hpp"
#include "operation.hpp"
#include "transcode.hpp"

#include <cstdint>
#include <cwchar>

namespace tarvo::disp {
namespace {

// The letter of a result type text: one letter, optionally after "%".
wchar_t result_letter(const wchar_t *type) {
  if (!type) return 0;
  if (type[0] == L'%') ++type;
  if (!type[0] || type[1]) return 0;
  const wchar_t letter = type[0];
  if (letter == L'T') return WideTextMode() ? L'S' : L's';
  return std::wcschr(L"dupebSBsoOvDtWf", letter) ? letter : 0;
}

VARTYPE wanted_type(wchar_t letter) {
  switch (letter) {
    case L'd': return VT_I4;
    case L'u': return VT_UI4;
    case L'p': return VT_I8;
    case L'e': return VT_R8;
    case L'b': return VT_BOOL;
    case L'S': case L'B': case L's': return VT_BSTR;
    case L'o': return VT_DISPATCH;
    case L'O': return VT_UNKNOWN;
    case L'v': return VT_EMPTY;  // no coercion
    default: return VT_DATE;    // D, t, W, f
  }
}

// An ANSI copy of the text in a byte-length BSTR.
HRESULT to_ansi_bstr(BSTR wide, BSTR *out) {
  const UINT len = SysStringLen(wide);
  if (len == 0) {
    *out = SysAllocStringByteLen("", 0);
    return *out ? S_OK : E_OUTOFMEMORY;
  }
  const int n = tarvo::wide_to_multibyte(CP_ACP, 0, wide, static_cast<int>(len), nullptr, 0, nullptr, nullptr);
  if (n <= 0) return HRESULT_FROM_WIN32(GetLastError());
  com::Bstr bytes(SysAllocStringByteLen(nullptr, static_cast<UINT>(n)));
  if (!bytes.get()) return E_OUTOFMEMORY;
  tarvo::wide_to_multibyte(CP_ACP, 0, wide, static_cast<int>(len), reinterpret_cast<char *>(bytes.get()), n,
                      nullptr, nullptr);
  *out = bytes.detach();
  return S_OK;
}

// Moves the coerced value into the caller's variable; `value` is left empty
// when ownership passed to the caller.
HRESULT store(wchar_t letter, com::Variant &value, void *out) {
  VARIANT &v = *value.get();
  switch (letter) {
    case L'd': *static_cast<int32_t *>(out) = v.lVal; return S_OK;
    case L'u': *static_cast<uint32_t *>(out) = v.ulVal; return S_OK;
    case L'p': *static_cast<int64_t *>(out) = v.llVal; return S_OK;
    case L'e': *static_cast<double *>(out) = v.dblVal; return S_OK;
    case L'b': *static_cast<int32_t *>(out) = v.boolVal; return S_OK;
    case L'S':
    case L'B': *static_cast<BSTR *>(out) = value.detach().bstrVal; return S_OK;
    case L's': return to_ansi_bstr(v.bstrVal, static_cast<BSTR *>(out));
    case L'o':
    case L'O': {
      // pdispVal and punkVal share their place in the VARIANT.
      IUnknown *object = v.punkVal;
      *static_cast<IUnknown **>(out) = object;
      if (!object) return E_NOINTERFACE;
      value.detach();
      return S_OK;
    }
    case L'v': *static_cast<VARIANT *>(out) = value.detach(); return S_OK;
    case L'D': *static_cast<DATE *>(out) = v.date; return S_OK;
    case L't': return DateToTime(v.date, static_cast<time_t *>(out));
    case L'W': return DateToSystemTime(v.date, static_cast<SYSTEMTIME *>(out));
    case L'f': return DateToFileTime(v.date, static_cast<FILETIME *>(out));
    default: return E_INVALIDARG;
  }
}

HRESULT get_value(detail::Operation &op, const wchar_t *type, void *result, IDispatch *object,
                  const wchar_t *expression, ArgumentSource &args) {
  const wchar_t letter = result_letter(type);
  if (!letter || !result) return op.invalid();
  com::Variant value;
  HRESULT hr = InvokeV(kMethodOrGet, wanted_type(letter), value.get(), object, expression, args);
  if (FAILED(hr)) return op.finish(hr);
  return op.finish(store(letter, value, result));
}

}  // namespace

HRESULT GetValue(const wchar_t *type, void *result, IDispatch *object, const wchar_t *expression,
                 ArgumentSource &args) {
  detail::Operation op(L"GetValue", expression);
  return get_value(op, type, result, object, expression, args);
}

HRESULT GetValueV(const wchar_t *type, void *result, IDispatch *object, const wchar_t *expression,
                  va_list args) {
  detail::Operation op(L"GetValueV", expression);
  detail::VaListSource source(args);
  return get_value(op, type, result, object, expression, source);
}

HRESULT GetValue(const wchar_t *type, void *result, IDispatch *object, const wchar_t *expression, ...) {
  detail::Operation op(L"GetValue", expression);
  va_list args;
  va_start(args, expression);
  HRESULT hr = GetValueV(type, result, object, expression, args);
  va_end(args);
  return op.finish(hr);
}

}  // namespace tarvo::disp
