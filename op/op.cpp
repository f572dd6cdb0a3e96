// The desktop-automation family: the object's creation and release, the
// exports of the rows in xop.h, the searches through the object's own
// function table, and the composite clicks.
#include "dispatch_members.hpp"
#include "xop.h"

#include <algorithm>
#include <cstdlib>
#include <cwctype>
#include <limits>
#include <memory>
#include <string_view>
#include <tuple>
#include <utility>

XOP_MEMBERS(TARVO_MEMBER_DEFINE)

namespace tarvo::op {
namespace {

using DllGetClassObjectFn = HRESULT(STDAPICALLTYPE *)(REFCLSID, REFIID, void **);

// The object from a DLL's own class factory, no registry involved. Anything
// the DLL handed out on a failing path is released here, so the caller may
// unload it at once.
HRESULT object_from_dll(HMODULE module, IDispatch **out) {
  auto get_class_object =
      reinterpret_cast<DllGetClassObjectFn>(reinterpret_cast<void *>(GetProcAddress(module, "DllGetClassObject")));
  if (!get_class_object) return CO_E_ERRORINDLL;
  CLSID clsid;
  IID iid;
  HRESULT hr = CLSIDFromString(const_cast<LPOLESTR>(XOP_CLASS), &clsid);
  if (SUCCEEDED(hr)) hr = IIDFromString(const_cast<LPOLESTR>(XOP_INTERFACE), &iid);
  if (FAILED(hr)) return hr;
  com::Ref<IClassFactory> factory;
  hr = get_class_object(clsid, IID_IClassFactory, factory.put_void());
  if (hr != S_OK) return FAILED(hr) ? hr : E_UNEXPECTED;
  if (!factory) return E_POINTER;
  com::Ref<IDispatch> object;
  hr = factory->CreateInstance(nullptr, iid, object.put_void());
  if (FAILED(hr)) return hr;
  if (!object) return E_POINTER;
  *out = object.detach();
  return S_OK;
}

struct FreeRecord {
  void operator()(OpObject *record) const { std::free(record); }
};

template <class C>
OpObject *create(const C *filename) {
  std::unique_ptr<OpObject, FreeRecord> record(static_cast<OpObject *>(std::calloc(1, sizeof(OpObject))));
  if (!record) return nullptr;
  if (!filename) {
    IDispatch *object = nullptr;
    if (FAILED(disp::CreateObject(XOP_PROGID, nullptr, &object)) || !object) return nullptr;
    record->object = object;
    return record.release();
  }
  HMODULE module;
  if constexpr (std::is_same_v<C, wchar_t>)
    module = LoadLibraryW(filename);
  else
    module = LoadLibraryA(filename);
  if (!module) return nullptr;
  IDispatch *object = nullptr;
  if (FAILED(object_from_dll(module, &object))) {
    FreeLibrary(module);
    return nullptr;
  }
  record->object = object;
  record->module = module;
  return record.release();
}

// ---- the searches with coordinates ------------------------------------------

// A search argument as the object's own method takes it: a text as a BSTR
// (owned for the call), anything else as is.
template <class T>
struct Early {
  T value;
  explicit Early(T v) : value(v) {}
  T get() const { return value; }
};
template <>
struct Early<const wchar_t *> {
  com::Bstr text;
  explicit Early(const wchar_t *s) : text(SysAllocString(s)) {}
  BSTR get() const { return text.get(); }
};
template <class T>
using EarlyType = decltype(std::declval<Early<T>>().get());

// The method at `Position` of the interface's function table.
template <int Position, class... A>
HRESULT call_at(IUnknown *dual, VARIANT *x, VARIANT *y, LONG *result, A... values) {
  using Method = HRESULT(STDMETHODCALLTYPE *)(IUnknown *, EarlyType<A>..., VARIANT *, VARIANT *, LONG *);
  void *const *table = *reinterpret_cast<void *const *const *>(dual);
  const auto method = reinterpret_cast<Method>(table[Position]);
  std::tuple<Early<A>...> held{Early<A>(values)...};
  return std::apply([&](const auto &...arg) { return method(dual, arg.get()..., x, y, result); }, held);
}

int32_t coordinate(const VARIANT &v) {
  if (v.vt == VT_I4) return v.lVal;
  com::Variant i4;
  return SUCCEEDED(VariantChangeType(i4.get(), const_cast<VARIANT *>(&v), 0, VT_I4)) ? i4->lVal : 0;
}

const IID &dual_interface() {
  static const IID iid = [] {
    IID parsed{};
    IIDFromString(const_cast<LPOLESTR>(XOP_INTERFACE), &parsed);
    return parsed;
  }();
  return iid;
}

// Through the table when the object hands out its own interface; by name
// (out parameters by reference) when it does not, as a marshalled object
// does not. A failed call leaves 0 in the result and both coordinates.
template <int Position, class... A>
int32_t search(const wchar_t *expression, int32_t *x, int32_t *y, IDispatch *object, A... values) {
  com::Variant vx, vy;
  LONG result = 0;
  HRESULT hr = E_POINTER;
  if (object) {
    com::Ref<IUnknown> dual;
    if (SUCCEEDED(object->QueryInterface(dual_interface(), dual.put_void())) && dual) {
      hr = call_at<Position>(dual.get(), vx.get(), vy.get(), &result, values...);
    } else {
      VARIANT rx, ry;
      rx.vt = ry.vt = VT_BYREF | VT_VARIANT;
      rx.pvarVal = vx.get();
      ry.pvarVal = vy.get();
      int32_t got = 0;
      hr = disp::GetValue(L"%d", &got, object, expression, values..., &rx, &ry);
      result = got;
    }
  }
  const bool ok = SUCCEEDED(hr);
  if (x) *x = ok ? coordinate(*vx.get()) : 0;
  if (y) *y = ok ? coordinate(*vy.get()) : 0;
  return ok ? result : 0;
}

// ---- the composite clicks ------------------------------------------------------

// A field as a decimal integer (leading blanks and a sign allowed, anything
// after the digits ignored), shifted by an offset; the sum stays within 32
// bits. The digits saturate well beyond 32 bits before the shift, so however
// many the search answers, the sum neither overflows nor changes sign.
int32_t shifted(std::wstring_view field, int32_t offset) {
  constexpr long long lo = std::numeric_limits<int32_t>::min(), hi = std::numeric_limits<int32_t>::max();
  size_t i = 0;
  while (i < field.size() && std::iswspace(field[i])) ++i;
  const bool negative = i < field.size() && field[i] == L'-';
  if (i < field.size() && (field[i] == L'-' || field[i] == L'+')) ++i;
  long long v = 0;
  for (; i < field.size() && field[i] >= L'0' && field[i] <= L'9'; ++i) v = std::min(v * 10 + (field[i] - L'0'), 4 * hi);
  v = (negative ? -v : v) + offset;
  return static_cast<int32_t>(v < lo ? lo : v > hi ? hi : v);
}

// The next piece of `rest` up to `sep` (the rest shrinks past it).
std::wstring_view next_piece(std::wstring_view &rest, wchar_t sep) {
  const size_t at = rest.find(sep);
  const std::wstring_view piece = rest.substr(0, at);
  rest = at == std::wstring_view::npos ? std::wstring_view() : rest.substr(at + 1);
  return piece;
}

}  // namespace
}  // namespace tarvo::op

