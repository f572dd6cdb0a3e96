// The library's conversions against the system's own, byte for byte: every
// result, length, buffer-too-small error and replacement character must be
// what MultiByteToWideChar / WideCharToMultiByte give for the same call.
#include "temp_dir.hpp"
#include "transcode.hpp"
#include "xcore.h"
#include "xfile.h"
#include "xstring.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr UINT kUtf8 = CP_UTF8;

// ---- inputs --------------------------------------------------------------

std::string utf8_of(uint32_t cp) {
  std::string s;
  if (cp < 0x80) {
    s += static_cast<char>(cp);
  } else if (cp < 0x800) {
    s += {static_cast<char>(0xC0 | cp >> 6), static_cast<char>(0x80 | (cp & 0x3F))};
  } else if (cp < 0x10000) {
    s += {static_cast<char>(0xE0 | cp >> 12), static_cast<char>(0x80 | (cp >> 6 & 0x3F)),
          static_cast<char>(0x80 | (cp & 0x3F))};
  } else {
    s += {static_cast<char>(0xF0 | cp >> 18), static_cast<char>(0x80 | (cp >> 12 & 0x3F)),
          static_cast<char>(0x80 | (cp >> 6 & 0x3F)), static_cast<char>(0x80 | (cp & 0x3F))};
  }
  return s;
}

std::string ascii(size_t n, size_t seed = 0) {
  std::string s;
  for (size_t i = 0; i < n; ++i) s += static_cast<char>(' ' + (i * 7 + seed) % 95);
  return s;
}
std::u16string ascii16(size_t n) {
  std::string a = ascii(n);
  return std::u16string(a.begin(), a.end());
}

using Bytes = std::vector<std::string>;
using Units = std::vector<std::u16string>;

// Every length around the 16-byte blocks, with and without a zero inside.
Bytes ascii_lengths() {
  Bytes r;
  for (size_t n = 0; n <= 64; ++n) r.push_back(ascii(n));
  r.push_back(std::string("ab\0cd", 5));
  r.push_back(std::string(40, '\0'));
  return r;
}

// One odd piece in 40 ASCII bytes, at every position.
Bytes one_piece_everywhere(const std::vector<std::string> &pieces) {
  Bytes r;
  for (const std::string &piece : pieces)
    for (size_t at = 0; at <= 40; ++at) r.push_back(ascii(at) + piece + ascii(40 - at, 3));
  return r;
}

Bytes utf8_one_non_ascii() {
  return one_piece_everywhere({utf8_of(0xE9), utf8_of(0x7FF), utf8_of(0x4E2D), utf8_of(0xFFFF), utf8_of(0x1F600)});
}

// Every code point once, the surrogates left out, in pieces of 64 Ki code points;
// and each bound of the sequence lengths alone between ASCII.
Bytes utf8_every_sequence() {
  Bytes r;
  std::string all;
  for (uint32_t cp = 0; cp <= 0x10FFFF; ++cp) {
    if (cp >= 0xD800 && cp <= 0xDFFF) continue;
    all += utf8_of(cp);
    if ((cp & 0xFFFF) == 0xFFFF) r.push_back(std::move(all)), all.clear();
  }
  for (uint32_t cp : {0x7Fu, 0x80u, 0x7FFu, 0x800u, 0xD7FFu, 0xE000u, 0xFFFDu, 0xFFFFu, 0x10000u, 0x10FFFFu})
    r.push_back("ab" + utf8_of(cp) + "cd");
  return r;
}

// Every pair of bytes, and three-byte sequences with every second byte.
Bytes utf8_byte_pairs_and_triples() {
  Bytes r;
  for (int a = 0x80; a < 0x100; ++a)
    for (int b = 0; b < 0x100; ++b) r.push_back({'x', static_cast<char>(a), static_cast<char>(b)});
  for (int lead = 0xE0; lead <= 0xF4; ++lead)
    for (int b = 0x70; b < 0xD0; ++b)
      for (int c : {0x41, 0x80, 0xBF, 0xC0}) r.push_back({static_cast<char>(lead), static_cast<char>(b), static_cast<char>(c), 'z'});
  return r;
}

