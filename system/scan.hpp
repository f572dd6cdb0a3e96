// The folder walk, written once for wide and narrow names; the tree
// operations and the public scan exports are built on it.
#pragma once

#include "file_internal.hpp"

#include <windows.h>

#include <cstdint>
#include <string>

namespace tarvo::files {

template <class C>
struct FindApi;

template <>
struct FindApi<wchar_t> {
  using Data = WIN32_FIND_DATAW;
  static HANDLE first(const wchar_t *p, Data *d) { return FindFirstFileW(p, d); }
  static BOOL next(HANDLE h, Data *d) { return FindNextFileW(h, d); }
};

template <>
struct FindApi<char> {
  using Data = WIN32_FIND_DATAA;
  static HANDLE first(const char *p, Data *d) { return FindFirstFileA(p, d); }
  static BOOL next(HANDLE h, Data *d) { return FindNextFileA(h, d); }
};

template <class C>
bool ends_in_separator(const std::basic_string<C> &s) {
  return !s.empty() && (s.back() == C('\\') || s.back() == C('/'));
}

template <class C>
std::basic_string<C> with_separator(std::basic_string<C> s) {
  if (!ends_in_separator(s)) s += C('\\');
  return s;
}

// A folder that is a reparse point (a junction or a symbolic link) is listed
// but never entered: its contents belong elsewhere, a walk through it would
// reach files outside the tree, and a link to an ancestor would never end.
inline bool descends_into(DWORD attributes) {
  return (attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

template <class C>
bool is_dots(const C *name) {
  return name[0] == C('.') && (name[1] == 0 || (name[1] == C('.') && name[2] == 0));
}

// One walk: the visitor gets the folder (ending in a separator) and the
// entry; a non-zero result ends the whole walk and is kept in `stop`. The stop
// is held here, not in a shared register, so a visitor may call anything.
template <class C, class Visitor>
class Walk {
 public:
  using String = std::basic_string<C>;
  using Data = typename FindApi<C>::Data;

  Walk(const C *pattern, uint32_t exclude, uint32_t flags, bool recurse, Visitor &visit)
      : pattern_(pattern), exclude_(exclude), flags_(flags), recurse_(recurse), visit_(visit) {}

  uint32_t run(const String &folder) { return list(with_separator(folder)); }
  intptr_t stop() const { return stop_; }

 private:
  template <class Each>
  void each(const String &query, Each on_entry) {
    Data d;
    FindHandle h(FindApi<C>::first(query.c_str(), &d));
    if (!h.ok()) return;
    do {
      if (!on_entry(d)) break;
    } while (FindApi<C>::next(h.get(), &d));
  }

  bool report(const String &folder, const Data &d) {
    stop_ = visit_(folder, d);
    return stop_ == 0;
  }

  uint32_t list(const String &folder) {
    uint32_t count = 0;
    each(folder + pattern_, [&](const Data &d) {
      if (d.dwFileAttributes & (exclude_ | FILE_ATTRIBUTE_DIRECTORY)) return true;
      if (flags_ & XFILE_SCAN_NOFILES) return true;
      ++count;
      return report(folder, d);
    });
    if (stop_) return count;
    each(folder + C('*'), [&](const Data &d) {
      if (!(d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return true;
      if (is_dots(d.cFileName)) {
        if (!(flags_ & XFILE_SCAN_DOTS)) return true;
        ++count;
        return report(folder, d);
      }
      ++count;
      if (!(flags_ & XFILE_SCAN_NODIRS) && !report(folder, d)) return false;
      if (recurse_ && descends_into(d.dwFileAttributes)) count += list(folder + d.cFileName + C('\\'));
      return stop_ == 0;
    });
    return count;
  }

  const C *pattern_;
  uint32_t exclude_;
  uint32_t flags_;
  bool recurse_;
  Visitor &visit_;
  intptr_t stop_ = 0;
};

template <class C, class Visitor>
uint32_t walk(const C *folder, const C *pattern, uint32_t exclude, uint32_t flags, bool recurse, Visitor visit,
              intptr_t *stop = nullptr) {
  if (stop) *stop = 0;
  if (!folder || !*folder || !pattern || !*pattern || any_path_too_long(folder, pattern)) return 0;
  Walk<C, Visitor> w(pattern, exclude, flags, recurse, visit);
  uint32_t count = w.run(folder);
  if (stop) *stop = w.stop();
  return count;
}

}  // namespace tarvo::files
