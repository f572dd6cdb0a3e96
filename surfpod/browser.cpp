// Starting and binding a browser, and the window-level commands.
#include "channel.hpp"
#include "datetime.hpp"
#include "instances.hpp"
#include "protocol.hpp"
#include "xcore.h"

#include <cstring>

using namespace tarvo::surfpod;

namespace {

constexpr DWORD kReadyWaitMs = 10000;
constexpr DWORD kAttemptPauseMs = 60;
// The browser builds its data windows after it first answers.
constexpr DWORD kSettleMs = 500;

LRESULT query(HWND main, WPARAM what) { return SendMessageA(main, kQuery, what, 0); }

// The first browser window of the process in z-order, when it answers the
// ready query; null when there is none or it does not answer yet.
HWND ready_window(DWORD pid, LRESULT &answer) {
  for (HWND w = FindWindowExA(nullptr, nullptr, kMainClass, nullptr); w;
       w = FindWindowExA(nullptr, w, kMainClass, nullptr)) {
    DWORD owner = 0;
    GetWindowThreadProcessId(w, &owner);
    if (owner != pid) continue;
    answer = query(w, kQueryBrowser);
    return answer ? w : nullptr;
  }
  return nullptr;
}

// A program that ended will not answer: the wait stops with it.
HWND wait_ready(HANDLE process, LRESULT &answer) {
  DWORD start = GetTickCount(), pid = GetProcessId(process);
  do {
    Sleep(kAttemptPauseMs);
    if (HWND w = ready_window(pid, answer)) return w;
  } while (GetTickCount() - start < kReadyWaitMs && WaitForSingleObject(process, 0) == WAIT_TIMEOUT);
  return nullptr;
}

SurfpodInstance *fill(SurfpodInstance &s, HANDLE process, DWORD pid, HWND main, LRESULT browser) {
  s.hProcess = process;
  s.dwProcessId = pid;
  s.hWndMain = main;
  s.hWndBrowser = browser;
  void **data[] = {&s.hWndData1, &s.hWndData2, &s.hWndData3, &s.hWndData4};
  for (WPARAM i = 0; i < 4; ++i) *data[i] = reinterpret_cast<void *>(query(main, kQueryData1 + i));
  s.LastActive = tarvo::seconds_clock();
  s.LogCallback = nullptr;
  return &s;
}

// Two answers into the outputs that are given.
int32_t two_answers(SurfpodInstance *h, UINT first, UINT second, int32_t *a, int32_t *b) {
  auto x = exchange(h, first);
  auto y = x ? exchange(h, second) : std::nullopt;
  if (!y) return 0;
  if (a) *a = static_cast<int32_t>(*x);
  if (b) *b = static_cast<int32_t>(*y);
  return 1;
}

// Empties a held slot with `how` done to its browser first; the browser may
// have gone already, the slot is emptied all the same.
template <class How>
int32_t let_go(SurfpodInstance *h, How how) {
  SurfpodInstance *s = peek(h);
  if (!s) return 0;
  how(*s);
  empty_slot(*s);
  return 1;
}

void terminate(SurfpodInstance &s) {
  if (s.hProcess) TerminateProcess(s.hProcess, 0);
}

template <int32_t (*Each)(SurfpodInstance *)>
int32_t every_held() {
  if (!has_table()) return 0;
  int32_t n = 0;
  for (int i = 0; i < SURFPOD_SLOTS; ++i)
    if (slots()[i].hWndMain) n += Each(&slots()[i]);
  return n;
}

}  // namespace

