// Helpers of the text utilities over the character type: one algorithm serves
// the wide form (UTF-16 units) and the narrow form (bytes).
#pragma once

#include "runtime.hpp"

#include <cstring>
#include <cwchar>
#include <type_traits>

namespace tarvo::text {

template <class T>
size_t length(const T *s) {
  if constexpr (sizeof(T) == 1)
    return std::strlen(s);
  else
    return std::wcslen(s);
}

template <class T>
T *empty() {
  return reinterpret_cast<T *>(empty_a());
}

// Size arithmetic that reports overflow instead of wrapping: huge inputs fail
// cleanly rather than allocate a short block and write past it.
inline bool mul_add(size_t a, size_t b, size_t c, size_t &out) {
  size_t m;
  return !__builtin_mul_overflow(a, b, &m) && !__builtin_add_overflow(m, c, &out);
}

// A new zero-terminated copy of n units; EmptyString for nothing or when the
// allocation fails.
template <class T>
T *copy_units(const T *s, size_t n) {
  size_t bytes;
  if (n == 0 || !mul_add(n + 1, sizeof(T), 0, bytes)) return empty<T>();
  T *r = static_cast<T *>(xCore.malloc(bytes));
  if (!r) return empty<T>();
  std::memcpy(r, s, n * sizeof(T));
  r[n] = 0;
  return r;
}

// First unit equal to c among the count units from s, or null.
template <class T>
T *find_unit(T *s, std::remove_const_t<T> c, size_t count) {
  if constexpr (sizeof(T) == 1)
    return static_cast<T *>(std::memchr(s, c, count));
  else
    return const_cast<T *>(std::wmemchr(s, c, count));
}

// First occurrence of the n units of pat (n > 0) that lies wholly inside
// [s, end), or null.
template <class T>
T *find(T *s, T *end, const std::type_identity_t<T> *pat, size_t n) {
  if (n > static_cast<size_t>(end - s)) return nullptr;
  T *last = end - n;
  while (s <= last) {
    s = find_unit(s, pat[0], static_cast<size_t>(last - s) + 1);
    if (!s) return nullptr;
    if (std::memcmp(s + 1, pat + 1, (n - 1) * sizeof(T)) == 0) return s;
    ++s;
  }
  return nullptr;
}

}  // namespace tarvo::text
