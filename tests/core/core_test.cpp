// The core record, conversions, strings, UCS-2 / UCS-4, paths, processes and text utilities.
#include "alloc_counter.hpp"
#include "temp_dir.hpp"
#include "xstring.h"
#include "xtext.h"

#include <windows.h>
#include <shlobj.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace {

using tarvo::test::utf8;
using Strings = std::vector<std::string>;
using WStrings = std::vector<std::wstring>;
using Units16 = std::vector<uint16_t>;
using Units32 = std::vector<uint32_t>;

// Results are taken into standard strings and released at once: every check also proves the release.
class Core : public tarvo::test::LeakCheckedTest {
 protected:
  // `unit` nonzero: the text is iRetSize / unit characters long (zeros may be inside).
  template <class T>
  static std::basic_string<T> take(T *r, size_t unit = 0) {
    std::basic_string<T> s = unit ? std::basic_string<T>(r, xCore.iRetSize / unit) : std::basic_string<T>(r);
    EXPECT_EQ(r[s.size()], 0) << "terminated";
    xCore_free(r);
    return s;
  }
  // A split result: one block holding a null-terminated list of iRetSize pieces.
  template <class T>
  static std::vector<std::basic_string<T>> take(T **r) {
    std::vector<std::basic_string<T>> out;
    for (T **p = r; *p; ++p) out.emplace_back(*p);
    EXPECT_EQ(out.size(), xCore.iRetSize);
    xCore_free(r);
    return out;
  }
  static bool none(const void *r) { return r == xCore.EmptyString; }
};

TEST(CoreRecord, LayoutValuesAndSlotsAfterLoad) {
#define AT(name, off) EXPECT_EQ(offsetof(xCoreRecord, name), size_t{off}) << #name;
  AT(SuspendProcess, 0) AT(ResumeProcess, 8) AT(Stamp, 16) AT(EmptyString, 24) AT(GcHeap, 32) AT(SysBits, 40)
  AT(sRet, 48) AT(iRetSize, 56) AT(iRet, 60) AT(iRet64, 64) AT(dRet, 72) AT(LastErrorID, 80) AT(LastError, 88)
  AT(SavedKeyboardLayout, 96) AT(SavedImeContext, 104) AT(Reserved, 112) AT(GuiWindow, 120) AT(AppFile, 128)
  AT(AppPath, 136) AT(ModPath, 144) AT(malloc, 152) AT(calloc, 160) AT(realloc, 168) AT(free, 176)
  AT(GC_Start, 184) AT(GC_Stop, 192) AT(GC_Pause, 200) AT(GC_Resume, 208) AT(GC_Run, 216) AT(GC_Add, 224)
  AT(GC_Remove, 232) AT(A2W, 240) AT(W2A, 248) AT(U2W, 256) AT(W2U, 264) AT(A2U, 272) AT(U2A, 280)
#undef AT
  for (size_t width : {sizeof xCore.Stamp, sizeof xCore.SysBits, sizeof xCore.iRetSize, sizeof xCore.iRet,
                       sizeof xCore.LastErrorID})
    EXPECT_EQ(width, 4u);
  EXPECT_EQ(sizeof(xCoreRecord), 288u);
  EXPECT_EQ(xCore.Stamp + xCore.SysBits + xCore_SysBits(), 256u + 64 + 64);
  EXPECT_EQ(reinterpret_cast<const wchar_t *>(xCore.EmptyString)[0], 0) << "an empty UTF-16 text too";
  EXPECT_EQ(xCore.LastErrorID + xCore.iRet64 + xCore.dRet, 0);
  EXPECT_TRUE(xCore.LastError == xCore.EmptyString && !xCore.Reserved && !xCore.GcHeap);
  EXPECT_TRUE(std::string(xCore.ModPath) == xCore.AppPath && std::string(xCore.AppFile).rfind(xCore.AppPath, 0) == 0);
  HMODULE lib = GetModuleHandleW(L"tarvo.dll");
  EXPECT_EQ(&xCore, reinterpret_cast<void *>(GetProcAddress(lib, "xCore")));
  EXPECT_EQ(reinterpret_cast<void *>(xCore.U2A), reinterpret_cast<void *>(GetProcAddress(lib, "xCore_U2A")));
  xCore_free(const_cast<char *>(xCore.EmptyString));
  xCore_free(nullptr);
  EXPECT_EQ(xCore.EmptyString[0], 0) << "freeing EmptyString or null does nothing";
}

