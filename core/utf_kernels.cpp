// ASCII runs move 16 bytes at a time (SSE2, always there on x64; the 32-bit
// build is not compiled for it and takes 8 bytes at a time in plain words).
// On x64 UTF-16 is also measured 8 units at a time and written 8 at a time
// where a block holds no surrogate; everything else goes one character at a
// time. Text of the scripts is mostly ASCII, so the runs carry most of it.
#include "utf_kernels.hpp"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tarvo::utf {
namespace {

constexpr size_t kNoLimit = SIZE_MAX;

uint16_t load16(const uint8_t *p) {
  uint16_t v;
  std::memcpy(&v, p, 2);
  return v;
}
void store16(uint8_t *p, uint32_t v) {
  const uint16_t u = static_cast<uint16_t>(v);
  std::memcpy(p, &u, 2);
}

#if defined(__SSE2__)
unsigned lowest_bit(unsigned mask) { return static_cast<unsigned>(__builtin_ctz(mask)); }
#endif

// The leading ASCII bytes of s[0, n), widened into out (room for n units)
// when writing. Nothing is written past the ASCII run: a caller may count on
// its buffer's contents after the result.
template <bool Write>
size_t widen_ascii(const uint8_t *s, size_t n, uint8_t *out) {
  size_t i = 0;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  for (; i + 16 <= n; i += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + i));
    const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(v));
    if (mask) {
      const size_t run = lowest_bit(mask);
      if (Write)
        for (size_t k = 0; k < run; ++k) store16(out + 2 * (i + k), s[i + k]);
      return i + run;
    }
    if (Write) {
      _mm_storeu_si128(reinterpret_cast<__m128i *>(out + 2 * i), _mm_unpacklo_epi8(v, zero));
      _mm_storeu_si128(reinterpret_cast<__m128i *>(out + 2 * i + 16), _mm_unpackhi_epi8(v, zero));
    }
  }
  // The last 16 bytes as one block, overlapping what is done (and a text of
  // 8 to 15 bytes as two blocks of 8): a short tail or a short text needs no
  // byte-by-byte loop when it is all ASCII.
  if (i < n && n >= 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(s + n - 16));
    if (!_mm_movemask_epi8(v)) {
      if (Write) {
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out + 2 * (n - 16)), _mm_unpacklo_epi8(v, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out + 2 * (n - 16) + 16), _mm_unpackhi_epi8(v, zero));
      }
      return n;
    }
  } else if (n >= 8) {
    const __m128i head = _mm_loadl_epi64(reinterpret_cast<const __m128i *>(s));
    const __m128i tail = _mm_loadl_epi64(reinterpret_cast<const __m128i *>(s + n - 8));
    if (!_mm_movemask_epi8(_mm_or_si128(head, tail))) {
      if (Write) {
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out), _mm_unpacklo_epi8(head, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out + 2 * (n - 8)), _mm_unpacklo_epi8(tail, zero));
      }
      return n;
    }
  }
#else
  for (; i + 8 <= n; i += 8) {
    uint64_t word;
    std::memcpy(&word, s + i, 8);
    if (word & 0x8080808080808080ull) break;
    if (Write)
      for (size_t k = 0; k < 8; ++k) store16(out + 2 * (i + k), s[i + k]);
  }
#endif
  for (; i < n && s[i] < 0x80; ++i)
    if (Write) store16(out + 2 * i, s[i]);
  return i;
}

