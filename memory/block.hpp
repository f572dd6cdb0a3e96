#pragma once

#include <cstdint>

namespace tarvo {

// Resizes the C runtime block behind `data` to `bytes`, leaving it as it was
// on failure; zero bytes release it. Sizes stay below 4 GiB.
bool resize_managed_block(void *&data, uint64_t bytes);

// Sets a container's capacity to exactly n units of unit_size bytes; a
// capacity below the count in use cuts the count. Nothing changes on failure.
template <class Count>
bool set_capacity(void *&data, uint32_t &capacity, Count &in_use, uint32_t n, uint32_t unit_size) {
  if (n == capacity) return true;
  if (!resize_managed_block(data, static_cast<uint64_t>(n) * unit_size)) return false;
  capacity = n;
  if (n <= in_use) in_use = n;
  return true;
}

}  // namespace tarvo
