// The core record, conversions, copies and case, formatting, the classifiers,
// UCS-2 / UCS-4, paths of the running program and process start.
#include "../text/text_fixture.hpp"
#include "temp_dir.hpp"
#include "xcore.h"
#include "xstring.h"
#include "xtext.h"

#include <windows.h>
#include <shlobj.h>

#include <atomic>
#include <cstddef>
#include <cstring>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

using tarvo::test::utf8;
using Units16 = std::vector<uint16_t>;
using Units32 = std::vector<uint32_t>;

class Core : public tarvo::test::TextTest {};

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
  ASSERT_NE(xCore.EmptyString, nullptr);
  EXPECT_EQ(reinterpret_cast<const wchar_t *>(xCore.EmptyString)[0], 0) << "an empty UTF-16 text too";
  EXPECT_EQ(xCore.LastErrorID + xCore.iRet64 + xCore.dRet, 0);
  EXPECT_TRUE(xCore.LastError == xCore.EmptyString && !xCore.Reserved && !xCore.GcHeap);
  EXPECT_STREQ(xCore.AppPath, xCore.ModPath);
  EXPECT_EQ(std::string(xCore.AppFile).rfind(xCore.AppPath, 0), 0u) << "AppFile lies in AppPath";
  HMODULE lib = GetModuleHandleW(L"tarvo.dll");
  const std::pair<void *, const char *> slots[] = {
      {reinterpret_cast<void *>(xCore.free), "xCore_free"}, {reinterpret_cast<void *>(xCore.A2W), "xCore_A2W"},
      {reinterpret_cast<void *>(xCore.W2U), "xCore_W2U"},   {reinterpret_cast<void *>(xCore.U2A), "xCore_U2A"},
      {reinterpret_cast<void *>(xCore.GC_Remove), "xCore_GC_Remove"}, {&xCore, "xCore"}};
  for (const auto &[slot, name] : slots) EXPECT_EQ(slot, reinterpret_cast<void *>(GetProcAddress(lib, name))) << name;
  xCore_free(const_cast<char *>(xCore.EmptyString));
  xCore_free(nullptr);
  EXPECT_EQ(xCore.EmptyString[0], 0) << "freeing EmptyString or null does nothing";
}

// The full range's span does not fit 32 bits: computed there, it wraps to -1
// and every draw is the low bound.
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
  ASSERT_NE(hwnd, nullptr);
  HKL before = GetKeyboardLayout(0);
  EXPECT_EQ(IME_Disable(hwnd) + IME_Disable(hwnd), 2);
  EXPECT_EQ(xCore.SavedKeyboardLayout, static_cast<void *>(before)) << "a second disable keeps the first";
  EXPECT_EQ(IME_Enable(hwnd), 1);
  EXPECT_TRUE(!xCore.SavedKeyboardLayout && !xCore.SavedImeContext);
  EXPECT_EQ(GetKeyboardLayout(0), before);
  DestroyWindow(hwnd);
}

TEST_F(Core, ConversionsReportBytesPassZerosAndGiveTheEmptyStringForNothing) {
  // CJK, an emoji and a private-use plane character (two units each).
  for (std::string text : {std::string("\xe4\xb8\xad"), std::string("\xf0\x9f\x98\x80"), std::string("\xf3\xb0\x80\x80")}) {
    std::wstring w = take(xCore_U2W(text.c_str(), 0), 2);
    EXPECT_EQ(w.size(), text.size() == 3 ? 1u : 2u);
    EXPECT_EQ(take(xCore_W2U(w.c_str(), static_cast<uint32_t>(w.size() * 2)), 1), text);
  }
  EXPECT_EQ(take(xCore_M2W("\xd6\xd0", 936, 0), 2), L"\x4E2D") << "the Chinese code page";
  EXPECT_EQ(take(xCore_W2M(L"\x4E2D", 936, 0), 1), "\xd6\xd0");
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
}