// The leading ASCII units of w[0, n), narrowed into out (room for n bytes)
// when writing; likewise nothing past the run.
template <bool Write>
size_t narrow_ascii(const uint8_t *w, size_t n, uint8_t *out) {
  size_t i = 0;
#if defined(__SSE2__)
  const __m128i high = _mm_set1_epi16(static_cast<short>(0xFF80));
  const __m128i zero = _mm_setzero_si128();
  for (; i + 16 <= n; i += 16) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(w + 2 * i));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(w + 2 * i + 16));
    const __m128i ascii_a = _mm_cmpeq_epi16(_mm_and_si128(a, high), zero);
    const __m128i ascii_b = _mm_cmpeq_epi16(_mm_and_si128(b, high), zero);
    // One bit per output byte: set where the unit is not ASCII.
    const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_packs_epi16(ascii_a, ascii_b))) ^ 0xFFFFu;
    if (mask) {
      const size_t run = lowest_bit(mask);
      if (Write)
        for (size_t k = 0; k < run; ++k) out[i + k] = w[2 * (i + k)];
      return i + run;
    }
    if (Write) _mm_storeu_si128(reinterpret_cast<__m128i *>(out + i), _mm_packus_epi16(a, b));
  }
  // The last 16 units as one block, or a text of 8 to 15 units as two of 8,
  // likewise.
  if (i < n && n >= 16) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(w + 2 * (n - 16)));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(w + 2 * (n - 8)));
    if (_mm_movemask_epi8(_mm_cmpeq_epi16(_mm_and_si128(_mm_or_si128(a, b), high), zero)) == 0xFFFF) {
      if (Write) _mm_storeu_si128(reinterpret_cast<__m128i *>(out + n - 16), _mm_packus_epi16(a, b));
      return n;
    }
  } else if (n >= 8) {
    const __m128i head = _mm_loadu_si128(reinterpret_cast<const __m128i *>(w));
    const __m128i tail = _mm_loadu_si128(reinterpret_cast<const __m128i *>(w + 2 * (n - 8)));
    if (_mm_movemask_epi8(_mm_cmpeq_epi16(_mm_and_si128(_mm_or_si128(head, tail), high), zero)) == 0xFFFF) {
      if (Write) {
        _mm_storel_epi64(reinterpret_cast<__m128i *>(out), _mm_packus_epi16(head, head));
        _mm_storel_epi64(reinterpret_cast<__m128i *>(out + n - 8), _mm_packus_epi16(tail, tail));
      }
      return n;
    }
  }
#else
  for (; i + 4 <= n; i += 4) {
    uint64_t word;
    std::memcpy(&word, w + 2 * i, 8);
    if (word & 0xFF80FF80FF80FF80ull) break;
    if (Write)
      for (size_t k = 0; k < 4; ++k) out[i + k] = w[2 * (i + k)];
  }
#endif
  for (; i < n && load16(w + 2 * i) < 0x80; ++i)
    if (Write) out[i] = static_cast<uint8_t>(load16(w + 2 * i));
  return i;
}

bool is_continuation(uint8_t b) { return (b & 0xC0) == 0x80; }

// The byte length of the well-formed UTF-8 character at s[i] (lead byte of
// 0x80 or more) and its code point; 0 when it is not one.
size_t decode_one(const uint8_t *s, size_t i, size_t n, uint32_t &cp) {
  // Three bytes, the most common case beyond ASCII (all of Chinese), with
  // one load and one test where four bytes are left to read.
  if (i + 4 <= n) {
    uint32_t x;
    std::memcpy(&x, s + i, 4);
    if ((x & 0xC0C0F0u) == 0x8080E0u) {
      cp = ((x & 0x0Fu) << 12) | ((x & 0x3F00u) >> 2) | ((x >> 16) & 0x3Fu);
      return cp >= 0x800 && (cp < 0xD800 || cp > 0xDFFF) ? 3 : 0;  // no overlong, no surrogate
    }
  }
  const uint8_t c = s[i];
  if (c < 0xC2 || c > 0xF4) return 0;
  if (c < 0xE0) {
    if (i + 1 >= n || !is_continuation(s[i + 1])) return 0;
    cp = (static_cast<uint32_t>(c & 0x1F) << 6) | (s[i + 1] & 0x3Fu);
    return 2;
  }
  if (c < 0xF0) {
    if (i + 2 >= n) return 0;
    const uint8_t b1 = s[i + 1];
    // E0 needs A0..BF (no overlong), ED needs 80..9F (no surrogate).
    const uint8_t lo = c == 0xE0 ? 0xA0 : 0x80, hi = c == 0xED ? 0x9F : 0xBF;
    if (b1 < lo || b1 > hi || !is_continuation(s[i + 2])) return 0;
    cp = (static_cast<uint32_t>(c & 0x0F) << 12) | (static_cast<uint32_t>(b1 & 0x3F) << 6) | (s[i + 2] & 0x3Fu);
    return 3;
  }
  if (i + 3 >= n) return 0;
  const uint8_t b1 = s[i + 1];
  // F0 needs 90..BF (no overlong), F4 needs 80..8F (nothing past U+10FFFF).
  const uint8_t lo = c == 0xF0 ? 0x90 : 0x80, hi = c == 0xF4 ? 0x8F : 0xBF;
  if (b1 < lo || b1 > hi || !is_continuation(s[i + 2]) || !is_continuation(s[i + 3])) return 0;
  cp = (static_cast<uint32_t>(c & 0x07) << 18) | (static_cast<uint32_t>(b1 & 0x3F) << 12) |
       (static_cast<uint32_t>(s[i + 2] & 0x3F) << 6) | (s[i + 3] & 0x3Fu);
  return 4;
}

