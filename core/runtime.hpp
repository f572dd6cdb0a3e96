// Internal helpers shared by every family: allocation through the record's
// slots, the shared empty result, and the register writes.
#pragma once

#include "xcore.h"

#include <cstddef>
#include <cstdint>

namespace tarvo {

inline char *empty_a() { return const_cast<char *>(xCore.EmptyString); }
inline wchar_t *empty_w() { return reinterpret_cast<wchar_t *>(const_cast<char *>(xCore.EmptyString)); }
inline bool is_empty_result(const void *p) { return p == xCore.EmptyString; }

// Results handed to callers are allocated through the record's slot so that a
// running collected heap owns them.
template <class T = char>
inline T *alloc_result(size_t count) {
  return static_cast<T *>(xCore.malloc(count * sizeof(T)));
}

inline void set_size(size_t n) { xCore.iRetSize = static_cast<uint32_t>(n); }

// Releases a temporary that came from the record's slots.
inline void release(void *p) {
  if (p && p != xCore.EmptyString) xCore.free(p);
}

}  // namespace tarvo
