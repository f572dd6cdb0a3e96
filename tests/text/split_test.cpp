// Splitting: the one-block result, in place and copy, the separator kinds.
#include "alloc_counter.hpp"
#include "xcore.h"
#include "xtext.h"

#include <string>
#include <vector>

namespace {

class Split : public tarvo::test::LeakCheckedTest {
 protected:
  // The pieces of a result, checking that the count matches iRetSize and that
  // the list is null-terminated.
  template <class T>
  std::vector<std::basic_string<T>> pieces(T **r) {
    std::vector<std::basic_string<T>> out;
    for (T **p = r; *p; ++p) out.emplace_back(*p);
    EXPECT_EQ(out.size(), xCore.iRetSize);
    return out;
  }
  using Strings = std::vector<std::string>;
  using WStrings = std::vector<std::wstring>;
};

TEST_F(Split, CopyIsOneBlockAndLeavesTheTextAlone) {
  char text[] = "a,,b";
  size_t before = counter().allocated();
  char **r = xCore_SplitA(text, ",", 0);
  EXPECT_EQ(counter().allocated() - before, 1u) << "array and copy share one allocation";
  EXPECT_EQ(pieces(r), (Strings{"a", "", "b"}));
  EXPECT_STREQ(text, "a,,b");
  for (char **p = r; *p; ++p) {
    EXPECT_GT(static_cast<void *>(*p), static_cast<void *>(r)) << "pieces point into the block";
  }
  xCore_free(r);
}

TEST_F(Split, InPlaceCutsTheCallersText) {
  char text[] = "a;bc;d";
  char **r = xCore_SplitCharA(text, ';', 1);
  EXPECT_EQ(pieces(r), (Strings{"a", "bc", "d"}));
  EXPECT_EQ(r[0], text);
  EXPECT_EQ(r[1], text + 2);
  EXPECT_EQ(text[1], '\0');
  xCore_free(r);
}

TEST_F(Split, SeparatorsAtTheEdgesGiveEmptyPieces) {
  char text[] = ",a,";
  char **r = xCore_SplitCharA(text, ',', 0);
  EXPECT_EQ(pieces(r), (Strings{"", "a", ""}));
  xCore_free(r);
  char plain[] = "no comma";
  r = xCore_SplitA(plain, ",", 0);
  EXPECT_EQ(pieces(r), (Strings{"no comma"}));
  xCore_free(r);
}

TEST_F(Split, ZeroSeparatorReadsAListOfStrings) {
  char list[] = "a\0bc\0\0";
  char **r = xCore_SplitCharA(list, '\0', 0);
  EXPECT_EQ(pieces(r), (Strings{"a", "bc"}));
  xCore_free(r);
  r = xCore_SplitA(list, nullptr, 0);
  EXPECT_EQ(pieces(r), (Strings{"a", "bc"})) << "a null separator splits on character 0";
  xCore_free(r);
  wchar_t wlist[] = L"x\0yz\0\0";
  wchar_t **w = xCore_SplitCharW(wlist, 0, 1);
  EXPECT_EQ(pieces(w), (WStrings{L"x", L"yz"}));
  xCore_free(w);
  // A text that starts with its terminator is the empty list: one empty piece,
  // and the shared 1-character empty text is not read past.
  r = xCore_SplitCharA(const_cast<char *>(xCore.EmptyString), '\0', 0);
  EXPECT_EQ(pieces(r), (Strings{""}));
  xCore_free(r);
}

TEST_F(Split, TextSeparator) {
  char text[] = "a--b";
  char **r = xCore_SplitTextA(text, "--", 0);
  EXPECT_EQ(pieces(r), (Strings{"a", "b"}));
  xCore_free(r);
  char commas[] = "x,y;z";
  r = xCore_SplitTextA(commas, nullptr, 0);
  EXPECT_EQ(pieces(r), (Strings{"x", "y;z"})) << "a null separator text means a comma";
  xCore_free(r);
  char overlapping[] = "aaa";
  r = xCore_SplitTextA(overlapping, "aa", 0);
  EXPECT_EQ(pieces(r), (Strings{"", "a"})) << "matches do not overlap; iRetSize counts the pieces made";
  xCore_free(r);
}

TEST_F(Split, EmptySeparatorGivesTheWholeText) {
  char text[] = "abc";
  char **r = xCore_SplitA(text, "", 0);
  EXPECT_EQ(pieces(r), (Strings{"abc"}));
  xCore_free(r);
  wchar_t wtext[] = L"abc";
  wchar_t **w = xCore_SplitTextW(wtext, L"", 1);
  EXPECT_EQ(pieces(w), (WStrings{L"abc"}));
  EXPECT_EQ(w[0], wtext);
  xCore_free(w);
}

TEST_F(Split, NullTextIsOneEmptyPiece) {
  for (int inplace : {0, 1}) {
    char **r = xCore_SplitA(nullptr, ",", inplace);
    EXPECT_EQ(pieces(r), (Strings{""}));
    xCore_free(r);
    wchar_t **w = xCore_SplitTextW(nullptr, L"--", inplace);
    EXPECT_EQ(pieces(w), (WStrings{L""}));
    xCore_free(w);
  }
}

TEST_F(Split, WideFormsKeepSurrogatePairsAndCjk) {
  wchar_t text[] = L"\x4E2D\xD83D\xDE00|\x6587";
  wchar_t **w = xCore_SplitW(text, L"|", 0);
  EXPECT_EQ(pieces(w), (WStrings{L"\x4E2D\xD83D\xDE00", L"\x6587"}));
  xCore_free(w);
  wchar_t pair_sep[] = L"a\xD83D\xDE00" L"b\xD83D\xDE00";
  w = xCore_SplitW(pair_sep, L"\xD83D\xDE00", 0);
  EXPECT_EQ(pieces(w), (WStrings{L"a", L"b", L""})) << "a two-unit separator is matched as a text";
  xCore_free(w);
}

TEST_F(Split, NarrowFormsWorkOnUtf8Bytes) {
  char text[] = "\xe4\xb8\xad,\xe6\x96\x87";
  char **r = xCore_SplitA(text, ",", 0);
  EXPECT_EQ(pieces(r), (Strings{"\xe4\xb8\xad", "\xe6\x96\x87"}));
  xCore_free(r);
}

}  // namespace