// The full range's span does not fit 32 bits: computed there, every draw was the low bound.
TEST(CoreOps, RandStaysInItsHalfOpenRangeAndSpansTheFullRange) {
  EXPECT_EQ(xCore_Rand(5, 5), 5);
  bool moved = false;
  for (int i = 0; i < 200; ++i) {
    EXPECT_EQ(xCore_Rand(1, 2), 1);
    moved |= xCore_Rand(INT32_MIN, INT32_MAX) != INT32_MIN || xCore_Rand(INT32_MAX, INT32_MIN) != INT32_MIN;
  }
  EXPECT_TRUE(moved) << "the widest range draws more than its low bound";
}

TEST(CoreOps, ImeDisableTwiceThenEnableRestores) {
  HWND hwnd = CreateWindowExW(0, L"STATIC", L"ime", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  HKL before = GetKeyboardLayout(0);
  EXPECT_EQ(IME_Disable(hwnd) + IME_Disable(hwnd), 2);
  EXPECT_EQ(xCore.SavedKeyboardLayout, static_cast<void *>(before)) << "a second disable keeps the first";
  EXPECT_EQ(IME_Enable(hwnd), 1);
  EXPECT_TRUE(!xCore.SavedKeyboardLayout && !xCore.SavedImeContext && GetKeyboardLayout(0) == before);
  DestroyWindow(hwnd);
}

TEST_F(Core, ConversionsReportBytesPassZerosGiveTheEmptyStringForNothingAndShareNoSize) {
  // What each code page makes of a text is the differential test's: here the length 0 (to the zero) and A2U.
  EXPECT_EQ(take(xCore_A2U("a\0b", 3), 1), std::string("a\0b", 3)) << "the zero is converted too";
  EXPECT_EQ(take(xCore_U2W("a\xff" "b\xc3", 0), 2).find(L'\xFFFD'), 1u) << "invalid UTF-8";
  size_t before = counter().allocated();
  for (uint32_t cp : {0u, 65001u, 936u}) {
    xCore.iRetSize = 9;
    EXPECT_TRUE(none(xCore_M2W(nullptr, cp, 0)) && xCore.iRetSize == 0u) << cp;
    EXPECT_TRUE(none(xCore_M2W("", cp, 0)) && none(xCore_W2M(nullptr, cp, 4))) << cp;
  }
  EXPECT_TRUE(none(xCore_A2U(nullptr, 0)));
  EXPECT_EQ(counter().allocated(), before);
  // Sizes travel with their results inside the library, not through the shared registers.
  std::atomic<bool> done{false};
  std::thread writer([&] {
    while (!done) xCore.iRetSize = 2;
  });
  bool same = true;
  for (int i = 0; i < 20000 && same; ++i) {
    char *u = xCore_A2U("conversion of a longer text", 0);
    same = std::string(u) == "conversion of a longer text";
    xCore_free(u);
    same = same && xCore_InStrW(L"a needle in a haystack", L"haystack", 0) == 15;
  }
  done = true;
  writer.join();
  EXPECT_TRUE(same);
}

TEST_F(Core, CopiesCaseMappingAndFormatting) {
  xCore.iRetSize = 123;
  EXPECT_EQ(take(xCore_CopyStringW(L"abcdef", 3)), L"abc");
  EXPECT_EQ(xCore.iRetSize, 123u) << "copies leave the size alone";
  char text[] = "ABC";
  EXPECT_EQ(xCore_LCaseA(text, 0, 1), text);
  EXPECT_STREQ(text, "abc");
  wchar_t wide[] = L"MiXeD \x00C4";
  EXPECT_EQ(take(xCore_UCaseW(wide, 0, 0)), L"MIXED \x00C4") << "only ASCII letters change";
  EXPECT_EQ(take(xCore_LCaseW(wide, 2, 0)), L"mi") << "the argument stays";
  // A 3-byte character, then a letter: the letter is mapped, never skipped.
  EXPECT_EQ(take(xCore_LCaseA(const_cast<char *>("\xe4\xb8\xad" "A\xc3\xa9Z"), 0, 0)), "\xe4\xb8\xad" "a\xc3\xa9z");
  EXPECT_EQ(take(xCore_FormatA("%s-%d-%I64d", "x", 42, 1234567890123LL), 1), "x-42-1234567890123");
  EXPECT_EQ(take(xCore_FormatW(L"%s=%d", L"\x4E2D", 7), 2), L"\x4E2D=7") << "%s takes a wide string";
  xCore.iRetSize = 55;
  EXPECT_TRUE(none(xCore_FormatA(nullptr)) && xCore.iRetSize == 55u) << "a null format leaves the size alone";
  EXPECT_TRUE(none(xCore_CopyStringA(nullptr, 0)) && none(xCore_UCaseA(nullptr, 0, 0)));
}

Units16 narrow(Units32 units, uint32_t cp) {
  uint32_t bytes = xCore_UCS4_To_UCS2(units.data(), static_cast<uint32_t>(units.size() * 4), cp);
  Units16 out(bytes / 2);
  std::memcpy(out.data(), units.data(), bytes);
  return out;
}
Units32 widen(const Units16 &text, uint32_t cp) {
  uint32_t *u = xCore_UCS2_To_UCS4(text.data(), static_cast<uint32_t>(text.size() * 2), cp);
  Units32 r(u, u + xCore.iRetSize / 4);
  EXPECT_EQ(u[r.size()], 0u);
  xCore_free(u);
  return r;
}

TEST_F(Core, ClassifiersAndUcsConversionsPairAstralCodePointsAndReplaceWhatIsNoCharacter) {
  struct Case { const char *bytes; int ascii, utf8, utf7; };
  const Case cases[] = {{"", 1, 1, 1}, {"plain text", 1, 1, 0},  // plain ASCII is not UTF-7
                        {"1+1=2", 1, 1, 0}, {"a +- b", 1, 1, 0},  // a literal plus alone encodes nothing
                        {"Hi Mom -+Jjo--!", 1, 1, 1}, {"+ZeVnLIqe-", 1, 1, 1}, {"\xc3\xa9", 0, 1, 0},
                        {"\x80", 0, 0, 0}, {"\xc3" "A", 0, 0, 0},
                        {"ab\xe4\xb8", 0, 1, 0},  // a sequence cut at the end of the range
                        {"+Jjo-\xc3\xa9", 0, 1, 0}};
  for (const Case &c : cases) {
    auto n = static_cast<uint32_t>(std::strlen(c.bytes));
    EXPECT_EQ(xCore_StringIsAscii(c.bytes, n), c.ascii) << c.bytes;
    EXPECT_EQ(xCore_StringIsUtf8(c.bytes, n), c.utf8) << c.bytes;
    EXPECT_EQ(xCore_StringIsUtf7(c.bytes, n), c.utf7) << c.bytes;
  }
  unsigned char b[] = {0x00, 0x41, 0x4E, 0x2D, 0x7F};
  xCore_UCS2_BE2LE(b, 5);
  EXPECT_EQ(std::memcmp(b, "\x41\x00\x2D\x4E\x7F", 5), 0) << "an odd last byte stays";
  EXPECT_EQ(xCore_UCS4_BE2LE(0x11223344u), 0x44332211u);
  EXPECT_EQ(narrow({0x41, 0x1F600, 0xF0000, 0x10FFFF}, 1200),
            (Units16{0x41, 0xD83D, 0xDE00, 0xDB80, 0xDC00, 0xDBFF, 0xDFFF}));
  EXPECT_EQ(narrow({0x41, 0x110000, 0x42}, 1200), (Units16{0x41, 0xFFFD, 0x42}));
  EXPECT_EQ(narrow({0xD83D, 0xDE00, 0xDFFF, 0x42}, 1200), (Units16{0xFFFD, 0xFFFD, 0xFFFD, 0x42}))
      << "surrogate values are no characters: passed on, two would pair into one";
  EXPECT_EQ(narrow({0x41, 0, 0x42}, 1200), (Units16{0x41})) << "a zero unit ends the text";
  EXPECT_EQ(narrow({0x41000000, 0x00F60100}, 65006), (Units16{0x41, 0xD83D, 0xDE00}));
  EXPECT_EQ(xCore_UCS4_To_UCS2(nullptr, 8, 65005), 0u);
  EXPECT_EQ(widen({0x41, 0xD83D, 0xDE00, 0x42}, 65005), (Units32{0x41, 0x1F600, 0x42}));
  EXPECT_EQ(widen({0xD83D, 0x61, 0x62, 0xDE00}, 65005), (Units32{0xFFFD, 0x61, 0x62, 0xFFFD}))
      << "no unit after a lone surrogate is lost";
  EXPECT_EQ(widen({0x41, 0xD83D, 0xDE00}, 65006), (Units32{0x41000000, 0x00F60100})) << "big-endian";
  EXPECT_EQ(widen({}, 65005), Units32{});
}

TEST_F(Core, PathSizesAndProcessStart) {
  std::wstring path = take(xCore_SystemPathW(CSIDL_WINDOWS));
  EXPECT_TRUE(path.size() > 3 && path.back() == L'\\' && path[path.size() - 2] != L'\\') << "one backslash at the end";
  EXPECT_EQ(xCore.iRetSize, path.size() - 1) << "the length before the backslash was added";
  EXPECT_EQ(take(xCore_SystemPathU(CSIDL_WINDOWS)), utf8(path));
  EXPECT_TRUE(none(xCore_SystemPathA(0x7FFF)) && xCore.iRetSize == 0u);
  std::wstring folder = take(xCore_AppPathW()), program = folder + L"exit_with.exe";
  EXPECT_EQ(xCore.iRetSize, folder.size()) << "characters up to and including the last backslash";
  EXPECT_EQ(xCore_ChainW((L"\"" + program + L"\" 42").c_str(), SW_HIDE), 42u);
  EXPECT_TRUE(xCore_StartW(program.c_str(), SW_HIDE) > 32 && xCore_StartW(L"Z:\\no\\such.txt", SW_HIDE) <= 32);
  EXPECT_TRUE(!xCore_RunW(nullptr, SW_HIDE) && !xCore_RunU(nullptr, SW_HIDE) && !xCore_ChainW(nullptr, SW_HIDE));
}

TEST_F(Core, SplitCopiesIntoOneBlockOrCutsInPlaceOnEachKindOfSeparator) {
  char text[] = ",a,,b";
  size_t before = counter().allocated();
  char **r = xCore_SplitA(text, ",", 0);
  EXPECT_EQ(counter().allocated() - before, 1u) << "array and copy share one allocation";
  EXPECT_EQ(take(r), (Strings{"", "a", "", "b"}));
  EXPECT_STREQ(text, ",a,,b");
  char cut[] = "a;bc;d";
  r = xCore_SplitCharA(cut, ';', 1);
  EXPECT_EQ(r[1], cut + 2);
  EXPECT_EQ(take(r), (Strings{"a", "bc", "d"}));
  EXPECT_EQ(cut[1], '\0');
  wchar_t wtext[] = L"abc";
  wchar_t **w = xCore_SplitTextW(wtext, L"", 1);
  EXPECT_EQ(w[0], wtext);
  EXPECT_EQ(take(w), (WStrings{L"abc"})) << "an empty separator matches nowhere";
  char list[] = "a\0bc\0\0";
  EXPECT_EQ(take(xCore_SplitCharA(list, '\0', 0)), (Strings{"a", "bc"}));
  EXPECT_EQ(take(xCore_SplitA(list, nullptr, 0)), (Strings{"a", "bc"})) << "a null separator splits on 0";
  wchar_t wlist[] = L"x\0yz\0\0";
  EXPECT_EQ(take(xCore_SplitCharW(wlist, 0, 1)), (WStrings{L"x", L"yz"}));
  // The empty list: one empty piece, nothing read past the first zero pair.
  EXPECT_EQ(take(xCore_SplitCharA(const_cast<char *>(xCore.EmptyString), '\0', 0)), (Strings{""}));
  char commas[] = "x,y;z";
  EXPECT_EQ(take(xCore_SplitTextA(commas, nullptr, 0)), (Strings{"x", "y;z"})) << "null means a comma";
  char overlapping[] = "aaa";
  EXPECT_EQ(take(xCore_SplitTextA(overlapping, "aa", 0)), (Strings{"", "a"})) << "matches do not overlap";
  wchar_t pairs[] = L"\x4E2D\xD83D\xDE00|a\xD83D\xDE00";
  EXPECT_EQ(take(xCore_SplitW(pairs, L"\xD83D\xDE00", 0)), (WStrings{L"\x4E2D", L"|a", L""}));
  for (int inplace : {0, 1}) EXPECT_EQ(take(xCore_SplitA(nullptr, ",", inplace)), (Strings{""}));
}

TEST_F(Core, ReplaceTakesOccurrencesLeftToRightWithoutOverlapAndFindCountsFromOne) {
  const struct { const char *text, *old_text, *new_text, *expected; } cases[] = {
      {"aaa", "aa", "b", "ba"}, {"xxx", "x", "xyz", "xyzxyzxyz"},
      {"a-b-c", "-", nullptr, "abc"},                         // a null new text deletes
      {"abc", nullptr, "x", "abc"}, {"abc", "", "x", "abc"}};  // a null or empty old text matches nowhere
  for (const auto &c : cases) {
    char *r = xCore_ReplaceA(c.text, c.old_text, c.new_text);
    EXPECT_NE(r, c.text) << "always a copy";
    EXPECT_EQ(take(r, 1), c.expected) << c.text;
  }
  EXPECT_EQ(take(xCore_ReplaceW(L"\x4E2D\x6587\x4E2D", L"\x4E2D", L"\xD83D\xDE00"), 1),
            L"\xD83D\xDE00\x6587\xD83D\xDE00") << "the size counts units";
  EXPECT_TRUE(none(xCore_ReplaceA(nullptr, "a", "b")));
  EXPECT_TRUE(none(xCore_ReplaceA("aa", "aa", "")) && xCore.iRetSize == 0u);
  // More matches than the search keeps offsets for.
  std::string text, replaced;
  Strings pieces;
  for (int i = 0; i < 1000; ++i) {
    pieces.push_back(std::to_string(i));
    text += pieces.back() + "<>";
    replaced += pieces.back() + "|";
  }
  pieces.push_back("");
  EXPECT_EQ(take(xCore_ReplaceA(text.c_str(), "<>", "|"), 1), replaced);
  EXPECT_EQ(take(xCore_SplitA(text.data(), "<>", 0)), pieces);
  EXPECT_EQ(take(xCore_SplitA(text.data(), "<>", 1)), pieces);
  // Positions are one-based, in units or bytes.
  EXPECT_TRUE(xCore_InStrW(L"Hello", L"LL", 0) == 0 && xCore_InStrW(L"Hello", L"LL", 1) == 3) << "ignoring case";
  const char *hello = "Hello";
  EXPECT_TRUE(xCore_FindStrA(hello, "LO", 1) == hello + 3 && xCore.iRetSize == 4u);
  EXPECT_TRUE(!xCore_FindStrA(hello, "x", 0) && xCore.iRetSize == 0u);
  EXPECT_EQ(xCore_InStrW(L"\xD83D\xDE00\x4E00\x4E8C\x4E09", L"\x4E09", 0), 5u) << "a pair is two units";
  EXPECT_EQ(xCore_InStrA("\xe4\xb8\xad" "a", "A", 1), 4u);
  EXPECT_TRUE(!xCore_FindStrW(nullptr, L"a", 0) && !xCore_InStrA(nullptr, "a", 1)) << "a null text finds nothing";
  const wchar_t *wtext = L"abc";
  EXPECT_TRUE(xCore_FindStrW(wtext, nullptr, 0) == wtext && xCore.iRetSize == 1u) << "a null needle matches at 1";
  EXPECT_EQ(xCore_InStrA("", "", 0), 1u);
}

TEST_F(Core, TrimAndFilterCopyOrWorkInPlaceAndCountRemovedCharacters) {
  wchar_t text[] = L" \tab \n";
  EXPECT_EQ(take(xxLTrimW(text, nullptr, 0)), L"ab \n");
  EXPECT_EQ(xCore.iRetSize, 2u) << "characters removed";
  EXPECT_EQ(take(xxRTrimW(text, nullptr, 0)), L" \tab");
  EXPECT_EQ(take(xxTrimW(text, nullptr, 0)), L"ab");
  EXPECT_STREQ(text, L" \tab \n") << "a copy leaves the argument alone";
  EXPECT_EQ(xxTrimW(text, nullptr, 1), text);
  EXPECT_STREQ(text, L"ab") << "in place the kept text moves to the start";
  wchar_t blanks[] = L"   ";
  EXPECT_TRUE(none(xxTrimW(blanks, nullptr, 0)) && xCore.iRetSize == 3u);
  EXPECT_TRUE(none(xxTrimW(nullptr, nullptr, 0)) && xCore.iRetSize == 0u);
  wchar_t dashes[] = L"a-b-c";
  EXPECT_EQ(take(xxStringFilterW(dashes, L"-", 0)), L"abc");
  EXPECT_TRUE(xxStringFilterW(dashes, L"-b", 1) == dashes && xCore.iRetSize == 3u);
  EXPECT_STREQ(dashes, L"ac");
  wchar_t *copy = xxStringFilterW(dashes, nullptr, 0);
  EXPECT_TRUE(copy != dashes && take(copy) == L"ac") << "no set: a copy";
  EXPECT_TRUE(none(xxStringFilterW(dashes, L"ca", 0))) << "nothing left";
  // U+1F601 shares its high surrogate with U+1F600 in the set: it must stay.
  wchar_t pairs[] = L"\xD83D\xDE01\xD83D\xDE00" L"a\xD83D\xDE00";
  EXPECT_EQ(take(xxTrimW(pairs, L"\xD83D\xDE00", 0)), L"\xD83D\xDE01\xD83D\xDE00" L"a");
  EXPECT_EQ(xCore.iRetSize, 2u);
  EXPECT_EQ(take(xxStringFilterW(pairs, L"\xD83D\xDE00", 0)), L"\xD83D\xDE01" L"a");
  // The narrow forms report the size of the converted result, in bytes.
  EXPECT_EQ(take(xxTrimU("  \xe4\xb8\xad\xe6\x96\x87  ", " "), 1), "\xe4\xb8\xad\xe6\x96\x87");
  EXPECT_EQ(take(xxRTrimA("ab  ", " "), 1), "ab");
  EXPECT_EQ(take(xxTrimU("  a  ", nullptr)), "  a  ") << "a null set arrives as the empty set";
  EXPECT_TRUE(none(xxTrimA(nullptr, " ")) && none(xxStringFilterU(nullptr, "a")));
}

TEST_F(Core, HexAndUriCodecsAndXxHash) {
  EXPECT_EQ(take(HexEncode("AB", 0)), "4142") << "count 0 stops at a zero byte";
  const std::pair<const char *, std::string> hex[] = {{"0aFF", "\x0a\xff"},
                                                      {"4", "\x3f"},    // the missing digit counts as -1
                                                      {"zz", "\xef"}};  // invalid digits decode without error
  for (const auto &[in, out] : hex) EXPECT_EQ(take(HexDecode(in, 0), 1), out) << in;
  EXPECT_EQ(take(HexDecode("41424", 4), 1), "AB") << "the length bounds the input";
  EXPECT_EQ(take(UriEncode("http://host:8080/a?x=1&y")), "http://host:8080/a%3Fx%3D1%26y");
  EXPECT_EQ(take(UriEncode("x://host")), "x%3A//host") << "no slash after the host: the colon is encoded";
  EXPECT_EQ(take(UriEncode("a-b_c.d/+%\xe4")), "a-b_c.d/%2B%25%E4");
  EXPECT_EQ(take(UriDecode("a%20b+c%E4%b8%AD"), 1), "a b+c\xe4\xb8\xad");
  for (const char *cut : {"abc%", "abc%4"}) EXPECT_EQ(take(UriDecode(cut), 1), cut) << "a cut escape stays as it is";
  EXPECT_TRUE(none(HexEncode(nullptr, 3)) && none(HexDecode(nullptr, 0)));
  EXPECT_TRUE(none(UriEncode(nullptr)) && none(UriDecode("")));
  // Published values, and the reference library's of a fixed pattern with a seed.
  EXPECT_EQ(XXH32("", 0, 0), 0x02CC5D05u);
  EXPECT_EQ(XXH64(nullptr, 16, 0), 0xEF46DB3751D8E999ull) << "null data hashes as empty";
  unsigned char data[1000];
  for (size_t i = 0; i < sizeof data; ++i) data[i] = static_cast<unsigned char>(i * 31 + 7);
  EXPECT_EQ(XXH32(data, 3, 2654435761u), 0xED8936D0u);
  EXPECT_EQ(XXH64(data, 999, 0x9E3779B97F4A7C15ull * 7), 0x3C5039CAE779F3B3ull);
}

}  // namespace
