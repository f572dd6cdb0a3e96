// Internal helpers shared by every family: allocation through the record's
// slots, the shared empty result, the register writes and the export guard.
#pragma once

#include "xcore.h"

#include <cstddef>
#include <cstdint>
#include <type_traits>

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

// A result with the size its export reports in iRetSize. Inside the library
// sizes travel with their results: the registers are shared by every thread,
// so a size read back from one could be another thread's. Only exports write
// them, through publish.
template <class T>
struct Sized {
  T *p;
  size_t size;
};

template <class T>
T *publish(Sized<T> r) {
  set_size(r.size);
  return r.p;
}

// Releases a temporary that came from the record's slots.
inline void release(void *p) {
  if (p && p != xCore.EmptyString) xCore.free(p);
}

// The body of an export that builds standard containers: out of memory (or a
// length the containers refuse) gives the export's failure value, since no
// exception may leave the library. `fail` is the value or a function making it.
template <class F, class Fail>
auto guarded(F body, Fail fail) noexcept -> decltype(body()) {
  try {
    return body();
  } catch (...) {
    if constexpr (std::is_invocable_v<Fail>)
      return fail();
    else
      return fail;
  }
}

}  // namespace tarvo