Bytes utf8_invalid() {
  const std::vector<std::string> bad = {
      "\xC0\x80", "\xC1\xBF", "\xE0\x80\x80", "\xE0\x9F\xBF", "\xF0\x80\x80\x80", "\xF0\x8F\xBF\xBF",  // overlong
      "\xED\xA0\x80", "\xED\xBF\xBF", "\xED\xA0\x80\xED\xB0\x80",                                     // surrogates
      "\xF4\x90\x80\x80", "\xF5\x80\x80\x80", "\xF8\x88\x80\x80\x80", "\xFC\x84\x80\x80\x80\x80",     // past U+10FFFF
      "\x80", "\xBF", "\xC0", "\xC1", "\xF5", "\xFE", "\xFF",                                          // never leads
      "\xC3", "\xE4\xB8", "\xF0\x9F\x98", "\xC3" "A", "\xE4\xB8" "A", "\xF0\x9F" "A",                 // cut short
  };
  Bytes r = one_piece_everywhere(bad);
  for (const std::string &b : bad) r.push_back(utf8_of(0x4E2D) + b), r.push_back(b);  // at the very end
  return r;
}

// Random texts from ASCII, valid sequences and stray bytes.
Bytes utf8_random() {
  std::mt19937 rng(2026);
  Bytes r;
  for (int i = 0; i < 3000; ++i) {
    std::string s;
    const size_t n = rng() % 200;
    while (s.size() < n) {
      const uint32_t kind = rng() % 10;
      if (kind < 5) s += static_cast<char>(rng() % 0x80);
      else if (kind < 8) s += utf8_of(std::uniform_int_distribution<uint32_t>(0x80, 0x10FFFF)(rng) & (i % 2 ? 0xFFFF : ~0u));
      else s += static_cast<char>(0x80 + rng() % 0x80);
    }
    r.push_back(s);
  }
  return r;
}

// Bytes for the ANSI code pages: ASCII around the blocks, a single- or
// double-byte character at every position, random bytes.
Bytes ansi_texts() {
  Bytes r = ascii_lengths();
  for (const std::string &s : one_piece_everywhere({"\x80", "\xA4", "\xE9", "\xD6\xD0", "\x82\xA0", "\x81", "\xFF"}))
    r.push_back(s);
  std::mt19937 rng(7);
  for (int i = 0; i < 500; ++i) {
    std::string s(rng() % 80, ' ');
    for (char &c : s) c = static_cast<char>(rng() % 4 ? rng() % 0x80 : rng() % 0x100);
    r.push_back(s);
  }
  return r;
}

Units units_ascii_lengths() {
  Units r;
  for (size_t n = 0; n <= 64; ++n) r.push_back(ascii16(n));
  r.push_back(std::u16string(u"ab\0cd", 5));
  return r;
}

// Also after a Chinese character, so that the piece sits at every offset of
// the blocks that start at the first non-ASCII unit.
Units units_one_piece_everywhere(const std::vector<std::u16string> &pieces) {
  Units r;
  for (const std::u16string &piece : pieces)
    for (size_t at = 0; at <= 40; ++at)
      for (const char16_t *lead : {u"", u"\x4E2D"}) r.push_back(lead + ascii16(at) + piece + ascii16(40 - at));
  return r;
}

Units units_one_non_ascii() {
  return units_one_piece_everywhere({u"\x80", u"\xE9", u"\x7FF", u"\x800", u"\x4E2D", u"\xFFFF", u"\xD83D\xDE00"});
}

