// String copies and ASCII case mapping.
#include "text_chars.hpp"
#include "xstring.h"

#include <windows.h>

#include <cstring>
#include <cwchar>
#include <cwctype>

namespace {

using tarvo::text::empty;
using tarvo::text::length;

template <class T>
T *copy_string(const T *s, uint32_t len) {
  if (!s) return empty<T>();
  size_t n = len ? len : length(s);
  if (n == 0) return empty<T>();
  T *r;
  if constexpr (sizeof(T) == 2)
    r = static_cast<T *>(xCore.calloc(n + 1, sizeof(T)));
  else
    r = static_cast<T *>(xCore.malloc(n + 1));
  if (!r) return empty<T>();
  std::memcpy(r, s, n * sizeof(T));
  r[n] = 0;
  return r;
}

inline wchar_t map_unit(wchar_t c, bool upper) {
  if (upper) return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - 32) : c;
  return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c + 32) : c;
}

wchar_t *map_case_w(wchar_t *s, uint32_t len, int32_t inplace, bool upper) {
  if (!s) return tarvo::empty_w();
  size_t n = len ? len : std::wcslen(s);
  if (n == 0) return tarvo::empty_w();
  wchar_t *t = inplace ? s : xCore_CopyStringW(s, static_cast<uint32_t>(n));
  if (tarvo::is_empty_result(t)) return t;
  for (size_t i = 0; i < n && t[i]; ++i) t[i] = map_unit(t[i], upper);
  return t;
}

// Only ASCII letters change. A lead byte of a double-byte character of the
// ANSI code page takes the byte after it along, since that trail byte may
// look like an ASCII letter; other bytes (UTF-8 included) are never skipped.
char *map_case_a(char *s, uint32_t len, int32_t inplace, bool upper) {
  if (!s) return tarvo::empty_a();
  size_t n = len ? len : std::strlen(s);
  if (n == 0) return tarvo::empty_a();
  char *t = inplace ? s : xCore_CopyStringA(s, static_cast<uint32_t>(n));
  if (tarvo::is_empty_result(t)) return t;
  for (size_t i = 0; i < n && t[i]; ++i) {
    unsigned char c = static_cast<unsigned char>(t[i]);
    if (c >= 0x80) {
      if (IsDBCSLeadByte(c) && i + 1 < n && t[i + 1]) ++i;
      continue;
    }
    t[i] = static_cast<char>(map_unit(c, upper));
  }
  return t;
}

}  // namespace

extern "C" {

wchar_t *xCore_CopyStringW(const wchar_t *s, uint32_t len) { return copy_string(s, len); }
char *xCore_CopyStringA(const char *s, uint32_t len) { return copy_string(s, len); }

wchar_t *xCore_LCaseW(wchar_t *s, uint32_t len, int32_t inplace) { return map_case_w(s, len, inplace, false); }
wchar_t *xCore_UCaseW(wchar_t *s, uint32_t len, int32_t inplace) { return map_case_w(s, len, inplace, true); }
char *xCore_LCaseA(char *s, uint32_t len, int32_t inplace) { return map_case_a(s, len, inplace, false); }
char *xCore_UCaseA(char *s, uint32_t len, int32_t inplace) { return map_case_a(s, len, inplace, true); }

}  // extern "C"
