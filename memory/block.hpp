#pragma once

#include <cstdint>

namespace tarvo {

// Resizes the C runtime block behind `data` to `bytes`, leaving it as it was
// on failure; zero bytes release it. Sizes stay below 4 GiB.
bool resize_managed_block(void *&data, uint64_t bytes);

}  // namespace tarvo