Units units_lone_surrogates() {
  const std::vector<std::u16string> lone = {u"\xD800", u"\xDBFF", u"\xDC00", u"\xDFFF", u"\xDE00\xD83D",
                                            u"\xD83D\xD83D\xDE00", u"\xD83D" "A", u"\xDE00" "A"};
  Units r = units_one_piece_everywhere(lone);
  for (const std::u16string &s : lone) r.push_back(s), r.push_back(u"\x4E2D" + s);  // at the very end
  return r;
}

// Every unit alone between ASCII, and every supplementary character once.
Units units_every_unit() {
  Units r;
  for (uint32_t u = 0; u < 0x10000; ++u) r.push_back(u"ab" + std::u16string(1, static_cast<char16_t>(u)) + u"c");
  std::u16string all;
  for (uint32_t cp = 0x10000; cp <= 0x10FFFF; ++cp)
    all += {static_cast<char16_t>(0xD7C0 + (cp >> 10)), static_cast<char16_t>(0xDC00 + (cp & 0x3FF))};
  r.push_back(all);
  return r;
}

Units units_random() {
  std::mt19937 rng(11);
  Units r;
  for (int i = 0; i < 3000; ++i) {
    std::u16string s(rng() % 200, u' ');
    for (char16_t &c : s) {
      const uint32_t kind = rng() % 10;
      c = static_cast<char16_t>(kind < 5 ? rng() % 0x80 : kind < 9 ? rng() % 0xD800 : 0xD800 + rng() % 0x800);
    }
    r.push_back(s);
  }
  return r;
}

Units units_for_ansi() {
  Units r = units_ascii_lengths();
  for (const std::u16string &s : units_one_piece_everywhere({u"\xE9", u"\x20AC", u"\x4E2D", u"\x100", u"\xD800"}))
    r.push_back(s);
  return r;
}

// ---- the comparison --------------------------------------------------------

// One call of a conversion: its result, the units it wrote and its error.
template <class O>
struct Outcome {
  int result;
  std::basic_string<O> written;
  DWORD error;
  bool operator==(const Outcome &) const = default;
};

template <class O>
std::string describe(const Outcome<O> &o) {
  std::string s = std::to_string(o.result) + " error " + std::to_string(o.error) + " [";
  for (O c : o.written) s += std::to_string(static_cast<uint32_t>(static_cast<std::make_unsigned_t<O>>(c))) + " ";
  return s + "]";
}

// Runs `call(out, capacity)` into a buffer shifted by `shift` bytes, so
// that 16-bit units can sit at odd addresses. The whole buffer is kept, two
// units past the capacity too: nothing may be written after the result, as
// callers may count on a zero they put there.
template <class O, class Call>
Outcome<O> run(Call call, int capacity, size_t shift) {
  std::vector<char> space((static_cast<size_t>(capacity) + 2) * sizeof(O) + 16, '\x5A');
  O *out = capacity ? reinterpret_cast<O *>(space.data() + shift) : nullptr;
  SetLastError(0);
  const int r = call(out, capacity);
  const DWORD e = GetLastError();
  std::basic_string<O> written;
  if (out) {
    written.resize(static_cast<size_t>(capacity) + 2);
    std::memcpy(written.data(), out, written.size() * sizeof(O));
  }
  return {r, written, r > 0 ? 0 : e};
}

// Measure, convert with room to spare, with just enough room and with one
// unit too few, each from an aligned and a shifted buffer.
template <class O, class Ours, class Theirs>
void compare_calls(Ours ours, Theirs theirs, const std::string &label) {
  const int need = theirs(nullptr, 0);
  ASSERT_EQ(ours(nullptr, 0), need) << label << " (measure)";
  std::vector<int> capacities = {need, need + 5};
  if (need > 1) capacities.push_back(need - 1);
  for (int capacity : capacities) {
    for (size_t shift : {size_t(0), size_t(1)}) {
      const Outcome<O> a = run<O>(ours, capacity, shift), b = run<O>(theirs, capacity, shift);
      ASSERT_TRUE(a == b) << label << " capacity " << capacity << " shift " << shift << "\n ours   " << describe(a)
                          << "\n theirs " << describe(b);
    }
  }
}

