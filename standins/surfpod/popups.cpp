// The pop-ups a test asks for: the companion's crash prompt, a page alert, a
// script error, the script-hang question and an HTML dialog, with the titles
// the companion shows (GBK bytes). Closing or clicking one is journaled;
// clicking the crash prompt's button ends the program, as the real one does.
#include "browser.hpp"
#include "journal.hpp"
#include "protocol.hpp"

#include <map>

namespace surfpod_standin {
namespace {

using namespace tarvo::surfpod;

std::map<HWND, std::string> g_kinds;
WNDPROC g_dialog_proc = nullptr;

LRESULT CALLBACK popup_proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  const std::string kind = g_kinds.count(w) ? g_kinds[w] : "";
  if (m == WM_CLOSE) {
    journal("popup closed " + kind);
    DestroyWindow(w);
    return 0;
  }
  if (m == WM_COMMAND && HIWORD(wp) == BN_CLICKED) {
    journal("popup clicked " + kind + " " + std::to_string(LOWORD(wp)));
    if (kind == "crash") ExitProcess(0);
    DestroyWindow(w);
    return 0;
  }
  if (m == WM_NCDESTROY) g_kinds.erase(w);
  WNDPROC base = kind == "htmldialog" ? DefWindowProcA : g_dialog_proc;
  return CallWindowProcA(base, w, m, wp, lp);
}

HWND top(const char *cls, const char *title, const std::string &kind) {
  HWND w = CreateWindowExA(0, cls, title, WS_POPUP | WS_CAPTION | WS_VISIBLE, 100, 100, 300, 160, nullptr, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
  g_kinds[w] = kind;
  WNDPROC old = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(w, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(popup_proc)));
  if (kind != "htmldialog") g_dialog_proc = old;
  return w;
}

void child(HWND parent, const char *cls, const char *text, int id) {
  CreateWindowExA(0, cls, text, WS_CHILD | WS_VISIBLE, 10, 10 + 30 * id % 90, 120, 24, parent,
                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
}

}  // namespace

void open_popup(const std::string &kind, const std::string &text) {
  if (kind == "crash" || kind == "crash-nobutton") {
    HWND w = top(kDialogClass, kCrashTitle, "crash");
    child(w, "Static", "", 20);
    if (kind == "crash") child(w, "Button", kCrashButton, 1);
  } else if (kind == "alert" || kind == "alert-onestatic") {
    HWND w = top(kDialogClass, kAlertTitle, "alert");
    if (kind == "alert") child(w, "Static", "", 20);  // the icon
    child(w, "Static", text.c_str(), 0xFFFF);
    child(w, "Button", "OK", IDOK);
  } else if (kind == "scripterror") {
    HWND w = top(kDialogClass, kScriptErrorTitle, "scripterror");
    child(w, "Static", text.c_str(), 0xFFFF);
  } else if (kind == "dialog") {
    top(kDialogClass, text.c_str(), "dialog");
  } else if (kind == "htmldialog") {
    top(kHtmlDialogClass, text.c_str(), "htmldialog");
  } else if (kind == "hang" || kind == "hang-noyes") {
    HWND w = top(kDialogClass, kScriptHangTitle, "hang");
    if (kind == "hang") child(w, "Button", "Yes", kScriptHangYes);
    child(w, "Button", "No", IDNO);
  }
}

}  // namespace surfpod_standin
