// Splitting: the one-block result, in place and copy, the separator kinds.
#include "text_fixture.hpp"
#include "xtext.h"

namespace {

class Split : public tarvo::test::TextTest {};

TEST_F(Split, CopyIsOneBlockAndLeavesTheTextAlone) {
  char text[] = ",a,,b";
  size_t before = counter().allocated();
  char **r = xCore_SplitA(text, ",", 0);
  EXPECT_EQ(counter().allocated() - before, 1u) << "array and copy share one allocation";
  EXPECT_GT(static_cast<void *>(r[0]), static_cast<void *>(r)) << "the pieces point into the block";
  EXPECT_EQ(take(r), (Strings{"", "a", "", "b"}));
  EXPECT_STREQ(text, ",a,,b");
}

TEST_F(Split, InPlaceCutsTheCallersText) {
  char text[] = "a;bc;d";
  char **r = xCore_SplitCharA(text, ';', 1);
  EXPECT_EQ(r[1], text + 2);
  EXPECT_EQ(take(r), (Strings{"a", "bc", "d"}));
  EXPECT_EQ(text[1], '\0');
  wchar_t wtext[] = L"abc";
  wchar_t **w = xCore_SplitTextW(wtext, L"", 1);
  EXPECT_EQ(w[0], wtext);
  EXPECT_EQ(take(w), (WStrings{L"abc"})) << "an empty separator matches nowhere";
}

TEST_F(Split, ZeroSeparatorReadsAListOfStrings) {
  char list[] = "a\0bc\0\0";
  EXPECT_EQ(take(xCore_SplitCharA(list, '\0', 0)), (Strings{"a", "bc"}));
  EXPECT_EQ(take(xCore_SplitA(list, nullptr, 0)), (Strings{"a", "bc"})) << "a null separator splits on 0";
  wchar_t wlist[] = L"x\0yz\0\0";
  EXPECT_EQ(take(xCore_SplitCharW(wlist, 0, 1)), (WStrings{L"x", L"yz"}));
  // The empty list: one empty piece, nothing read past the first zero pair.
  EXPECT_EQ(take(xCore_SplitCharA(const_cast<char *>(xCore.EmptyString), '\0', 0)), (Strings{""}));
}

TEST_F(Split, TextSeparators) {
  char text[] = "a--b";
  EXPECT_EQ(take(xCore_SplitTextA(text, "--", 0)), (Strings{"a", "b"}));
  char commas[] = "x,y;z";
  EXPECT_EQ(take(xCore_SplitTextA(commas, nullptr, 0)), (Strings{"x", "y;z"})) << "null means a comma";
  char overlapping[] = "aaa";
  EXPECT_EQ(take(xCore_SplitTextA(overlapping, "aa", 0)), (Strings{"", "a"})) << "matches do not overlap";
  wchar_t pairs[] = L"\x4E2D\xD83D\xDE00|a\xD83D\xDE00";
  EXPECT_EQ(take(xCore_SplitW(pairs, L"\xD83D\xDE00", 0)), (WStrings{L"\x4E2D", L"|a", L""}));
  for (int inplace : {0, 1}) EXPECT_EQ(take(xCore_SplitA(nullptr, ",", inplace)), (Strings{""}));
}

TEST_F(Split, MorePiecesThanTheSearchKeepsOffsetsFor) {
  std::string text;
  Strings expected;
  for (int i = 0; i < 1000; ++i) text += std::to_string(i) + "<>", expected.push_back(std::to_string(i));
  expected.push_back("");
  EXPECT_EQ(take(xCore_SplitA(text.data(), "<>", 0)), expected);
  EXPECT_EQ(take(xCore_SplitA(text.data(), "<>", 1)), expected);
}

}  // namespace
