// Answers a dialog from another thread: looks (up to a generous deadline) for
// a visible top-level window of the class, title (null: any) and process,
// then acts on it. A dialog that fails to open returns like a cancel, so
// every user asks found() as well.
#pragma once

#include <windows.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>

namespace tarvo::test {

struct WindowSearch {
  const wchar_t *cls, *title;
  DWORD pid;
  HWND found;
};

inline BOOL CALLBACK match_window(HWND hwnd, LPARAM lp) {
  auto *s = reinterpret_cast<WindowSearch *>(lp);
  wchar_t cls[256] = {}, title[256] = {};
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  GetClassNameW(hwnd, cls, 256);
  GetWindowTextW(hwnd, title, 256);
  if (pid != s->pid || !IsWindowVisible(hwnd) || lstrcmpW(cls, s->cls) || (s->title && lstrcmpW(title, s->title)))
    return TRUE;
  s->found = hwnd;
  return FALSE;
}

// The text field of a file dialog (its name field) or of an input box.
inline HWND text_field(HWND window) {
  for (int id : {1148, 1152})
    if (HWND field = GetDlgItem(window, id)) return field;
  return FindWindowExW(window, nullptr, L"Edit", nullptr);
}

// Puts the text (when given) in the window's text field and sends the
// command as if its button had been pressed.
inline void answer(HWND window, int command, const wchar_t *text = nullptr) {
  if (text) SendMessageW(text_field(window), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
  PostMessageW(window, WM_COMMAND, MAKEWPARAM(command, 0), 0);
}

class Watcher {
 public:
  Watcher(const wchar_t *cls, const wchar_t *title, std::function<void(HWND)> act, DWORD pid = GetCurrentProcessId())
      : thread_([this, cls = std::wstring(cls), title = std::wstring(title ? title : L""), any = !title, act, pid] {
          for (auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
               !stop_ && std::chrono::steady_clock::now() < until; std::this_thread::sleep_for(kPoll)) {
            WindowSearch s{cls.c_str(), any ? nullptr : title.c_str(), pid, nullptr};
            EnumWindows(match_window, reinterpret_cast<LPARAM>(&s));
            if (s.found) {
              found_ = true;
              act(s.found);
              return;
            }
          }
        }) {}
  ~Watcher() { found(); }
  Watcher(const Watcher &) = delete;
  Watcher &operator=(const Watcher &) = delete;
  // Stops looking; whether the window was found and acted on.
  bool found() {
    stop_ = true;
    return wait();
  }
  // Waits until the window was found or the deadline passed.
  bool wait() {
    if (thread_.joinable()) thread_.join();
    return found_;
  }

 private:
  static constexpr auto kPoll = std::chrono::milliseconds(20);
  std::atomic<bool> stop_{false}, found_{false};
  std::thread thread_;
};

}  // namespace tarvo::test
