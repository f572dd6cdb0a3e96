// The library's own UTF-8 / UTF-16 / ASCII converters for the common case:
// they take only what is well formed and stop at the first thing that is not,
// so that the caller can hand the rest to the system conversion and get its
// exact results (replacement characters, lengths, errors) for it.
//
// Buffers need no alignment; UTF-16 units are little-endian 16-bit values.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tarvo::utf {

enum class Stop {
  Done,     // every input unit was converted
  Unusual,  // at `in` starts something these converters do not take
  Full,     // the next character would pass `cap` output units
};

struct Scan {
  size_t in;   // input units taken (bytes for UTF-8 and ASCII)
  size_t out;  // output units written or counted
  Stop stop;
};

// Well-formed UTF-8 to UTF-16 (overlongs, encoded surrogates, values past
// U+10FFFF, stray and missing continuation bytes are unusual). With
// `ascii_only` every byte of 0x80 or more is unusual. A null `out` only counts
// (`cap` is then ignored).
Scan utf8_to_utf16(const void *bytes, size_t n, void *out, size_t cap, bool ascii_only);

// UTF-16 with every surrogate paired to UTF-8 (a lone surrogate is unusual).
// With `ascii_only` every unit of 0x80 or more is unusual.
Scan utf16_to_utf8(const void *units, size_t n, void *out, size_t cap, bool ascii_only);

}  // namespace tarvo::utf