#define XOP_SEARCH_DEFINE(name, position, expression, ...)                                                  \
  int32_t name##W(XM_PARAMS_W(Rec(OpObject), __VA_ARGS__), int32_t *x, int32_t *y) {                        \
    using namespace ::tarvo::members;                                                                       \
    return ::tarvo::op::search<position>(expression, x, y XM_MAP(XM_VALUE_W, Rec(OpObject), __VA_ARGS__)); \
  }                                                                                                         \
  int32_t name##A(XM_PARAMS_A(Rec(OpObject), __VA_ARGS__), int32_t *x, int32_t *y) {                        \
    using namespace ::tarvo::members;                                                                       \
    return ::tarvo::op::search<position>(expression, x, y XM_MAP(XM_VALUE_A, Rec(OpObject), __VA_ARGS__)); \
  }
XOP_SEARCHES(XOP_SEARCH_DEFINE)

OpObject *OP_CreateObjectW(const wchar_t *filename) { return tarvo::op::create(filename); }
OpObject *OP_CreateObjectA(const char *filename) { return tarvo::op::create(filename); }

int32_t OP_ReleaseObject(OpObject *handle) {
  if (!handle) return -1;
  // The interface's code lives in the module: it goes first.
  if (IDispatch *object = std::exchange(handle->object, nullptr)) object->Release();
  if (HMODULE module = std::exchange(handle->module, nullptr)) FreeLibrary(module);
  std::free(handle);
  return -1;
}

int32_t OP_LeftClickPoint(OpObject *handle, int32_t x, int32_t y) {
  IDispatch *object = tarvo::members::record_object(handle);
  tarvo::disp::CallMethod(object, L".MoveTo(%d, %d)", x, y);
  tarvo::disp::CallMethod(object, L".LeftClick()");
  return -1;
}

int32_t OP_LeftClickStrW(OpObject *handle, int32_t x1, int32_t y1, int32_t x2, int32_t y2, const wchar_t *text,
                         const wchar_t *color, double sim, int32_t index, int32_t offsetX, int32_t offsetY) {
  using namespace tarvo::op;
  wchar_t *found = OP_FindStrExW(handle, x1, y1, x2, y2, text, color, sim);
  std::wstring_view records = found ? found : L"";
  for (int32_t i = 0; !records.empty(); ++i) {
    std::wstring_view record = next_piece(records, L'|');
    if (index != -1 && index != i) continue;
    next_piece(record, L',');
    const std::wstring_view x = next_piece(record, L',');
    if (record.data() == nullptr) continue;  // no third field
    const std::wstring_view y = next_piece(record, L',');
    OP_LeftClickPoint(handle, shifted(x, offsetX), shifted(y, offsetY));
  }
  xCore_free(found);
  return 0;
}

int32_t OP_LeftClickStrA(OpObject *handle, int32_t x1, int32_t y1, int32_t x2, int32_t y2, const char *text,
                         const char *color, double sim, int32_t index, int32_t offsetX, int32_t offsetY) {
  return tarvo::via_w<tarvo::kCodePageA, OP_LeftClickStrW>(handle, x1, y1, x2, y2, text, color, sim, index,
                                                           offsetX, offsetY);
}
