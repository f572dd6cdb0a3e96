// The Outlook family's plain members: the exports of the rows in xoutlook.h,
// with the three expression helpers no plain expression can say.
#include "dispatch_members.hpp"
#include "outlook_session.hpp"
#include "xoutlook.h"

#include <string>

namespace tarvo::members {

// A reader that asks only mail items: the item's class is read first, and an
// item of another class fails the member without the reader being sent.
struct MailOnly {
  const wchar_t *reader;
};
constexpr MailOnly mail_only(const wchar_t *reader) { return {reader}; }

template <class... A>
HRESULT invoke(const Target &t, IDispatch *object, const MailOnly &e, A... values) {
  int32_t item_class = 0;
  const HRESULT hr = disp::GetValue(L"%d", &item_class, object, L".Class");
  if (FAILED(hr)) return hr;
  if (item_class != outlook::kMailClass) return DISP_E_TYPEMISMATCH;
  return invoke(t, object, e.reader, values...);
}

// A constant text handed to the expression before the row's arguments.
struct WithText {
  const wchar_t *text;
  const wchar_t *expression;
};
constexpr WithText with_text(const wchar_t *text, const wchar_t *expression) { return {text, expression}; }

template <class... A>
HRESULT invoke(const Target &t, IDispatch *object, const WithText &e, A... values) {
  return invoke(t, object, e.expression, e.text, values...);
}

// The texts of a collection's items joined by "; ": the count first, then
// each item's text by its 1-based index. A text result only (a BSTR out).
struct Joined {
  const wchar_t *count;
  const wchar_t *item;
};
constexpr Joined joined(const wchar_t *count, const wchar_t *item) { return {count, item}; }

inline HRESULT invoke(const Target &t, IDispatch *object, const Joined &e) {
  if (t.op != Op::Get || std::wstring_view(t.type) != L"%S") return E_INVALIDARG;
  int32_t count = 0;
  HRESULT hr = disp::GetValue(L"%d", &count, object, e.count);
  if (FAILED(hr)) return hr;
  try {
    std::wstring all;
    for (int32_t i = 1; i <= count; ++i) {
      com::Bstr text;
      hr = disp::GetValue(L"%S", text.put(), object, e.item, i);
      if (FAILED(hr)) return hr;
      if (i > 1) all += L"; ";
      all.append(text.c_str(), text.length());
    }
    BSTR out = SysAllocStringLen(all.data(), static_cast<UINT>(all.size()));
    if (!out) return E_OUTOFMEMORY;
    *static_cast<BSTR *>(t.out) = out;
    return S_OK;
  } catch (...) {
    return E_OUTOFMEMORY;
  }
}

}  // namespace tarvo::members

XOUTLOOK_MEMBERS(TARVO_MEMBER_DEFINE)
