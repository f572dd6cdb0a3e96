// The library's conversions against the system's own, byte for byte: every result, length, buffer-too-small
// error and replacement character must be what MultiByteToWideChar / WideCharToMultiByte give for the same call.
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
using Bytes = std::vector<std::string>;
using Units = std::vector<std::u16string>;

// Any value, surrogates too, in its shortest form of 1 to 4 bytes.
std::string utf8_of(uint32_t cp) {
  if (cp < 0x80) return std::string(1, static_cast<char>(cp));
  const int n = cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
  std::string s(n, '\0');
  for (int i = n - 1; i > 0; --i, cp >>= 6) s[i] = static_cast<char>(0x80 | (cp & 0x3F));
  s[0] = static_cast<char>((0xF00 >> n) | cp);
  return s;
}
const std::string kHan8 = utf8_of(0x4E2D);

template <class S>
S ascii(size_t n, size_t seed = 0) {
  S s;
  for (size_t i = 0; i < n; ++i) s += static_cast<typename S::value_type>(' ' + (i * 7 + seed) % 95);
  return s;
}

// Every length around the 16-byte blocks, with and without zeros inside; then each piece inside 40 ASCII units at
// every position, and at the very end, after each lead (a Chinese lead puts it at every offset of the blocks that
// start at the first non-ASCII unit).
template <class S>
std::vector<S> everywhere(const std::vector<S> &pieces, const std::vector<S> &leads = {S()}) {
  std::vector<S> r{S{'a', 'b', 0, 'c', 'd'}, S(40, 0)};
  for (size_t n = 0; n <= 64; ++n) r.push_back(ascii<S>(n));
  for (const S &piece : pieces)
    for (const S &lead : leads) {
      for (size_t at = 0; at <= 40; ++at) r.push_back(lead + ascii<S>(at) + piece + ascii<S>(40 - at, 3));
      r.push_back(lead + piece);
    }
  return r;
}

// Every code point once, the surrogates left out, in pieces of 64 Ki code points; and each bound of the
// sequence lengths alone between ASCII.
Bytes utf8_every_sequence() {
  Bytes r(1);
  for (uint32_t cp = 0; cp <= 0x10FFFF; ++cp) {
    if (cp < 0xD800 || cp > 0xDFFF) r.back() += utf8_of(cp);
    if ((cp & 0xFFFF) == 0xFFFF) r.emplace_back();
  }
  for (uint32_t cp : {0x7Fu, 0x80u, 0x7FFu, 0x800u, 0xD7FFu, 0xE000u, 0xFFFDu, 0xFFFFu, 0x10000u, 0x10FFFFu})
    r.push_back("ab" + utf8_of(cp) + "cd");
  // Every pair of bytes after ASCII, and three-byte sequences with every second byte.
  for (int a = 0x80; a < 0x100; ++a)
    for (int b = 0; b < 0x100; ++b) r.push_back({'x', static_cast<char>(a), static_cast<char>(b)});
  for (int lead = 0xE0; lead <= 0xF4; ++lead)
    for (int b = 0x70; b < 0xD0; ++b)
      for (int c : {0x41, 0x80, 0xBF, 0xC0}) r.push_back({static_cast<char>(lead), static_cast<char>(b), static_cast<char>(c), 'z'});
  return r;
}

// Every unit alone between ASCII, and every supplementary character once.
Units units_every_unit() {
  Units r(1);
  for (uint32_t u = 0; u < 0x10000; ++u) r.push_back(u"ab" + std::u16string(1, static_cast<char16_t>(u)) + u"c");
  for (uint32_t cp = 0x10000; cp <= 0x10FFFF; ++cp)
    r[0] += {static_cast<char16_t>(0xD7C0 + (cp >> 10)), static_cast<char16_t>(0xDC00 + (cp & 0x3FF))};
  return r;
}

