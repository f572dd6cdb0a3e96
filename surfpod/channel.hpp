// The window-message channel to one browser: data windows written before a
// command, the command sent to the main window (waiting for the browser's
// answer), data windows read after it. Texts are ANSI.
#pragma once

#include "xcore.h"
#include "xsurfpod.h"

#include <windows.h>

#include <cstring>
#include <initializer_list>
#include <optional>

namespace tarvo::surfpod {

// A library text released when the scope ends; null reads as "".
struct HeldText {
  char *p = nullptr;
  HeldText() = default;
  explicit HeldText(char *text) : p(text) {}
  ~HeldText() { xCore_free(p); }
  HeldText(const HeldText &) = delete;
  HeldText &operator=(const HeldText &) = delete;
  const char *text() const { return p ? p : ""; }
  bool is(const char *s) const { return std::strcmp(text(), s) == 0; }
};

// One data window (1 to 4) and the text it receives; null sends "".
struct Put {
  int window;
  const char *text;
};

// Checks and stamps the handle, writes the data windows in the order given,
// sends the command and gives the browser's answer. Nothing for an invalid
// handle or a browser whose main window no longer exists.
std::optional<LRESULT> exchange(SurfpodInstance *h, UINT message, WPARAM wparam = 0, LPARAM lparam = 0,
                                std::initializer_list<Put> puts = {});

// The text of one data window of a held browser (see read_text).
char *read_data(const SurfpodInstance &s, int window);
// A window's text read with timed sends (60 ms each, nothing waited for from
// a hung window): a library string, EmptyString when the window is empty or
// does not answer. A text that grows between the length and the text is read
// again into a larger buffer; the buffer is never overrun.
char *read_text(HWND window);

// A command and a text read afterwards from data window `window`: null for
// an invalid handle, EmptyString for a browser that has gone.
char *exchange_text(SurfpodInstance *h, int window, UINT message, WPARAM wparam = 0, LPARAM lparam = 0,
                    std::initializer_list<Put> puts = {});

// 1 once the command went through, 0 otherwise.
inline int32_t done(std::optional<LRESULT> answer) { return answer ? 1 : 0; }
// The browser's answer cut to 32 bits, 0 when it was not asked.
inline int32_t answer32(std::optional<LRESULT> answer) { return answer ? static_cast<int32_t>(*answer) : 0; }

}  // namespace tarvo::surfpod
