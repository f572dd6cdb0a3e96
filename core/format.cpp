// printf-style formatting into a new result. Both forms use the system C
// runtime's formatter, so the directives are the platform's (%I64d works and
// %s in the wide form takes a wide string).
#include "runtime.hpp"
#include "xstring.h"

#include <cstdarg>
#include <cstdio>

extern "C" {
// The msvcrt entry points, named directly so that MinGW's own C99 printf is
// not substituted for them.
_CRTIMP int __cdecl _vscprintf(const char *, va_list);
_CRTIMP int __cdecl _vsnprintf(char *, size_t, const char *, va_list);
_CRTIMP int __cdecl _vscwprintf(const wchar_t *, va_list);
_CRTIMP int __cdecl _vsnwprintf(wchar_t *, size_t, const wchar_t *, va_list);
}

namespace {

template <class T, class Measure, class Print>
T *format_into_result(const T *format, va_list args, Measure measure, Print print) {
  if (!format) return reinterpret_cast<T *>(tarvo::empty_a());
  va_list probe;
  va_copy(probe, args);
  int n = measure(format, probe);
  va_end(probe);
  if (n < 0) return reinterpret_cast<T *>(tarvo::empty_a());
  T *r = tarvo::alloc_result<T>(static_cast<size_t>(n) + 1);
  if (!r) return reinterpret_cast<T *>(tarvo::empty_a());
  int written = print(r, static_cast<size_t>(n) + 1, format, args);
  if (written < 0) written = 0;
  r[written] = 0;
  tarvo::set_size(static_cast<size_t>(written) * sizeof(T));
  return r;
}

}  // namespace

extern "C" {

char *xCore_FormatA(const char *format, ...) {
  va_list args;
  va_start(args, format);
  char *r = format_into_result(format, args, _vscprintf, _vsnprintf);
  va_end(args);
  return r;
}

wchar_t *xCore_FormatW(const wchar_t *format, ...) {
  va_list args;
  va_start(args, format);
  wchar_t *r = format_into_result(format, args, _vscwprintf, _vsnwprintf);
  va_end(args);
  return r;
}

}  // extern "C"
