// Copies, case mapping, formatting and the classifiers.
#include "../text/text_fixture.hpp"
#include "xcore.h"
#include "xstring.h"

#include <cstring>
#include <string>

namespace {

class TextOps : public tarvo::test::TextTest {};

TEST_F(TextOps, CopiesHonourLengthAndLeaveSizeAlone) {
  xCore.iRetSize = 123;
  EXPECT_EQ(take(xCore_CopyStringW(L"abcdef", 3)), L"abc");
  EXPECT_EQ(take(xCore_CopyStringA("abcdef", 0)), "abcdef");
  EXPECT_EQ(xCore.iRetSize, 123u);
  EXPECT_EQ(static_cast<const void *>(xCore_CopyStringA(nullptr, 0)), xCore.EmptyString);
}

TEST_F(TextOps, CaseMappingInPlaceAndOnACopy) {
  char text[] = "ABC";
  EXPECT_EQ(xCore_LCaseA(text, 0, 1), text);
  EXPECT_STREQ(text, "abc");
  wchar_t wide[] = L"MiXeD \x00C4";
  EXPECT_EQ(take(xCore_UCaseW(wide, 0, 0)), L"MIXED \x00C4") << "only ASCII letters change";
  EXPECT_STREQ(wide, L"MiXeD \x00C4") << "the argument stays";
  EXPECT_EQ(take(xCore_LCaseW(wide, 2, 0)), L"mi");
  // A 3-byte character, then a letter: the letter is mapped, never skipped.
  EXPECT_EQ(take(xCore_LCaseA(const_cast<char *>("\xe4\xb8\xad" "A\xc3\xa9Z"), 0, 0)), "\xe4\xb8\xad" "a\xc3\xa9z");
  EXPECT_EQ(static_cast<const void *>(xCore_UCaseA(nullptr, 0, 0)), xCore.EmptyString);
}

TEST_F(TextOps, FormatMeasuresAndSetsSize) {
  EXPECT_EQ(take(xCore_FormatA("%s-%d-%I64d", "x", 42, 1234567890123LL)), "x-42-1234567890123");
  EXPECT_EQ(xCore.iRetSize, 18u);
  EXPECT_EQ(take(xCore_FormatW(L"%s=%d", L"\x4E2D", 7)), L"\x4E2D=7") << "%s takes a wide string";
  EXPECT_EQ(xCore.iRetSize, 6u);
  xCore.iRetSize = 55;
  EXPECT_EQ(static_cast<const void *>(xCore_FormatA(nullptr)), xCore.EmptyString);
  EXPECT_EQ(xCore.iRetSize, 55u) << "a null format leaves the size alone";
}

TEST(Classifiers, AsciiUtf8AndUtf7) {
  struct Case {
    const char *bytes;
    int ascii, utf8, utf7;
  };
  const Case cases[] = {
      {"", 1, 1, 1},
      {"plain text", 1, 1, 0},  // plain ASCII is not UTF-7
      {"1+1=2", 1, 1, 0},
      {"a +- b", 1, 1, 0},  // a literal plus alone encodes nothing
      {"Hi Mom -+Jjo--!", 1, 1, 1},
      {"+ZeVnLIqe-", 1, 1, 1},
      {"\xc3\xa9", 0, 1, 0},
      {"\x80", 0, 0, 0},
      {"\xc3" "A", 0, 0, 0},
      {"ab\xe4\xb8", 0, 1, 0},  // a sequence cut at the end of the range
      {"+Jjo-\xc3\xa9", 0, 1, 0},
  };
  for (const Case &c : cases) {
    auto n = static_cast<uint32_t>(std::strlen(c.bytes));
    EXPECT_EQ(xCore_StringIsAscii(c.bytes, n), c.ascii) << c.bytes;
    EXPECT_EQ(xCore_StringIsUtf8(c.bytes, n), c.utf8) << c.bytes;
    EXPECT_EQ(xCore_StringIsUtf7(c.bytes, n), c.utf7) << c.bytes;
  }
}

}  // namespace