template <bool Write, bool AsciiOnly>
Scan utf8_to_utf16_t(const uint8_t *s, size_t n, uint8_t *out, size_t cap) {
  size_t i = 0, o = 0;
  for (;;) {
    const size_t room = Write ? cap - o : kNoLimit;
    const size_t run = widen_ascii<Write>(s + i, std::min(n - i, room), Write ? out + 2 * o : nullptr);
    i += run, o += run;
    if (i == n) return {i, o, Stop::Done};
    if (s[i] < 0x80) return {i, o, Stop::Full};
    if (AsciiOnly) return {i, o, Stop::Unusual};
    // Non-ASCII characters one by one while they follow each other.
    do {
      uint32_t cp = 0;
      const size_t len = decode_one(s, i, n, cp);
      if (!len) return {i, o, Stop::Unusual};
      const size_t units = len == 4 ? 2 : 1;
      if (Write) {
        if (cap - o < units) return {i, o, Stop::Full};
        if (units == 1) {
          store16(out + 2 * o, cp);
        } else {
          store16(out + 2 * o, 0xD7C0 + (cp >> 10));
          store16(out + 2 * o + 2, 0xDC00 + (cp & 0x3FF));
        }
      }
      i += len, o += units;
    } while (i < n && s[i] >= 0x80);
  }
}

bool is_high_surrogate(uint32_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool is_low_surrogate(uint32_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

#if defined(__SSE2__)
// UTF-8 bytes of one unit that is no surrogate.
uint8_t *put_bmp(uint8_t *p, uint32_t u) {
  if (u < 0x80) {
    *p++ = static_cast<uint8_t>(u);
  } else if (u < 0x800) {
    *p++ = static_cast<uint8_t>(0xC0 | (u >> 6));
    *p++ = static_cast<uint8_t>(0x80 | (u & 0x3F));
  } else {
    *p++ = static_cast<uint8_t>(0xE0 | (u >> 12));
    *p++ = static_cast<uint8_t>(0x80 | ((u >> 6) & 0x3F));
    *p++ = static_cast<uint8_t>(0x80 | (u & 0x3F));
  }
  return p;
}

// Blocks of 8 units with no surrogate among them (Chinese text is mostly
// made of these), written without further checks: nothing to pair. Stops at
// a block with a surrogate, at an all-ASCII block (the ASCII run takes over),
// near the end, or when the output might not hold a block.
void write_bmp_blocks(const uint8_t *w, size_t n, size_t &i, uint8_t *out, size_t &o, size_t cap) {
  const __m128i top5 = _mm_set1_epi16(static_cast<short>(0xF800));
  const __m128i surrogate = _mm_set1_epi16(static_cast<short>(0xD800));
  const __m128i top9 = _mm_set1_epi16(static_cast<short>(0xFF80));
  const __m128i zero = _mm_setzero_si128();
  while (i + 8 <= n && cap - o >= 24) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(w + 2 * i));
    const __m128i high = _mm_and_si128(v, top5);
    if (_mm_movemask_epi8(_mm_cmpeq_epi16(high, surrogate))) return;
    const __m128i ascii = _mm_cmpeq_epi16(_mm_and_si128(v, top9), zero);
    const __m128i below_800 = _mm_cmpeq_epi16(high, zero);
    const unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(_mm_packs_epi16(ascii, below_800)));
    if ((mask & 0xFF) == 0xFF) return;
    uint8_t *p = out + o;
    if (mask == 0) {  // eight three-byte characters
      for (size_t k = 0; k < 8; ++k, p += 3) {
        const uint32_t u = load16(w + 2 * (i + k));
        p[0] = static_cast<uint8_t>(0xE0 | (u >> 12));
        p[1] = static_cast<uint8_t>(0x80 | ((u >> 6) & 0x3F));
        p[2] = static_cast<uint8_t>(0x80 | (u & 0x3F));
      }
    } else {
      for (size_t k = 0; k < 8; ++k) p = put_bmp(p, load16(w + 2 * (i + k)));
    }
    o = static_cast<size_t>(p - out);
    i += 8;
  }
}