std::string hex_of(const void *p, size_t bytes) {
  std::string s;
  auto *b = static_cast<const unsigned char *>(p);
  for (size_t i = 0; i < bytes && i < 48; ++i) s += "0123456789ABCDEF"[b[i] >> 4], s += "0123456789ABCDEF"[b[i] & 15];
  return bytes > 48 ? s + "..." : s;
}

// The whole export too: the text and the size in iRetSize that it reports.
void compare_narrow_input(UINT cp, const std::string &text) {
  // From an odd address as well: the converters read in 16-byte blocks.
  std::string shifted = " " + text;
  const char *s = shifted.c_str() + 1;
  const int n = static_cast<int>(text.size());
  const std::string label = "code page " + std::to_string(cp) + " bytes " + hex_of(s, text.size());
  if (n == 0) return;
  compare_calls<wchar_t>([&](wchar_t *o, int c) { return tarvo::multibyte_to_wide(cp, 0, s, n, o, c); },
                         [&](wchar_t *o, int c) { return MultiByteToWideChar(cp, 0, s, n, o, c); }, label);
  if (text.find('\0') == std::string::npos)
    compare_calls<wchar_t>([&](wchar_t *o, int c) { return tarvo::multibyte_to_wide(cp, 0, s, -1, o, c); },
                           [&](wchar_t *o, int c) { return MultiByteToWideChar(cp, 0, s, -1, o, c); }, label + " to the zero");
  const int k = MultiByteToWideChar(cp, 0, s, n, nullptr, 0);
  std::wstring expected(static_cast<size_t>(k), L'\0');
  MultiByteToWideChar(cp, 0, s, n, expected.data(), k);
  wchar_t *r = xCore_M2W(s, cp, static_cast<uint32_t>(n));
  EXPECT_EQ(std::wstring(r, xCore.iRetSize / 2), expected) << label;
  EXPECT_EQ(xCore.iRetSize, static_cast<uint32_t>(k) * 2) << label;
  EXPECT_EQ(r[xCore.iRetSize / 2], L'\0') << label;
  xCore_free(r);
}

void compare_wide_input(UINT cp, const std::u16string &text) {
  std::vector<char> space(text.size() * 2 + 4, 0);
  auto *w = reinterpret_cast<const wchar_t *>(space.data() + 1);  // an odd address
  std::memcpy(space.data() + 1, text.data(), text.size() * 2);
  const int n = static_cast<int>(text.size());
  const std::string label = "code page " + std::to_string(cp) + " units " + hex_of(w, text.size() * 2);
  if (n == 0) return;
  compare_calls<char>([&](char *o, int c) { return tarvo::wide_to_multibyte(cp, 0, w, n, o, c, nullptr, nullptr); },
                      [&](char *o, int c) { return WideCharToMultiByte(cp, 0, w, n, o, c, nullptr, nullptr); }, label);
  if (text.find(u'\0') == std::u16string::npos)
    compare_calls<char>(
        [&](char *o, int c) { return tarvo::wide_to_multibyte(cp, 0, w, -1, o, c, nullptr, nullptr); },
        [&](char *o, int c) { return WideCharToMultiByte(cp, 0, w, -1, o, c, nullptr, nullptr); }, label + " to the zero");
  const int k = WideCharToMultiByte(cp, 0, w, n, nullptr, 0, nullptr, nullptr);
  std::string expected(static_cast<size_t>(k), '\0');
  WideCharToMultiByte(cp, 0, w, n, expected.data(), k, nullptr, nullptr);
  char *r = xCore_W2M(w, cp, static_cast<uint32_t>(n) * 2);
  EXPECT_EQ(std::string(r, xCore.iRetSize), expected) << label;
  EXPECT_EQ(xCore.iRetSize, static_cast<uint32_t>(k)) << label;
  xCore_free(r);
}

struct Row {
  const char *name;
  std::vector<UINT> pages;
  Bytes (*narrow)();
  Units (*wide)();
};

