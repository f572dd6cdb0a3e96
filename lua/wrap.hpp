// The shape of every Lua function of the module, written once.
//
// A wrapper is one line naming the operation, how its result is pushed and,
// for each of its parameters, where the value comes from:
//
//   {"Run",      wrap<xCore_RunU, Ret::Integer, Text, IntOr<5>>},
//   {"SplitChar", wrap<xCore_SplitCharA, Ret::List, Text, Char, Fixed<0>>},
//
// The generated function checks the argument count (the required arguments
// up to all of them, else the Lua error "param count error !"), reads each
// argument by position, converts UTF-8 text for wide parameters, calls the
// operation, releases every temporary, pushes the result (releasing library
// text after the push) and returns the number of pushed values.
//
// Argument kinds (one per parameter of the operation, in order):
//   Text, TextOr<"d">    UTF-8 string; handed on as is for char parameters,
//                        converted to UTF-16 for wchar_t parameters
//   Int, IntOr<d>        integer (non-numbers give 0), cast to the parameter
//                        (low 32 bits for 32-bit ones, pointers for handles)
//   Flag, FlagOr<d>      boolean as 1 or 0
//   Char                 a character code, or the first byte of a string
//   Bytes                the string's raw bytes (wide parameters included)
//   LengthOf<i>, SizeOf<i>  byte length of argument i; LengthOf also accepts
//                        an explicit length, never beyond the string's bytes
//   Fixed<v>             a constant; takes no Lua argument
// Result kinds: Ret::Integer, Ret::Boolean, Ret::Number, Ret::Text (library
// text, released after the push), Ret::Constant (text not released),
// Ret::Bytes (a Sized buffer, released), Ret::List (split result as a list
// table), Ret::None (a procedure: no value).
//
// A function that does not fit (several results, a record table, a count the
// kinds cannot express) is written by hand with count_ok/param_count_error,
// the readers below and TableWriter (table.hpp), as Rand in core.cpp is; it
// may also wrap a small adapter function of its own.
//
// Lua errors are long jumps that skip C++ destructors, so nothing with a
// destructor may be alive when one is raised: the count check and the table
// of a list result come before any argument is converted.
#pragma once

#include "forms.hpp"
#include "lua_api.hpp"
#include "table.hpp"

#include <algorithm>
#include <cstddef>
#include <tuple>
#include <type_traits>

