// An empty text the caller owns (released like any result), for results
// documented as "an empty string" rather than the shared EmptyString.
#pragma once

#include "runtime.hpp"

namespace tarvo::files {

template <class T>
T *allocated_empty() {
  T *r = tarvo::alloc_result<T>(1);
  if (!r) return reinterpret_cast<T *>(tarvo::empty_a());
  r[0] = 0;
  return r;
}

}  // namespace tarvo::files