// Random texts of pieces drawn by `piece(rng, i)`: for UTF-8 ASCII, any valid sequence (BMP only in every other
// text) and stray bytes; for UTF-16 ASCII, units below the surrogates and surrogates; for ANSI any bytes.
template <class S, class Piece>
std::vector<S> random_texts(unsigned seed, size_t count, size_t longest, Piece piece, std::vector<S> r = {}) {
  std::mt19937 rng(seed);
  for (size_t i = 0; i < count; ++i) {
    S s;
    for (size_t n = rng() % longest; s.size() < n;) s += piece(rng, i);
    r.push_back(s);
  }
  return r;
}
Bytes utf8_random() {
  return random_texts<std::string>(2026, 3000, 200, [](std::mt19937 &rng, size_t i) {
    const uint32_t kind = rng() % 10;
    return kind < 5 ? std::string(1, static_cast<char>(rng() % 0x80))
           : kind < 8 ? utf8_of(std::uniform_int_distribution<uint32_t>(0x80, 0x10FFFF)(rng) & (i % 2 ? 0xFFFF : ~0u))
                      : std::string(1, static_cast<char>(0x80 + rng() % 0x80));
  });
}
Units units_random() {
  return random_texts<std::u16string>(11, 3000, 200, [](std::mt19937 &rng, size_t) {
    const uint32_t kind = rng() % 10;
    return static_cast<char16_t>(kind < 5 ? rng() % 0x80 : kind < 9 ? rng() % 0xD800 : 0xD800 + rng() % 0x800);
  });
}
// A single- or double-byte character at every position, random bytes.
Bytes ansi_texts() {
  return random_texts<std::string>(7, 500, 80, [](std::mt19937 &rng, size_t) {
    return static_cast<char>(rng() % 4 ? rng() % 0x80 : rng() % 0x100);
  }, everywhere<std::string>({"\x80", "\xA4", "\xE9", "\xD6\xD0", "\x82\xA0", "\x81", "\xFF"}));
}
Units units_for_ansi() {
  return everywhere<std::u16string>({u"\xE9", u"\x20AC", u"\x4E2D", u"\x100", u"\xD800"}, {u"", u"\x4E2D"});
}

// The system's conversion and ours, and the export, by the input's unit.
int theirs(UINT cp, const char *s, int n, wchar_t *o, int c) { return MultiByteToWideChar(cp, 0, s, n, o, c); }
int ours(UINT cp, const char *s, int n, wchar_t *o, int c) { return tarvo::multibyte_to_wide(cp, 0, s, n, o, c); }
wchar_t *exported(UINT cp, const char *s, int n) { return xCore_M2W(s, cp, static_cast<uint32_t>(n)); }
int theirs(UINT cp, const wchar_t *s, int n, char *o, int c) { return WideCharToMultiByte(cp, 0, s, n, o, c, nullptr, nullptr); }
int ours(UINT cp, const wchar_t *s, int n, char *o, int c) { return tarvo::wide_to_multibyte(cp, 0, s, n, o, c, nullptr, nullptr); }
char *exported(UINT cp, const wchar_t *s, int n) { return xCore_W2M(s, cp, static_cast<uint32_t>(n) * 2); }

std::string hex(const std::string &bytes) {
  std::string s;
  for (unsigned char b : bytes) s += {"0123456789ABCDEF"[b >> 4], "0123456789ABCDEF"[b & 15]};
  return s;
}

// One call into a buffer shifted by `shift` bytes (16-bit units at odd addresses): "result error|" and the whole
// buffer, two units past the capacity too: nothing may be written after the result (callers may count on a zero).
template <class O, class Call>
std::string outcome(Call call, int capacity, size_t shift) {
  std::string space((static_cast<size_t>(capacity) + 2) * sizeof(O) + 1, '\x5A');
  SetLastError(0);
  const int r = call(capacity ? reinterpret_cast<O *>(space.data() + shift) : nullptr, capacity);
  return std::to_string(r) + " " + std::to_string(r > 0 ? 0 : GetLastError()) + "|" + space.substr(shift, space.size() - 1);
}

