// Finds the message boxes of this process from a thread of its own, reads
// their text and closes them: a test that expects a box asserts it was found
// (without a usable display a box would fail at once and look like a cancel).
#pragma once

#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

namespace tarvo::test {

class BoxWatcher {
 public:
  BoxWatcher() : thread_([this] { run(); }) {}
  ~BoxWatcher() { stop(); }
  void stop() {
    done_ = true;
    if (thread_.joinable()) thread_.join();
  }
  int found() const { return found_; }
  const std::wstring &text() const { return text_; }
  const std::wstring &title() const { return title_; }

 private:
  static BOOL CALLBACK find_box(HWND hwnd, LPARAM param) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    wchar_t cls[32] = {};
    GetClassNameW(hwnd, cls, 32);
    if (pid == GetCurrentProcessId() && std::wstring(cls) == L"#32770" && IsWindowVisible(hwnd)) {
      *reinterpret_cast<HWND *>(param) = hwnd;
      return FALSE;
    }
    return TRUE;
  }
  static BOOL CALLBACK longest_static(HWND hwnd, LPARAM param) {
    wchar_t cls[32] = {};
    GetClassNameW(hwnd, cls, 32);
    if (_wcsicmp(cls, L"Static") == 0) {
      wchar_t buf[1024] = {};
      GetWindowTextW(hwnd, buf, 1024);
      auto *best = reinterpret_cast<std::wstring *>(param);
      if (wcslen(buf) > best->size()) *best = buf;
    }
    return TRUE;
  }
  void run() {
    while (!done_) {
      HWND box = nullptr;
      EnumWindows(find_box, reinterpret_cast<LPARAM>(&box));
      if (box) {
        wchar_t title[128] = {};
        GetWindowTextW(box, title, 128);
        title_ = title;
        std::wstring text;
        EnumChildWindows(box, longest_static, reinterpret_cast<LPARAM>(&text));
        text_ = text;
        ++found_;
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        for (int i = 0; i < 100 && IsWindow(box); ++i) Sleep(20);
      }
      Sleep(30);
    }
  }
  std::atomic<bool> done_{false};
  std::atomic<int> found_{0};
  std::wstring text_, title_;
  std::thread thread_;
};

}  // namespace tarvo::test
