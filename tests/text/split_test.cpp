// Splitting: the one-block result, in place and copy, the separator kinds.
#include "text_fixture.hpp"
#include "xtext.h"

namespace {

class Split : public tarvo::test::TextTest {};

TEST_F(Split, CopyIsOneBlockAndLeavesTheTextAlone) {
  char text[] = "a,,b";
  size_t before = counter().allocated();
  char **r = xCore_SplitA(text, ",", 0);
  EXPECT_EQ(counter().allocated() - before, 1u) << "array and copy share one allocation";
  EXPECT_TRUE(counter().tracks(r));
  EXPECT_GT(static_cast<void *>(r[0]), static_cast<void *>(r)) << "the pieces point into the block";
  EXPECT_EQ(take(r), (Strings{"a", "", "b"}));
  EXPECT_STREQ(text, "a,,b");
}

TEST_F(Split, InPlaceCutsTheCallersText) {
  char text[] = "a;bc;d";
  char **r = xCore_SplitCharA(text, ';', 1);
  EXPECT_EQ(r[0], text);
  EXPECT_EQ(r[1], text + 2);
  EXPECT_EQ(take(r), (Strings{"a", "bc", "d"}));
  EXPECT_EQ(text[1], '\0');
}

TEST_F(Split, SeparatorsAtTheEdgesGiveEmptyPieces) {
  char text[] = ",a,";
  EXPECT_EQ(take(xCore_SplitCharA(text, ',', 0)), (Strings{"", "a", ""}));
  char plain[] = "no comma";
  EXPECT_EQ(take(xCore_SplitA(plain, ",", 0)), (Strings{"no comma"}));
}

TEST_F(Split, ZeroSeparatorReadsAListOfStrings) {
  char list[] = "a\0bc\0\0";
  EXPECT_EQ(take(xCore_SplitCharA(list, '\0', 0)), (Strings{"a", "bc"}));
  EXPECT_EQ(take(xCore_SplitA(list, nullptr, 0)), (Strings{"a", "bc"})) << "a null separator splits on 0";
  wchar_t wlist[] = L"x\0yz\0\0";
  EXPECT_EQ(take(xCore_SplitCharW(wlist, 0, 1)), (WStrings{L"x", L"yz"}));
  // A text that starts with its terminator is the empty list: one empty piece,
  // and the shared empty text is not read past its first zero pair.
  EXPECT_EQ(take(xCore_SplitCharA(const_cast<char *>(xCore.EmptyString), '\0', 0)), (Strings{""}));
}

TEST_F(Split, TextSeparator) {
  char text[] = "a--b";
  EXPECT_EQ(take(xCore_SplitTextA(text, "--", 0)), (Strings{"a", "b"}));
  char commas[] = "x,y;z";
  EXPECT_EQ(take(xCore_SplitTextA(commas, nullptr, 0)), (Strings{"x", "y;z"})) << "null means a comma";
  char overlapping[] = "aaa";
  EXPECT_EQ(take(xCore_SplitTextA(overlapping, "aa", 0)), (Strings{"", "a"}))
      << "matches do not overlap; iRetSize counts the pieces made";
}

TEST_F(Split, ManyPiecesInPlaceAndCopied) {
  // More pieces than the search keeps offsets for, so the cut searches again.
  std::string text;
  for (int i = 0; i < 1000; ++i) text += std::to_string(i) + "<>";
  std::vector<char> buf(text.begin(), text.end());
  buf.push_back(0);
  Strings expected;
  for (int i = 0; i < 1000; ++i) expected.push_back(std::to_string(i));
  expected.push_back("");
  EXPECT_EQ(take(xCore_SplitA(buf.data(), "<>", 0)), expected);
  EXPECT_EQ(take(xCore_SplitA(buf.data(), "<>", 1)), expected);
}

TEST_F(Split, EmptySeparatorGivesTheWholeText) {
  char text[] = "abc";
  EXPECT_EQ(take(xCore_SplitA(text, "", 0)), (Strings{"abc"}));
  wchar_t wtext[] = L"abc";
  wchar_t **w = xCore_SplitTextW(wtext, L"", 1);
  EXPECT_EQ(w[0], wtext);
  EXPECT_EQ(take(w), (WStrings{L"abc"}));
}

TEST_F(Split, NullTextIsOneEmptyPiece) {
  for (int inplace : {0, 1}) {
    EXPECT_EQ(take(xCore_SplitA(nullptr, ",", inplace)), (Strings{""}));
    EXPECT_EQ(take(xCore_SplitTextW(nullptr, L"--", inplace)), (WStrings{L""}));
  }
}

TEST_F(Split, WideFormsKeepSurrogatePairsAndCjk) {
  wchar_t text[] = L"\x4E2D\xD83D\xDE00|\x6587";
  EXPECT_EQ(take(xCore_SplitW(text, L"|", 0)), (WStrings{L"\x4E2D\xD83D\xDE00", L"\x6587"}));
  wchar_t pair_sep[] = L"a\xD83D\xDE00" L"b\xD83D\xDE00";
  EXPECT_EQ(take(xCore_SplitW(pair_sep, L"\xD83D\xDE00", 0)), (WStrings{L"a", L"b", L""}))
      << "a two-unit separator is matched as a text";
}

TEST_F(Split, NarrowFormsWorkOnUtf8Bytes) {
  char text[] = "\xe4\xb8\xad,\xe6\x96\x87";
  EXPECT_EQ(take(xCore_SplitA(text, ",", 0)), (Strings{"\xe4\xb8\xad", "\xe6\x96\x87"}));
}

}  // namespace
