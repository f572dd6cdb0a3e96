// Whole files read and written the way a caller writes it by hand, with
// ReadFile / WriteFile and one system conversion: the baseline of the file
// and conversion benchmarks.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdlib>

namespace tarvo::bench {

// Writes the mark (a byte-order mark; none when mark_len is 0) and the bytes
// over whatever the file held.
inline void write_file_by_hand(const wchar_t *path, const void *mark, DWORD mark_len, const void *data, size_t n) {
  HANDLE h = CreateFileW(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return;
  DWORD done = 0;
  if (mark_len) WriteFile(h, mark, mark_len, &done, nullptr);
  WriteFile(h, data, static_cast<DWORD>(n), &done, nullptr);
  SetEndOfFile(h);
  CloseHandle(h);
}

// The whole file; with to_utf8 its UTF-16LE text after the two-byte mark is
// converted to UTF-8 in one call into a buffer sized for the worst case (one
// system call instead of a measuring one and a converting one). Gives the
// number of bytes read, or converted with to_utf8.
inline size_t read_file_by_hand(const wchar_t *path, bool to_utf8) {
  HANDLE h = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return 0;
  LARGE_INTEGER size;
  GetFileSizeEx(h, &size);
  char *buf = static_cast<char *>(std::malloc(static_cast<size_t>(size.QuadPart) + 4));
  DWORD got = 0;
  ReadFile(h, buf, static_cast<DWORD>(size.QuadPart), &got, nullptr);
  CloseHandle(h);
  size_t produced = got;
  if (to_utf8 && got >= 2) {
    const int units = static_cast<int>((got - 2) / 2);
    char *out = static_cast<char *>(std::malloc(static_cast<size_t>(units) * 3 + 1));
    const int n = WideCharToMultiByte(CP_UTF8, 0, reinterpret_cast<wchar_t *>(buf + 2), units, out, units * 3,
                                      nullptr, nullptr);
    out[n] = 0;
    produced = static_cast<size_t>(n);
    std::free(out);
  }
  std::free(buf);
  return produced;
}

}  // namespace tarvo::bench
