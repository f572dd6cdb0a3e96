// Whole files as raw bytes, and sizes by path.
#include "file_internal.hpp"

using namespace tarvo::files;

namespace {

constexpr uint32_t A = tarvo::kCodePageA;
constexpr uint32_t U = tarvo::kCodePageU;

}  // namespace

extern "C" {

// The old contents are cut only after a complete write: a null buffer or a
// failed write leaves the file as it was (as far as the write got).
uint32_t xFile_PutAllW(const wchar_t *path, const void *buffer, uint32_t count) {
  if (!buffer) return 0;
  ScopedHandle h(open_file(path, false));
  if (!h.ok()) return 0;
  DWORD done = 0;
  if (count && !WriteFile(h.get(), buffer, count, &done, nullptr)) return 0;
  if (done == count) SetEndOfFile(h.get());
  return done;
}
uint32_t xFile_PutAllA(const char *path, const void *buffer, uint32_t count) {
  return tarvo::via_w<A, xFile_PutAllW>(path, buffer, count);
}
uint32_t xFile_PutAllU(const char *path, const void *buffer, uint32_t count) {
  return tarvo::via_w<U, xFile_PutAllW>(path, buffer, count);
}

// A file beyond a 32-bit count cannot be described by iRetSize: refused, not
// cut short. An empty file gives a buffer of size 0.
void *xFile_GetAllW(const wchar_t *path) {
  tarvo::set_size(0);
  ScopedHandle h(open_file(path, true));
  LARGE_INTEGER size{};
  if (!h.ok() || !GetFileSizeEx(h.get(), &size) || size.QuadPart > UINT32_MAX ||
      static_cast<uint64_t>(size.QuadPart) >= SIZE_MAX)
    return nullptr;
  size_t n = static_cast<size_t>(size.QuadPart);
  char *buffer = tarvo::alloc_result<char>(n ? n : 1);
  DWORD got = 0;
  if (!buffer || !ReadFile(h.get(), buffer, static_cast<DWORD>(n), &got, nullptr)) {
    tarvo::release(buffer);
    return nullptr;
  }
  tarvo::set_size(got);
  return buffer;
}
void *xFile_GetAllA(const char *path) { return tarvo::via_w<A, xFile_GetAllW>(path); }
void *xFile_GetAllU(const char *path) { return tarvo::via_w<U, xFile_GetAllW>(path); }

int64_t xFile_GetSizeW(const wchar_t *path) {
  ScopedHandle h(open_file(path, true));
  LARGE_INTEGER size{};
  return h.ok() && GetFileSizeEx(h.get(), &size) ? size.QuadPart : 0;
}
int64_t xFile_GetSizeA(const char *path) { return tarvo::via_w<A, xFile_GetSizeW>(path); }
int64_t xFile_GetSizeU(const char *path) { return tarvo::via_w<U, xFile_GetSizeW>(path); }

int32_t xFile_SetSizeW(const wchar_t *path, int64_t size) {
  ScopedHandle h(open_file(path, false));
  LARGE_INTEGER to{};
  to.QuadPart = size;
  return h.ok() && size >= 0 && SetFilePointerEx(h.get(), to, nullptr, FILE_BEGIN) && SetEndOfFile(h.get()) ? 1 : 0;
}
int32_t xFile_SetSizeA(const char *path, int64_t size) { return tarvo::via_w<A, xFile_SetSizeW>(path, size); }
int32_t xFile_SetSizeU(const char *path, int64_t size) { return tarvo::via_w<U, xFile_SetSizeW>(path, size); }

}  // extern "C"
