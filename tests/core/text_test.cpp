// Copies, case mapping, formatting and the classifiers.
#include "alloc_counter.hpp"
#include "xcore.h"
#include "xstring.h"

#include <cstring>
#include <string>

namespace {

class TextOps : public tarvo::test::LeakCheckedTest {};

TEST_F(TextOps, CopiesHonourLengthAndLeaveSizeAlone) {
  xCore.iRetSize = 123;
  wchar_t *w = xCore_CopyStringW(L"abcdef", 3);
  EXPECT_EQ(std::wstring(w), L"abc");
  char *a = xCore_CopyStringA("abcdef", 0);
  EXPECT_STREQ(a, "abcdef");
  EXPECT_EQ(xCore.iRetSize, 123u);
  xCore_free(a);
  xCore_free(w);
  EXPECT_EQ(static_cast<const void *>(xCore_CopyStringA(nullptr, 0)), xCore.EmptyString);
  EXPECT_EQ(static_cast<const void *>(xCore_CopyStringW(L"", 0)), xCore.EmptyString);
}

TEST_F(TextOps, CaseMappingInPlaceAndOnACopy) {
  char text[] = "ABC";
  EXPECT_EQ(xCore_LCaseA(text, 0, 1), text);
  EXPECT_STREQ(text, "abc");

  wchar_t wide[] = L"MiXeD \x00C4";
  wchar_t *copy = xCore_UCaseW(wide, 0, 0);
  EXPECT_NE(copy, wide);
  EXPECT_EQ(std::wstring(copy), L"MIXED \x00C4") << "only ASCII letters change";
  EXPECT_EQ(std::wstring(wide), L"MiXeD \x00C4") << "the argument stays";
  xCore_free(copy);

  wchar_t *part = xCore_LCaseW(wide, 2, 0);
  EXPECT_EQ(std::wstring(part), L"mi");
  xCore_free(part);
  EXPECT_EQ(static_cast<const void *>(xCore_UCaseA(nullptr, 0, 0)), xCore.EmptyString);
}

TEST_F(TextOps, AnsiCaseMappingNeverSkipsLettersOfUtf8Text) {
  // A 3-byte character, then an upper-case letter: the letter must be mapped.
  char text[] = "\xe4\xb8\xad" "A\xc3\xa9Z";
  char *lower = xCore_LCaseA(text, 0, 0);
  EXPECT_STREQ(lower, "\xe4\xb8\xad" "a\xc3\xa9z");
  xCore_free(lower);
}

TEST_F(TextOps, FormatMeasuresAndSetsSize) {
  char *a = xCore_FormatA("%s-%d-%I64d", "x", 42, 1234567890123LL);
  EXPECT_STREQ(a, "x-42-1234567890123");
  EXPECT_EQ(xCore.iRetSize, std::strlen(a));
  xCore_free(a);

  wchar_t *w = xCore_FormatW(L"%s=%d", L"\x4E2D", 7);
  EXPECT_EQ(std::wstring(w), L"\x4E2D=7") << "%s takes a wide string in the W form";
  EXPECT_EQ(xCore.iRetSize, 6u);
  xCore_free(w);

  xCore.iRetSize = 55;
  EXPECT_EQ(static_cast<const void *>(xCore_FormatA(nullptr)), xCore.EmptyString);
  EXPECT_EQ(xCore.iRetSize, 55u) << "a null format leaves the size alone";
  char *empty = xCore_FormatA("%s", "");
  EXPECT_STREQ(empty, "");
  EXPECT_EQ(xCore.iRetSize, 0u);
  xCore_free(empty);
}

TEST(Classifiers, Ascii) {
  EXPECT_EQ(xCore_StringIsAscii("", 0), 1);
  EXPECT_EQ(xCore_StringIsAscii("hello", 5), 1);
  EXPECT_EQ(xCore_StringIsAscii("h\x80llo", 5), 0);
}

TEST(Classifiers, Utf8) {
  EXPECT_EQ(xCore_StringIsUtf8("", 0), 1);
  EXPECT_EQ(xCore_StringIsUtf8("plain", 5), 1);
  EXPECT_EQ(xCore_StringIsUtf8("\xc3\xa9", 2), 1);
  EXPECT_EQ(xCore_StringIsUtf8("\x80", 1), 0);
  EXPECT_EQ(xCore_StringIsUtf8("\xc3" "A", 2), 0);
  EXPECT_EQ(xCore_StringIsUtf8("ab\xe4\xb8", 4), 1) << "a sequence cut at the end of the range";
  EXPECT_EQ(xCore_StringIsUtf8("\xf0\x9f\x98\x80", 4), 1);
}

TEST(Classifiers, Utf7NeedsAValidShiftSequence) {
  EXPECT_EQ(xCore_StringIsUtf7("", 0), 1);
  const char *utf7 = "Hi Mom -+Jjo--!";  // "Hi Mom -☺-!"
  EXPECT_EQ(xCore_StringIsUtf7(utf7, static_cast<uint32_t>(std::strlen(utf7))), 1);
  const char *cjk = "+ZeVnLIqe-";        // 日本語
  EXPECT_EQ(xCore_StringIsUtf7(cjk, static_cast<uint32_t>(std::strlen(cjk))), 1);
  EXPECT_EQ(xCore_StringIsUtf7("plain text", 10), 0) << "plain ASCII is not UTF-7";
  EXPECT_EQ(xCore_StringIsUtf7("1+1=2", 5), 0);
  EXPECT_EQ(xCore_StringIsUtf7("a +- b", 6), 0) << "a literal plus alone encodes nothing";
  EXPECT_EQ(xCore_StringIsUtf7("+Jjo-\xc3\xa9", 7), 0) << "8-bit bytes are never UTF-7";
}

}  // namespace
