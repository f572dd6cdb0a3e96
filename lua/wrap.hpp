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
//   AnsiText             UTF-8 string converted to the ANSI code page
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
// of a list result come before any argument is converted, numbers read as
// text are made strings before any argument is held, and a result is pushed
// under a protected call and released before its error is raised on.
#pragma once

#include "forms.hpp"
#include "lua_api.hpp"
#include "signature.hpp"
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

// A text argument in the ANSI code page: converted for the call, released
// after it; a value that is neither a string nor a number stays null.
template <class P>
struct AnsiText {
  char *a;
  explicit AnsiText(const char *s) : a(s ? recode(s, kCodePageU, kCodePageA, 0).p : nullptr) {}
  ~AnsiText() { xCore_free(a); }
  AnsiText(const AnsiText &) = delete;
  AnsiText &operator=(const AnsiText &) = delete;
  P get() const { return a; }
};

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
  static constexpr bool kReadsText = requires { Read::kReadsText; };
  template <class P>
  struct Holder : detail::Value<P> {
    Holder(lua_State *L, int pos) : detail::Value<P>{Read::template get<P>(L, pos)} {}
  };
};

// A text kind; `Read::get` gives the UTF-8 text (or null), `Hold` keeps it
// (as is or converted) for the parameter.
template <class Read, bool Required = true, template <class> class Hold = detail::TextHolder>
struct TextKind {
  static constexpr int kLuaArgs = 1;
  static constexpr bool kRequired = Required;
  static constexpr bool kReadsText = true;
  template <class P>
  struct Holder : Hold<P> {
    Holder(lua_State *L, int pos) : Hold<P>(Read::get(L, pos)) {}
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
  static constexpr bool kReadsText = true;
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
using AnsiText = TextKind<read::Text, true, detail::AnsiText>;
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

// Runs push(L), which pushes one value, under a protected call: an error it
// raises (a collection step running a script's failing __gc, no memory)
// stops there with the error value in place of the pushed one, so the caller
// can release what it holds before raising it on with pushed_or_raise.
template <class F>
int protected_push(lua_State *L, F &push) {
  lua_CFunction run = [](lua_State *S) -> int {
    (*static_cast<F *>(api.lua_touserdata(S, 1)))(S);
    return 1;
  };
  api.lua_pushcclosure(L, run, 0);
  api.lua_pushlightuserdata(L, &push);
  return api.lua_pcallk(L, 1, 1, 0, 0, nullptr);
}

inline int pushed_or_raise(lua_State *L, int status) { return status == LUA_OK ? 1 : api.lua_error(L); }

// A library result, released when the scope that holds it ends.
template <class T>
struct Released {
  T *p;
  ~Released() { xCore_free(const_cast<std::remove_cv_t<T> *>(p)); }
};

inline void push_text(lua_State *L, const char *s) { api.lua_pushstring(L, s ? s : ""); }
inline void push_text(lua_State *L, const wchar_t *w) {
  int status;
  {
    const Released<char> u{xCore_W2U(w, 0)};
    auto put = [&u](lua_State *S) { api.lua_pushstring(S, u.p); };
    status = protected_push(L, put);
  }
  pushed_or_raise(L, status);
}

// A list item: text as UTF-8, a handle as an integer.
template <class T>
void push_item(lua_State *L, T *p) {
  if constexpr (std::is_same_v<std::remove_cv_t<T>, char> || std::is_same_v<std::remove_cv_t<T>, wchar_t>)
    push_text(L, p);
  else
    api.lua_pushinteger(L, static_cast<lua_Integer>(reinterpret_cast<intptr_t>(p)));
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
    int status;
    {
      const detail::Released<std::remove_pointer_t<R>> result{p};
      auto put = [p](lua_State *S) { detail::push_text(S, p); };
      status = detail::protected_push(L, put);
    }
    return detail::pushed_or_raise(L, status);
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
    int status;
    {
      const detail::Released<T> result{r.p};
      auto put = [&r](lua_State *S) {
        api.lua_pushlstring(S, r.p ? reinterpret_cast<const char *>(r.p) : "", r.p ? r.size : 0);
      };
      status = detail::protected_push(L, put);
    }
    return detail::pushed_or_raise(L, status);
  }
};

// A split result (pieces up to a null pointer, one block) as a list table;
// likewise a list of handles.
// The table is made before the call, so a failing BasicLib raises its error
// while nothing is held.
struct List {
  static void prepare(lua_State *L) { push_new_table_or_raise(L, TableKind::List); }
  template <class R>
  static int push(lua_State *L, R pieces) {
    int status;
    {
      const detail::Released<std::remove_pointer_t<R>> result{pieces};
      auto fill = [pieces](lua_State *S) {
        for (lua_Integer i = 0; pieces && pieces[i]; ++i) {
          api.lua_pushinteger(S, i + 1);
          detail::push_item(S, pieces[i]);
          api.lua_settable(S, -3);
        }
      };
      status = fill_protected(L, fill);
    }
    if (status != LUA_OK) return api.lua_error(L);
    return 1;
  }
};

}  // namespace Ret

// ---- composition ------------------------------------------------------------

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

// A number where text is read becomes a string in place before any argument
// is held: the conversion allocates, so it may run a collection step (a
// script's failing __gc) or fail, and raise.
template <class K>
inline constexpr bool kReadsText = [] {
  if constexpr (requires { K::kReadsText; })
    return K::kReadsText && K::kLuaArgs > 0;
  else
    return false;
}();

template <class... K>
void read_texts_first(lua_State *L) {
  [[maybe_unused]] int pos = 1;
  [[maybe_unused]] auto touch = [L](int at) {
    if (present(L, at) && api.lua_type(L, at) == LUA_TNUMBER) api.lua_tolstring(L, at, nullptr);
  };
  ((kReadsText<K> ? touch(pos) : void(), pos += K::kLuaArgs), ...);
}

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
  detail::read_texts_first<K...>(L);
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
