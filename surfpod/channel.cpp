#include "channel.hpp"

#include "instances.hpp"
#include "runtime.hpp"

#include <cstdint>

namespace tarvo::surfpod {
namespace {

constexpr UINT kReadTimeoutMs = 60;
// A text that keeps growing while it is read is taken as it stands after
// this many reads.
constexpr int kReadAttempts = 4;

// The buffer for a text of `length`: one byte to spare, so that a text that
// did not grow never fills it and costs no second question.
size_t room_for(DWORD_PTR length) { return length < SIZE_MAX - 2 ? static_cast<size_t>(length) + 2 : 0; }

HWND data_window(const SurfpodInstance &s, int n) {
  void *const windows[] = {s.hWndData1, s.hWndData2, s.hWndData3, s.hWndData4};
  return n >= 1 && n <= 4 ? static_cast<HWND>(windows[n - 1]) : nullptr;
}

bool timed_send(HWND window, UINT message, WPARAM wparam, LPARAM lparam, DWORD_PTR &result) {
  return SendMessageTimeoutA(window, message, wparam, lparam, SMTO_ABORTIFHUNG, kReadTimeoutMs, &result) != 0;
}

}  // namespace

char *read_text(HWND window) {
  DWORD_PTR length = 0;
  if (!window || !timed_send(window, WM_GETTEXTLENGTH, 0, 0, length) || length == 0) return empty_a();
  char *text = nullptr;
  DWORD_PTR copied = 0;
  for (int attempt = 0; attempt < kReadAttempts; ++attempt) {
    size_t capacity = room_for(length);
    if (capacity == 0) break;  // a length no buffer can hold
    char *grown = static_cast<char *>(xCore.realloc(text, capacity));
    if (!grown) break;
    text = grown;
    if (!timed_send(window, WM_GETTEXT, capacity, reinterpret_cast<LPARAM>(text), copied)) copied = 0;
    copied = copied < capacity ? copied : capacity - 1;
    text[copied] = 0;
    // A full buffer may hold only the start of a text that grew past it: ask again.
    DWORD_PTR now = 0;
    if (copied + 1 < capacity || !timed_send(window, WM_GETTEXTLENGTH, 0, 0, now) || now <= length) break;
    length = now;
  }
  if (!text || copied == 0) {
    release(text);
    return empty_a();
  }
  return text;
}

char *read_data(const SurfpodInstance &s, int window) { return read_text(data_window(s, window)); }

std::optional<LRESULT> exchange(SurfpodInstance *h, UINT message, WPARAM wparam, LPARAM lparam,
                                std::initializer_list<Put> puts) {
  SurfpodInstance *s = use(h);
  if (!s) return std::nullopt;
  for (const Put &p : puts)
    SendMessageA(data_window(*s, p.window), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(p.text ? p.text : ""));
  SetLastError(0);
  LRESULT answer = SendMessageA(static_cast<HWND>(s->hWndMain), message, wparam, lparam);
  if (answer == 0 && GetLastError() == ERROR_INVALID_WINDOW_HANDLE) return std::nullopt;
  return answer;
}

char *exchange_text(SurfpodInstance *h, int window, UINT message, WPARAM wparam, LPARAM lparam,
                    std::initializer_list<Put> puts) {
  if (!peek(h)) return nullptr;
  if (!exchange(h, message, wparam, lparam, puts)) return empty_a();
  return read_data(*h, window);
}

}  // namespace tarvo::surfpod
