#include "instances.hpp"

#include "datetime.hpp"
#include "protocol.hpp"
#include "xfile.h"

#include <cstdint>
#include <cstring>
#include <string_view>

namespace tarvo::surfpod {
namespace {

SurfpodInstance g_slots[SURFPOD_SLOTS];
bool g_has_table = false;
// The companion's folder ends in a separator; the paths fit the platform's 260.
char g_exe[MAX_PATH];

// The configuration the companion reads, written once when it has none.
// "w= 13935" and "h= 9690" carry their blank as the companion's own file does.
constexpr std::string_view kDefaultIniHead = "[Option]\r\nTitle=";
constexpr std::string_view kDefaultIniTail =
    "\r\nIsHide=0\r\nDebug=1\r\nLoadSize=1\r\nw= 13935\r\nh= 9690\r\nShowTool=1\r\nNoClose=0\r\nNoSize=0\r\n"
    "NoMove=0\r\nNoMin=0\r\nFakeClose=0\r\nTopMust=0\r\nTaskBar=1\r\nTrayIcon=0\r\nClearCookies=0\r\n"
    "IEVer=11000\r\nHomePage=about:blank\r\nLoadPage=about:blank\r\nHtmlTitle=1\r\nSilent=0\r\n\r\n"
    "[Popup]\r\nlistmode=0\r\nfuncmode=2\r\ncount=0\r\n";

bool is_file(const char *path) {
  DWORD a = GetFileAttributesA(path);
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}
bool exists(const char *path) { return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES; }

void write_default_ini(const char *path) {
  char text[kDefaultIniHead.size() + sizeof kDefaultTitle + kDefaultIniTail.size()];
  size_t n = 0;
  for (std::string_view part : {kDefaultIniHead, std::string_view(kDefaultTitle), kDefaultIniTail}) {
    std::memcpy(text + n, part.data(), part.size());
    n += part.size();
  }
  xFile_WriteAllA(path, text, static_cast<uint32_t>(n), XFILE_CHARSET_RAW);
}

// The folder with one trailing separator: the given one, or the host
// program's. False when it is too long for the companion's file names.
bool companion_dir(const char *dir, char (&out)[MAX_PATH]) {
  constexpr size_t kLongestName = sizeof "Surfpod.exe" - 1;
  size_t n;
  if (dir && *dir) {
    n = strnlen(dir, MAX_PATH);
    if (n + 1 + kLongestName >= MAX_PATH) return false;
    std::memcpy(out, dir, n);
    if (out[n - 1] != '\\' && out[n - 1] != '/') out[n++] = '\\';
  } else {
    DWORD got = GetModuleFileNameA(nullptr, out, MAX_PATH);
    if (got == 0 || got >= MAX_PATH) return false;
    const char *cut = std::strrchr(out, '\\');
    n = cut ? static_cast<size_t>(cut - out) + 1 : 0;
    if (n + kLongestName >= MAX_PATH) return false;
  }
  out[n] = 0;
  return true;
}

}  // namespace

SurfpodInstance *peek(SurfpodInstance *h) {
  auto at = reinterpret_cast<uintptr_t>(h), first = reinterpret_cast<uintptr_t>(g_slots);
  if (!g_has_table || at < first || at >= first + sizeof g_slots || (at - first) % sizeof(SurfpodInstance))
    return nullptr;
  return h->hWndMain ? h : nullptr;
}

SurfpodInstance *use(SurfpodInstance *h) {
  SurfpodInstance *s = peek(h);
  if (s) s->LastActive = seconds_clock();
  return s;
}

bool has_table() { return g_has_table; }
SurfpodInstance *slots() { return g_slots; }

SurfpodInstance *free_slot() {
  if (!g_has_table) return nullptr;
  for (SurfpodInstance &s : g_slots)
    if (!s.hWndMain) return &s;
  return nullptr;
}

SurfpodInstance *slot_of(HWND main) {
  if (!g_has_table || !main) return nullptr;
  for (SurfpodInstance &s : g_slots)
    if (s.hWndMain == main) return &s;
  return nullptr;
}

void empty_slot(SurfpodInstance &s) {
  if (s.hProcess) CloseHandle(s.hProcess);
  s = SurfpodInstance{};
}

const char *exe_path() { return g_exe; }

}  // namespace tarvo::surfpod

using namespace tarvo::surfpod;

extern "C" int32_t Surfpod_Setup(const char *dir) {
  char folder[MAX_PATH], exe[MAX_PATH], ini[MAX_PATH];
  if (!companion_dir(dir, folder)) return 0;
  std::strcpy(exe, folder);
  std::strcat(exe, "Surfpod.exe");
  std::strcpy(ini, folder);
  std::strcat(ini, "Surfpod.ini");
  if (!is_file(exe)) return 0;
  if (!exists(ini)) write_default_ini(ini);
  std::strcpy(g_exe, exe);
  for (SurfpodInstance &s : g_slots) empty_slot(s);
  g_has_table = true;
  return 1;
}