// The UTF-8 byte count of UTF-16 8 units at a time, surrogates included: a
// pair counts 2 + 2, and a block is taken only when its high surrogates are
// each followed by a low one and its low ones each preceded by a high one
// (the last unit of a block may pair with the first of the next). Stops at a
// block with a lone surrogate and near the end; a pair cut by the stop is
// given back whole.
void count_blocks(const uint8_t *w, size_t n, size_t &i, size_t &o) {
  const __m128i top5 = _mm_set1_epi16(static_cast<short>(0xF800));
  const __m128i top6 = _mm_set1_epi16(static_cast<short>(0xFC00));
  const __m128i high = _mm_set1_epi16(static_cast<short>(0xD800));
  const __m128i low = _mm_set1_epi16(static_cast<short>(0xDC00));
  const __m128i top9 = _mm_set1_epi16(static_cast<short>(0xFF80));
  const __m128i zero = _mm_setzero_si128();
  // Every unit counts 3, less one for each of: below 0x800, below 0x80, a
  // surrogate. The lessening is summed in 16-bit lanes (at most 3 a block)
  // and moved to `o` before a lane could overflow.
  __m128i less = zero;
  size_t blocks = 0;
  auto settle = [&] {
    const __m128i pairs = _mm_madd_epi16(less, _mm_set1_epi16(1));
    alignas(16) int32_t lane[4];
    _mm_store_si128(reinterpret_cast<__m128i *>(lane), pairs);
    o += 24 * blocks + static_cast<size_t>(static_cast<int64_t>(lane[0]) + lane[1] + lane[2] + lane[3]);
    less = zero, blocks = 0;
  };
  unsigned carry = 0;  // the previous block ended with a high surrogate
  for (; i + 8 <= n; i += 8) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i *>(w + 2 * i));
    const __m128i top = _mm_and_si128(v, top6);
    const __m128i is_high = _mm_cmpeq_epi16(top, high), is_low = _mm_cmpeq_epi16(top, low);
    const unsigned pairs = static_cast<unsigned>(_mm_movemask_epi8(_mm_packs_epi16(is_high, is_low)));
    const unsigned highs = pairs & 0xFF, lows = pairs >> 8;
    if ((((highs << 1) | carry) & 0xFF) != lows) break;
    const __m128i ascii = _mm_cmpeq_epi16(_mm_and_si128(v, top9), zero);
    const __m128i below_800 = _mm_cmpeq_epi16(_mm_and_si128(v, top5), zero);
    less = _mm_add_epi16(less, _mm_add_epi16(_mm_add_epi16(ascii, below_800), _mm_or_si128(is_high, is_low)));
    if (++blocks == 8192) settle();
    carry = highs >> 7;
  }
  settle();
  if (carry) i -= 1, o -= 2;
}
#endif

