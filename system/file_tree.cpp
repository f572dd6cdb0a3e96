// The public folder walk and the tree operations built on it.
#include "file_internal.hpp"
#include "scan.hpp"

#include <string>
#include <vector>

using namespace tarvo::files;

namespace {

constexpr uint32_t A = tarvo::kCodePageA;
using Entry = WIN32_FIND_DATAW;

template <class C, class Callback>
uint32_t scan(const C *folder, const C *pattern, uint32_t exclude, uint32_t flags, int32_t recurse, Callback cb,
              intptr_t user) {
  intptr_t stop = 0;
  uint32_t count = tarvo::guarded([&] { return walk(
      folder, pattern, exclude, flags, recurse != 0,
      [&](const std::basic_string<C> &dir, const typename FindApi<C>::Data &d) -> intptr_t {
        return cb ? cb(dir.c_str(), &d, user) : 0;
      },
      &stop); }, 0u);
  tarvo::set_size(static_cast<size_t>(stop));
  return count;
}

std::wstring full_path(const wchar_t *path) {
  DWORD n = GetFullPathNameW(path, 0, nullptr, nullptr);
  std::wstring full(n, L'\0');
  full.resize(n ? GetFullPathNameW(path, n, full.data(), nullptr) : 0);
  return with_separator(full);
}

// A destination inside the source would be walked while it is filled: the
// tree would grow into itself until the paths give out.
bool lies_within(const wchar_t *destination, const wchar_t *source) {
  std::wstring d = full_path(destination), s = full_path(source);
  return d.size() >= s.size() && CompareStringOrdinal(d.c_str(), static_cast<int>(s.size()), s.c_str(),
                                                      static_cast<int>(s.size()), TRUE) == CSTR_EQUAL;
}

// Files (copied or moved) and folders (created) of the source tree land at
// the same place below the destination. Both roots are taken with a trailing
// separator, so "C:\src" and "C:\src\" give the same result. A destination
// within the source is refused.
template <class Transfer>
int32_t transfer_tree(const wchar_t *source, const wchar_t *destination, const wchar_t *pattern, Transfer file_op) {
  if (!source || !*source || !destination || !*destination || tarvo::any_path_too_long(source, destination)) return 0;
  if (tarvo::guarded([&] { return lies_within(destination, source); }, true)) return 0;
  xFile_CreateDirW(destination);
  return tarvo::guarded([&] {
    const std::wstring from = with_separator<wchar_t>(source);
    const std::wstring to = with_separator<wchar_t>(destination);
    return static_cast<int32_t>(walk(source, pattern, 0, 0, true, [&](const std::wstring &dir, const Entry &d) -> intptr_t {
      std::wstring src = dir + d.cFileName;
      std::wstring dst = to + src.substr(from.size());
      if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) CreateDirectoryW(dst.c_str(), nullptr);
      else file_op(src.c_str(), dst.c_str());
      return 0;
    }));
  }, 0);
}

}  // namespace

extern "C" {

uint32_t xFile_ScanW(const wchar_t *folder, const wchar_t *pattern, uint32_t exclude, uint32_t flags, int32_t recurse,
                     xFile_ScanCallback callback, intptr_t user) {
  return scan(folder, pattern, exclude, flags, recurse, callback, user);
}

uint32_t xFile_ScanA(const char *folder, const char *pattern, uint32_t exclude, uint32_t flags, int32_t recurse,
                     xFile_ScanCallbackA callback, intptr_t user) {
  return scan(folder, pattern, exclude, flags, recurse, callback, user);
}

int32_t xFile_CopyDirW(const wchar_t *source, const wchar_t *destination, const wchar_t *pattern, int32_t overwrite) {
  return transfer_tree(source, destination, pattern,
                       [&](const wchar_t *s, const wchar_t *d) { xFile_CopyW(s, d, overwrite); });
}
int32_t xFile_CopyDirA(const char *source, const char *destination, const char *pattern, int32_t overwrite) {
  return tarvo::via_w<A, xFile_CopyDirW>(source, destination, pattern, overwrite);
}

int32_t xFile_MoveDirW(const wchar_t *source, const wchar_t *destination, const wchar_t *pattern, int32_t overwrite) {
  return transfer_tree(source, destination, pattern,
                       [&](const wchar_t *s, const wchar_t *d) { xFile_MoveW(s, d, overwrite); });
}
int32_t xFile_MoveDirA(const char *source, const char *destination, const char *pattern, int32_t overwrite) {
  return tarvo::via_w<A, xFile_MoveDirW>(source, destination, pattern, overwrite);
}

// Matching files first; then every folder below the root that is empty by
// now, deepest first, so a tree emptied of its files goes completely. A
// linked folder is never entered: removing it removes the link alone.
int32_t xFile_DeleteDirW(const wchar_t *folder, const wchar_t *pattern) {
  return tarvo::guarded([&] {
    uint32_t count = walk(folder, pattern, 0, XFILE_SCAN_NODIRS, true, [](const std::wstring &dir, const Entry &d) -> intptr_t {
      DeleteFileW((dir + d.cFileName).c_str());
      return 0;
    });
    std::vector<std::wstring> folders;
    walk(folder, pattern, 0, XFILE_SCAN_NOFILES, true, [&](const std::wstring &dir, const Entry &d) -> intptr_t {
      folders.push_back(dir + d.cFileName);
      return 0;
    });
    for (auto it = folders.rbegin(); it != folders.rend(); ++it) RemoveDirectoryW(it->c_str());
    return static_cast<int32_t>(count);
  }, 0);
}
int32_t xFile_DeleteDirA(const char *folder, const char *pattern) {
  return tarvo::via_w<A, xFile_DeleteDirW>(folder, pattern);
}

}  // extern "C"
