// The library's own forms of the exports whose size goes into iRetSize: the
// same work, the size handed back with the result instead of through the
// shared register. Code inside the library calls these; the exports publish.
#pragma once

#include "runtime.hpp"

namespace tarvo {

// Lengths as the exports take them: bytes for both sides, 0 = to the
// terminator. The size is in bytes without the terminator.
Sized<wchar_t> m2w(const char *s, uint32_t codepage, uint32_t len);
Sized<char> w2m(const wchar_t *w, uint32_t codepage, uint32_t len);
Sized<char> recode(const char *s, uint32_t from, uint32_t to, uint32_t len);

// The decoded bytes and their count.
Sized<char> hex_decode(const char *text, uint32_t len);
Sized<char> uri_decode(const char *text);

// UTF-16 bytes to UCS-4 units (allocated); the size in bytes.
Sized<uint32_t> ucs2_to_ucs4(const void *buf, uint32_t bytes, uint32_t codepage);

}  // namespace tarvo
