#include "key_hash.hpp"

// Every xxHash function becomes a static XXH_INLINE_ one in this file.
#define XXH_INLINE_ALL
#include <xxhash.h>

namespace tarvo {

uint64_t key_hash64(const void *data, size_t bytes) { return XXH64(data, bytes, 0); }

}  // namespace tarvo
