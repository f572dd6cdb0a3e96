// One pass of the watcher: the companion's crash prompt, browsers whose
// window has gone, browsers idle too long, and the pop-ups of every held
// browser's process. Windows are found with the window matcher.
#include "channel.hpp"
#include "datetime.hpp"
#include "instances.hpp"
#include "protocol.hpp"
#include "runtime.hpp"
#include "window_filter.hpp"
#include "window_ops.hpp"
#include "xstring.h"

#include <cstring>

using namespace tarvo::surfpod;
namespace w = tarvo::window;

namespace {

// The log texts, GBK bytes as the companion's users read them.
// "【Surfpod守护线程】监控到浏览器崩溃提示窗口出现：%d (%d)"
constexpr char kLogCrash[] =
    "\xA1\xBESurfpod\xCA\xD8\xBB\xA4\xCF\xDF\xB3\xCC\xA1\xBF\xBC\xE0\xBF\xD8\xB5\xBD\xE4\xAF\xC0\xC0\xC6\xF7\xB1\xC0"
    "\xC0\xA3\xCC\xE1\xCA\xBE\xB4\xB0\xBF\xDA\xB3\xF6\xCF\xD6\xA3\xBA%d (%d)";
// "【Surfpod守护线程】检测到外置浏览器 %d (%d) 没有被正常释放"
constexpr char kLogGone[] =
    "\xA1\xBESurfpod\xCA\xD8\xBB\xA4\xCF\xDF\xB3\xCC\xA1\xBF\xBC\xEC\xB2\xE2\xB5\xBD\xCD\xE2\xD6\xC3\xE4\xAF\xC0\xC0"
    "\xC6\xF7 %d (%d) \xC3\xBB\xD3\xD0\xB1\xBB\xD5\xFD\xB3\xA3\xCA\xCD\xB7\xC5";
// "【Surfpod守护线程】外置浏览器 %d 闲置超过 %d 秒"
constexpr char kLogIdle[] =
    "\xA1\xBESurfpod\xCA\xD8\xBB\xA4\xCF\xDF\xB3\xCC\xA1\xBF\xCD\xE2\xD6\xC3\xE4\xAF\xC0\xC0\xC6\xF7 %d \xCF\xD0\xD6"
    "\xC3\xB3\xAC\xB9\xFD %d \xC3\xEB";
// "【Surfpod守护线程】发现网页 Alert 弹窗：%d (%s)"
constexpr char kLogAlert[] =
    "\xA1\xBESurfpod\xCA\xD8\xBB\xA4\xCF\xDF\xB3\xCC\xA1\xBF\xB7\xA2\xCF\xD6\xCD\xF8\xD2\xB3 Alert \xB5\xAF\xB4\xB0"
    "\xA3\xBA%d (%s)";
// "【Surfpod守护线程】发现脚本错误弹窗：%d"
constexpr char kLogScriptError[] =
    "\xA1\xBESurfpod\xCA\xD8\xBB\xA4\xCF\xDF\xB3\xCC\xA1\xBF\xB7\xA2\xCF\xD6\xBD\xC5\xB1\xBE\xB4\xED\xCE\xF3\xB5\xAF"
    "\xB4\xB0\xA3\xBA%d";
// "【Surfpod守护线程】发现网页自定义弹窗：%d"
constexpr char kLogHtmlDialog[] =
    "\xA1\xBESurfpod\xCA\xD8\xBB\xA4\xCF\xDF\xB3\xCC\xA1\xBF\xB7\xA2\xCF\xD6\xCD\xF8\xD2\xB3\xD7\xD4\xB6\xA8\xD2\xE5"
    "\xB5\xAF\xB4\xB0\xA3\xBA%d";
// "【Surfpod守护线程】监控到脚本卡死窗口出现：%d (%d)"
constexpr char kLogScriptHang[] =
    "\xA1\xBESurfpod\xCA\xD8\xBB\xA4\xCF\xDF\xB3\xCC\xA1\xBF\xBC\xE0\xBF\xD8\xB5\xBD\xBD\xC5\xB1\xBE\xBF\xA8\xCB\xC0"
    "\xB4\xB0\xBF\xDA\xB3\xF6\xCF\xD6\xA3\xBA%d (%d)";

// A close or click waits this long for a window that does not answer.
constexpr UINT kAnswerTimeoutMs = 200;

// Handles are printed as their low 32 bits.
int low32(const void *window) { return static_cast<int>(reinterpret_cast<intptr_t>(window)); }

template <class... Args>
void log(SurfpodLogCallback callback, const char *format, Args... args) {
  if (!callback) return;
  char *text = xCore_FormatA(format, args...);
  callback(text);
  xCore_free(text);
}

void answer(HWND window, UINT message) {
  DWORD_PTR result = 0;
  SendMessageTimeoutA(window, message, 0, 0, SMTO_ABORTIFHUNG, kAnswerTimeoutMs, &result);
}

void clear_crash_prompt(SurfpodLogCallback callback) {
  w::WindowFilter prompt;
  prompt.flags = w::kStyleHas | w::kClassEquals | w::kTitleEquals;
  prompt.style = WS_VISIBLE;
  prompt.cls = kDialogClass;
  prompt.title = kCrashTitle;
  HWND found = w::find(prompt);
  if (!found) return;
  w::WindowFilter button;
  button.flags = w::kClassEquals | w::kTitleEquals;
  button.cls = "Button";
  button.title = kCrashButton;
  HWND close = w::find(button, found);
  if (!close) return;
  log(callback, kLogCrash, low32(found), low32(close));
  answer(close, BM_CLICK);
}

// The pop-up rules for one visible window of a browser's process; the walk
// always goes on.
int32_t clear_popup(HWND window, uint32_t, intptr_t user) {
  const SurfpodInstance &s = *reinterpret_cast<const SurfpodInstance *>(user);
  if (window == s.hWndMain) return 1;
  HeldText title{read_text(window)};
  char cls[260];
  if (!GetClassNameA(window, cls, sizeof cls)) cls[0] = 0;
  if (title.is(kAlertTitle)) {
    // The message is the second static text; an alert without one logs "".
    HWND message_window = w::nth_by_class(window, "Static", 2);
    HeldText message{message_window ? read_text(message_window) : tarvo::empty_a()};
    log(s.LogCallback, kLogAlert, low32(window), message.p);
    answer(window, WM_CLOSE);
  } else if (title.is(kScriptErrorTitle)) {
    log(s.LogCallback, kLogScriptError, low32(window));
    answer(window, WM_CLOSE);
  } else if (std::strcmp(cls, kHtmlDialogClass) == 0) {
    log(s.LogCallback, kLogHtmlDialog, low32(window));
    answer(window, WM_CLOSE);
  } else if (title.is(kScriptHangTitle) && std::strcmp(cls, kDialogClass) == 0) {
    if (HWND yes = GetDlgItem(window, kScriptHangYes)) {
      log(s.LogCallback, kLogScriptHang, low32(window), low32(yes));
      answer(yes, BM_CLICK);
    }
  }
  return 1;
}

void clear_popups(SurfpodInstance &s) {
  w::WindowFilter f;
  f.flags = w::kStyleHas | w::kOwnerProcess;
  f.style = WS_VISIBLE;
  f.owner = s.dwProcessId;
  f.callback = clear_popup;
  f.user = reinterpret_cast<intptr_t>(&s);
  w::list(f);
}

}  // namespace

extern "C" void Surfpod_DeamonProc(int32_t idle_seconds, SurfpodLogCallback callback) {
  clear_crash_prompt(callback);
  if (!has_table()) return;
  for (int i = 0; i < SURFPOD_SLOTS; ++i) {
    SurfpodInstance &s = slots()[i];
    if (!s.hWndMain) continue;
    // A slot let go here is done with: the next slot's turn.
    if (!Surfpod_IsRunning(&s)) {
      log(callback, kLogGone, i, low32(s.hWndMain));
      Surfpod_Release(&s);
      continue;
    }
    if (idle_seconds > 0 && tarvo::seconds_clock() - s.LastActive > idle_seconds) {
      log(callback, kLogIdle, low32(s.hWndMain), idle_seconds);
      Surfpod_ForceClose(&s);
      continue;
    }
    s.LogCallback = callback;
    clear_popups(s);
  }
}
