#include "xxh_reference.hpp"

#define XXH_INLINE_ALL
#include <xxhash.h>

namespace tarvo::test {

uint32_t reference_xxh32(const void *data, size_t len, uint32_t seed) { return XXH32(data, len, seed); }
uint64_t reference_xxh64(const void *data, size_t len, uint64_t seed) { return XXH64(data, len, seed); }

}  // namespace tarvo::test
