// MD5 message digest (RFC 1321).
#include "hashing.hpp"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

namespace tarvo {
namespace {

// T[i] = floor(2^32 * |sin(i + 1)|).
constexpr uint32_t kSine[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391};

// Left-rotation amounts, four per round.
constexpr int kShift[4][4] = {{7, 12, 17, 22}, {5, 9, 14, 20}, {4, 11, 16, 23}, {6, 10, 15, 21}};

inline uint32_t rotl(uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

class Md5 {
 public:
  void update(const uint8_t *p, size_t n) {
    total_ += n;
    if (used_) {
      size_t take = std::min(n, sizeof(block_) - used_);
      std::memcpy(block_ + used_, p, take);
      used_ += take;
      p += take;
      n -= take;
      if (used_ < sizeof(block_)) return;
      transform(block_);
      used_ = 0;
    }
    for (; n >= 64; p += 64, n -= 64) transform(p);
    std::memcpy(block_, p, n);
    used_ = n;
  }

  // Pads with a one bit, zeros and the message length in bits (little-endian).
  Md5Digest finish() {
    uint64_t bits = total_ * 8;
    static constexpr uint8_t kPad[64] = {0x80};
    update(kPad, used_ < 56 ? 56 - used_ : 120 - used_);
    uint8_t length[8];
    for (int i = 0; i < 8; ++i) length[i] = static_cast<uint8_t>(bits >> (8 * i));
    update(length, 8);
    Md5Digest d;
    for (int i = 0; i < 16; ++i) d.bytes[i] = static_cast<uint8_t>(state_[i / 4] >> (8 * (i % 4)));
    return d;
  }

 private:
  void transform(const uint8_t *block) {
    uint32_t x[16];
    for (int i = 0; i < 16; ++i)
      x[i] = uint32_t(block[4 * i]) | uint32_t(block[4 * i + 1]) << 8 | uint32_t(block[4 * i + 2]) << 16 |
             uint32_t(block[4 * i + 3]) << 24;
    uint32_t a = state_[0], b = state_[1], c = state_[2], d = state_[3];
    for (int i = 0; i < 64; ++i) {
      int round = i / 16;
      uint32_t f;
      int k;
      switch (round) {
        case 0: f = (b & c) | (~b & d); k = i; break;
        case 1: f = (b & d) | (c & ~d); k = (5 * i + 1) % 16; break;
        case 2: f = b ^ c ^ d; k = (3 * i + 5) % 16; break;
        default: f = c ^ (b | ~d); k = (7 * i) % 16; break;
      }
      uint32_t next = b + rotl(a + f + x[k] + kSine[i], kShift[round][i % 4]);
      a = d;
      d = c;
      c = b;
      b = next;
    }
    state_[0] += a;
    state_[1] += b;
    state_[2] += c;
    state_[3] += d;
  }

  uint32_t state_[4] = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};
  uint64_t total_ = 0;
  uint8_t block_[64];
  size_t used_ = 0;
};

struct FileCloser {
  void operator()(FILE *f) const { std::fclose(f); }
};

}  // namespace

Md5Digest md5_bytes(const void *data, size_t size) {
  Md5 md5;
  if (data) md5.update(static_cast<const uint8_t *>(data), size);
  return md5.finish();
}

bool md5_file(const wchar_t *path, Md5Digest &digest) {
  if (!path) return false;
  std::unique_ptr<FILE, FileCloser> f(_wfopen(path, L"rb"));
  if (!f) return false;
  Md5 md5;
  uint8_t chunk[1024];
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof(chunk), f.get())) > 0) md5.update(chunk, got);
  if (std::ferror(f.get())) return false;
  digest = md5.finish();
  return true;
}

}  // namespace tarvo
