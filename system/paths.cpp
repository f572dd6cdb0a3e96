// Path strings taken apart and put together; only the absolute and relative
// forms ask the platform (and the current folder).
#include "forms.hpp"
#include "path_limit.hpp"
#include "sized.hpp"
#include "xpath.h"
#include "xtext.h"

#include <windows.h>
#include <shlwapi.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

namespace {

constexpr uint32_t A = tarvo::kCodePageA;
using tarvo::any_path_too_long;

wchar_t *result(const wchar_t *s, size_t n) {
  if (!s || n == 0) return tarvo::set_size(0), tarvo::empty_w();
  wchar_t *r = tarvo::alloc_result<wchar_t>(n + 1);
  if (!r) return tarvo::set_size(0), tarvo::empty_w();
  std::wmemcpy(r, s, n);
  r[n] = 0;
  tarvo::set_size(n * 2);
  return r;
}
wchar_t *result(const std::wstring &s) { return result(s.c_str(), s.size()); }
wchar_t *no_result() { return result(nullptr, 0); }

// A file name's limit: no random part is longer.
constexpr int32_t kLongestName = 255;

const wchar_t *last_of(const wchar_t *s, wchar_t c) { return s ? std::wcsrchr(s, c) : nullptr; }

// The name part: after the last backslash, or the whole path.
const wchar_t *name_part(const wchar_t *path) {
  const wchar_t *sep = last_of(path, L'\\');
  return sep ? sep + 1 : path;
}

std::wstring current_folder() {
  DWORD n = GetCurrentDirectoryW(0, nullptr);
  std::wstring s(n, L'\0');
  n = GetCurrentDirectoryW(n, s.data());
  s.resize(n);
  return s;
}

std::wstring base_or_current(const wchar_t *base) { return base && *base ? std::wstring(base) : current_folder(); }

DWORD kind(const wchar_t *path) { return PathIsDirectoryW(path) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_NORMAL; }

wchar_t *route(const std::wstring &from, const std::wstring &to) {
  wchar_t out[MAX_PATH] = {};
  if (!PathRelativePathToW(out, from.c_str(), kind(from.c_str()), to.c_str(), kind(to.c_str()))) return no_result();
  return result(out, std::wcslen(out));
}

bool is_separator(wchar_t c) { return c == L'\\' || c == L'/'; }

// Runs a text utility in place on one component; true when it removed
// something (the utilities only ever remove).
template <auto Edit>
bool edit_in_place(std::wstring &part, const wchar_t *set) {
  size_t before = part.size();
  Edit(part.data(), set, 1);
  part.resize(std::wcslen(part.c_str()));
  return part.size() != before;
}

}  // namespace

