// Hexadecimal and URI (percent) encoding, byte by byte.
#include "sized.hpp"
#include "text_chars.hpp"
#include "xtext.h"

namespace {

using tarvo::Sized;
using tarvo::text::mul_add;

constexpr char kHexDigits[] = "0123456789ABCDEF";

// Any character that is not a hexadecimal digit counts as -1; the decoders
// keep the low 8 bits of high * 16 + low, without an error.
int digit_value(unsigned char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

char decode_pair(int high, int low) { return static_cast<char>((high * 16 + low) & 0xFF); }

char *put_hex(char *out, unsigned char b) {
  *out++ = kHexDigits[b >> 4];
  *out++ = kHexDigits[b & 15];
  return out;
}

// A buffer of n * per_byte + 1 bytes; null when that size overflows or the
// allocation fails.
char *alloc_scaled(size_t n, size_t per_byte) {
  size_t bytes;
  if (!mul_add(n, per_byte, 1, bytes)) return nullptr;
  return tarvo::alloc_result<char>(bytes);
}

bool is_unreserved(unsigned char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '/' || c == '.' ||
         c == '-' || c == '_';
}

// "://" opens an authority that is kept as written up to and including the
// next "/" (a port's colon included); the length of that run, 0 when no "/"
// follows.
size_t authority_run(const char *s, size_t i, size_t n) {
  if (s[i] != ':' || i + 2 >= n || s[i + 1] != '/' || s[i + 2] != '/') return 0;
  const void *slash = i + 3 < n ? std::memchr(s + i + 3, '/', n - i - 3) : nullptr;
  return slash ? static_cast<size_t>(static_cast<const char *>(slash) - (s + i)) + 1 : 0;
}

Sized<char> nothing() { return {tarvo::empty_a(), 0}; }

}  // namespace

namespace tarvo {

Sized<char> hex_decode(const char *text, uint32_t len) {
  if (!text) return nothing();
  size_t n = len ? len : std::strlen(text);
  if (n == 0) return nothing();
  char *r = alloc_scaled(n / 2 + 1, 1);
  if (!r) return nothing();
  auto *s = reinterpret_cast<const unsigned char *>(text);
  size_t k = 0;
  for (size_t i = 0; i < n; i += 2) {
    // An odd length pairs the last digit with the terminator's value -1,
    // without reading past the given length.
    int low = i + 1 < n ? digit_value(s[i + 1]) : -1;
    r[k++] = decode_pair(digit_value(s[i]), low);
  }
  r[k] = 0;
  return {r, k};
}

// "%" and the two characters after it become one byte; a "%" without two
// characters after it (at the end of the text) is copied as it stands.
Sized<char> uri_decode(const char *text) {
  if (!text) return nothing();
  size_t n = std::strlen(text);
  if (n == 0) return nothing();
  char *r = alloc_scaled(n, 1);
  if (!r) return nothing();
  auto *s = reinterpret_cast<const unsigned char *>(text);
  size_t k = 0;
  for (size_t i = 0; i < n;) {
    if (s[i] == '%' && i + 2 < n) {
      r[k++] = decode_pair(digit_value(s[i + 1]), digit_value(s[i + 2]));
      i += 3;
    } else {
      r[k++] = static_cast<char>(s[i++]);
    }
  }
  r[k] = 0;
  return {r, k};
}

}  // namespace tarvo

extern "C" {

// Sets no register.
char *HexEncode(const void *bytes, uint32_t count) {
  if (!bytes) return tarvo::empty_a();
  auto *b = static_cast<const unsigned char *>(bytes);
  size_t n = count ? count : std::strlen(reinterpret_cast<const char *>(b));
  if (n == 0) return tarvo::empty_a();
  char *r = alloc_scaled(n, 2);
  if (!r) return tarvo::empty_a();
  char *out = r;
  for (size_t i = 0; i < n; ++i) out = put_hex(out, b[i]);
  *out = 0;
  return r;
}

char *UriEncode(const char *text) {
  if (!text) return tarvo::empty_a();
  size_t n = std::strlen(text);
  if (n == 0) return tarvo::empty_a();
  char *r = alloc_scaled(n, 3);
  if (!r) return tarvo::empty_a();
  char *out = r;
  for (size_t i = 0; i < n;) {
    auto c = static_cast<unsigned char>(text[i]);
    if (size_t run = authority_run(text, i, n)) {
      std::memcpy(out, text + i, run);
      out += run;
      i += run;
      continue;
    }
    if (is_unreserved(c)) {
      *out++ = static_cast<char>(c);
    } else {
      *out++ = '%';
      out = put_hex(out, c);
    }
    ++i;
  }
  *out = 0;
  return r;
}

char *HexDecode(const char *text, uint32_t len) { return tarvo::publish(tarvo::hex_decode(text, len)); }
char *UriDecode(const char *text) { return tarvo::publish(tarvo::uri_decode(text)); }

}  // extern "C"
