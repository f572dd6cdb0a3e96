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
    size_t j = 1;
    while (j < n && s[j] == pat[j]) ++j;
    if (j == n) return s;
    ++s;
  }
  return nullptr;
}

// The non-overlapping matches that next(from, stop) finds left to right in
// [begin, stop), each `width` units long. The count pass keeps the first
// offsets, so a text with few matches is searched once; one with many is
// searched again when it is walked rather than given a large list (fresh
// memory costs more than a second search).
template <class T, class Next>
class Matches {
 public:
  Matches(T *begin, T *stop, size_t width, Next next) : begin_(begin), stop_(stop), width_(width), next_(next) {
    for (T *m = next_(begin_, stop_); m; m = next_(m + width_, stop_)) {
      if (count_ < kKept) kept_[count_] = static_cast<size_t>(m - begin_);
      ++count_;
    }
  }
  size_t size() const { return count_; }

  // Calls f(offset) for every match in order. f may write at the match's
  // first unit: the search goes on after the match.
  template <class F>
  void each(F f) const {
    size_t n = count_ < kKept ? count_ : kKept;
    for (size_t i = 0; i < n; ++i) f(kept_[i]);
    if (count_ <= kKept) return;
    for (T *m = next_(begin_ + kept_[kKept - 1] + width_, stop_); m; m = next_(m + width_, stop_))
      f(static_cast<size_t>(m - begin_));
  }

 private:
  static constexpr size_t kKept = 256;
  T *begin_, *stop_;
  size_t width_;
  Next next_;
  size_t count_ = 0;
  size_t kept_[kKept];
};

}  // namespace tarvo::text
