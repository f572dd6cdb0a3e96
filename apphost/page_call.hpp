// The shape of every page function, written once (as lua/wrap.hpp does for
// the Lua functions). A page function is one row naming the library call, how
// its result is written and, for each of the call's parameters, where the
// value comes from:
//
//   row<Page<Path_JoinW, Out::Text, Text, Text>>("pathJoin"),
//
// The row carries the accepted argument counts (the required arguments up to
// all of them); the handler leaves a call with any other count unhandled.
// The generated function reads each argument by position, calls the library,
// writes the result value and releases library text after writing it.
//
// Argument kinds (one per parameter of the call, in order):
//   Text              the value's counted UTF-16 characters, copied and
//                     terminated (the engine promises no terminator after
//                     them); a value that is not text reads as ""
//   TextOr<D>         optional text; D::value (NoText: null) when absent
//   Int, IntOr<d>     the value's integer (0 when it has none)
//   ByteCountOf<i>    2 x the characters of argument i; takes no argument
//   Fixed<v>          a constant; takes no argument
//   HostWindow        the host's main window; takes no argument
// Result kinds: Out::Text (library text, released), Out::Held (text the host
// keeps), Out::Integer, Out::Boolean, Out::Null.
#pragma once

#include "html_engine.hpp"
#include "signature.hpp"
#include "xcore.h"

#include <algorithm>
#include <cstdint>
#include <cwchar>
#include <memory>
#include <tuple>
#include <type_traits>

namespace tarvo::uihost {

using html::Engine;
using html::MethodCall;
using html::Value;

using PageFunction = BOOL (*)(const Engine &engine, MethodCall &call);

struct PageRow {
  const char *name;
  PageFunction call;
  uint32_t min_args, max_args;
};

// A text argument as the library takes it: exactly the counted characters,
// copied (on the stack when short) and terminated. An absent argument (no
// value) is held as null.
class PageText {
 public:
  PageText(const Engine &engine, const Value *value) {
    if (!value) return;
    const wchar_t *chars = nullptr;
    UINT count = 0;
    if (engine.get_text(value, &chars, &count) != html::kStatusOk || !chars) count = 0;
    wchar_t *to = count < kInline ? inline_ : (heap_ = std::make_unique<wchar_t[]>(count + size_t{1})).get();
    std::copy_n(chars, count, to);
    to[count] = 0;
    text_ = to;
    count_ = count;
  }
  PageText(const PageText &) = delete;
  PageText &operator=(const PageText &) = delete;
  const wchar_t *get() const { return text_; }
  UINT count() const { return count_; }

