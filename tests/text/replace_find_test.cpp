// Replacing and searching.
#include "text_fixture.hpp"
#include "xcore.h"
#include "xtext.h"

#include <string>

namespace {

class Replace : public tarvo::test::TextTest {};

TEST_F(Replace, OccurrencesAreTakenLeftToRightWithoutOverlap) {
  const struct {
    const char *text, *old_text, *new_text, *expected;
  } cases[] = {{"aaa", "aa", "b", "ba"},
               {"xxx", "x", "xyz", "xyzxyzxyz"},
               {"a-b-c", "-", nullptr, "abc"},  // a null new text deletes
               {"abc", nullptr, "x", "abc"},    // a null or empty old text matches nowhere: a copy
               {"abc", "", "x", "abc"}};
  for (const auto &c : cases) {
    char *r = xCore_ReplaceA(c.text, c.old_text, c.new_text);
    EXPECT_NE(r, c.text);
    EXPECT_EQ(take(r), c.expected) << c.text;
    EXPECT_EQ(xCore.iRetSize, std::string(c.expected).size());
  }
  EXPECT_EQ(take(xCore_ReplaceW(L"\x4E2D\x6587\x4E2D", L"\x4E2D", L"\xD83D\xDE00")), L"\xD83D\xDE00\x6587\xD83D\xDE00");
  EXPECT_EQ(xCore.iRetSize, 5u) << "units";
  for (auto *nothing : {xCore_ReplaceA(nullptr, "a", "b"), xCore_ReplaceA("aa", "aa", "")}) {
    EXPECT_EQ(static_cast<const void *>(nothing), xCore.EmptyString);
    EXPECT_EQ(xCore.iRetSize, 0u);
  }
}

TEST_F(Replace, MoreOccurrencesThanTheSearchKeepsOffsetsFor) {
  std::wstring text, expected;
  for (int i = 0; i < 1000; ++i) {
    text += std::to_wstring(i) + L"--";
    expected += std::to_wstring(i) + L"\x4E2D";
  }
  EXPECT_EQ(take(xCore_ReplaceW(text.c_str(), L"--", L"\x4E2D")), expected);
  EXPECT_EQ(xCore.iRetSize, expected.size());
}

class Find : public tarvo::test::TextTest {};

TEST_F(Find, PositionsAreOneBasedInUnitsOrBytes) {
  EXPECT_EQ(xCore_InStrW(L"Hello", L"LL", 0), 0u);
  EXPECT_EQ(xCore.iRetSize, 0u);
  EXPECT_EQ(xCore_InStrW(L"Hello", L"LL", 1), 3u);
  const char *text = "Hello";
  EXPECT_EQ(xCore_FindStrA(text, "LO", 1), text + 3);
  EXPECT_EQ(xCore.iRetSize, 4u);
  EXPECT_EQ(xCore_FindStrA(text, "x", 0), nullptr);
  EXPECT_EQ(xCore.iRetSize, 0u);
  EXPECT_EQ(xCore_InStrW(L"\xD83D\xDE00\x4E00\x4E8C\x4E09", L"\x4E09", 0), 5u) << "a pair is two units";
  EXPECT_EQ(xCore_InStrA("\xe4\xb8\xad" "a", "A", 1), 4u);
}

TEST_F(Find, NullTextFindsNothingAndNullNeedleMatchesAtOne) {
  EXPECT_EQ(xCore_FindStrW(nullptr, L"a", 0), nullptr);
  EXPECT_EQ(xCore_InStrA(nullptr, "a", 1), 0u);
  const wchar_t *text = L"abc";
  EXPECT_EQ(xCore_FindStrW(text, nullptr, 0), text);
  EXPECT_EQ(xCore.iRetSize, 1u);
  EXPECT_EQ(xCore_InStrA("", "", 0), 1u);
}

}  // namespace
