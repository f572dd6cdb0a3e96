// The Word family: the exports of the rows in xword.h, with the helpers the
// rows name for what one member expression cannot say.
#include "dispatch_members.hpp"
#include "xword.h"

namespace tarvo::members {
namespace {

// Where an insertion goes when the caller names no range.
constexpr const wchar_t *kSelectionRange = L".ActiveWindow.Selection.Range";

// Execute's Replace argument: every match.
constexpr int32_t kReplaceAll = 2;

// The range a member was given, or the document's selection range fetched
// into `fetched` (which releases it once the member is done).
IDispatch *given_or_selection(IDispatch *document, IDispatch *range, com::Ref<IDispatch> &fetched) {
  if (range) return range;
  if (FAILED(disp::GetValue(L"%o", fetched.put(), document, kSelectionRange))) return nullptr;
  return fetched.get();
}

// Whether a shape, inline (first) or floating, passes a scan's test; the
// failure of the test's own read counts as not passing.
using ScanTest = bool (*)(IDispatch *shape, bool is_inline);

bool has_chart(IDispatch *shape, bool) {
  int32_t flag = 0;
  return SUCCEEDED(disp::GetValue(L"%d", &flag, shape, L".HasChart")) && flag != 0;
}

// OLE objects by type: embedded, linked or a control; the inline and the
// floating shapes number their types apart.
bool is_ole(IDispatch *shape, bool is_inline) {
  int32_t type = 0;
  if (FAILED(disp::GetValue(L"%d", &type, shape, L".Type"))) return false;
  return is_inline ? type == 1 || type == 2 || type == 5 : type == 7 || type == 10 || type == 12;
}

constexpr ScanTest kChart = has_chart;
constexpr ScanTest kOle = is_ole;

}  // namespace

// The insertion members with the range last: `plain` runs without it when no
// range can be had.
struct RangeLast {
  const wchar_t *plain;
  const wchar_t *with;
};
// Tables.Add, with the range first and passed on even when null.
struct RangeFirst {
  const wchar_t *with;
};
inline RangeLast at_selection(const wchar_t *plain, const wchar_t *with) { return {plain, with}; }
inline RangeFirst at_selection(const wchar_t *with) { return {with}; }

template <class... A>
HRESULT invoke(const Target &t, IDispatch *document, const RangeFirst &e, IDispatch *range, A... values) {
  com::Ref<IDispatch> fetched;
  return invoke(t, document, e.with, given_or_selection(document, range, fetched), values...);
}

template <class... A>
HRESULT invoke(const Target &t, IDispatch *document, const RangeLast &e, A... values) {
  constexpr size_t n = sizeof...(A) - 1;
  const std::tuple<A...> all(values...);
  com::Ref<IDispatch> fetched;
  IDispatch *range = given_or_selection(document, std::get<n>(all), fetched);
  return [&]<size_t... I>(std::index_sequence<I...>) {
    return range ? invoke(t, document, e.with, std::get<I>(all)..., range)
                 : invoke(t, document, e.plain, std::get<I>(all)...);
  }(std::make_index_sequence<n>());
}

// Replacing every match through a find object: fails unless the find object
// is had and every put and the Execute call succeed; the find object is
// released on every path.
struct FindReplace {
  const wchar_t *find;
  int32_t wrap;  // Execute's Wrap: 1 on through the document, 0 stop at the selection's end
};
inline FindReplace find_replace(const wchar_t *find, int32_t wrap) { return {find, wrap}; }

inline HRESULT invoke(const Target &, IDispatch *object, const FindReplace &e, const wchar_t *text,
                      const wchar_t *replacement) {
  com::Ref<IDispatch> find;
  HRESULT hr = disp::GetValue(L"%o", find.put(), object, e.find);
  if (SUCCEEDED(hr)) hr = disp::PutValue(find.get(), L".Text = %S", text);
  if (SUCCEEDED(hr)) hr = disp::PutValue(find.get(), L".Replacement.Text = %S", replacement);
  if (SUCCEEDED(hr)) hr = disp::PutValue(find.get(), L".Forward = %b", 1);
  if (SUCCEEDED(hr))
    hr = disp::CallMethod(find.get(), L".Execute(%m, %m, %m, %m, %m, %m, %m, %d, %m, %m, %d)", e.wrap, kReplaceAll);
  return hr;
}

// A member the object may lack (a floating shape has an Anchor, no Range).
struct RangeOr {
  const wchar_t *first;
  const wchar_t *other;
};
inline RangeOr range_or(const wchar_t *first, const wchar_t *other) { return {first, other}; }

inline HRESULT invoke(const Target &t, IDispatch *object, const RangeOr &e) {
  const HRESULT hr = invoke(t, object, e.first);
  if (hr != DISP_E_UNKNOWNNAME && hr != DISP_E_MEMBERNOTFOUND) return hr;
  return invoke(t, object, e.other);
}

// Two counts added.
struct Summed {
  const wchar_t *first;
  const wchar_t *second;
};
inline Summed summed(const wchar_t *first, const wchar_t *second) { return {first, second}; }

inline HRESULT invoke(const Target &t, IDispatch *object, const Summed &e) {
  int32_t a = 0, b = 0;
  HRESULT hr = disp::GetValue(L"%d", &a, object, e.first);
  if (SUCCEEDED(hr)) hr = disp::GetValue(L"%d", &b, object, e.second);
  if (SUCCEEDED(hr)) *static_cast<int32_t *>(t.out) = a + b;
  return hr;
}

// Item `index` of the inline shapes and the floating shapes after them.
struct ShapeItem {};
inline ShapeItem shape_item() { return {}; }

inline HRESULT invoke(const Target &t, IDispatch *document, ShapeItem, int32_t index) {
  int32_t inline_count = 0;
  const HRESULT hr = disp::GetValue(L"%d", &inline_count, document, L".InlineShapes.Count()");
  if (FAILED(hr)) return hr;
  if (index > inline_count) return invoke(t, document, L".Shapes.Item(%d)", index - inline_count);
  return invoke(t, document, L".InlineShapes.Item(%d)", index);
}

// The inline shapes, then the floating shapes, tested one by one: as a
// count (the number passing) or as an object get (the n-th passing, the
// first for n <= 1; none when fewer pass). Every item looked at is released;
// one that cannot be had is skipped.
struct Scan {
  ScanTest test;
};
inline Scan scan(ScanTest test) { return {test}; }

inline HRESULT scan_shapes(IDispatch *document, ScanTest test, int32_t wanted, int32_t &passed, IDispatch **found) {
  const struct {
    const wchar_t *count, *item;
    bool is_inline;
  } kinds[] = {{L".InlineShapes.Count()", L".InlineShapes.Item(%d)", true},
               {L".Shapes.Count()", L".Shapes.Item(%d)", false}};
  passed = 0;
  HRESULT hr = E_FAIL;
  for (const auto &kind : kinds) {
    int32_t count = 0;
    if (FAILED(disp::GetValue(L"%d", &count, document, kind.count))) continue;
    hr = S_OK;
    for (int32_t i = 1; i <= count; ++i) {
      com::Ref<IDispatch> shape;
      if (FAILED(disp::GetValue(L"%o", shape.put(), document, kind.item, i))) continue;
      if (!test(shape.get(), kind.is_inline)) continue;
      if (++passed >= wanted && found) {
        *found = shape.detach();
        return S_OK;
      }
    }
  }
  return found ? DISP_E_BADINDEX : hr;
}

inline HRESULT invoke(const Target &t, IDispatch *document, const Scan &e, int32_t n = 0) {
  int32_t passed = 0;
  if (t.type[0] == L'o') return scan_shapes(document, e.test, n < 1 ? 1 : n, passed, static_cast<IDispatch **>(t.out));
  const HRESULT hr = scan_shapes(document, e.test, INT32_MAX, passed, nullptr);
  if (SUCCEEDED(hr)) *static_cast<int32_t *>(t.out) = passed;
  return hr;
}

// A call whose outcome does not matter, then the member's own expression.
struct Activated {
  const wchar_t *call;
  const wchar_t *then;
};
inline Activated activated(const wchar_t *call, const wchar_t *then) { return {call, then}; }

inline HRESULT invoke(const Target &t, IDispatch *object, const Activated &e) {
  disp::CallMethod(object, e.call);
  return invoke(t, object, e.then);
}

}  // namespace tarvo::members

XWORD_MEMBERS(TARVO_MEMBER_DEFINE)
