// Turning "%" conversions into the VARIANT slots of one invocation.
#include "arguments.hpp"

#include "com_ref.hpp"
#include "operation.hpp"
#include "transcode.hpp"

#include <cwchar>

namespace tarvo::disp {

bool detail::is_value_letter(wchar_t letter) {
  return letter != L'\0' && std::wcschr(L"dupebSsTBoOvDtWf", letter) != nullptr;
}

HRESULT wide_to_slot(const wchar_t *text, VARIANT &slot, bool &owned) {
  slot.vt = VT_BSTR;
  slot.bstrVal = nullptr;
  if (!text) return S_OK;
  slot.bstrVal = SysAllocString(text);
  if (!slot.bstrVal) return E_OUTOFMEMORY;
  owned = true;
  return S_OK;
}

HRESULT detail::ansi_to_slot(const char *text, VARIANT &slot, bool &owned) {
  slot.vt = VT_BSTR;
  slot.bstrVal = nullptr;
  if (!text) return S_OK;
  const int n = tarvo::multibyte_to_wide(CP_ACP, 0, text, -1, nullptr, 0);
  if (n <= 0) return HRESULT_FROM_WIN32(GetLastError());
  com::Bstr s(SysAllocStringLen(nullptr, static_cast<UINT>(n - 1)));
  if (!s.get()) return E_OUTOFMEMORY;
  tarvo::multibyte_to_wide(CP_ACP, 0, text, -1, s.get(), n);
  slot.bstrVal = s.detach();
  owned = true;
  return S_OK;
}

HRESULT integer_to_slot(VARTYPE type, int64_t value, VARIANT &slot) {
  slot.vt = type;
  switch (type) {
    case VT_I8: slot.llVal = value; break;
    case VT_BOOL: slot.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE; break;
    case VT_UI4: slot.ulVal = static_cast<ULONG>(value); break;
    default: slot.lVal = static_cast<LONG>(value); break;
  }
  return S_OK;
}

HRESULT real_to_slot(VARTYPE type, double value, VARIANT &slot) {
  slot.vt = type;
  slot.dblVal = value;  // a DATE is a double in the same place
  return S_OK;
}

HRESULT time_to_slot(time_t t, VARIANT &slot) {
  DATE d;
  HRESULT hr = TimeToDate(t, &d);
  return FAILED(hr) ? hr : real_to_slot(VT_DATE, d, slot);
}

namespace detail {
namespace {

// A date from a SYSTEMTIME or FILETIME the caller points at.
template <class T>
HRESULT date_from(const T *value, HRESULT (*to_date)(const T &, DATE *), VARIANT &slot) {
  DATE d;
  HRESULT hr = value ? to_date(*value, &d) : E_INVALIDARG;
  return FAILED(hr) ? hr : real_to_slot(VT_DATE, d, slot);
}

}  // namespace

HRESULT VaListSource::convert(wchar_t letter, VARIANT &slot, bool &owned) {
  switch (letter) {
    case L'd': return integer_to_slot(VT_I4, va_arg(args_, int), slot);
    case L'u': return integer_to_slot(VT_UI4, va_arg(args_, unsigned int), slot);
    case L'p': return integer_to_slot(VT_I8, va_arg(args_, intptr_t), slot);
    case L'b': return integer_to_slot(VT_BOOL, va_arg(args_, int), slot);
    case L'e': return real_to_slot(VT_R8, va_arg(args_, double), slot);
    case L'D': return real_to_slot(VT_DATE, va_arg(args_, double), slot);
    case L't': return time_to_slot(va_arg(args_, time_t), slot);
    case L'W': return date_from(va_arg(args_, const SYSTEMTIME *), SystemTimeToDate, slot);
    case L'f': return date_from(va_arg(args_, const FILETIME *), FileTimeToDate, slot);
    case L'S': return wide_to_slot(va_arg(args_, const wchar_t *), slot, owned);
    case L's': return ansi_to_slot(va_arg(args_, const char *), slot, owned);
    case L'T':
      return WideTextMode() ? wide_to_slot(va_arg(args_, const wchar_t *), slot, owned)
                            : ansi_to_slot(va_arg(args_, const char *), slot, owned);
    case L'B':
      slot.vt = VT_BSTR;
      slot.bstrVal = va_arg(args_, BSTR);
      return S_OK;
    case L'o':
      slot.vt = VT_DISPATCH;
      slot.pdispVal = va_arg(args_, IDispatch *);
      return S_OK;
    case L'O':
      slot.vt = VT_UNKNOWN;
      slot.punkVal = va_arg(args_, IUnknown *);
      return S_OK;
    case L'v': {
      const VARIANT *v = va_arg(args_, const VARIANT *);
      if (!v) return E_INVALIDARG;
      slot = *v;
      return S_OK;
    }
    default:
      return E_INVALIDARG;
  }
}

}  // namespace detail

namespace {

bool ends_name(wchar_t c) { return c == L'(' || c == L' ' || c == L'='; }

// Frees what the first `filled` conversions allocated.
void clear_filled(VARIANT (&slots)[kMaxArguments], bool (&owned)[kMaxArguments], int filled) {
  for (int i = kMaxArguments - filled; i < kMaxArguments; ++i) {
    if (owned[i]) VariantClear(&slots[i]);
    owned[i] = false;
  }
}

}  // namespace

HRESULT CreateArgumentArray(wchar_t *segment, VARIANT (&slots)[kMaxArguments],
                            bool (&owned)[kMaxArguments], int *count, ArgumentSource &args) {
  detail::Operation op(L"CreateArgumentArray", segment);
  if (count) *count = 0;
  if (!segment || !count) return op.invalid();

  bool in_name = true;
  int filled = 0;
  HRESULT hr = S_OK;
  for (wchar_t *p = segment; *p && SUCCEEDED(hr); ++p) {
    if (in_name && ends_name(*p)) {
      *p = L'\0';
      in_name = false;
      // The rest of the segment follows the terminator just written.
      for (++p; *p; ++p)
        if (*p == L'%') break;
      if (!*p) break;
    }
    if (*p != L'%') continue;
    if (in_name) {
      *p = L'\0';
      in_name = false;
    }
    const wchar_t letter = p[1];
    if (filled == kMaxArguments) {
      hr = E_INVALIDARG;
      break;
    }
    VARIANT &slot = slots[kMaxArguments - 1 - filled];
    bool &own = owned[kMaxArguments - 1 - filled];
    VariantInit(&slot);
    own = false;
    if (letter == L'm') {
      slot.vt = VT_ERROR;
      slot.scode = DISP_E_PARAMNOTFOUND;
    } else if (detail::is_value_letter(letter)) {
      hr = args.convert(letter, slot, own);
      if (FAILED(hr)) {
        ++filled;  // what it allocated before failing is freed with the rest
        break;
      }
    } else {
      hr = E_INVALIDARG;
      break;
    }
    ++filled;
    ++p;  // past the letter
  }
  if (FAILED(hr)) {
    clear_filled(slots, owned, filled);
    return op.finish(hr, {segment});
  }
  *count = filled;
  return op.finish(S_OK);
}

}  // namespace tarvo::disp
