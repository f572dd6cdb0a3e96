// Internal pieces shared by the file sources: the handle check, the charset
// numbers with their marks, and the platform open.
#pragma once

#include "forms.hpp"
#include "path_limit.hpp"
#include "xfile.h"

#include <windows.h>

#include <cstdint>

namespace tarvo::files {

constexpr int32_t kUtf16Le = 1200;
constexpr int32_t kUtf16Be = 1201;
constexpr int32_t kUtf32Le = 65005;
constexpr int32_t kUtf32Be = 65006;
constexpr int32_t kUtf8 = 65001;
constexpr int32_t kUtf7 = 65000;
constexpr int32_t kGb18030 = 54936;
constexpr int32_t kUsAscii = 20127;
constexpr int32_t kOemCodePage = 1;

struct Mark {
  int32_t charset;
  uint8_t bytes[4];
  uint32_t length;
};

// In the order auto-detection compares them: the four-byte marks before the
// shorter ones they begin with.
inline constexpr Mark kMarks[] = {
    {kUtf32Le, {0xFF, 0xFE, 0x00, 0x00}, 4}, {kUtf32Be, {0x00, 0x00, 0xFE, 0xFF}, 4},
    {kGb18030, {0x84, 0x31, 0x95, 0x33}, 4}, {kUtf8, {0xEF, 0xBB, 0xBF, 0}, 3},
    {kUtf16Le, {0xFF, 0xFE, 0, 0}, 2},       {kUtf16Be, {0xFE, 0xFF, 0, 0}, 2},
};

inline const Mark *mark_of(int32_t charset) {
  for (const Mark &m : kMarks)
    if (m.charset == charset) return &m;
  return nullptr;
}

inline bool valid(const xFileHandle *f) { return f && f->handle && f->handle != INVALID_HANDLE_VALUE; }
inline HANDLE os(const xFileHandle *f) { return static_cast<HANDLE>(f->handle); }

// The code page that the platform conversions get for a charset: US-ASCII
// text goes through UTF-8, which agrees with it on every ASCII byte and keeps
// what lies beyond (a file guessed as ASCII from its first 64 KiB may hold
// other characters further on).
inline UINT conversion_codepage(int32_t charset) {
  return charset == kUsAscii ? static_cast<UINT>(kUtf8) : static_cast<UINT>(charset);
}

// Read only: an existing file, read access. Otherwise read and write access,
// existing or new. Both let others read.
inline HANDLE open_file(const wchar_t *path, bool readonly) {
  if (!path || path_too_long(path)) return INVALID_HANDLE_VALUE;
  return CreateFileW(path, readonly ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                     readonly ? OPEN_EXISTING : OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
}

// A platform handle closed by Close when the scope ends.
template <BOOL(WINAPI *Close)(HANDLE)>
class PlatformHandle {
 public:
  explicit PlatformHandle(HANDLE h) : h_(h) {}
  ~PlatformHandle() {
    if (ok()) Close(h_);
  }
  PlatformHandle(const PlatformHandle &) = delete;
  PlatformHandle &operator=(const PlatformHandle &) = delete;
  bool ok() const { return h_ && h_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return h_; }

 private:
  HANDLE h_;
};

using ScopedHandle = PlatformHandle<CloseHandle>;
using FindHandle = PlatformHandle<FindClose>;

// An xFile handle closed when the scope ends (whole-file operations).
class ScopedFile {
 public:
  explicit ScopedFile(xFileHandle *f) : f_(f) {}
  ~ScopedFile() { xFile_Close(f_); }
  ScopedFile(const ScopedFile &) = delete;
  ScopedFile &operator=(const ScopedFile &) = delete;
  xFileHandle *get() const { return f_; }
  explicit operator bool() const { return f_ != nullptr; }

 private:
  xFileHandle *f_;
};

}  // namespace tarvo::files