 private:
  static constexpr UINT kInline = 128;
  wchar_t inline_[kInline];
  std::unique_ptr<wchar_t[]> heap_;
  const wchar_t *text_ = nullptr;
  UINT count_ = 0;
};

HWND host_window();

namespace page {

template <bool Required, int Args>
struct KindBase {
  static constexpr bool kRequired = Required;
  static constexpr int kArgs = Args;
};

struct Text : KindBase<true, 1> {
  template <class P>
  struct Holder {
    PageText text;
    Holder(const Engine &e, const MethodCall &c, uint32_t pos) : text(e, &c.argv[pos]) {}
    P get() const { return text.get(); }
  };
};

// An optional text: Default::value (null or a constant) when absent.
template <class Default>
struct TextOr : KindBase<false, 1> {
  template <class P>
  struct Holder {
    PageText text;
    Holder(const Engine &e, const MethodCall &c, uint32_t pos) : text(e, pos < c.argc ? &c.argv[pos] : nullptr) {}
    P get() const { return text.get() ? text.get() : Default::value; }
  };
};
struct NoText {
  static constexpr const wchar_t *value = nullptr;
};
struct EveryName {
  static constexpr const wchar_t *value = L"*";
};

inline INT integer_of(const Engine &e, const Value &v) {
  INT n = 0;
  return e.get_integer(&v, &n) == html::kStatusOk ? n : 0;
}

template <INT Default, bool Required = false>
struct IntOr : KindBase<Required, 1> {
  template <class P>
  struct Holder {
    P v;
    Holder(const Engine &e, const MethodCall &c, uint32_t pos)
        : v(static_cast<P>(pos < c.argc ? integer_of(e, c.argv[pos]) : Default)) {}
    P get() const { return v; }
  };
};
using Int = IntOr<0, true>;

template <int I>
struct ByteCountOf : KindBase<false, 0> {
  template <class P>
  struct Holder {
    P v;
    Holder(const Engine &e, const MethodCall &c, uint32_t) : v(0) {
      const wchar_t *chars = nullptr;
      UINT count = 0;
      if (e.get_text(&c.argv[I], &chars, &count) == html::kStatusOk && chars) v = static_cast<P>(count * 2u);
    }
    P get() const { return v; }
  };
};

template <auto V>
struct Fixed : KindBase<false, 0> {
  template <class P>
  struct Holder {
    Holder(const Engine &, const MethodCall &, uint32_t) {}
    P get() const { return static_cast<P>(V); }
  };
};

struct HostWindow : KindBase<false, 0> {
  template <class P>
  struct Holder {
    Holder(const Engine &, const MethodCall &, uint32_t) {}
    P get() const { return static_cast<P>(host_window()); }
  };
};

}  // namespace page

namespace Out {

inline void set_text(const Engine &e, MethodCall &c, const wchar_t *p) {
  if (!p) p = L"";
  e.set_text(&c.result, p, static_cast<UINT>(std::wcslen(p)), 0);
}

// Library text: written, then released.
struct Text {
  static void write(const Engine &e, MethodCall &c, wchar_t *p) {
    set_text(e, c, p);
    xCore_free(p);
  }
};

// Text the host keeps (its paths).
struct Held {
  static void write(const Engine &e, MethodCall &c, const wchar_t *p) { set_text(e, c, p); }
};

struct Integer {
  template <class R>
  static void write(const Engine &e, MethodCall &c, R v) {
    e.set_integer(&c.result, static_cast<INT>(v), html::kInteger, 0);
  }
};

// 0, or the library's own non-zero value.
struct Boolean {
  template <class R>
  static void write(const Engine &e, MethodCall &c, R v) {
    e.set_integer(&c.result, static_cast<INT>(v), html::kBoolean, 0);
  }
};

// A procedure: the result becomes null.
struct Null {
  static void write(const Engine &, MethodCall &c) { c.result.type = html::kNull; }
};

}  // namespace Out

namespace detail {

// One holder per parameter on the stack, alive until the call returns.
template <auto Fn, class Params, class Kinds, size_t I, uint32_t Pos, class... V>
decltype(auto) invoke(const Engine &e, const MethodCall &c, V... values) {
  if constexpr (I == std::tuple_size_v<Kinds>) {
    return Fn(values...);
  } else {
    using Kind = std::tuple_element_t<I, Kinds>;
    typename Kind::template Holder<std::tuple_element_t<I, Params>> holder(e, c, Pos);
    return invoke<Fn, Params, Kinds, I + 1, Pos + Kind::kArgs>(e, c, values..., holder.get());
  }
}

}  // namespace detail

template <auto Fn, class Result, class... K>
struct Page {
  using Sig = Signature<decltype(Fn)>;
  static_assert(std::tuple_size_v<typename Sig::Params> == sizeof...(K), "one argument kind per parameter");
  static constexpr uint32_t kMax = (0 + ... + K::kArgs);
  static constexpr uint32_t kMin = (0 + ... + (K::kRequired ? K::kArgs : 0));

  static BOOL call(const Engine &e, MethodCall &c) {
    using Params = typename Sig::Params;
    if constexpr (std::is_void_v<typename Sig::Result>) {
      detail::invoke<Fn, Params, std::tuple<K...>, 0, 0>(e, c);
      Result::write(e, c);
    } else {
      Result::write(e, c, detail::invoke<Fn, Params, std::tuple<K...>, 0, 0>(e, c));
    }
    return TRUE;
  }
};

template <class P>
constexpr PageRow row(const char *name) {
  return {name, &P::call, P::kMin, P::kMax};
}

}  // namespace tarvo::uihost
