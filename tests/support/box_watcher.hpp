// Reads and closes the message boxes the current thread shows, from inside
// their own set-up (a hook on the thread: nothing to wait for, no polling).
// A test that expects a box asserts it was found: without a usable display a
// box fails at once and looks like a cancel.
#pragma once

#include <windows.h>

#include <string>

namespace tarvo::test {

class BoxWatcher {
 public:
  BoxWatcher() : hook_(SetWindowsHookExW(WH_CALLWNDPROCRET, on_message, nullptr, GetCurrentThreadId())) {
    current_ = this;
  }
  ~BoxWatcher() { stop(); }
  BoxWatcher(const BoxWatcher &) = delete;
  BoxWatcher &operator=(const BoxWatcher &) = delete;

  void stop() {
    if (hook_) UnhookWindowsHookEx(hook_);
    hook_ = nullptr;
    if (current_ == this) current_ = nullptr;
  }
  int found() const { return found_; }
  const std::wstring &text() const { return text_; }
  const std::wstring &title() const { return title_; }

 private:
  static LRESULT CALLBACK on_message(int code, WPARAM wp, LPARAM lp) {
    const auto *m = reinterpret_cast<const CWPRETSTRUCT *>(lp);
    if (code == HC_ACTION && m->message == WM_INITDIALOG && current_) {
      wchar_t buf[1024] = {};
      GetWindowTextW(m->hwnd, buf, 1024);
      current_->title_ = buf;
      buf[0] = 0;
      GetDlgItemTextW(m->hwnd, 0xFFFF, buf, 1024);  // the box's text control
      current_->text_ = buf;
      ++current_->found_;
      PostMessageW(m->hwnd, WM_COMMAND, IDOK, 0);
    }
    return CallNextHookEx(nullptr, code, wp, lp);
  }
  static inline BoxWatcher *current_ = nullptr;
  HHOOK hook_;
  int found_ = 0;
  std::wstring text_, title_;
};

}  // namespace tarvo::test