extern "C" {

wchar_t *Path_FileNameExtW(const wchar_t *path) {
  if (any_path_too_long(path)) return no_result();
  const wchar_t *name = name_part(path);
  return result(name, name ? std::wcslen(name) : 0);
}
char *Path_FileNameExtA(const char *path) { return tarvo::via_w<A, Path_FileNameExtW>(path); }

wchar_t *Path_FileNameW(const wchar_t *path) {
  const wchar_t *name = name_part(path);
  if (!name || any_path_too_long(path)) return no_result();
  const wchar_t *dot = last_of(name, L'.');
  return result(name, dot ? static_cast<size_t>(dot - name) : std::wcslen(name));
}
char *Path_FileNameA(const char *path) { return tarvo::via_w<A, Path_FileNameW>(path); }

wchar_t *Path_FileExtW(const wchar_t *path) {
  if (any_path_too_long(path)) return no_result();
  const wchar_t *dot = last_of(name_part(path), L'.');
  return dot ? result(dot + 1, std::wcslen(dot + 1)) : no_result();
}
char *Path_FileExtA(const char *path) { return tarvo::via_w<A, Path_FileExtW>(path); }

wchar_t *Path_FilePathW(const wchar_t *path) {
  if (any_path_too_long(path)) return no_result();
  const wchar_t *sep = last_of(path, L'\\');
  return sep ? result(path, static_cast<size_t>(sep - path) + 1) : no_result();
}
char *Path_FilePathA(const char *path) { return tarvo::via_w<A, Path_FilePathW>(path); }

wchar_t *Path_GetAbsW(const wchar_t *path, const wchar_t *base) {
  if (!path || !*path || any_path_too_long(path, base)) return no_result();
  if (!PathIsRelativeW(path)) return result(path, std::wcslen(path));
  return tarvo::guarded([&] {
    wchar_t out[MAX_PATH] = {};
    if (!PathCombineW(out, base_or_current(base).c_str(), path)) return no_result();
    return result(out, std::wcslen(out));
  }, no_result);
}
char *Path_GetAbsA(const char *path, const char *base) { return tarvo::via_w<A, Path_GetAbsW>(path, base); }

wchar_t *Path_GetRelW(const wchar_t *path, const wchar_t *base) {
  if (!path || !*path || any_path_too_long(path, base)) return no_result();
  return tarvo::guarded([&] { return route(path, base_or_current(base)); }, no_result);
}
char *Path_GetRelA(const char *path, const char *base) {
  if (!path || !*path || any_path_too_long(path, base)) return tarvo::set_size(0), tarvo::empty_a();
  tarvo::WideArg<A> p(path), b(base);
  wchar_t *w = tarvo::guarded([&] { return route(base_or_current(b), p.get()); }, no_result);
  return tarvo::narrow_result<A>(w);
}

// Digits for draws up to 57, capital letters A to Y above: 35 characters.
// A count beyond a file name's limit is refused.
wchar_t *Path_RandomW(const wchar_t *prefix, const wchar_t *suffix, int32_t count) {
  if (count > kLongestName || any_path_too_long(prefix, suffix)) return no_result();
  return tarvo::guarded([&] {
    std::wstring s = prefix ? prefix : L"";
    for (int32_t i = 0; i < count; ++i) {
      int32_t r = xCore_Rand(48, 83);
      s += static_cast<wchar_t>(r <= 57 ? r : r + 7);
    }
    if (suffix) s += suffix;
    return result(s);
  }, no_result);
}
char *Path_RandomA(const char *prefix, const char *suffix, int32_t count) {
  return tarvo::via_w<A, Path_RandomW>(prefix, suffix, count);
}

// The caller's buffer is written only when the repair changes it: an empty
// or already safe text may be read-only (the shared EmptyString among them).
int32_t Path_SafeCheckW(wchar_t *path, int32_t repair) {
  if (!path || any_path_too_long(path)) return 1;
  return tarvo::guarded([&] {
    std::vector<std::wstring> parts(1);
    for (const wchar_t *p = path; *p; ++p) {
      if (is_separator(*p)) parts.emplace_back();
      else parts.back() += *p;
    }
    int32_t unsafe = 0;
    std::wstring repaired;
    for (size_t i = 0; i < parts.size(); ++i) {
      bool trimmed = edit_in_place<xxTrimW>(parts[i], L" .");
      bool filtered = edit_in_place<xxStringFilterW>(parts[i], L"*\"<>|");
      if (trimmed || filtered) unsafe = 1;
      repaired += parts[i];
      if (i + 1 < parts.size()) repaired += L'\\';
    }
    if (repair && repaired != path) std::wmemcpy(path, repaired.c_str(), repaired.size() + 1);
    return unsafe;
  }, 1);
}

// Repaired on a copy of its own; the text goes back into the caller's
// buffer, never beyond the length it had, and only when it changed.
int32_t Path_SafeCheckA(char *path, int32_t repair) {
  if (!path || any_path_too_long(path)) return 1;
  return tarvo::guarded([&] {
    std::wstring copy(tarvo::WideArg<A>(path).get());
    int32_t unsafe = Path_SafeCheckW(copy.data(), repair);
    if (repair) {
      tarvo::Sized<char> back = tarvo::w2m(copy.c_str(), A, 0);
      size_t room = std::strlen(path), n = std::min(back.size, room);
      if (n != room || std::memcmp(path, back.p, n) != 0) {
        std::memcpy(path, back.p, n);
        path[n] = 0;
      }
      tarvo::release(back.p);
    }
    return unsafe;
  }, 1);
}

wchar_t *Path_JoinW(const wchar_t *folder, const wchar_t *name) {
  xCore.iRet = 0;
  if (!name || any_path_too_long(folder, name)) return no_result();
  return tarvo::guarded([&] {
    std::wstring s;
    if (!folder || !*folder) {
      wchar_t *app = xCore_AppPathW();
      s = app;
      xCore_free(app);
    } else {
      s = folder;
      if (!is_separator(s.back())) s += L'\\';
    }
    s += name;
    xCore.iRet = 1;
    return result(s);
  }, no_result);
}
char *Path_JoinA(const char *folder, const char *name) {
  tarvo::WideArg<A> f(folder);
  tarvo::NullableWideArg<A> n(name);
  return tarvo::narrow_result<A>(Path_JoinW(f, n));
}

}  // extern "C"
