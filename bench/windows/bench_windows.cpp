// The window finder against the loops a caller would write by hand, over 500
// windows of another thread (so the title sends cross threads, as they cross
// processes in use); the process scan against a hand-written Toolhelp walk;
// and the CPU a daemon thread uses while it waits between its cycles.
extern "C" {
#include "lauxlib.h"
#include "lua.h"
#include "lualib.h"
}
#include "timing.hpp"
#include "window_ops.hpp"
#include "xprocess.h"

#include <windows.h>
#include <tlhelp32.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr int kWindows = 500;
HANDLE g_ready;

// Creates the windows (the one searched for first, so it is met last) and
// answers their messages.
DWORD WINAPI window_thread(void *) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"BenchTarget";
  RegisterClassW(&wc);
  wc.lpszClassName = L"BenchFiller";
  RegisterClassW(&wc);
  CreateWindowW(L"BenchTarget", L"bench target", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  for (int i = 1; i < kWindows; ++i)
    CreateWindowW(L"BenchFiller", (L"filler " + std::to_wstring(i)).c_str(), WS_POPUP, 0, 0, 10, 10, nullptr,
                  nullptr, nullptr, nullptr);
  SetEvent(g_ready);
  MSG m;
  while (GetMessageW(&m, nullptr, 0, 0) > 0) DispatchMessageW(&m);
  return 0;
}

HWND by_class_by_hand() {
  HWND found = nullptr;
  EnumWindows(
      [](HWND w, LPARAM p) -> BOOL {
        char name[260];
        if (!GetClassNameA(w, name, sizeof name) || std::strcmp(name, "BenchTarget") != 0) return TRUE;
        *reinterpret_cast<HWND *>(p) = w;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

HWND by_title_by_hand() {
  HWND found = nullptr;
  EnumWindows(
      [](HWND w, LPARAM p) -> BOOL {
        DWORD_PTR n = 0;
        wchar_t text[260];
        if (!SendMessageTimeoutW(w, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 60, &n) || n == 0 || n >= 260)
          return TRUE;
        if (!SendMessageTimeoutW(w, WM_GETTEXT, 260, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 60, &n))
          return TRUE;
        if (wcscmp(text, L"bench target") != 0) return TRUE;
        *reinterpret_cast<HWND *>(p) = w;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

uint32_t toolhelp_by_hand() {
  HANDLE s = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32W e{};
  e.dwSize = sizeof e;
  uint32_t n = 0;
  for (BOOL more = Process32FirstW(s, &e); more; more = Process32NextW(s, &e)) ++n;
  CloseHandle(s);
  return n;
}

double thread_cpu_seconds(HANDLE thread) {
  FILETIME created, ended, kernel, user;
  if (!GetThreadTimes(thread, &created, &ended, &kernel, &user)) return -1;
  auto value = [](FILETIME f) { return (static_cast<double>(f.dwHighDateTime) * 4294967296.0 + f.dwLowDateTime) / 1e7; };
  return value(kernel) + value(user);
}

// Starts `script` as a daemon through the module in a state of the engine's
// runtime, lets it idle and reports the share of one core it used.
void daemon_idle(const char *what, const char *script) {
  char path[MAX_PATH];
  GetTempPathA(MAX_PATH, path);
  std::strcat(path, "tarvo_bench_daemon.lua");
  FILE *f = std::fopen(path, "wb");
  std::fputs(script, f);
  std::fclose(f);
  lua_State *L = luaL_newstate();
  luaL_openlibs(L);
  auto open = reinterpret_cast<lua_CFunction>(GetProcAddress(GetModuleHandleW(L"tarvo.dll"), "luaopen_TARVO"));
  luaL_requiref(L, "TARVO", open, 0);
  lua_getfield(L, -1, "DaemonThread_Start");
  lua_pushstring(L, path);
  lua_call(L, 1, 1);
  auto thread = reinterpret_cast<HANDLE>(static_cast<intptr_t>(lua_tointeger(L, -1)));
  lua_pop(L, 1);
  Sleep(1000);  // past the start
  double cpu0 = thread_cpu_seconds(thread);
  const DWORD idle_ms = 10000;
  Sleep(idle_ms);
  double cpu = thread_cpu_seconds(thread) - cpu0;
  std::printf("%-36s %.3f%% of one core over %lu s\n", what, 100.0 * cpu / (idle_ms / 1000.0), idle_ms / 1000);
  lua_getfield(L, -1, "DaemonThread_Stop");
  lua_pushinteger(L, reinterpret_cast<intptr_t>(thread));
  lua_call(L, 1, 0);
  lua_close(L);
  DeleteFileA(path);
}

}  // namespace

int main() {
  using namespace tarvo::window;
  using tarvo::bench::compare;
  g_ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  CloseHandle(CreateThread(nullptr, 0, window_thread, nullptr, 0, nullptr));
  WaitForSingleObject(g_ready, INFINITE);
  if (find_top(kClassEquals, nullptr, "BenchTarget", 0, 0, 0) != by_class_by_hand() ||
      find_top(kTitleEquals, "bench target", nullptr, 0, 0, 0) != by_title_by_hand()) {
    std::puts("the finders disagree");
    return 1;
  }
  // The goals: at most 1.2 times the hand-written search by class, 1.1 by
  // title and for the process scan.
  compare("Window_Find by class, 500 windows", 7, 20,
          [] { find_top(kClassEquals, nullptr, "BenchTarget", 0, 0, 0); }, [] { by_class_by_hand(); }, 1.2);
  compare("Window_Find by title, 500 windows", 7, 3,
          [] { find_top(kTitleEquals, "bench target", nullptr, 0, 0, 0); }, [] { by_title_by_hand(); }, 1.1);
  compare("Process_ScanW", 7, 20, [] { Process_ScanW(nullptr, 0); }, [] { toolhelp_by_hand(); }, 1.1);
  daemon_idle("daemon idle, no rules", "");
  daemon_idle("daemon idle, one class rule",
              "closewindow = {{flag = TZ_FULLCLASS, class = 'NoSuchClassAnywhere'}}");
  return 0;
}
