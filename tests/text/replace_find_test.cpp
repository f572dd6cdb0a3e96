// Replacing and searching.
#include "alloc_counter.hpp"
#include "xcore.h"
#include "xtext.h"

#include <string>

namespace {

class Replace : public tarvo::test::LeakCheckedTest {
 protected:
  std::string take(char *r) {
    std::string s(r);
    xCore_free(r);
    return s;
  }
  std::wstring take(wchar_t *r) {
    std::wstring s(r);
    xCore_free(r);
    return s;
  }
};

TEST_F(Replace, OccurrencesAreTakenLeftToRight) {
  EXPECT_EQ(take(xCore_ReplaceA("aaa", "aa", "b")), "ba");
  EXPECT_EQ(xCore.iRetSize, 2u);
  EXPECT_EQ(take(xCore_ReplaceA("xxx", "x", "xyz")), "xyzxyzxyz");
  EXPECT_EQ(xCore.iRetSize, 9u);
  EXPECT_EQ(take(xCore_ReplaceA("a-b-c", "-", nullptr)), "abc") << "a null new text deletes";
  EXPECT_EQ(xCore.iRetSize, 3u);
}

TEST_F(Replace, WideSizeCountsCharacters) {
  EXPECT_EQ(take(xCore_ReplaceW(L"\x4E2D\x6587\x4E2D", L"\x4E2D", L"\xD83D\xDE00")),
            L"\xD83D\xDE00\x6587\xD83D\xDE00");
  EXPECT_EQ(xCore.iRetSize, 5u);
}

TEST_F(Replace, NullOrEmptyOldTextGivesACopy) {
  const char *text = "abc";
  char *r = xCore_ReplaceA(text, nullptr, "x");
  EXPECT_NE(r, text);
  EXPECT_EQ(take(r), "abc");
  EXPECT_EQ(xCore.iRetSize, 3u);
  EXPECT_EQ(take(xCore_ReplaceA(text, "", "x")), "abc");
  EXPECT_EQ(take(xCore_ReplaceW(L"abc", L"", L"x")), L"abc");
}

TEST_F(Replace, NothingLeftIsEmptyString) {
  xCore.iRetSize = 7;
  EXPECT_EQ(static_cast<const void *>(xCore_ReplaceA(nullptr, "a", "b")), xCore.EmptyString);
  EXPECT_EQ(xCore.iRetSize, 0u);
  xCore.iRetSize = 7;
  EXPECT_EQ(static_cast<const void *>(xCore_ReplaceA("aa", "aa", "")), xCore.EmptyString);
  EXPECT_EQ(xCore.iRetSize, 0u);
  EXPECT_EQ(static_cast<const void *>(xCore_ReplaceW(L"", L"a", L"b")), xCore.EmptyString);
}

class Find : public tarvo::test::LeakCheckedTest {};

TEST_F(Find, PositionIsOneBasedAndIgnoreCaseReleasesItsCopies) {
  EXPECT_EQ(xCore_InStrW(L"Hello", L"LL", 0), 0u);
  EXPECT_EQ(xCore.iRetSize, 0u);
  EXPECT_EQ(xCore_InStrW(L"Hello", L"LL", 1), 3u);
  const char *text = "Hello";
  EXPECT_EQ(xCore_FindStrA(text, "LO", 1), text + 3);
  EXPECT_EQ(xCore.iRetSize, 4u);
  EXPECT_EQ(xCore_FindStrA(text, "lo", 0), text + 3);
}

TEST_F(Find, NotFoundClearsThePosition) {
  xCore.iRetSize = 9;
  EXPECT_EQ(xCore_FindStrA("abc", "x", 0), nullptr);
  EXPECT_EQ(xCore.iRetSize, 0u);
}

TEST_F(Find, NullTextFindsNothingAndNullNeedleMatchesAtOne) {
  xCore.iRetSize = 9;
  EXPECT_EQ(xCore_FindStrW(nullptr, L"a", 0), nullptr);
  EXPECT_EQ(xCore.iRetSize, 0u);
  EXPECT_EQ(xCore_InStrA(nullptr, "a", 1), 0u);
  const wchar_t *text = L"abc";
  EXPECT_EQ(xCore_FindStrW(text, nullptr, 0), text);
  EXPECT_EQ(xCore.iRetSize, 1u);
  EXPECT_EQ(xCore_InStrW(text, L"", 1), 1u);
  EXPECT_EQ(xCore_InStrA("", "", 0), 1u);
}

TEST_F(Find, WidePositionsCountUnitsAndNarrowOnesBytes) {
  EXPECT_EQ(xCore_InStrW(L"\xD83D\xDE00\x4E00\x4E8C\x4E09", L"\x4E09", 0), 5u) << "a surrogate pair is two units";
  EXPECT_EQ(xCore_InStrA("\xe4\xb8\xad" "a", "A", 1), 4u);
}

}  // namespace
