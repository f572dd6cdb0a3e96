// Byte-range tests used to guess the encoding of a file.
#include "xstring.h"

namespace {

bool is_base64(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' || c == '/';
}

}  // namespace

extern "C" {

int32_t xCore_StringIsAscii(const void *p, uint32_t count) {
  const unsigned char *b = static_cast<const unsigned char *>(p);
  if (!b) return 1;
  for (uint32_t i = 0; i < count; ++i)
    if (b[i] >= 0x80) return 0;
  return 1;
}

// Lead bytes announce the sequence length the old, wide way (up to six bytes);
// a sequence left open at the end of the range is accepted, since the range is
// often a cut-off sample of a larger file.
int32_t xCore_StringIsUtf8(const void *p, uint32_t count) {
  const unsigned char *b = static_cast<const unsigned char *>(p);
  if (!b) return 1;
  int expected = 0;
  for (uint32_t i = 0; i < count; ++i) {
    unsigned char c = b[i];
    if (expected == 0) {
      if (c < 0x80) continue;
      if (c >= 0xFC && c <= 0xFD) expected = 6;
      else if (c >= 0xF8) expected = 5;
      else if (c >= 0xF0) expected = 4;
      else if (c >= 0xE0) expected = 3;
      else if (c >= 0xC0) expected = 2;
      else return 0;
      --expected;
    } else {
      if ((c & 0xC0) != 0x80) return 0;
      --expected;
    }
  }
  return 1;
}

// UTF-7 is 7-bit text with shift sequences: "+-" for a plus sign, or "+", a
// run of base64 characters that holds whole UTF-16 units (the left-over bits
// fewer than six), ended by "-" or any other character. The range counts as
// UTF-7 only when every "+" opens a valid sequence and at least one sequence
// encodes characters, so plain ASCII stays ASCII.
int32_t xCore_StringIsUtf7(const void *p, uint32_t count) {
  const unsigned char *b = static_cast<const unsigned char *>(p);
  if (!b || count == 0) return 1;
  bool encoded = false;
  for (uint32_t i = 0; i < count; ++i) {
    unsigned char c = b[i];
    if (c >= 0x80) return 0;
    if (c != '+') continue;
    uint32_t j = i + 1;
    if (j < count && b[j] == '-') {
      i = j;
      continue;
    }
    uint32_t run = 0;
    while (j < count && is_base64(b[j]) && b[j] != '+') ++j, ++run;
    if (j < count && b[j] == '+') return 0;
    if (run < 3 || (run * 6) % 16 >= 6) return 0;
    encoded = true;
    i = (j < count && b[j] == '-') ? j : j - 1;
  }
  return encoded ? 1 : 0;
}

}  // extern "C"
