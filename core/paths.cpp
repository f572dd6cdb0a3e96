// Module, application and shell folder paths.
#include "forms.hpp"

#include <windows.h>
#include <shlobj.h>

#include <cstdlib>
#include <cstring>
#include <cwchar>

namespace {

constexpr DWORD kPathBuffer = MAX_PATH;  // 260 characters

DWORD module_file(HMODULE m, wchar_t *buf) { return GetModuleFileNameW(m, buf, kPathBuffer); }
DWORD module_file(HMODULE m, char *buf) { return GetModuleFileNameA(m, buf, kPathBuffer); }

// The module-file functions use the C runtime allocator directly, not the
// record's slots: the record's own AppFile and AppPath are made with them
// before the slots exist.
template <class T>
T *module_file_name(void *module) {
  T *buf = static_cast<T *>(std::calloc(kPathBuffer, sizeof(T)));
  if (!buf) return tarvo::set_size(0), reinterpret_cast<T *>(tarvo::empty_a());
  DWORD n = module_file(static_cast<HMODULE>(module), buf);
  if (n >= kPathBuffer) n = kPathBuffer - 1;
  buf[n] = 0;
  tarvo::set_size(n);
  return buf;
}

template <class T>
T *module_folder(void *module) {
  T *buf = module_file_name<T>(module);
  if (tarvo::is_empty_result(buf)) return buf;
  size_t cut = 0;
  for (size_t i = 0; buf[i]; ++i)
    if (buf[i] == T('\\')) cut = i + 1;
  buf[cut] = 0;
  tarvo::set_size(cut);
  return buf;
}

BOOL shell_path(LPCITEMIDLIST id, wchar_t *buf) { return SHGetPathFromIDListW(id, buf); }
BOOL shell_path(LPCITEMIDLIST id, char *buf) { return SHGetPathFromIDListA(id, buf); }

// A folder the shell knows no path for gives EmptyString, iRetSize 0.
template <class T>
T *system_folder(int32_t csidl) {
  T *none = reinterpret_cast<T *>(tarvo::empty_a());
  LPITEMIDLIST id = nullptr;
  if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, &id)) || !id) return tarvo::set_size(0), none;
  T *buf = tarvo::alloc_result<T>(kPathBuffer + 1);
  bool ok = buf && shell_path(id, buf) && buf[0];
  CoTaskMemFree(id);
  if (!ok) {
    tarvo::release(buf);
    return tarvo::set_size(0), none;
  }
  size_t n = 0;
  while (buf[n]) ++n;
  tarvo::set_size(n);
  if (buf[n - 1] != T('\\')) buf[n] = T('\\'), buf[n + 1] = 0;
  return buf;
}

}  // namespace

extern "C" {

wchar_t *xCore_ModFileW(void *module) { return module_file_name<wchar_t>(module); }
char *xCore_ModFileA(void *module) { return module_file_name<char>(module); }
char *xCore_ModFileU(void *module) { return tarvo::narrow_result<tarvo::kCodePageU>(xCore_ModFileW(module)); }
wchar_t *xCore_AppFileW(void) { return xCore_ModFileW(nullptr); }
char *xCore_AppFileA(void) { return xCore_ModFileA(nullptr); }
char *xCore_AppFileU(void) { return xCore_ModFileU(nullptr); }

wchar_t *xCore_ModPathW(void *module) { return module_folder<wchar_t>(module); }
char *xCore_ModPathA(void *module) { return module_folder<char>(module); }
char *xCore_ModPathU(void *module) { return tarvo::narrow_result<tarvo::kCodePageU>(xCore_ModPathW(module)); }
wchar_t *xCore_AppPathW(void) { return xCore_ModPathW(nullptr); }
char *xCore_AppPathA(void) { return xCore_ModPathA(nullptr); }
char *xCore_AppPathU(void) { return xCore_ModPathU(nullptr); }

wchar_t *xCore_SystemPathW(int32_t csidl) { return system_folder<wchar_t>(csidl); }
char *xCore_SystemPathA(int32_t csidl) { return system_folder<char>(csidl); }
char *xCore_SystemPathU(int32_t csidl) { return tarvo::narrow_result<tarvo::kCodePageU>(xCore_SystemPathW(csidl)); }

}  // extern "C"
