#include "watcher.hpp"

#include <chrono>

namespace tarvo::test {
namespace {

constexpr auto kDeadline = std::chrono::seconds(60);
constexpr auto kPoll = std::chrono::milliseconds(20);

struct Search {
  const wchar_t *cls;
  const wchar_t *title;
  DWORD pid;
  HWND found;
};

BOOL CALLBACK match(HWND hwnd, LPARAM lp) {
  auto *s = reinterpret_cast<Search *>(lp);
  wchar_t text[256] = {};
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid != s->pid || !IsWindowVisible(hwnd)) return TRUE;
  GetClassNameW(hwnd, text, 256);
  if (lstrcmpW(text, s->cls) != 0) return TRUE;
  GetWindowTextW(hwnd, text, 256);
  if (s->title && lstrcmpW(text, s->title) != 0) return TRUE;
  s->found = hwnd;
  return FALSE;
}

}  // namespace

HWND find_window(const wchar_t *cls, const wchar_t *title, DWORD pid) {
  Search s{cls, title, pid, nullptr};
  EnumWindows(match, reinterpret_cast<LPARAM>(&s));
  return s.found;
}

HWND text_field(HWND window) {
  for (int id : {1148, 1152})
    if (HWND field = GetDlgItem(window, id)) return field;
  return FindWindowExW(window, nullptr, L"Edit", nullptr);
}

void answer(HWND window, int command, const wchar_t *text) {
  if (text) SendMessageW(text_field(window), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
  PostMessageW(window, WM_COMMAND, MAKEWPARAM(command, 0), 0);
}

Watcher::Watcher(const wchar_t *cls, const wchar_t *title, std::function<void(HWND)> act, DWORD pid)
    : thread_([this, cls = std::wstring(cls), title = title ? std::wstring(title) : std::wstring(),
               any = !title, act = std::move(act), pid] {
        auto until = std::chrono::steady_clock::now() + kDeadline;
        while (!stop_ && std::chrono::steady_clock::now() < until) {
          if (HWND w = find_window(cls.c_str(), any ? nullptr : title.c_str(), pid)) {
            found_ = true;
            act(w);
            return;
          }
          std::this_thread::sleep_for(kPoll);
        }
      }) {}

Watcher::~Watcher() { found(); }

bool Watcher::found() {
  stop_ = true;
  return wait();
}

bool Watcher::wait() {
  if (thread_.joinable()) thread_.join();
  return found_;
}

}  // namespace tarvo::test
