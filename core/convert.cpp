// Conversions between multibyte code pages and UTF-16.
#include "forms.hpp"
#include "sized.hpp"
#include "transcode.hpp"

#include <windows.h>

#include <climits>
#include <cstring>
#include <cwchar>

namespace {

using tarvo::Sized;

template <class T>
Sized<T> none() {
  return {reinterpret_cast<T *>(tarvo::empty_a()), 0};
}

// A conversion whose system call fails still gives an allocated empty text.
template <class T>
Sized<T> allocated_empty() {
  T *r = tarvo::alloc_result<T>(1);
  if (!r) return none<T>();
  r[0] = 0;
  return {r, 0};
}

// UTF-8 and the ANSI code pages have a known bound (a unit a byte one way, up
// to three bytes a unit the other): one conversion into a buffer of that
// size, a large unused tail given back, instead of a measuring call and a
// converting one. Null when it cannot
// be done so (then the two calls, which also report any failure).
template <class O, class Convert>
O *in_one_call(size_t cap, Convert convert, size_t &k) {
  O *r = tarvo::alloc_result<O>(cap + 1);
  if (!r) return nullptr;
  const int got = convert(r, static_cast<int>(cap));
  if (got <= 0) {
    tarvo::release(r);
    return nullptr;
  }
  k = static_cast<size_t>(got);
  r[k] = 0;
  // A short tail is not worth a move.
  if (cap - k > cap / 4 && (cap - k) * sizeof(O) >= 256) {
    if (void *smaller = xCore.realloc(r, (k + 1) * sizeof(O))) r = static_cast<O *>(smaller);
  }
  return r;
}

}  // namespace

namespace tarvo {

Sized<wchar_t> m2w(const char *s, uint32_t cp, uint32_t len) {
  if (!s) return none<wchar_t>();
  size_t n = len ? len : std::strlen(s);
  if (n == 0) return none<wchar_t>();
  if (n > INT_MAX) return allocated_empty<wchar_t>();
  if (most_bytes_per_unit(cp)) {
    size_t units = 0;
    auto convert = [&](wchar_t *r, int cap) { return multibyte_to_wide(cp, 0, s, static_cast<int>(n), r, cap); };
    if (wchar_t *r = in_one_call<wchar_t>(n, convert, units)) return {r, units * 2};
  }
  int k = tarvo::multibyte_to_wide(cp, 0, s, static_cast<int>(n), nullptr, 0);
  if (k <= 0) return allocated_empty<wchar_t>();
  wchar_t *r = alloc_result<wchar_t>(static_cast<size_t>(k) + 1);
  if (!r) return none<wchar_t>();
  k = tarvo::multibyte_to_wide(cp, 0, s, static_cast<int>(n), r, k);
  if (k < 0) k = 0;
  r[k] = 0;
  return {r, static_cast<size_t>(k) * 2};
}

Sized<char> w2m(const wchar_t *w, uint32_t cp, uint32_t len) {
  if (!w) return none<char>();
  size_t units = len ? len / 2 : std::wcslen(w);
  if (units == 0) return none<char>();
  if (units > INT_MAX) return allocated_empty<char>();
  const size_t most = static_cast<size_t>(most_bytes_per_unit(cp));
  if (most && units <= INT_MAX / most) {
    size_t bytes = 0;
    auto convert = [&](char *r, int cap) {
      return wide_to_multibyte(cp, 0, w, static_cast<int>(units), r, cap, nullptr, nullptr);
    };
    if (char *r = in_one_call<char>(units * most, convert, bytes)) return {r, bytes};
  }
  int k = tarvo::wide_to_multibyte(cp, 0, w, static_cast<int>(units), nullptr, 0, nullptr, nullptr);
  if (k <= 0) return allocated_empty<char>();
  char *r = alloc_result<char>(static_cast<size_t>(k) + 1);
  if (!r) return none<char>();
  k = tarvo::wide_to_multibyte(cp, 0, w, static_cast<int>(units), r, k, nullptr, nullptr);
  if (k < 0) k = 0;
  r[k] = 0;
  return {r, static_cast<size_t>(k)};
}

// Through UTF-16: the given length applies to the input, and the whole
// intermediate text is converted on by its size, so zeros inside the given
// bytes do not cut the result short.
Sized<char> recode(const char *s, uint32_t from, uint32_t to, uint32_t len) {
  Sized<wchar_t> w = m2w(s, from, len);
  Sized<char> r = w2m(w.p, to, static_cast<uint32_t>(w.size));
  release(w.p);
  return r;
}

}  // namespace tarvo

extern "C" {

wchar_t *xCore_M2W(const char *s, uint32_t cp, uint32_t len) { return tarvo::publish(tarvo::m2w(s, cp, len)); }
char *xCore_W2M(const wchar_t *w, uint32_t cp, uint32_t len) { return tarvo::publish(tarvo::w2m(w, cp, len)); }

wchar_t *xCore_A2W(const char *s, uint32_t len) { return xCore_M2W(s, tarvo::kCodePageA, len); }
wchar_t *xCore_U2W(const char *s, uint32_t len) { return xCore_M2W(s, tarvo::kCodePageU, len); }
char *xCore_W2A(const wchar_t *w, uint32_t len) { return xCore_W2M(w, tarvo::kCodePageA, len); }
char *xCore_W2U(const wchar_t *w, uint32_t len) { return xCore_W2M(w, tarvo::kCodePageU, len); }

char *xCore_A2U(const char *s, uint32_t len) {
  return tarvo::publish(tarvo::recode(s, tarvo::kCodePageA, tarvo::kCodePageU, len));
}
char *xCore_U2A(const char *s, uint32_t len) {
  return tarvo::publish(tarvo::recode(s, tarvo::kCodePageU, tarvo::kCodePageA, len));
}

}  // extern "C"