namespace tarvo::lua {

// ---- argument count -------------------------------------------------------

inline int param_count_error(lua_State *L) { return api.luaL_error(L, "param count error !"); }

// True when the call has from `min` to `max` arguments (max < 0: no limit).
inline bool count_ok(lua_State *L, int min, int max) {
  int n = api.lua_gettop(L);
  return n >= min && (max < 0 || n <= max);
}

// ---- reading ----------------------------------------------------------------

inline bool present(lua_State *L, int pos) { return pos <= api.lua_gettop(L); }

inline lua_Integer integer_at(lua_State *L, int pos) { return api.lua_tointegerx(L, pos, nullptr); }

inline size_t byte_length_at(lua_State *L, int pos) {
  size_t n = 0;
  if (!present(L, pos) || !api.lua_tolstring(L, pos, &n)) return 0;
  return n;
}

template <class P>
P to_param(lua_Integer v) {
  if constexpr (std::is_pointer_v<P>)
    return reinterpret_cast<P>(static_cast<intptr_t>(v));
  else
    return static_cast<P>(v);
}

template <class P>
inline constexpr bool is_wide_text_v = std::is_same_v<std::remove_cv_t<std::remove_pointer_t<P>>, wchar_t>;

// A string literal usable as a template argument (text defaults).
template <size_t N>
struct Literal {
  char text[N];
  constexpr Literal(const char (&s)[N]) { std::copy_n(s, N, text); }
};

namespace detail {

// A text argument for a char parameter: the Lua string itself (null when the
// value is neither a string nor a number).
template <class P>
struct Utf8Text {
  P p;
  explicit Utf8Text(const char *s) : p(const_cast<P>(s)) {}
  P get() const { return p; }
};

// A text argument for a wchar_t parameter: converted for the call, released
// after it; null becomes the empty text.
template <class P>
struct WideText {
  WideArg<kCodePageU> w;
  explicit WideText(const char *s) : w(s) {}
  P get() const { return w.get(); }
};

template <class P>
using TextHolder = std::conditional_t<is_wide_text_v<P>, WideText<P>, Utf8Text<P>>;

template <class P>
struct Value {
  P v;
  P get() const { return v; }
};

}  // namespace detail

// A kind whose value is read once and handed on as is; `Read::get<P>`
// reads it for a parameter of type P.
template <class Read, bool Required = true, int LuaArgs = 1>
struct ValueKind {
  static constexpr int kLuaArgs = LuaArgs;
  static constexpr bool kRequired = Required;
  template <class P>
  struct Holder : detail::Value<P> {
    Holder(lua_State *L, int pos) : detail::Value<P>{Read::template get<P>(L, pos)} {}
  };
};

// A text kind; `Read::get` gives the UTF-8 text (or null).
template <class Read, bool Required = true>
struct TextKind {
  static constexpr int kLuaArgs = 1;
  static constexpr bool kRequired = Required;
  template <class P>
  struct Holder : detail::TextHolder<P> {
    Holder(lua_State *L, int pos) : detail::TextHolder<P>(Read::get(L, pos)) {}
  };
};

namespace read {

struct Text {
  static const char *get(lua_State *L, int pos) { return api.lua_tolstring(L, pos, nullptr); }
};

template <Literal Default>
struct TextOr {
  static const char *get(lua_State *L, int pos) {
    return present(L, pos) ? api.lua_tolstring(L, pos, nullptr) : Default.text;
  }
};

// Never null: nil or another value that is not a string reads as "".
struct TextOrEmpty {
  static const char *get(lua_State *L, int pos) {
    const char *s = api.lua_tolstring(L, pos, nullptr);
    return s ? s : "";
  }
};

struct Int {
  template <class P>
  static P get(lua_State *L, int pos) {
    return to_param<P>(integer_at(L, pos));
  }
};

template <lua_Integer Default>
struct IntOr {
  template <class P>
  static P get(lua_State *L, int pos) {
    return to_param<P>(present(L, pos) ? integer_at(L, pos) : Default);
  }
};

struct Flag {
  template <class P>
  static P get(lua_State *L, int pos) {
    return static_cast<P>(api.lua_toboolean(L, pos) ? 1 : 0);
  }
};

template <bool Default>
struct FlagOr {
  template <class P>
  static P get(lua_State *L, int pos) {
    return static_cast<P>((present(L, pos) ? api.lua_toboolean(L, pos) != 0 : Default) ? 1 : 0);
  }
};

// A character code as a number, or the first byte of a string.
struct Char {
  template <class P>
  static P get(lua_State *L, int pos) {
    if (api.lua_type(L, pos) == LUA_TSTRING)
      return static_cast<P>(static_cast<unsigned char>(api.lua_tolstring(L, pos, nullptr)[0]));
    return to_param<P>(integer_at(L, pos));
  }
};

// The raw bytes; an empty or missing string is the shared empty text, whose
// zero bytes also end a wide text.
struct Bytes {
  template <class P>
  static P get(lua_State *L, int pos) {
    size_t n = 0;
    const char *s = api.lua_tolstring(L, pos, &n);
    if (!s || n == 0) s = xCore.EmptyString;
    return reinterpret_cast<P>(const_cast<char *>(s));
  }
};

template <int I>
struct SizeOf {
  template <class P>
  static P get(lua_State *L, int) {
    return static_cast<P>(byte_length_at(L, I));
  }
};

// Absent, not positive or beyond the string: all of its bytes.
template <int I>
struct LengthOf {
  template <class P>
  static P get(lua_State *L, int pos) {
    lua_Integer all = static_cast<lua_Integer>(byte_length_at(L, I));
    lua_Integer n = present(L, pos) ? integer_at(L, pos) : all;
    return static_cast<P>(n <= 0 || n > all ? all : n);
  }
};

template <auto V>
struct Fixed {
  template <class P>
  static P get(lua_State *, int) {
    return static_cast<P>(V);
  }
};

}  // namespace read

using Text = TextKind<read::Text>;
using TextOrEmpty = TextKind<read::TextOrEmpty>;
template <Literal Default>
using TextOr = TextKind<read::TextOr<Default>, false>;
using Int = ValueKind<read::Int>;
template <lua_Integer Default>
using IntOr = ValueKind<read::IntOr<Default>, false>;
using Flag = ValueKind<read::Flag>;
template <bool Default>
using FlagOr = ValueKind<read::FlagOr<Default>, false>;
using Char = ValueKind<read::Char>;
using Bytes = ValueKind<read::Bytes>;
// The byte length of argument I, taking no argument of its own.
template <int I>
using SizeOf = ValueKind<read::SizeOf<I>, false, 0>;
// An optional length for argument I that never reaches beyond its bytes.
template <int I>
using LengthOf = ValueKind<read::LengthOf<I>, false>;
template <auto V>
using Fixed = ValueKind<read::Fixed<V>, false, 0>;

// ---- pushing ------------------------------------------------------------------

namespace detail {

inline void push_text(lua_State *L, const char *s) { api.lua_pushstring(L, s ? s : ""); }
inline void push_text(lua_State *L, const wchar_t *w) {
  char *u = xCore_W2U(w, 0);
  api.lua_pushstring(L, u);
  xCore_free(u);
}

template <class T>
void release_result(T *p) {
  xCore_free(const_cast<std::remove_cv_t<T> *>(p));
}

}  // namespace detail

namespace Ret {

struct None {
  template <class R>
  static int push(lua_State *, R) {
    return 0;
  }
};

struct Integer {
  template <class R>
  static int push(lua_State *L, R v) {
    if constexpr (std::is_pointer_v<R>)
      api.lua_pushinteger(L, static_cast<lua_Integer>(reinterpret_cast<intptr_t>(v)));
    else
      api.lua_pushinteger(L, static_cast<lua_Integer>(v));
    return 1;
  }
};

struct Boolean {
  template <class R>
  static int push(lua_State *L, R v) {
    api.lua_pushboolean(L, v ? 1 : 0);
    return 1;
  }
};

struct Number {
  template <class R>
  static int push(lua_State *L, R v) {
    api.lua_pushnumber(L, static_cast<lua_Number>(v));
    return 1;
  }
};

// Text the caller owns: pushed as UTF-8, then released.
struct Text {
  template <class R>
  static int push(lua_State *L, R p) {
    detail::push_text(L, p);
    detail::release_result(p);
    return 1;
  }
};

// Text the library keeps (registers, constant words): pushed, not released.
struct Constant {
  template <class R>
  static int push(lua_State *L, R p) {
    detail::push_text(L, p);
    return 1;
  }
};

// A buffer with its byte length (an operation returning Sized): pushed byte
// for byte, released; the length is also the script's iRetSize.
struct Bytes {
  template <class T>
  static int push(lua_State *L, Sized<T> r) {
    set_size(r.size);
    api.lua_pushlstring(L, r.p ? reinterpret_cast<const char *>(r.p) : "", r.p ? r.size : 0);
    detail::release_result(r.p);
    return 1;
  }
};

// A split result (pieces up to a null pointer, one block) as a list table.
// The table is made before the call, so a failing BasicLib raises its error
// while nothing is held.
struct List {
  static void prepare(lua_State *L) { push_new_table_or_raise(L, TableKind::List); }
  template <class R>
  static int push(lua_State *L, R pieces) {
    if (pieces) {
      for (lua_Integer i = 0; pieces[i]; ++i) {
        api.lua_pushinteger(L, i + 1);
        detail::push_text(L, pieces[i]);
        api.lua_settable(L, -3);
      }
    }
    detail::release_result(pieces);
    return 1;
  }
};

}  // namespace Ret

// ---- composition ------------------------------------------------------------

template <class F>
struct Signature;
template <class R, class... P>
struct Signature<R (*)(P...)> {
  using Result = R;
  using Params = std::tuple<P...>;
};
template <class R, class... P>
struct Signature<R (*)(P...) noexcept> : Signature<R (*)(P...)> {};

template <class... K>
inline constexpr int kMaxArgs = (0 + ... + K::kLuaArgs);
template <class... K>
inline constexpr int kMinArgs = (0 + ... + (K::kRequired ? K::kLuaArgs : 0));

// Optional arguments come last: a required one after an optional one could
// never be left out.
template <class... K>
constexpr bool required_first() {
  bool optional_seen = false, ok = true;
  ((K::kLuaArgs ? (K::kRequired ? (ok = ok && !optional_seen) : (optional_seen = true)) : false), ...);
  return ok;
}

namespace detail {

// Builds one holder per parameter on the stack, so each temporary lives
// until the operation returns and is released on the way back.
template <auto Fn, class Params, class Kinds, size_t I, int Pos, class... V>
decltype(auto) call(lua_State *L, V... values) {
  if constexpr (I == std::tuple_size_v<Kinds>) {
    return Fn(values...);
  } else {
    using Kind = std::tuple_element_t<I, Kinds>;
    using Param = std::tuple_element_t<I, Params>;
    typename Kind::template Holder<Param> holder(L, Pos);
    return call<Fn, Params, Kinds, I + 1, Pos + Kind::kLuaArgs>(L, values..., holder.get());
  }
}

}  // namespace detail

template <auto Fn, class R, class... K>
int wrap(lua_State *L) {
  using Sig = Signature<decltype(Fn)>;
  static_assert(std::tuple_size_v<typename Sig::Params> == sizeof...(K), "one argument kind per parameter");
  static_assert(required_first<K...>(), "optional arguments must come last");
  if (!count_ok(L, kMinArgs<K...>, kMaxArgs<K...>)) return param_count_error(L);
  if constexpr (requires { R::prepare(L); }) R::prepare(L);
  if constexpr (std::is_void_v<typename Sig::Result>) {
    detail::call<Fn, typename Sig::Params, std::tuple<K...>, 0, 1>(L);
    return 0;
  } else {
    auto result = detail::call<Fn, typename Sig::Params, std::tuple<K...>, 0, 1>(L);
    return R::push(L, result);
  }
}

// The value of one field of the core record, for the register readers.
template <auto Field>
auto field() {
  return xCore.*Field;
}

}  // namespace tarvo::lua