extern "C" {

SurfpodInstance *Surfpod_Create(void) {
  SurfpodInstance *slot = free_slot();
  if (!slot) return nullptr;
  // Quoted, so a folder with blanks starts this program and no other.
  char line[MAX_PATH + 2] = "\"";
  std::strcat(line, exe_path());
  std::strcat(line, "\"");
  HANDLE process = xCore_RunA(line, SW_SHOW);
  if (!process) return nullptr;
  LRESULT browser = 0;
  HWND main = wait_ready(process, browser);
  if (!main) {
    CloseHandle(process);  // the browser is left running, but not held
    return nullptr;
  }
  Sleep(kSettleMs);
  return fill(*slot, process, GetProcessId(process), main, browser);
}

SurfpodInstance *Surfpod_Bind(void *hwnd) {
  HWND main = static_cast<HWND>(hwnd);
  if (SurfpodInstance *held = slot_of(main)) return held;
  // Only a window is asked: a value such as -1 would reach every window.
  SurfpodInstance *slot = free_slot();
  if (!slot || !IsWindow(main)) return nullptr;
  LRESULT browser = query(main, kQueryBrowser);
  if (!browser) return nullptr;
  DWORD pid = 0;
  GetWindowThreadProcessId(main, &pid);
  return fill(*slot, OpenProcess(PROCESS_TERMINATE, FALSE, pid), pid, main, browser);
}

int32_t Surfpod_IsRunning(SurfpodInstance *h) {
  SurfpodInstance *s = peek(h);
  return s && IsWindow(static_cast<HWND>(s->hWndMain)) ? 1 : 0;
}

int32_t Surfpod_Show(SurfpodInstance *h) { return done(exchange(h, kShow)); }
int32_t Surfpod_Hide(SurfpodInstance *h) { return done(exchange(h, kHide)); }
int32_t Surfpod_IsHide(SurfpodInstance *h) { return answer32(exchange(h, kIsHidden)); }

int32_t Surfpod_Close(SurfpodInstance *h) {
  return let_go(h, [h](SurfpodInstance &) { exchange(h, kClose); });
}
int32_t Surfpod_ForceClose(SurfpodInstance *h) { return let_go(h, terminate); }
int32_t Surfpod_Release(SurfpodInstance *h) {
  return let_go(h, [](SurfpodInstance &) {});
}
int32_t Surfpod_CloseAll(void) { return every_held<Surfpod_ForceClose>(); }
int32_t Surfpod_ReleaseAll(void) { return every_held<Surfpod_Release>(); }

int32_t Surfpod_SetWinSize(SurfpodInstance *h, int32_t width, int32_t height) {
  return done(exchange(h, kSetWinSize, width, height));
}
int32_t Surfpod_SetWebSize(SurfpodInstance *h, int32_t width, int32_t height) {
  return done(exchange(h, kSetWebSize, width, height));
}
int32_t Surfpod_SetScroll(SurfpodInstance *h, int32_t x, int32_t y) { return done(exchange(h, kSetScroll, x, y)); }

int32_t Surfpod_GetWinSize(SurfpodInstance *h, int32_t *width, int32_t *height) {
  SurfpodInstance *s = use(h);
  RECT r;
  if (!s || !GetWindowRect(static_cast<HWND>(s->hWndMain), &r)) return 0;
  if (width) *width = r.right - r.left;
  if (height) *height = r.bottom - r.top;
  return 1;
}
int32_t Surfpod_GetWebSize(SurfpodInstance *h, int32_t *width, int32_t *height) {
  return two_answers(h, kWebWidth, kWebHeight, width, height);
}
int32_t Surfpod_GetPageSize(SurfpodInstance *h, int32_t *width, int32_t *height) {
  return two_answers(h, kPageWidth, kPageHeight, width, height);
}
int32_t Surfpod_GetScroll(SurfpodInstance *h, int32_t *x, int32_t *y) {
  return two_answers(h, kScrollX, kScrollY, x, y);
}

char *Surfpod_GetTitle(SurfpodInstance *h) {
  SurfpodInstance *s = use(h);
  return s ? read_text(static_cast<HWND>(s->hWndMain)) : nullptr;
}
int32_t Surfpod_SetTitle(SurfpodInstance *h, const char *text) {
  return done(exchange(h, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : "")));
}

int32_t Surfpod_SetupProxy(SurfpodInstance *h, const char *text1, const char *text2) {
  return done(exchange(h, kSetProxy, 0, 0, {{1, text1}, {2, text2}}));
}
int32_t Surfpod_ClearProxy(SurfpodInstance *h) { return done(exchange(h, kClearProxy)); }
int32_t Surfpod_ShowDevTool(SurfpodInstance *h) { return done(exchange(h, WM_SYSCOMMAND, kDevToolsCommand)); }

// Options 9 and 10 are texts and travel in D1; the others as values, whole.
intptr_t Surfpod_GetOpt(SurfpodInstance *h, int32_t id) {
  if (is_text_option(id)) return reinterpret_cast<intptr_t>(exchange_text(h, 1, kGetOption, id));
  auto answer = exchange(h, kGetOption, id);
  return answer ? *answer : 0;
}
intptr_t Surfpod_SetOpt(SurfpodInstance *h, int32_t id, intptr_t value) {
  if (is_text_option(id)) return done(exchange(h, kSetOption, id, 0, {{1, reinterpret_cast<const char *>(value)}}));
  return done(exchange(h, kSetOption, id, value));
}

}  // extern "C"
