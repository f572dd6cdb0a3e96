// Answers a dialog from another thread: waits (up to a generous deadline) for
// a visible top-level window of the class, title and process, then acts on
// it. A dialog that fails to open returns like a cancel, so every test asks
// found() as well as checking the dialog's result.
#pragma once

#include <windows.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>

namespace tarvo::test {

// title null: any title.
HWND find_window(const wchar_t *cls, const wchar_t *title, DWORD pid);
// The text field of a file dialog (name field) or of an input box.
HWND text_field(HWND window);
// Puts the text in the window's text field (when text is given) and sends
// the command as if its button had been pressed.
void answer(HWND window, int command, const wchar_t *text = nullptr);

class Watcher {
 public:
  Watcher(const wchar_t *cls, const wchar_t *title, std::function<void(HWND)> act,
          DWORD pid = GetCurrentProcessId());
  ~Watcher();
  Watcher(const Watcher &) = delete;
  Watcher &operator=(const Watcher &) = delete;
  // Stops looking and tells whether the window was found and acted on.
  bool found();
  // Waits until it found the window or gave up at the deadline.
  bool wait();

 private:
  std::atomic<bool> stop_{false};
  std::atomic<bool> found_{false};
  std::thread thread_;
};

}  // namespace tarvo::test
