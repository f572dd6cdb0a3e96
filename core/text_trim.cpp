// Trimming and filtering by a character set. The wide forms hold the logic;
// the A and U forms run it in place on their converted copy.
#include "forms.hpp"
#include "text_chars.hpp"
#include "xtext.h"

namespace {

using tarvo::set_size;
using tarvo::text::copy_units;

constexpr wchar_t kDefaultSet[] = L" \t\r\n";

inline bool is_high(wchar_t u) { return u >= 0xD800 && u <= 0xDBFF; }
inline bool is_low(wchar_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

// One character of a wide text: a surrogate pair is one character of two
// units, so a set never takes half of a pair away. A lone surrogate is a
// character of one unit.
struct Char {
  wchar_t hi, lo;  // lo is 0 for a one-unit character
  size_t width() const { return lo ? 2 : 1; }
  bool operator==(const Char &o) const { return hi == o.hi && lo == o.lo; }
};

Char char_at(const wchar_t *s, size_t i, size_t end) {
  if (is_high(s[i]) && i + 1 < end && is_low(s[i + 1])) return {s[i], s[i + 1]};
  return {s[i], 0};
}

Char char_before(const wchar_t *s, size_t begin, size_t end) {
  if (is_low(s[end - 1]) && end - 1 > begin && is_high(s[end - 2])) return {s[end - 2], s[end - 1]};
  return {s[end - 1], 0};
}

bool in_set(const wchar_t *set, size_t set_len, Char c) {
  for (size_t i = 0; i < set_len;) {
    Char m = char_at(set, i, set_len);
    if (m == c) return true;
    i += m.width();
  }
  return false;
}

enum Sides { kLeft = 1, kRight = 2, kBoth = 3 };

wchar_t *trim(wchar_t *text, const wchar_t *set, int32_t inplace, int sides) {
  if (!text) return set_size(0), tarvo::empty_w();
  if (!set) set = kDefaultSet;
  size_t set_len = std::wcslen(set);
  size_t n = std::wcslen(text), b = 0, e = n;
  if (sides & kLeft) {
    for (Char c; b < e && in_set(set, set_len, c = char_at(text, b, e));) b += c.width();
  }
  if (sides & kRight) {
    for (Char c; e > b && in_set(set, set_len, c = char_before(text, b, e));) e -= c.width();
  }
  set_size(n - (e - b));
  if (!inplace) return copy_units(text + b, e - b);
  // Nothing is written when nothing changes: the text may be the shared
  // EmptyString that an A or U form converted from a null text.
  if (e - b != n) {
    std::wmemmove(text, text + b, e - b);
    text[e - b] = 0;
  }
  return text;
}

wchar_t *filter(wchar_t *text, const wchar_t *set, int32_t inplace) {
  if (!text) return set_size(0), tarvo::empty_w();
  size_t n = std::wcslen(text);
  wchar_t *t = inplace ? text : copy_units(text, n);
  set_size(0);
  // An empty text is never written to: it may be the shared EmptyString.
  if (!set || !*set || n == 0 || tarvo::is_empty_result(t)) return t;
  size_t set_len = std::wcslen(set);
  size_t kept = 0;
  for (size_t i = 0; i < n;) {
    Char c = char_at(t, i, n);
    if (!in_set(set, set_len, c)) {
      t[kept++] = c.hi;
      if (c.lo) t[kept++] = c.lo;
    }
    i += c.width();
  }
  t[kept] = 0;
  set_size(n - kept);
  if (kept == 0 && !inplace) {
    tarvo::release(t);
    return tarvo::empty_w();
  }
  return t;
}

// The A and U forms: the W form runs in place on the converted text, whose
// result is converted back (iRetSize becomes the result's size in bytes). A
// null set arrives as the empty set, so nothing is removed.
template <uint32_t CP, wchar_t *(*WFn)(wchar_t *, const wchar_t *, int32_t)>
char *narrow_in_place(const char *text, const char *set) {
  tarvo::WideArg<CP> w(text);
  tarvo::WideArg<CP> s(set);
  return xCore_W2M(WFn(w, s, 1), CP, 0);
}

}  // namespace

extern "C" {

wchar_t *xxLTrimW(wchar_t *text, const wchar_t *set, int32_t inplace) { return trim(text, set, inplace, kLeft); }
wchar_t *xxRTrimW(wchar_t *text, const wchar_t *set, int32_t inplace) { return trim(text, set, inplace, kRight); }
wchar_t *xxTrimW(wchar_t *text, const wchar_t *set, int32_t inplace) { return trim(text, set, inplace, kBoth); }
wchar_t *xxStringFilterW(wchar_t *text, const wchar_t *set, int32_t inplace) { return filter(text, set, inplace); }

char *xxLTrimA(const char *text, const char *set) { return narrow_in_place<tarvo::kCodePageA, xxLTrimW>(text, set); }
char *xxRTrimA(const char *text, const char *set) { return narrow_in_place<tarvo::kCodePageA, xxRTrimW>(text, set); }
char *xxTrimA(const char *text, const char *set) { return narrow_in_place<tarvo::kCodePageA, xxTrimW>(text, set); }
char *xxLTrimU(const char *text, const char *set) { return narrow_in_place<tarvo::kCodePageU, xxLTrimW>(text, set); }
char *xxRTrimU(const char *text, const char *set) { return narrow_in_place<tarvo::kCodePageU, xxRTrimW>(text, set); }
char *xxTrimU(const char *text, const char *set) { return narrow_in_place<tarvo::kCodePageU, xxTrimW>(text, set); }
char *xxStringFilterA(const char *text, const char *set) {
  return narrow_in_place<tarvo::kCodePageA, xxStringFilterW>(text, set);
}
char *xxStringFilterU(const char *text, const char *set) {
  return narrow_in_place<tarvo::kCodePageU, xxStringFilterW>(text, set);
}

}  // extern "C"
