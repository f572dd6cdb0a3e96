// xxHash computed from the library's header directly, as the reference for the
// exported functions (its own translation unit: the inlined header renames
// XXH32 and XXH64).
#pragma once

#include <cstddef>
#include <cstdint>

namespace tarvo::test {

uint32_t reference_xxh32(const void *data, size_t len, uint32_t seed);
uint64_t reference_xxh64(const void *data, size_t len, uint64_t seed);

}  // namespace tarvo::test