// From an odd address (the converters read in 16-byte blocks), with its length and to the zero: measure, convert
// with room to spare, with just enough room and one unit too few, into an aligned and a shifted buffer; then the
// whole export, with the size it reports in iRetSize.
template <class S>
void compare(UINT cp, const S &text) {
  using In = std::conditional_t<sizeof(typename S::value_type) == 1, char, wchar_t>;
  using Out = std::conditional_t<sizeof(In) == 1, wchar_t, char>;
  const size_t bytes = text.size() * sizeof(In);
  std::string space(1 + bytes + sizeof(In), '\0');
  std::memcpy(space.data() + 1, text.data(), bytes);
  const auto *s = reinterpret_cast<const In *>(space.data() + 1);
  const int n = static_cast<int>(text.size());
  const std::string label = "code page " + std::to_string(cp) + " input " + hex(space.substr(1, 48));
  if (n == 0) return;
  for (int length : {n, -1}) {
    if (length < 0 && text.find(typename S::value_type(0)) != S::npos) continue;
    auto o = [&](Out *out, int c) { return ours(cp, s, length, out, c); };
    auto t = [&](Out *out, int c) { return theirs(cp, s, length, out, c); };
    const int need = t(nullptr, 0);
    ASSERT_EQ(o(nullptr, 0), need) << label << " length " << length << " (measure)";
    for (int capacity : {need, need + 5, need - 1})
      for (size_t shift : {0, 1}) {
        if (capacity == need - 1 && need <= 1) continue;
        ASSERT_EQ(outcome<Out>(o, capacity, shift), outcome<Out>(t, capacity, shift))
            << label << " length " << length << " capacity " << capacity << " shift " << shift;
      }
  }
  const int k = theirs(cp, s, n, nullptr, 0);
  std::basic_string<Out> expected(static_cast<size_t>(k), 0);
  theirs(cp, s, n, expected.data(), k);
  Out *r = exported(cp, s, n);
  EXPECT_EQ(xCore.iRetSize, static_cast<uint32_t>(k) * sizeof(Out)) << label;
  EXPECT_EQ(std::basic_string<Out>(r, xCore.iRetSize / sizeof(Out)), expected) << label;
  EXPECT_EQ(r[xCore.iRetSize / sizeof(Out)], 0) << label;
  xCore_free(r);
}

struct Row { const char *name; std::vector<UINT> pages; Bytes (*narrow)(); Units (*wide)(); };

const Row kRows[] = {
    {"OneNonAsciiAtEveryPosition", {kUtf8},
     [] { return everywhere<std::string>({utf8_of(0xE9), utf8_of(0x7FF), kHan8, utf8_of(0xFFFF), utf8_of(0x1F600)}); },
     [] { return everywhere<std::u16string>({u"\x80", u"\xE9", u"\x7FF", u"\x800", u"\x4E2D", u"\xFFFF", u"\xD83D\xDE00"},
                                            {u"", u"\x4E2D"}); }},
    {"EverySequencePairTripleAndUnit", {kUtf8}, utf8_every_sequence, units_every_unit},
    {"InvalidUtf8AndLoneSurrogates", {kUtf8},
     [] {  // overlong; surrogates; past U+10FFFF; never leads; cut short
       return everywhere<std::string>(
           {"\xC0\x80", "\xC1\xBF", "\xE0\x80\x80", "\xE0\x9F\xBF", "\xF0\x80\x80\x80", "\xF0\x8F\xBF\xBF",
            "\xED\xA0\x80", "\xED\xBF\xBF", "\xED\xA0\x80\xED\xB0\x80",
            "\xF4\x90\x80\x80", "\xF5\x80\x80\x80", "\xF8\x88\x80\x80\x80", "\xFC\x84\x80\x80\x80\x80",
            "\x80", "\xBF", "\xC0", "\xC1", "\xF5", "\xFE", "\xFF",
            "\xC3", "\xE4\xB8", "\xF0\x9F\x98", "\xC3" "A", "\xE4\xB8" "A", "\xF0\x9F" "A"}, {"", kHan8});
     },
     [] {
       return everywhere<std::u16string>({u"\xD800", u"\xDBFF", u"\xDC00", u"\xDFFF", u"\xDE00\xD83D",
                                          u"\xD83D\xD83D\xDE00", u"\xD83D" "A", u"\xDE00" "A"}, {u"", u"\x4E2D"});
     }},
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
  for (UINT cp : GetParam().pages) {
    for (const std::string &s : GetParam().narrow())
      if (compare(cp, s), HasFatalFailure()) return;
    for (const std::u16string &w : GetParam().wide())
      if (compare(cp, w), HasFatalFailure()) return;
  }
}

INSTANTIATE_TEST_SUITE_P(Conversions, Differential, testing::ValuesIn(kRows),
                         [](const testing::TestParamInfo<Row> &info) { return std::string(info.param.name); });

// The result, or minus the error of a failure.
template <class F, class... A>
int result_or_error(F f, A... a) {
  SetLastError(0);
  const int r = f(a...);
  return r ? r : -static_cast<int>(GetLastError());
}
#define SAME_AS_SYSTEM(ours, theirs, ...) \
  EXPECT_EQ(result_or_error(ours, __VA_ARGS__), result_or_error(theirs, __VA_ARGS__)) << #__VA_ARGS__
