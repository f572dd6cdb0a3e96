// The export bodies of automation member rows (include/tarvo_members.h says
// what a row holds). A family's source expands its rows once:
//
//   #include "dispatch_members.hpp"
//   #include "xexcel.h"
//   XEXCEL_MEMBERS(TARVO_MEMBER_DEFINE)
//
// Each W body is one call `Kind::run<wchar_t>(expression, arguments...)`; the
// A body is the same call with every text argument converted from the ANSI
// code page for the length of the call (and a text result converted back).
// The kind decides the dispatch operation and the C result (failure: 0,
// 0.0 or EmptyString; of the result registers only iRetSize is written, by
// an A text result, with its size); the expression decides how the calls
// run:
//
//   L".Cells(%d, %d).Value = %S"   one operation with all the arguments
//   corners(cell, e)               two corner objects from `cell` with the
//                                  Cells argument (r1, c1 / r2, c2), then e
//                                  with the two corners before the rest;
//                                  both corners released on every path, and
//                                  a corner that cannot be obtained fails the
//                                  member before e runs
//   positioned(at, plain, e)       the last argument is a position index:
//                                  -1 with a plain expression runs plain with
//                                  the other arguments; otherwise the object
//                                  `at` of that index is fetched (failing the
//                                  member when it cannot be) and e runs with
//                                  it after the other arguments; released on
//                                  every path
//   in_a_row(e1, e2, ...)          one operation per expression, each taking
//                                  the next argument; the first failure stops
//   on(object, e)                  e runs on the object `object` gets (which
//                                  is released on every path)
//
// A family adds a helper of its own by declaring its expression type and an
// `invoke` overload for it in tarvo::members before expanding its rows (the
// Excel shift choice is one).
#pragma once

#include "com_ref.hpp"
#include "disphelper.h"
#include "runtime.hpp"
#include "tarvo_members.h"
#include "forms.hpp"
#include "xstring.h"

#include <array>
#include <cstdint>
#include <tuple>
#include <type_traits>
#include <utility>

