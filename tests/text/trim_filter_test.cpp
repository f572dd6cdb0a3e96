// Trimming and filtering in the three forms.
#include "text_fixture.hpp"
#include "xcore.h"
#include "xtext.h"

#include <string>

namespace {

class TrimFilter : public tarvo::test::TextTest {};

TEST_F(TrimFilter, DefaultSetAndRemovedCount) {
  wchar_t text[] = L" \tab \n";
  EXPECT_EQ(take(xxLTrimW(text, nullptr, 0)), L"ab \n");
  EXPECT_EQ(xCore.iRetSize, 2u);
  EXPECT_EQ(take(xxRTrimW(text, nullptr, 0)), L" \tab");
  EXPECT_EQ(take(xxTrimW(text, nullptr, 0)), L"ab");
  EXPECT_EQ(xCore.iRetSize, 4u);
  EXPECT_STREQ(text, L" \tab \n") << "a copy leaves the argument alone";
  EXPECT_EQ(xxTrimW(text, nullptr, 1), text);
  EXPECT_STREQ(text, L"ab") << "in place the kept text moves to the start";
  wchar_t blanks[] = L"   ";
  EXPECT_EQ(static_cast<const void *>(xxTrimW(blanks, nullptr, 0)), xCore.EmptyString);
  EXPECT_EQ(xCore.iRetSize, 3u);
  EXPECT_EQ(static_cast<const void *>(xxTrimW(nullptr, nullptr, 0)), xCore.EmptyString);
  EXPECT_EQ(xCore.iRetSize, 0u);
}

TEST_F(TrimFilter, SurrogatePairsAreWholeCharacters) {
  // U+1F601 shares its high surrogate with U+1F600 in the set: it must stay.
  wchar_t text[] = L"\xD83D\xDE01\xD83D\xDE00" L"a\xD83D\xDE00";
  EXPECT_EQ(take(xxTrimW(text, L"\xD83D\xDE00", 0)), L"\xD83D\xDE01\xD83D\xDE00" L"a");
  EXPECT_EQ(xCore.iRetSize, 2u);
  wchar_t mixed[] = L"x\xD83D\xDE00y\xD83D\xDE01";
  EXPECT_EQ(take(xxStringFilterW(mixed, L"\xD83D\xDE00", 0)), L"xy\xD83D\xDE01");
}

TEST_F(TrimFilter, FilterRemovesEverySetCharacter) {
  wchar_t text[] = L"a-b-c";
  EXPECT_EQ(take(xxStringFilterW(text, L"-", 0)), L"abc");
  EXPECT_EQ(xCore.iRetSize, 2u);
  EXPECT_EQ(xxStringFilterW(text, L"-b", 1), text);
  EXPECT_STREQ(text, L"ac");
  EXPECT_EQ(xCore.iRetSize, 3u);
  wchar_t *copy = xxStringFilterW(text, nullptr, 0);
  EXPECT_NE(copy, text) << "no set: a copy";
  EXPECT_EQ(take(copy), L"ac");
  EXPECT_EQ(static_cast<const void *>(xxStringFilterW(text, L"ca", 0)), xCore.EmptyString) << "nothing left";
}

TEST_F(TrimFilter, NarrowFormsConvertAndReportBytes) {
  EXPECT_EQ(take(xxTrimU("  \xe4\xb8\xad\xe6\x96\x87  ", " ")), "\xe4\xb8\xad\xe6\x96\x87");
  EXPECT_EQ(xCore.iRetSize, 6u) << "the size of the converted result";
  EXPECT_EQ(take(xxLTrimU("\xe4\xb8\xad\xe4\xb8\xad" "a", "\xe4\xb8\xad")), "a");
  EXPECT_EQ(take(xxRTrimA("ab  ", " ")), "ab");
  EXPECT_EQ(take(xxTrimU("  a  ", nullptr)), "  a  ") << "a null set arrives as the empty set";
  EXPECT_EQ(take(xxStringFilterU("\xe4\xb8\xad" "a\xe6\x96\x87" "b", "ab")), "\xe4\xb8\xad\xe6\x96\x87");
  EXPECT_EQ(static_cast<const void *>(xxTrimA(nullptr, " ")), xCore.EmptyString);
  EXPECT_EQ(static_cast<const void *>(xxStringFilterU(nullptr, "a")), xCore.EmptyString);
}

}  // namespace