#define SAME_M2W(...) SAME_AS_SYSTEM(tarvo::multibyte_to_wide, MultiByteToWideChar, __VA_ARGS__)
#define SAME_W2M(...) SAME_AS_SYSTEM(tarvo::wide_to_multibyte, WideCharToMultiByte, __VA_ARGS__)

// Flags, default characters and bad arguments go to the system call as given.
TEST(SystemCall, FlagsDefaultsAndBadArgumentsAsTheSystemHasThem) {
  xCoreInit();
  wchar_t w[8];
  char a[8];
  SAME_M2W(kUtf8, MB_ERR_INVALID_CHARS, "a\xff" "b", 3, w, 8);
  SAME_W2M(kUtf8, WC_ERR_INVALID_CHARS, L"a\xD800" "b", 3, a, 8, nullptr, nullptr);
  SAME_M2W(kUtf8, 0, nullptr, 3, w, 8);
  SAME_W2M(kUtf8, 0, L"ab", 0, a, 8, nullptr, nullptr);
  SAME_M2W(kUtf8, 0, "ab", -2, w, 8);
  SAME_M2W(kUtf8, 0, "ab", 2, nullptr, 8);
  SAME_M2W(54936, 0, "ab", 2, w, 8);  // a code page the system lacks
  SAME_W2M(kUtf8, 0, L"ab", 2, a, -1, nullptr, nullptr);
  BOOL used_ours = 5, used_theirs = 5;
  EXPECT_EQ(result_or_error(tarvo::wide_to_multibyte, CP_ACP, 0, L"ab", 2, a, 8, "?", &used_ours),
            result_or_error(WideCharToMultiByte, CP_ACP, 0, L"ab", 2, a, 8, "?", &used_theirs));
  EXPECT_EQ(used_ours, used_theirs);
}

// A large UTF-16 file read as UTF-8 is converted piece by piece (pieces of 1 MiB): the result must be the one
// conversion of the whole text, whatever falls on a piece's edge.
TEST(WholeFile, ReadInPiecesAsOneConversion) {
  xCoreInit();
  tarvo::test::TempDir dir;
  const size_t piece = (1u << 20) / 2, end = SIZE_MAX;  // in units
  const struct {
    const char *what;
    size_t at;  // where the odd units go
    std::u16string odd;
    bool odd_byte;  // one byte more at the file's end
  } cases[] = {
      {"plain", 0, u"", false}, {"a pair across the first edge", piece - 1, u"\xD83D\xDE00", false},
      {"a pair across the second edge", 2 * piece - 1, u"\xD83D\xDE00", false},
      {"a lone high surrogate before the edge", piece - 1, u"\xD83D" "a", false},
      {"a lone low surrogate after the edge", piece, u"\xDE00", false},
      {"a lone high surrogate at the end", end, u"\xD83D", false}, {"an odd byte at the end", end, u"\x4E2D", true},
  };
  const std::wstring path = dir.file(L"big.txt");
  for (const auto &c : cases) {
    std::u16string text;
    for (size_t i = 0; text.size() < 2 * piece + 1000; ++i) text += i % 9 ? u"text " : u"\x6587\x5B57 ";
    text.insert(c.at == end ? text.size() : c.at, c.odd);
    std::string bytes = "\xFF\xFE" + std::string(reinterpret_cast<const char *>(text.data()), text.size() * 2);
    tarvo::test::raw_write(path, c.odd_byte ? bytes + 'x' : bytes);
    const auto *w = reinterpret_cast<const wchar_t *>(text.data());
    std::string expected(static_cast<size_t>(theirs(CP_UTF8, w, static_cast<int>(text.size()), nullptr, 0)), '\0');
    theirs(CP_UTF8, w, static_cast<int>(text.size()), expected.data(), static_cast<int>(expected.size()));
    for (int32_t charset : {1200, -2}) {
      char *r = xFile_ReadAllU(tarvo::test::utf8(path).c_str(), charset);
      EXPECT_EQ(xCore.iRetSize, expected.size()) << c.what << " charset " << charset;
      EXPECT_TRUE(std::string(r, xCore.iRetSize) == expected && r[xCore.iRetSize] == 0) << c.what << " charset " << charset;
      xCore_free(r);
    }
  }
}

}  // namespace