const Row kRows[] = {
    {"AsciiAroundTheBlocks", {kUtf8, CP_ACP, 936, 932, 20127}, ascii_lengths, units_ascii_lengths},
    {"OneNonAsciiAtEveryPosition", {kUtf8}, utf8_one_non_ascii, units_one_non_ascii},
    {"EverySequenceAndUnit", {kUtf8}, utf8_every_sequence, units_every_unit},
    {"EveryBytePairAndTriple", {kUtf8}, utf8_byte_pairs_and_triples, nullptr},
    {"InvalidUtf8AndLoneSurrogates", {kUtf8}, utf8_invalid, units_lone_surrogates},
    {"Random", {kUtf8}, utf8_random, units_random},
    {"AnsiCodePages", {CP_ACP, 1252, 1251, 936, 932, 949, 950, 20127, 28591}, ansi_texts, units_for_ansi},
    {"CodePagesLeftToTheSystem", {CP_OEMCP, 65000, 437}, ansi_texts, units_for_ansi},
};

void PrintTo(const Row &row, std::ostream *os) { *os << row.name; }

class Differential : public testing::TestWithParam<Row> {
 protected:
  static void SetUpTestSuite() { xCoreInit(); }
};

TEST_P(Differential, SameResultsLengthsAndErrorsAsTheSystem) {
  const Row &row = GetParam();
  for (UINT cp : row.pages) {
    if (row.narrow)
      for (const std::string &s : row.narrow()) {
        compare_narrow_input(cp, s);
        if (HasFatalFailure()) return;
      }
    if (row.wide)
      for (const std::u16string &w : row.wide()) {
        compare_wide_input(cp, w);
        if (HasFatalFailure()) return;
      }
  }
}

INSTANTIATE_TEST_SUITE_P(Conversions, Differential, testing::ValuesIn(kRows),
                         [](const testing::TestParamInfo<Row> &info) { return std::string(info.param.name); });

// Flags, default characters and bad arguments go to the system call as given.
TEST(SystemCall, FlagsDefaultsAndBadArgumentsAsTheSystemHasThem) {
  xCoreInit();
  const char *bad = "a\xff" "b";
  const wchar_t *lone = L"a\xD800" "b";
  wchar_t w[8];
  char a[8];
  BOOL used_ours = 5, used_theirs = 5;
  struct Case {
    const char *what;
    int ours, theirs;
  };
  auto errors = [](auto f) {
    SetLastError(0);
    int r = f();
    return r ? r : -static_cast<int>(GetLastError());
  };
  const Case cases[] = {
      {"invalid characters refused", errors([&] { return tarvo::multibyte_to_wide(kUtf8, MB_ERR_INVALID_CHARS, bad, 3, w, 8); }),
       errors([&] { return MultiByteToWideChar(kUtf8, MB_ERR_INVALID_CHARS, bad, 3, w, 8); })},
      {"lone surrogate refused", errors([&] { return tarvo::wide_to_multibyte(kUtf8, WC_ERR_INVALID_CHARS, lone, 3, a, 8, nullptr, nullptr); }),
       errors([&] { return WideCharToMultiByte(kUtf8, WC_ERR_INVALID_CHARS, lone, 3, a, 8, nullptr, nullptr); })},
      {"default character", errors([&] { return tarvo::wide_to_multibyte(CP_ACP, 0, L"ab", 2, a, 8, "?", &used_ours); }),
       errors([&] { return WideCharToMultiByte(CP_ACP, 0, L"ab", 2, a, 8, "?", &used_theirs); })},
      {"null text", errors([&] { return tarvo::multibyte_to_wide(kUtf8, 0, nullptr, 3, w, 8); }),
       errors([&] { return MultiByteToWideChar(kUtf8, 0, nullptr, 3, w, 8); })},
      {"length 0", errors([&] { return tarvo::wide_to_multibyte(kUtf8, 0, L"ab", 0, a, 8, nullptr, nullptr); }),
       errors([&] { return WideCharToMultiByte(kUtf8, 0, L"ab", 0, a, 8, nullptr, nullptr); })},
      {"length below -1", errors([&] { return tarvo::multibyte_to_wide(kUtf8, 0, "ab", -2, w, 8); }),
       errors([&] { return MultiByteToWideChar(kUtf8, 0, "ab", -2, w, 8); })},
      {"room but no buffer", errors([&] { return tarvo::multibyte_to_wide(kUtf8, 0, "ab", 2, nullptr, 8); }),
       errors([&] { return MultiByteToWideChar(kUtf8, 0, "ab", 2, nullptr, 8); })},
      {"a code page the system lacks", errors([&] { return tarvo::multibyte_to_wide(54936, 0, "ab", 2, w, 8); }),
       errors([&] { return MultiByteToWideChar(54936, 0, "ab", 2, w, 8); })},
      {"negative room", errors([&] { return tarvo::wide_to_multibyte(kUtf8, 0, L"ab", 2, a, -1, nullptr, nullptr); }),
       errors([&] { return WideCharToMultiByte(kUtf8, 0, L"ab", 2, a, -1, nullptr, nullptr); })},
  };
  for (const Case &c : cases) EXPECT_EQ(c.ours, c.theirs) << c.what;
  EXPECT_EQ(used_ours, used_theirs);
}

