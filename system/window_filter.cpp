#include "window_filter.hpp"

#include <cstring>
#include <new>

namespace tarvo::window {
namespace {

// The mode of one group of flag bits: 0 off, 1 to 3 its three tests.
constexpr uint32_t mode(uint32_t flags, uint32_t mask) { return (flags & mask) / (mask & ~(mask << 1)); }

bool style_passes(uint32_t mode, uint32_t actual, uint32_t wanted) {
  switch (mode) {
    case 1: return (actual & wanted) == wanted;
    case 2: return (actual & wanted) != wanted;
    case 3: return actual == wanted;
    default: return true;
  }
}

// Equals, contains (an empty text is in every text), differs.
bool text_passes(uint32_t mode, const char *actual, const char *wanted) {
  if (!wanted) wanted = "";
  switch (mode) {
    case 1: return std::strcmp(actual, wanted) == 0;
    case 2: return std::strstr(actual, wanted) != nullptr;
    case 3: return std::strcmp(actual, wanted) != 0;
    default: return true;
  }
}

bool owner_passes(HWND window, const WindowFilter &f) {
  if (f.owner == 0 || !(f.flags & (kOwnerProcess | kOwnerThread))) return true;
  DWORD pid = 0;
  DWORD tid = GetWindowThreadProcessId(window, &pid);
  return (f.flags & kOwnerProcess) ? pid == f.owner : tid == f.owner;
}

bool class_passes(HWND window, uint32_t mode, const char *wanted) {
  if (!mode) return true;
  char name[260];
  if (!GetClassNameA(window, name, sizeof name)) name[0] = 0;
  return text_passes(mode, name, wanted);
}

// The title is read wide (the wide timed send keeps its time-out across
// processes) and compared in the ANSI code page.
bool title_passes(HWND window, uint32_t mode, const char *wanted) {
  if (!mode) return true;
  Title title(window);
  char small[256];
  std::unique_ptr<char[]> large;
  char *ansi = small;
  int n = static_cast<int>(title.size());
  int need = n ? WideCharToMultiByte(CP_ACP, 0, title.text(), n, nullptr, 0, nullptr, nullptr) : 0;
  if (need >= static_cast<int>(sizeof small)) {
    large.reset(new (std::nothrow) char[need + 1]);
    ansi = large.get();
    if (!ansi) return text_passes(mode, "", wanted);
  }
  int written = need ? WideCharToMultiByte(CP_ACP, 0, title.text(), n, ansi, need, nullptr, nullptr) : 0;
  ansi[written > 0 ? written : 0] = 0;
  return text_passes(mode, ansi, wanted);
}

struct Search {
  WindowFilter *filter;
  bool list;
};

BOOL CALLBACK visit(HWND window, LPARAM p) {
  auto &s = *reinterpret_cast<Search *>(p);
  WindowFilter &f = *s.filter;
  if (!matches(window, f)) return TRUE;
  if (!s.list) {
    f.found = window;
    return FALSE;
  }
  ++f.count;
  return !f.callback || f.callback(window, f.count, f.user) != 0;
}

void walk(WindowFilter &f, HWND parent, bool list) {
  Search s{&f, list};
  if (parent)
    EnumChildWindows(parent, visit, reinterpret_cast<LPARAM>(&s));
  else
    EnumWindows(visit, reinterpret_cast<LPARAM>(&s));
}

}  // namespace

Title::Title(HWND window) {
  inline_[0] = 0;
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kTitleTimeoutMs, &length) ||
      length == 0)
    return;
  size_t capacity = (length < kLongestTitle ? static_cast<size_t>(length) : kLongestTitle) + 1;
  if (capacity > sizeof inline_ / sizeof inline_[0]) {
    heap_.reset(new (std::nothrow) wchar_t[capacity]);
    if (!heap_) return;
    text_ = heap_.get();
  }
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXT, capacity, reinterpret_cast<LPARAM>(text_), SMTO_ABORTIFHUNG,
                           kTitleTimeoutMs, &copied))
    copied = 0;
  size_ = copied < capacity ? static_cast<size_t>(copied) : capacity - 1;
  text_[size_] = 0;
}

bool matches(HWND window, const WindowFilter &f) {
  uint32_t flags = f.flags;
  if (mode(flags, kStyleMask) &&
      !style_passes(mode(flags, kStyleMask), static_cast<uint32_t>(GetWindowLongW(window, GWL_STYLE)), f.style))
    return false;
  if (mode(flags, kExStyleMask) && !style_passes(mode(flags, kExStyleMask),
                                                 static_cast<uint32_t>(GetWindowLongW(window, GWL_EXSTYLE)),
                                                 f.exStyle))
    return false;
  return owner_passes(window, f) && class_passes(window, mode(flags, kClassMask), f.cls) &&
         title_passes(window, mode(flags, kTitleMask), f.title);
}

HWND find(WindowFilter &f, HWND parent) {
  f.found = nullptr;
  if (parent && !IsWindow(parent)) return nullptr;
  walk(f, parent, false);
  return f.found;
}

uint32_t list(WindowFilter &f, HWND parent) {
  if (parent && !IsWindow(parent)) return 0;
  walk(f, parent, true);
  return f.count;
}

}  // namespace tarvo::window
