// The PowerPoint family: the exports of the rows in xppt.h, the helpers the
// rows name, and the shape position with its optional out-pointers.
#include "dispatch_members.hpp"
#include "xppt.h"

namespace tarvo::members {

// The guards of the text and table members.
constexpr const wchar_t *kHasTextFrame = L".HasTextFrame";
constexpr const wchar_t *kHasTable = L".HasTable";

// What a member reports when its guard says no: a failure of its own, so
// that a put or call reads as failed and a get keeps its failure value.
constexpr HRESULT kGuardSaysNo = E_FAIL;

// ---- guarded: the guard read with "%d" first; no second call when it
// cannot be read or gives 0.
template <class E>
struct Guarded {
  const wchar_t *guard;
  E inner;
};
template <class E>
Guarded<E> guarded(const wchar_t *guard, E inner) {
  return {guard, inner};
}

template <class E, class... A>
HRESULT invoke(const Target &t, IDispatch *object, const Guarded<E> &e, A... values) {
  int32_t present = 0;
  HRESULT hr = disp::GetValue(L"%d", &present, object, e.guard);
  if (FAILED(hr)) return hr;
  if (!present) return kGuardSaysNo;
  return invoke(t, object, e.inner, values...);
}

// ---- mapped: an integer parameter sent as the value the program takes
// (`map` of it).
template <class To>
struct Mapped {
  const wchar_t *expression;
  To (*map)(int32_t);
};
template <class To>
constexpr Mapped<To> mapped(const wchar_t *e, To (*map)(int32_t)) {
  return {e, map};
}

template <class To>
HRESULT invoke(const Target &t, IDispatch *object, const Mapped<To> &e, int32_t value) {
  return invoke(t, object, e.expression, e.map(value));
}

// The program's alert level from a flag: 2 (all alerts) for non-zero, 1
// (none) for 0.
constexpr int32_t alert_level(int32_t flag) { return flag ? 2 : 1; }
// A percent as the fraction the program takes.
constexpr double fraction(int32_t percent) { return static_cast<double>(percent) / 100.0; }

// ---- positions_as_doubles: two integers, then four integer positions sent
// as the doubles the expression's "%e" reads (each exact: every 32-bit
// integer is a double).
struct PositionsAsDoubles {
  const wchar_t *expression;
};
constexpr PositionsAsDoubles positions_as_doubles(const wchar_t *e) { return {e}; }

inline HRESULT invoke(const Target &t, IDispatch *object, const PositionsAsDoubles &e, int32_t a, int32_t b,
                      int32_t left, int32_t top, int32_t width, int32_t height) {
  return invoke(t, object, e.expression, a, b, static_cast<double>(left), static_cast<double>(top),
                static_cast<double>(width), static_cast<double>(height));
}

// ---- while_any: `each` (with the one argument, the first item) while the
// count expression gives more than 0; the first failure stops, and so does
// an item that would not go (the count did not drop), rather than looping.
struct WhileAny {
  const wchar_t *count;
  const wchar_t *each;
};
constexpr WhileAny while_any(const wchar_t *count, const wchar_t *each) { return {count, each}; }

inline HRESULT invoke(const Target &t, IDispatch *object, const WhileAny &e, int32_t first) {
  int32_t count = 0;
  HRESULT hr = disp::GetValue(L"%d", &count, object, e.count);
  while (SUCCEEDED(hr) && count > 0) {
    hr = invoke(t, object, e.each, first);
    int32_t left = count;
    if (SUCCEEDED(hr)) hr = disp::GetValue(L"%d", &left, object, e.count);
    if (SUCCEEDED(hr) && left >= count) return E_FAIL;
    count = left;
  }
  return hr;
}

// ---- saved_first: with a non-zero flag `save` runs first and must succeed
// before `then` runs (a close after a failed save would lose the changes).
struct SavedFirst {
  const wchar_t *save;
  const wchar_t *then;
};
constexpr SavedFirst saved_first(const wchar_t *save, const wchar_t *then) { return {save, then}; }

inline HRESULT invoke(const Target &t, IDispatch *object, const SavedFirst &e, int32_t save) {
  if (save) {
    HRESULT hr = disp::CallMethod(object, e.save);
    if (FAILED(hr)) return hr;
  }
  return invoke(t, object, e.then);
}

// ---- first_inserted: the insertion gives the number of items inserted
// after `index`; the result is the first of them (`then` with index + 1),
// none when nothing was inserted.
struct FirstInserted {
  const wchar_t *insert;
  const wchar_t *then;
};
constexpr FirstInserted first_inserted(const wchar_t *insert, const wchar_t *then) { return {insert, then}; }

inline HRESULT invoke(const Target &t, IDispatch *object, const FirstInserted &e, const wchar_t *path,
                      int32_t index, int32_t first, int32_t last) {
  int32_t inserted = 0;
  HRESULT hr = disp::GetValue(L"%d", &inserted, object, e.insert, path, index, first, last);
  if (FAILED(hr) || inserted <= 0) return hr;
  return invoke(t, object, e.then, static_cast<int32_t>(index + 1));
}

// ---- text_box: the shape made by `add` (orientation and the four
// positions), then its text, font (name, far-east name, size, colour) and
// alignment, each put whatever became of the one before; the shape is the
// result even when a put failed.
struct TextBox {
  const wchar_t *add;
};
constexpr TextBox text_box(const wchar_t *add) { return {add}; }

inline HRESULT invoke(const Target &t, IDispatch *object, const TextBox &e, const wchar_t *text,
                      const wchar_t *font, int32_t size, int32_t color, int32_t orientation, double left,
                      double top, double width, double height, int32_t alignment) {
  HRESULT hr = invoke(t, object, e.add, orientation, left, top, width, height);
  IDispatch *shape = t.out ? *static_cast<IDispatch **>(t.out) : nullptr;
  if (FAILED(hr) || !shape) return hr;
  disp::PutValue(shape, L".TextFrame.TextRange.Text = %S", text);
  disp::PutValue(shape, L".TextFrame.TextRange.Font.Name = %S", font);
  disp::PutValue(shape, L".TextFrame.TextRange.Font.NameFarEast = %S", font);
  disp::PutValue(shape, L".TextFrame.TextRange.Font.Size = %d", size);
  disp::PutValue(shape, L".TextFrame.TextRange.Font.Color.RGB = %d", color);
  disp::PutValue(shape, L".TextFrame.TextRange.ParagraphFormat.Alignment = %d", alignment);
  return hr;
}

}  // namespace tarvo::members

XPPT_MEMBERS(TARVO_MEMBER_DEFINE)

int32_t PPT_Shape_GetPos(xComObject shape, double *left, double *top, double *width, double *height) {
  using namespace tarvo::members;
  const std::pair<const wchar_t *, double *> wanted[] = {
      {L".Left", left}, {L".Top", top}, {L".Width", width}, {L".Height", height}};
  for (auto [expression, out] : wanted) {
    if (!out) continue;
    double value = 0.0;
    if (FAILED(tarvo::disp::GetValue(L"%e", &value, dispatch(shape), expression))) return 0;
    *out = value;
  }
  return 1;
}