template <bool Write, bool AsciiOnly>
Scan utf16_to_utf8_t(const uint8_t *w, size_t n, uint8_t *out, size_t cap) {
  size_t i = 0, o = 0;
  // A short text goes one by one from the start: the blocks would not pay
  // for themselves.
  const bool blocks = AsciiOnly || n >= 16;
  for (;;) {
    if (!blocks && i == n) return {i, o, Stop::Done};
    uint32_t u = blocks ? 0 : load16(w + 2 * i);
    if (blocks) {
      const size_t room = Write ? cap - o : kNoLimit;
      const size_t run = narrow_ascii<Write>(w + 2 * i, std::min(n - i, room), Write ? out + o : nullptr);
      i += run, o += run;
      if (i == n) return {i, o, Stop::Done};
      u = load16(w + 2 * i);
      if (u < 0x80) return {i, o, Stop::Full};
      if (AsciiOnly) return {i, o, Stop::Unusual};
#if defined(__SSE2__)
      if constexpr (Write)
        write_bmp_blocks(w, n, i, out, o, cap);
      else
        count_blocks(w, n, i, o);
      if (i == n) return {i, o, Stop::Done};
      u = load16(w + 2 * i);
      if (u < 0x80) continue;
#endif
    }
    // One by one up to the next block, ASCII too (text that mixes scripts
    // often; a pair may reach one unit past the block).
    const size_t block_end = std::min(n, i + 64);
    if (!Write) {  // counting: the byte count without a branch for it
      while (i < block_end) {
        u = load16(w + 2 * i);
        if ((u & 0xF800) == 0xD800) {
          if (!is_high_surrogate(u) || i + 1 >= n || !is_low_surrogate(load16(w + 2 * i + 2)))
            return {i, o, Stop::Unusual};
          i += 2, o += 4;
        } else {
          i += 1, o += 1 + (u >= 0x80) + (u >= 0x800);
        }
      }
      continue;
    }
    for (;;) {
      uint8_t *p = out + o;
      if (u < 0x80) {
        if (cap - o < 1) return {i, o, Stop::Full};
        p[0] = static_cast<uint8_t>(u);
        i += 1, o += 1;
      } else if (u < 0x800) {
        if (cap - o < 2) return {i, o, Stop::Full};
        p[0] = static_cast<uint8_t>(0xC0 | (u >> 6));
        p[1] = static_cast<uint8_t>(0x80 | (u & 0x3F));
        i += 1, o += 2;
      } else if ((u & 0xF800) != 0xD800) {
        if (cap - o < 3) return {i, o, Stop::Full};
        p[0] = static_cast<uint8_t>(0xE0 | (u >> 12));
        p[1] = static_cast<uint8_t>(0x80 | ((u >> 6) & 0x3F));
        p[2] = static_cast<uint8_t>(0x80 | (u & 0x3F));
        i += 1, o += 3;
      } else {
        const uint32_t next = i + 1 < n ? load16(w + 2 * i + 2) : 0;
        if (!is_high_surrogate(u) || !is_low_surrogate(next)) return {i, o, Stop::Unusual};
        if (cap - o < 4) return {i, o, Stop::Full};
        u = 0x10000 + ((u - 0xD800) << 10) + (next - 0xDC00);
        p[0] = static_cast<uint8_t>(0xF0 | (u >> 18));
        p[1] = static_cast<uint8_t>(0x80 | ((u >> 12) & 0x3F));
        p[2] = static_cast<uint8_t>(0x80 | ((u >> 6) & 0x3F));
        p[3] = static_cast<uint8_t>(0x80 | (u & 0x3F));
        i += 2, o += 4;
      }
      if (i >= block_end) break;
      u = load16(w + 2 * i);
    }
  }
}

}  // namespace

Scan utf8_to_utf16(const void *bytes, size_t n, void *out, size_t cap, bool ascii_only) {
  auto *s = static_cast<const uint8_t *>(bytes);
  auto *o = static_cast<uint8_t *>(out);
  if (o) return ascii_only ? utf8_to_utf16_t<true, true>(s, n, o, cap) : utf8_to_utf16_t<true, false>(s, n, o, cap);
  return ascii_only ? utf8_to_utf16_t<false, true>(s, n, o, 0) : utf8_to_utf16_t<false, false>(s, n, o, 0);
}

Scan utf16_to_utf8(const void *units, size_t n, void *out, size_t cap, bool ascii_only) {
  auto *w = static_cast<const uint8_t *>(units);
  auto *o = static_cast<uint8_t *>(out);
  if (o) return ascii_only ? utf16_to_utf8_t<true, true>(w, n, o, cap) : utf16_to_utf8_t<true, false>(w, n, o, cap);
  return ascii_only ? utf16_to_utf8_t<false, true>(w, n, o, 0) : utf16_to_utf8_t<false, false>(w, n, o, 0);
}

}  // namespace tarvo::utf