// Sizes travel with their results inside the library: a register written by
// another thread between two steps of one call must not change the result.
TEST_F(Core, AnotherThreadWritingTheRegistersChangesNoResult) {
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
  EXPECT_EQ(take(xCore_CopyStringA("abcdef", 0)), "abcdef");
  EXPECT_EQ(xCore.iRetSize, 123u) << "copies leave the size alone";
  char text[] = "ABC";
  EXPECT_EQ(xCore_LCaseA(text, 0, 1), text);
  EXPECT_STREQ(text, "abc");
  wchar_t wide[] = L"MiXeD \x00C4";
  EXPECT_EQ(take(xCore_UCaseW(wide, 0, 0)), L"MIXED \x00C4") << "only ASCII letters change";
  EXPECT_STREQ(wide, L"MiXeD \x00C4") << "the argument stays";
  EXPECT_EQ(take(xCore_LCaseW(wide, 2, 0)), L"mi");
  // A 3-byte character, then a letter: the letter is mapped, never skipped.
  EXPECT_EQ(take(xCore_LCaseA(const_cast<char *>("\xe4\xb8\xad" "A\xc3\xa9Z"), 0, 0)), "\xe4\xb8\xad" "a\xc3\xa9z");
  EXPECT_EQ(take(xCore_FormatA("%s-%d-%I64d", "x", 42, 1234567890123LL), 1), "x-42-1234567890123");
  EXPECT_EQ(take(xCore_FormatW(L"%s=%d", L"\x4E2D", 7), 2), L"\x4E2D=7") << "%s takes a wide string";
  xCore.iRetSize = 55;
  EXPECT_TRUE(none(xCore_FormatA(nullptr)) && xCore.iRetSize == 55u) << "a null format leaves the size alone";
  EXPECT_TRUE(none(xCore_CopyStringA(nullptr, 0)) && none(xCore_UCaseA(nullptr, 0, 0)));
}

TEST(Classifiers, AsciiUtf8AndUtf7) {
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

TEST_F(Core, UcsPairsAstralCodePointsAndReplacesWhatIsNoCharacter) {
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

std::wstring own_folder() {
  wchar_t buf[MAX_PATH];
  std::wstring file(buf, GetModuleFileNameW(nullptr, buf, MAX_PATH));
  return file.substr(0, file.rfind(L'\\') + 1);
}

TEST_F(Core, PathsOfTheProgramAndOfSystemFoldersWithTheirSizes) {
  std::wstring folder = own_folder();
  EXPECT_EQ(take(xCore_AppPathW()), folder);
  EXPECT_EQ(xCore.iRetSize, folder.size()) << "characters up to and including the last backslash";
  std::wstring path = take(xCore_SystemPathW(CSIDL_WINDOWS));
  ASSERT_GT(path.size(), 3u);
  EXPECT_TRUE(path.back() == L'\\' && path[path.size() - 2] != L'\\') << "one backslash at the end";
  EXPECT_EQ(xCore.iRetSize, path.size() - 1) << "the length before the backslash was added";
  EXPECT_EQ(take(xCore_SystemPathU(CSIDL_WINDOWS)), utf8(path));
  EXPECT_TRUE(none(xCore_SystemPathA(0x7FFF)) && xCore.iRetSize == 0u);
}

TEST(CoreProcess, ChainAndStartAndTheirFailureValues) {
  std::wstring program = own_folder() + L"exit_with.exe";
  EXPECT_EQ(xCore_ChainW((L"\"" + program + L"\" 42").c_str(), SW_HIDE), 42u);
  EXPECT_GT(xCore_StartW(program.c_str(), SW_HIDE), 32);
  EXPECT_LE(xCore_StartW(L"Z:\\no\\such\\document.txt", SW_HIDE), 32);
  EXPECT_TRUE(!xCore_RunW(nullptr, SW_HIDE) && !xCore_RunU(nullptr, SW_HIDE) && !xCore_ChainW(nullptr, SW_HIDE));
}

}  // namespace