// A large UTF-16 file read as UTF-8 is converted piece by piece (pieces of
// 1 MiB): the result must be the one conversion of the whole text, whatever
// falls on a piece's edge.
TEST(WholeFile, ReadInPiecesAsOneConversion) {
  xCoreInit();
  tarvo::test::TempDir dir;
  const size_t piece_units = (1u << 20) / 2;
  struct Case {
    const char *what;
    size_t at;  // where the odd piece goes, in units from the text's start
    std::u16string odd;
    bool odd_byte;  // one byte more at the file's end
  };
  const Case cases[] = {
      {"plain", 0, u"", false},
      {"a pair across the first edge", piece_units - 1, u"\xD83D\xDE00", false},
      {"a pair across the second edge", 2 * piece_units - 1, u"\xD83D\xDE00", false},
      {"a lone high surrogate before the edge", piece_units - 1, u"\xD83D" "a", false},
      {"a lone low surrogate after the edge", piece_units, u"\xDE00", false},
      {"a lone high surrogate at the end", SIZE_MAX, u"\xD83D", false},
      {"an odd byte at the end", SIZE_MAX, u"\x4E2D", true},
  };
  for (const Case &c : cases) {
    std::u16string text;
    for (size_t i = 0; text.size() < 2 * piece_units + 1000; ++i) text += i % 9 ? u"text " : u"\x6587\x5B57 ";
    text.insert(c.at == SIZE_MAX ? text.size() : c.at, c.odd);
    std::string bytes = "\xFF\xFE" + std::string(reinterpret_cast<const char *>(text.data()), text.size() * 2);
    if (c.odd_byte) bytes += 'x';
    const std::wstring path = dir.file(L"big.txt");
    tarvo::test::raw_write(path, bytes);
    const auto *w = reinterpret_cast<const wchar_t *>(text.data());
    const int k = WideCharToMultiByte(CP_UTF8, 0, w, static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string expected(static_cast<size_t>(k), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w, static_cast<int>(text.size()), expected.data(), k, nullptr, nullptr);
    for (int32_t charset : {1200, -2}) {
      char *r = xFile_ReadAllU(tarvo::test::utf8(path).c_str(), charset);
      EXPECT_EQ(xCore.iRetSize, expected.size()) << c.what << " charset " << charset;
      EXPECT_TRUE(std::string(r, xCore.iRetSize) == expected && r[xCore.iRetSize] == 0) << c.what << " charset " << charset;
      xCore_free(r);
    }
  }
}

}  // namespace
