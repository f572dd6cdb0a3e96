// Conversions between multibyte code pages and UTF-16.
#include "forms.hpp"

#include <windows.h>

#include <climits>
#include <cstring>
#include <cwchar>

namespace {

using tarvo::empty_a;
using tarvo::empty_w;
using tarvo::set_size;

// A conversion whose system call fails still gives an allocated empty text.
template <class T>
T *allocated_empty() {
  T *r = tarvo::alloc_result<T>(1);
  if (!r) return nullptr;
  r[0] = 0;
  set_size(0);
  return r;
}

}  // namespace

extern "C" {

wchar_t *xCore_M2W(const char *s, uint32_t cp, uint32_t len) {
  if (!s) return set_size(0), empty_w();
  size_t n = len ? len : std::strlen(s);
  if (n == 0) return set_size(0), empty_w();
  if (n > INT_MAX) return allocated_empty<wchar_t>();
  int k = MultiByteToWideChar(cp, 0, s, static_cast<int>(n), nullptr, 0);
  if (k <= 0) return allocated_empty<wchar_t>();
  wchar_t *r = tarvo::alloc_result<wchar_t>(static_cast<size_t>(k) + 1);
  if (!r) return set_size(0), empty_w();
  k = MultiByteToWideChar(cp, 0, s, static_cast<int>(n), r, k);
  if (k < 0) k = 0;
  r[k] = 0;
  set_size(static_cast<size_t>(k) * 2);
  return r;
}

char *xCore_W2M(const wchar_t *w, uint32_t cp, uint32_t len) {
  if (!w) return set_size(0), empty_a();
  size_t units = len ? len / 2 : std::wcslen(w);
  if (units == 0) return set_size(0), empty_a();
  if (units > INT_MAX) return allocated_empty<char>();
  int k = WideCharToMultiByte(cp, 0, w, static_cast<int>(units), nullptr, 0, nullptr, nullptr);
  if (k <= 0) return allocated_empty<char>();
  char *r = tarvo::alloc_result<char>(static_cast<size_t>(k) + 1);
  if (!r) return set_size(0), empty_a();
  k = WideCharToMultiByte(cp, 0, w, static_cast<int>(units), r, k, nullptr, nullptr);
  if (k < 0) k = 0;
  r[k] = 0;
  set_size(static_cast<size_t>(k));
  return r;
}

wchar_t *xCore_A2W(const char *s, uint32_t len) { return xCore_M2W(s, tarvo::kCodePageA, len); }
wchar_t *xCore_U2W(const char *s, uint32_t len) { return xCore_M2W(s, tarvo::kCodePageU, len); }
char *xCore_W2A(const wchar_t *w, uint32_t len) { return xCore_W2M(w, tarvo::kCodePageA, len); }
char *xCore_W2U(const wchar_t *w, uint32_t len) { return xCore_W2M(w, tarvo::kCodePageU, len); }

// Through UTF-16: the given length applies to the input, and the whole
// intermediate text is converted on by its size, so zeros inside the given
// bytes do not cut the result short.
static char *recode(const char *s, uint32_t from, uint32_t to, uint32_t len) {
  wchar_t *w = xCore_M2W(s, from, len);
  char *r = xCore_W2M(w, to, xCore.iRetSize);
  tarvo::release(w);
  return r;
}

char *xCore_A2U(const char *s, uint32_t len) { return recode(s, tarvo::kCodePageA, tarvo::kCodePageU, len); }
char *xCore_U2A(const char *s, uint32_t len) { return recode(s, tarvo::kCodePageU, tarvo::kCodePageA, len); }

}  // extern "C"
