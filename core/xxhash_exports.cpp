// The one-shot xxHash functions under their own names. The header is compiled
// inline here, which renames its functions (XXH32 becomes a macro for an
// internal static one), so each export wraps the inlined function under the
// plain name once the macros are gone.
#define XXH_INLINE_ALL
#include <xxhash.h>

namespace {

uint32_t inline_xxh32(const void *data, size_t len, uint32_t seed) { return XXH32(data, len, seed); }
uint64_t inline_xxh64(const void *data, size_t len, uint64_t seed) { return XXH64(data, len, seed); }

}  // namespace

#undef XXH32
#undef XXH64
#include "xtext.h"

// Null data is hashed as the empty input whatever the length says.
extern "C" {

uint32_t XXH32(const void *data, size_t len, uint32_t seed) { return inline_xxh32(data, data ? len : 0, seed); }
uint64_t XXH64(const void *data, size_t len, uint64_t seed) { return inline_xxh64(data, data ? len : 0, seed); }

}  // extern "C"
