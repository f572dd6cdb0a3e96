// The input box: a small layer window with a prompt, a text field and two
// buttons, run in its own message loop until it is answered or goes away.
#include "xdialog.h"
#include "xui_internal.hpp"

#include <windows.h>

namespace tarvo::xui {
namespace {

constexpr int kWidth = 440;
constexpr int kHeight = 130;
constexpr uint32_t kBoxStyle = 0x90C80800;
constexpr int kOk = 10;
constexpr int kCancel = 11;

// The state of one box, bound to its window: boxes open at once on two
// threads (a daemon script's and the main script's) never share it.
struct InputBox {
  HWND field = nullptr;
  int32_t confirmed = 0;
  wchar_t *text = nullptr;
};

wchar_t *field_text(HWND field) {
  int n = GetWindowTextLengthW(field);
  wchar_t *text = alloc_result<wchar_t>(static_cast<size_t>(n > 0 ? n : 0) + 1);
  if (text) GetWindowTextW(field, text, n + 1);
  return text;
}

// Any answer, a close, or the window going away with its owner ends the box.
intptr_t __stdcall box_proc(void *window, uint32_t msg, uintptr_t wp, intptr_t) {
  HWND hwnd = static_cast<HWND>(window);
  auto *box = reinterpret_cast<InputBox *>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (!box) return 0;  // its creation, before the state is bound
  if (msg == WM_COMMAND && HIWORD(wp) == 0) {
    if (LOWORD(wp) == kOk && !box->confirmed) {
      box->text = field_text(box->field);
      box->confirmed = box->text ? -1 : 0;
    }
    DestroyWindow(hwnd);
  } else if (msg == WM_CLOSE) {
    DestroyWindow(hwnd);
  } else if (msg == WM_DESTROY) {
    // Gone from outside (with its owner, inside a wait for messages): a
    // message of no meaning wakes the loop to see it.
    PostMessageW(nullptr, WM_NULL, 0, 0);
  }
  return 0;
}

// The box's own loop runs while the box exists, so answering one box never
// ends the loop of another open on the same thread. A quit posted by the
// host (its main window closed, a timer) ends the box unanswered and is
// posted again for the host's own loop.
void run_while_open(HWND box) {
  MSG m;
  while (IsWindow(box)) {
    BOOL got = GetMessageW(&m, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(static_cast<int>(m.wParam));
      return;
    }
    if (got < 0) return;
    TranslateMessage(&m);
    DispatchMessageW(&m);
  }
}

int centred(int32_t at, int screen_metric, int size) {
  return at < 0 ? (GetSystemMetrics(screen_metric) - size) / 2 : at;
}

}  // namespace
}  // namespace tarvo::xui

using namespace tarvo::xui;

extern "C" {

wchar_t *xInputBoxW(void *parent, const wchar_t *prompt, const wchar_t *title, const wchar_t *text, int32_t x,
                    int32_t y, uint32_t style) {
  InputBox state;
  HWND box = static_cast<HWND>(window<wchar_t>(parent, centred(x, SM_CXSCREEN, kWidth), centred(y, SM_CYSCREEN, kHeight),
                                               kWidth, kHeight, title, kBoxStyle, 0, box_proc));
  if (box) {
    SetWindowLongPtrW(box, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&state));
    kLabel.make(box, 10, 10, 330, 60, prompt, 0);
    // The captions as wide text, so they read the same on every code page.
    kButton.make(box, 355, 10, 70, 22, L"\u786e \u5b9a(&K)", kOk);
    kButton.make(box, 355, 42, 70, 22, L"\u53d6 \u6d88(&C)", kCancel);
    state.field = static_cast<HWND>(
        control<wchar_t>(box, 10, 75, 415, 16, L"Edit", text, 0, style ? style : kTextBox.style, 0));
    // A box that could not be built ends at once, unconfirmed.
    if (state.field) run_while_open(box);
    if (IsWindow(box)) DestroyWindow(box);
  }
  xCore.iRet = state.confirmed;
  if (state.confirmed) return state.text;
  tarvo::release(state.text);
  return tarvo::empty_w();
}

char *xInputBoxA(void *parent, const char *prompt, const char *title, const char *text, int32_t x, int32_t y,
                 uint32_t style) {
  return ansi_form<xInputBoxW>(parent, prompt, title, text, x, y, style);
}

}  // extern "C"
