// The window matcher: the criteria record of every window search, the one
// routine that tests a window against it, and the searches over top-level
// windows or the descendants of a parent. Used by the window functions, the
// daemon thread and the browser watcher.
//
// Tests run in a fixed order and the first failing one rejects: style,
// extended style, owner (process, else thread), class, title. The cheap tests
// come first, so a window that fails them costs no class or title read; the
// title read is a timed send that gives up on a window that does not answer.
// Texts are compared as ANSI bytes, case-sensitively; null reads as "".
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>

namespace tarvo::window {

enum FilterFlag : uint32_t {
  kOwnerProcess = 0x1,
  kOwnerThread = 0x2,
  kTitleEquals = 0x10000,
  kTitleContains = 0x20000,
  kTitleDiffers = 0x30000,
  kTitleMask = 0x30000,
  kClassEquals = 0x40000,
  kClassContains = 0x80000,
  kClassDiffers = 0xC0000,
  kClassMask = 0xC0000,
  kStyleHas = 0x100000,
  kStyleLacks = 0x200000,
  kStyleEquals = 0x300000,
  kStyleMask = 0x300000,
  kExStyleHas = 0x400000,
  kExStyleLacks = 0x800000,
  kExStyleEquals = 0xC00000,
  kExStyleMask = 0xC00000,
};

// List searches call it with each match and its 1-based number; non-zero
// goes on.
using WindowCallback = int32_t (*)(HWND window, uint32_t number, intptr_t user);

struct WindowFilter {
  uint32_t flags = 0;
  const char *cls = nullptr;
  const char *title = nullptr;
  uint32_t style = 0;
  uint32_t exStyle = 0;
  uint32_t owner = 0;  // 0: no owner test
  uint32_t count = 0;  // matches so far (list searches)
  WindowCallback callback = nullptr;
  intptr_t user = 0;
  HWND found = nullptr;  // first match (find searches)
};

// How long the title read waits for each of its two sends.
inline constexpr UINT kTitleTimeoutMs = 60;
// The most of a title that is read: a window may claim any length.
inline constexpr size_t kLongestTitle = size_t{1} << 24;

bool matches(HWND window, const WindowFilter &filter);

// First match among the top-level windows (parent null) or all descendants
// of parent, in the platform's order; also left in filter.found. Null when
// none matches or parent is given and is not a window.
HWND find(WindowFilter &filter, HWND parent = nullptr);
// Every match goes to filter.callback while it answers non-zero; the number
// of matches.
uint32_t list(WindowFilter &filter, HWND parent = nullptr);

// A window's title read through the two timed sends (length, then text,
// into a buffer of the real size, terminated). A window that does not answer,
// or has no text, has the empty title. Short titles stay in the object.
class Title {
 public:
  explicit Title(HWND window);
  Title(const Title &) = delete;
  Title &operator=(const Title &) = delete;
  const wchar_t *text() const { return text_; }
  size_t size() const { return size_; }

 private:
  wchar_t inline_[128];
  std::unique_ptr<wchar_t[]> heap_;
  wchar_t *text_ = inline_;
  size_t size_ = 0;
};

}  // namespace tarvo::window
