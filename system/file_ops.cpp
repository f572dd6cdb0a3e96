// Existence tests, attributes, copy, move, delete and nested folder creation.
#include "file_internal.hpp"

#include <string>
#include <cwchar>

using namespace tarvo::files;

namespace {

constexpr uint32_t A = tarvo::kCodePageA;
using tarvo::any_path_too_long;
using tarvo::kLongestPath;

bool is_separator(wchar_t c) { return c == L'\\' || c == L'/'; }

}  // namespace

extern "C" {

// A file another handle holds without sharing read access still exists.
int32_t xFile_ExistsW(const wchar_t *path) {
  if (!path || !*path || any_path_too_long(path)) return 0;
  ScopedHandle h(CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (h.ok()) return (GetFileAttributesW(path) & FILE_ATTRIBUTE_DIRECTORY) ? 0 : 1;
  return GetLastError() == ERROR_SHARING_VIOLATION ? 1 : 0;
}
int32_t xFile_ExistsA(const char *path) { return tarvo::via_w<A, xFile_ExistsW>(path); }

int32_t xFile_PathExistsW(const wchar_t *path) {
  return path && !any_path_too_long(path) && GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES ? 1 : 0;
}
int32_t xFile_PathExistsA(const char *path) { return tarvo::via_w<A, xFile_PathExistsW>(path); }

int32_t xFile_FolderExistsW(const wchar_t *path) {
  DWORD a = path && !any_path_too_long(path) ? GetFileAttributesW(path) : INVALID_FILE_ATTRIBUTES;
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) ? 1 : 0;
}
int32_t xFile_FolderExistsA(const char *path) { return tarvo::via_w<A, xFile_FolderExistsW>(path); }

int32_t xFile_IsNetworkPathW(const wchar_t *path) {
  return path && !any_path_too_long(path) && path[0] == L'\\' && path[1] == L'\\' ? 1 : 0;
}
int32_t xFile_IsNetworkPathA(const char *path) {
  return path && !any_path_too_long(path) && path[0] == '\\' && path[1] == '\\' ? 1 : 0;
}

uint32_t xFile_GetPathAttrW(const wchar_t *path) {
  return path && !any_path_too_long(path) ? GetFileAttributesW(path) : INVALID_FILE_ATTRIBUTES;
}
uint32_t xFile_GetPathAttrA(const char *path) { return tarvo::via_w<A, xFile_GetPathAttrW>(path); }
int32_t xFile_SetPathAttrW(const wchar_t *path, uint32_t attributes) {
  return path && !any_path_too_long(path) && SetFileAttributesW(path, attributes) ? 1 : 0;
}
int32_t xFile_SetPathAttrA(const char *path, uint32_t attributes) {
  return tarvo::via_w<A, xFile_SetPathAttrW>(path, attributes);
}

int32_t xFile_CopyW(const wchar_t *source, const wchar_t *destination, int32_t overwrite) {
  return source && destination && !any_path_too_long(source, destination) && CopyFileW(source, destination, overwrite ? FALSE : TRUE) ? 1 : 0;
}
int32_t xFile_CopyA(const char *source, const char *destination, int32_t overwrite) {
  return tarvo::via_w<A, xFile_CopyW>(source, destination, overwrite);
}

// The source goes only once its copy is in place.
int32_t xFile_MoveW(const wchar_t *source, const wchar_t *destination, int32_t overwrite) {
  if (!xFile_CopyW(source, destination, overwrite)) return 0;
  return xFile_DeleteW(source);
}
int32_t xFile_MoveA(const char *source, const char *destination, int32_t overwrite) {
  return tarvo::via_w<A, xFile_MoveW>(source, destination, overwrite);
}

int32_t xFile_DeleteW(const wchar_t *path) { return path && !any_path_too_long(path) && DeleteFileW(path) ? 1 : 0; }
int32_t xFile_DeleteA(const char *path) { return tarvo::via_w<A, xFile_DeleteW>(path); }

// One pass over the parts. A UNC path starts from "\\\\server", any other from
// its first part (a drive or a relative first folder), which is never created
// itself. A folder that exists already is passed; one that can be neither
// created nor found ends the pass, as nothing below it can be made. A path
// beyond the platform's length limit is refused whole.
void xFile_CreateDirW(const wchar_t *path) {
  if (!path || !*path) return;
  size_t n = wcsnlen(path, kLongestPath + 1);
  if (n > kLongestPath) return;
  tarvo::guarded([&] {
    std::wstring built;
    built.reserve(n);
    size_t i = 0;
    if (n >= 2 && is_separator(path[0]) && is_separator(path[1])) built = L"\\\\", i = 2;
    for (; i < n && !is_separator(path[i]); ++i) built += path[i];
    while (i < n) {
      size_t start = ++i;
      while (i < n && !is_separator(path[i])) ++i;
      if (i == start) continue;
      built += L'\\';
      built.append(path + start, i - start);
      if (!CreateDirectoryW(built.c_str(), nullptr) && !xFile_FolderExistsW(built.c_str())) return 0;
    }
    return 0;
  }, 0);
}
void xFile_CreateDirA(const char *path) { tarvo::via_w<A, xFile_CreateDirW>(path); }

}  // extern "C"
