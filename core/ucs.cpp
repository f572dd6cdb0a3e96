// UCS-2 / UCS-4 conversions for the file layer.
#include "sized.hpp"
#include "xstring.h"

#include <cstring>

namespace {

constexpr uint32_t kBigEndianUcs4 = 65006;
constexpr uint32_t kReplacement = 0xFFFD;

uint32_t swap32(uint32_t v) {
  return (v >> 24) | ((v >> 8) & 0xFF00u) | ((v << 8) & 0xFF0000u) | (v << 24);
}

}  // namespace

namespace tarvo {

Sized<uint32_t> ucs2_to_ucs4(const void *buf, uint32_t bytes, uint32_t codepage) {
  const unsigned char *b = static_cast<const unsigned char *>(buf);
  uint32_t n = b ? bytes / 2 : 0;
  uint32_t *r = alloc_result<uint32_t>(static_cast<size_t>(n) + 1);
  if (!r) return {reinterpret_cast<uint32_t *>(empty_a()), 0};
  auto unit = [&](uint32_t i) {
    uint16_t u;
    std::memcpy(&u, b + i * 2, 2);
    return u;
  };
  size_t out = 0;
  auto put = [&](uint32_t v) { r[out++] = codepage == kBigEndianUcs4 ? swap32(v) : v; };
  for (uint32_t i = 0; i < n;) {
    uint32_t u = unit(i);
    if (u < 0xD800 || u > 0xDFFF) {
      put(u);
      ++i;
    } else if (u < 0xDC00 && i + 1 < n && unit(i + 1) >= 0xDC00 && unit(i + 1) <= 0xDFFF) {
      put(((unit(i + 1) & 0x3FFu) + (((u & 0x3FFu) + 64) << 10)));
      i += 2;
    } else {
      put(kReplacement);  // a lone surrogate; the unit after it is kept
      ++i;
    }
  }
  r[out] = 0;
  return {r, out * 4};
}

}  // namespace tarvo

extern "C" {

void xCore_UCS2_BE2LE(void *buf, uint32_t bytes) {
  unsigned char *b = static_cast<unsigned char *>(buf);
  if (!b) return;
  for (uint32_t i = 0; i + 1 < bytes; i += 2) {
    unsigned char t = b[i];
    b[i] = b[i + 1];
    b[i + 1] = t;
  }
}

uint32_t xCore_UCS4_BE2LE(uint32_t unit) { return swap32(unit); }

// The output never overtakes the input (at most two 16-bit units per 32-bit
// unit), so one buffer serves. Units are read with memcpy: the buffer need
// not be aligned.
uint32_t xCore_UCS4_To_UCS2(void *buf, uint32_t bytes, uint32_t codepage) {
  unsigned char *b = static_cast<unsigned char *>(buf);
  if (!b) return 0;
  uint32_t n = bytes / 4;
  size_t out = 0;
  auto put = [&](uint16_t u) { std::memcpy(b + out * 2, &u, 2), ++out; };
  for (uint32_t i = 0; i < n; ++i) {
    uint32_t v;
    std::memcpy(&v, b + i * 4, 4);
    if (codepage == kBigEndianUcs4) v = swap32(v);
    if (v == 0) break;
    // A surrogate value is no character: passed on, it would pair with its
    // neighbour into one it never was.
    if (v > 0x10FFFF || (v >= 0xD800 && v <= 0xDFFF)) {
      put(static_cast<uint16_t>(kReplacement));
    } else if (v <= 0xFFFF) {
      put(static_cast<uint16_t>(v));
    } else {
      put(static_cast<uint16_t>((v >> 10) + 0xD7C0));
      put(static_cast<uint16_t>((v & 0x3FF) + 0xDC00));
    }
  }
  return static_cast<uint32_t>(out * 2);
}

uint32_t *xCore_UCS2_To_UCS4(const void *buf, uint32_t bytes, uint32_t codepage) {
  return tarvo::publish(tarvo::ucs2_to_ucs4(buf, bytes, codepage));
}

}  // extern "C"
