#pragma once

#include <cstddef>
#include <cstdint>

namespace tarvo {

// XXH64 with seed 0 (xxHash 0.8), compiled in here so that the library's own
// exported XXH64 and this copy never share a symbol name.
uint64_t key_hash64(const void *data, size_t bytes);

}  // namespace tarvo
