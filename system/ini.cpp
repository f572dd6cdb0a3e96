// Single INI values over the platform's private-profile calls.
#include "allocated_empty.hpp"
#include "forms.hpp"
#include "xini.h"

#include <windows.h>

#include <cwchar>

namespace {

constexpr DWORD kFirstBuffer = 8192;  // characters; most values fit at once
constexpr DWORD kLargestBuffer = 1u << 28;

// The profile calls take a file name of the platform's path limit at most;
// longer ones (bare names especially, which they place in the Windows folder)
// overrun them and end the process.
bool takes_file(const wchar_t *file) { return file && std::wcslen(file) < MAX_PATH; }

// A null value or key passes through to the platform (removing a key or a
// section); text arguments become UTF-16 for the wide call.
template <uint32_t CP>
int32_t write_via(const char *file, const char *section, const char *key, const char *value) {
  tarvo::WideArg<CP> f(file);
  tarvo::NullableWideArg<CP> s(section), k(key), v(value);
  return Ini_WriteW(f, s, k, v);
}

constexpr uint32_t A = tarvo::kCodePageA;
constexpr uint32_t U = tarvo::kCodePageU;

}  // namespace

extern "C" {

// The platform reports a value cut to the buffer as size - 1 characters: the
// buffer then doubles until the whole value fits.
wchar_t *Ini_ReadW(const wchar_t *file, const wchar_t *section, const wchar_t *key) {
  tarvo::set_size(0);
  if (!takes_file(file) || !section || !key) return tarvo::files::allocated_empty<wchar_t>();
  for (DWORD size = kFirstBuffer; size <= kLargestBuffer; size *= 2) {
    wchar_t *buf = tarvo::alloc_result<wchar_t>(size);
    if (!buf) break;
    DWORD n = GetPrivateProfileStringW(section, key, L"", buf, size, file);
    if (n < size - 1) {
      buf[n] = 0;
      tarvo::set_size(static_cast<size_t>(n) * 2);
      return buf;
    }
    tarvo::release(buf);
  }
  return tarvo::files::allocated_empty<wchar_t>();
}
char *Ini_ReadA(const char *file, const char *section, const char *key) {
  return tarvo::via_w<A, Ini_ReadW>(file, section, key);
}
char *Ini_ReadU(const char *file, const char *section, const char *key) {
  return tarvo::via_w<U, Ini_ReadW>(file, section, key);
}

int32_t Ini_ReadIntW(const wchar_t *file, const wchar_t *section, const wchar_t *key) {
  if (!takes_file(file) || !section || !key) return 0;
  return static_cast<int32_t>(GetPrivateProfileIntW(section, key, 0, file));
}
int32_t Ini_ReadIntA(const char *file, const char *section, const char *key) {
  return tarvo::via_w<A, Ini_ReadIntW>(file, section, key);
}
int32_t Ini_ReadIntU(const char *file, const char *section, const char *key) {
  return tarvo::via_w<U, Ini_ReadIntW>(file, section, key);
}

int32_t Ini_WriteW(const wchar_t *file, const wchar_t *section, const wchar_t *key, const wchar_t *value) {
  // A null section has no meaning here (the platform's profile writer fails
  // on it outright).
  if (!takes_file(file) || !section) return 0;
  return WritePrivateProfileStringW(section, key, value, file) ? 1 : 0;
}
int32_t Ini_WriteA(const char *file, const char *section, const char *key, const char *value) {
  return write_via<A>(file, section, key, value);
}
int32_t Ini_WriteU(const char *file, const char *section, const char *key, const char *value) {
  return write_via<U>(file, section, key, value);
}

}  // extern "C"