namespace tarvo::members {

inline IDispatch *dispatch(xComObject handle) { return reinterpret_cast<IDispatch *>(handle); }
inline xComObject handle(IDispatch *object) { return reinterpret_cast<xComObject>(object); }
// The interface a family record holds (Rec(T) arguments).
template <class T>
IDispatch *record_object(const T *record) {
  return record ? record->object : nullptr;
}

// What the last operation of a member does: a method call, a property put,
// or a get storing into `out` with the result letter `type`.
enum class Op { Call, Put, Get };
struct Target {
  Op op;
  const wchar_t *type = nullptr;
  void *out = nullptr;
};

// Argument values of the helpers, told apart from plain values by type.
struct Cells {
  int32_t r1, c1, r2, c2;
};
struct Position {
  int32_t index;
};

template <class T>
inline constexpr bool is_plain_value_v = std::is_arithmetic_v<T> || std::is_pointer_v<T>;

// ---- expressions --------------------------------------------------------

template <class... A>
HRESULT invoke(const Target &t, IDispatch *object, const wchar_t *expression, A... values) {
  static_assert((is_plain_value_v<A> && ...), "a helper argument reached a plain expression");
  switch (t.op) {
    case Op::Call: return disp::CallMethod(object, expression, values...);
    case Op::Put: return disp::PutValue(object, expression, values...);
    default: return disp::GetValue(t.type, t.out, object, expression, values...);
  }
}

// An expression that gets objects (`first`), then the inner expression; the
// tag tells how the objects are got and handed on.
template <class Tag, class E>
struct Then {
  const wchar_t *first;
  E inner;
};
struct CornersTag;
struct OnTag;
template <class E>
Then<CornersTag, E> corners(const wchar_t *cell, E inner) {
  return {cell, inner};
}
template <class E>
Then<OnTag, E> on(const wchar_t *object, E inner) {
  return {object, inner};
}

template <class E, class... A>
HRESULT invoke(const Target &t, IDispatch *object, const Then<CornersTag, E> &e, Cells cells, A... values) {
  com::Ref<IDispatch> first, second;
  HRESULT hr = disp::GetValue(L"%o", first.put(), object, e.first, cells.r1, cells.c1);
  if (SUCCEEDED(hr)) hr = disp::GetValue(L"%o", second.put(), object, e.first, cells.r2, cells.c2);
  if (FAILED(hr)) return hr;
  return invoke(t, object, e.inner, first.get(), second.get(), values...);
}

struct Positioned {
  const wchar_t *at;
  const wchar_t *plain;  // null: a position is always needed
  const wchar_t *positioned;
};
inline Positioned positioned(const wchar_t *at, const wchar_t *plain, const wchar_t *e) { return {at, plain, e}; }

template <class... A>
HRESULT invoke(const Target &t, IDispatch *object, const Positioned &e, A... values) {
  constexpr size_t n = sizeof...(A) - 1;
  const std::tuple<A...> all(values...);
  const int32_t index = std::get<n>(all).index;
  return [&]<size_t... I>(std::index_sequence<I...>) {
    if (e.plain && index == -1) return invoke(t, object, e.plain, std::get<I>(all)...);
    com::Ref<IDispatch> at;
    HRESULT hr = disp::GetValue(L"%o", at.put(), object, e.at, index);
    if (FAILED(hr)) return hr;
    return invoke(t, object, e.positioned, std::get<I>(all)..., at.get());
  }(std::make_index_sequence<n>());
}

template <size_t N>
struct InARow {
  std::array<const wchar_t *, N> expressions;
};
template <class... E>
InARow<sizeof...(E)> in_a_row(E... expressions) {
  return {{expressions...}};
}

template <size_t N, class... A>
HRESULT invoke(const Target &t, IDispatch *object, const InARow<N> &e, A... values) {
  static_assert(sizeof...(A) == N, "one argument per expression");
  HRESULT hr = S_OK;
  size_t i = 0;
  ((hr = SUCCEEDED(hr) ? invoke(t, object, e.expressions[i++], values) : hr), ...);
  return hr;
}

template <class E, class... A>
HRESULT invoke(const Target &t, IDispatch *object, const Then<OnTag, E> &e, A... values) {
  com::Ref<IDispatch> sub;
  HRESULT hr = disp::GetValue(L"%o", sub.put(), object, e.first);
  if (FAILED(hr)) return hr;
  return invoke(t, sub.get(), e.inner, values...);
}

// ---- kinds ----------------------------------------------------------------

struct Create {
  template <class C>
  static xComObject run(const wchar_t *progid) {
    IDispatch *object = nullptr;
    return SUCCEEDED(disp::CreateObject(progid, nullptr, &object)) ? handle(object) : 0;
  }
};

struct Attach {
  template <class C>
  static xComObject run(const wchar_t *progid) {
    IDispatch *object = nullptr;
    return SUCCEEDED(disp::GetObject(nullptr, progid, &object)) ? handle(object) : 0;
  }
};

// A display name the system's moniker binding resolves, and the member
// expression whose object is the result (null: the bound object itself).
struct Named {
  const wchar_t *name;
  const wchar_t *then;
};
constexpr Named named(const wchar_t *name, const wchar_t *then) { return {name, then}; }

struct Moniker {
  template <class C>
  static xComObject run(const Named &e) {
    com::Ref<IDispatch> bound;
    if (FAILED(disp::GetObject(e.name, nullptr, bound.put()))) return 0;
    if (!e.then) return handle(bound.detach());
    IDispatch *object = nullptr;
    return SUCCEEDED(disp::GetValue(L"%o", &object, bound.get(), e.then)) ? handle(object) : 0;
  }
};

template <Op K>
struct Status {
  template <class C, class E, class... A>
  static int32_t run(const E &e, IDispatch *object, A... values) {
    return SUCCEEDED(invoke(Target{K}, object, e, values...)) ? 1 : 0;
  }
};
using Put = Status<Op::Put>;
using Call = Status<Op::Call>;

// A get into a variable of type V with the result letter `Letter`, handed
// out as R; the variable starts at 0 and is `Failure` (0 unless given)
// unless the get succeeds.
template <class V, wchar_t Letter, class R = V, int Failure = 0>
struct Get {
  template <class C>
  static R run(const auto &e, IDispatch *object, auto... values) {
    static constexpr wchar_t type[] = {Letter, 0};
    V value{};
    if (FAILED(invoke(Target{Op::Get, type, &value}, object, e, values...))) {
      if constexpr (std::is_pointer_v<V>)
        value = nullptr;
      else
        value = static_cast<V>(Failure);
    }
    if constexpr (std::is_pointer_v<V>)
      return handle(value);
    else
      return static_cast<R>(value);
  }
};
using Object = Get<IDispatch *, L'o', xComObject>;
using Int = Get<int32_t, L'd'>;
using IntElseOne = Get<int32_t, L'd', int32_t, 1>;  // a comparison whose failure reads as "differs"
using IntAsDouble = Get<int32_t, L'd', double>;  // an integer read, handed out as a double
using Number = Get<double, L'e'>;
using Flag = Get<int32_t, L'b'>;

// Whether the expression gives an object; the object is not kept.
struct Exists {
  template <class C>
  static int32_t run(const auto &e, IDispatch *object, auto... values) {
    com::Ref<IDispatch> found;
    return SUCCEEDED(invoke(Target{Op::Get, L"o", found.put()}, object, e, values...)) && found ? 1 : 0;
  }
};

// The text as a library string of the form C (wchar_t or char).
struct Text {
  template <class C>
  static C *run(const auto &e, IDispatch *object, auto... values) {
    com::Bstr text;
    if (FAILED(invoke(Target{Op::Get, L"%S", text.put()}, object, e, values...)) || !text.get()) {
      if constexpr (std::is_same_v<C, wchar_t>)
        return empty_w();
      else
        return empty_a();
    }
    if constexpr (std::is_same_v<C, wchar_t>)
      return xCore_CopyStringW(text.get(), text.length());
    else
      return xCore_W2A(text.get(), SysStringByteLen(text.get()));
  }
};

}  // namespace tarvo::members

