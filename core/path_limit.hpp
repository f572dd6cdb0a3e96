// The longest path the platform takes, in UTF-16 units. Every file, folder
// and path function refuses a longer one before any platform call: the
// platform would refuse it anyway, but only after resolving it, which takes
// seconds for a path of many ".." parts.
#pragma once

#include "transcode.hpp"

#include <windows.h>

#include <cstddef>
#include <cstring>
#include <cwchar>

namespace tarvo {

inline constexpr size_t kLongestPath = 32767;

inline bool path_too_long(const wchar_t *path) { return path && wcsnlen(path, kLongestPath + 1) > kLongestPath; }

// A narrow path in code page `cp`: its bytes bound its UTF-16 units from
// above, so only a long one is measured.
inline bool path_too_long(const char *path, UINT cp = CP_ACP) {
  if (!path || strnlen(path, kLongestPath + 1) <= kLongestPath) return false;
  const int units = multibyte_to_wide(cp, 0, path, -1, nullptr, 0);
  return units <= 0 || static_cast<size_t>(units - 1) > kLongestPath;
}

template <class... P>
bool any_path_too_long(P... paths) {
  return (path_too_long(paths) || ...);
}

}  // namespace tarvo