// Kind tokens of the rows.
#define XM_KIND(kind) XM_CAT(XM_KIND_, kind)
#define XM_KIND_create ::tarvo::members::Create
#define XM_KIND_attach ::tarvo::members::Attach
#define XM_KIND_moniker ::tarvo::members::Moniker
#define XM_KIND_exists ::tarvo::members::Exists
#define XM_KIND_put ::tarvo::members::Put
#define XM_KIND_call ::tarvo::members::Call
#define XM_KIND_object ::tarvo::members::Object
#define XM_KIND_int ::tarvo::members::Int
#define XM_KIND_int_else_1 ::tarvo::members::IntElseOne
#define XM_KIND_int_as_double ::tarvo::members::IntAsDouble
#define XM_KIND_number ::tarvo::members::Number
#define XM_KIND_flag ::tarvo::members::Flag
#define XM_KIND_text ::tarvo::members::Text

// An argument's value in the call, with a leading comma.
#define XM_VALUE_W(n, arg) XM_CAT(XM_VW_, arg)(n)
#define XM_VALUE_A(n, arg) XM_CAT(XM_VA_, arg)(n)
#define XM_VW_Obj(n) , ::tarvo::members::dispatch(a##n)
#define XM_VW_Int(n) , a##n
#define XM_VW_IntOr(v) XM_VW_Int
#define XM_VW_Flag(n) , a##n
#define XM_VW_FlagOr(v) XM_VW_Flag
#define XM_VW_Num(n) , a##n
#define XM_VW_Text(n) , a##n
#define XM_VW_Fixed(v) , static_cast<int32_t>(v) XM_EAT
#define XM_VW_Pos(n) , ::tarvo::members::Position{a##n}
#define XM_VW_Cells(n) , ::tarvo::members::Cells{a##n##r1, a##n##c1, a##n##r2, a##n##c2}
#define XM_VW_Void(n)
#define XM_VW_Rec(T) , ::tarvo::members::record_object XM_REC_VALUE
#define XM_REC_VALUE(n) (a##n)
#define XM_VA_Obj XM_VW_Obj
#define XM_VA_Int XM_VW_Int
#define XM_VA_IntOr(v) XM_VW_Int
#define XM_VA_Flag XM_VW_Flag
#define XM_VA_FlagOr(v) XM_VW_Flag
#define XM_VA_Num XM_VW_Num
#define XM_VA_Text(n) , static_cast<const wchar_t *>(::tarvo::WideArg<::tarvo::kCodePageA>(a##n).get())
#define XM_VA_Fixed XM_VW_Fixed
#define XM_VA_Pos XM_VW_Pos
#define XM_VA_Cells XM_VW_Cells
#define XM_VA_Void XM_VW_Void
#define XM_VA_Rec XM_VW_Rec

// The definitions of one row: XFAMILY_MEMBERS(TARVO_MEMBER_DEFINE).
#define TARVO_MEMBER_DEFINE(form, name, kind, expression, lua, ...) \
  XM_CAT(XM_DEFINE_, form)(name, kind, expression, __VA_ARGS__)
#define XM_DEFINE_One(name, ...) XM_BODY(name, W, wchar_t, __VA_ARGS__)
#define XM_DEFINE_W(name, ...) XM_BODY(name##W, W, wchar_t, __VA_ARGS__)
#define XM_DEFINE_WA(name, ...) XM_DEFINE_W(name, __VA_ARGS__) XM_BODY(name##A, A, char, __VA_ARGS__)
#define XM_BODY(function, form, C, kind, expression, ...)                                       \
  XM_RESULT_##form(kind) function(XM_PARAMS_##form(__VA_ARGS__)) {                              \
    using namespace ::tarvo::members;                                                           \
    return XM_KIND(kind)::template run<C>(expression XM_MAP(XM_VALUE_##form, __VA_ARGS__));   \
  }
