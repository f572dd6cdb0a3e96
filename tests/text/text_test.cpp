// The exported text utilities: split, replace, find, trim, filter, the codecs
// and xxHash.
#include "text_fixture.hpp"
#include "xcore.h"
#include "xtext.h"

#include <string>

namespace {

class Text : public tarvo::test::TextTest {};

TEST_F(Text, SplitCopiesIntoOneBlockOrCutsInPlace) {
  char text[] = ",a,,b";
  size_t before = counter().allocated();
  char **r = xCore_SplitA(text, ",", 0);
  EXPECT_EQ(counter().allocated() - before, 1u) << "array and copy share one allocation";
  EXPECT_GT(static_cast<void *>(r[0]), static_cast<void *>(r)) << "the pieces point into the block";
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
}

TEST_F(Text, SplitSeparatorsAndZeroSeparatedLists) {
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

TEST_F(Text, MoreMatchesThanTheSearchKeepsOffsetsFor) {
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
}

TEST_F(Text, ReplaceTakesOccurrencesLeftToRightWithoutOverlap) {
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
}

TEST_F(Text, FindPositionsAreOneBasedInUnitsOrBytes) {
  EXPECT_EQ(xCore_InStrW(L"Hello", L"LL", 0), 0u);
  EXPECT_EQ(xCore_InStrW(L"Hello", L"LL", 1), 3u);
  const char *text = "Hello";
  EXPECT_EQ(xCore_FindStrA(text, "LO", 1), text + 3);
  EXPECT_EQ(xCore.iRetSize, 4u);
  EXPECT_EQ(xCore_FindStrA(text, "x", 0), nullptr);
  EXPECT_EQ(xCore.iRetSize, 0u);
  EXPECT_EQ(xCore_InStrW(L"\xD83D\xDE00\x4E00\x4E8C\x4E09", L"\x4E09", 0), 5u) << "a pair is two units";
  EXPECT_EQ(xCore_InStrA("\xe4\xb8\xad" "a", "A", 1), 4u);
  EXPECT_TRUE(!xCore_FindStrW(nullptr, L"a", 0) && !xCore_InStrA(nullptr, "a", 1)) << "a null text finds nothing";
  const wchar_t *wtext = L"abc";
  EXPECT_EQ(xCore_FindStrW(wtext, nullptr, 0), wtext) << "a null needle matches at 1";
  EXPECT_EQ(xCore.iRetSize, 1u);
  EXPECT_EQ(xCore_InStrA("", "", 0), 1u);
}

TEST_F(Text, TrimAndFilterCopyOrWorkInPlaceAndCountRemovedCharacters) {
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
  EXPECT_TRUE(none(xxTrimW(blanks, nullptr, 0)) && xCore.iRetSize == 3u);
  EXPECT_TRUE(none(xxTrimW(nullptr, nullptr, 0)) && xCore.iRetSize == 0u);
  wchar_t dashes[] = L"a-b-c";
  EXPECT_EQ(take(xxStringFilterW(dashes, L"-", 0)), L"abc");
  EXPECT_EQ(xCore.iRetSize, 2u);
  EXPECT_EQ(xxStringFilterW(dashes, L"-b", 1), dashes);
  EXPECT_STREQ(dashes, L"ac");
  EXPECT_EQ(xCore.iRetSize, 3u);
  wchar_t *copy = xxStringFilterW(dashes, nullptr, 0);
  EXPECT_NE(copy, dashes) << "no set: a copy";
  EXPECT_EQ(take(copy), L"ac");
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

TEST_F(Text, HexAndUriCodecs) {
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
}

// Published values of the empty input, and the reference library's values of
// a fixed pattern at the lengths where its code paths change, seeds included.
TEST(XxHash, MatchesTheReferenceValues) {
  EXPECT_EQ(XXH32("", 0, 0), 0x02CC5D05u);
  EXPECT_EQ(XXH64(nullptr, 16, 0), 0xEF46DB3751D8E999ull) << "null data hashes as empty";
  unsigned char data[1000];
  for (size_t i = 0; i < sizeof data; ++i) data[i] = static_cast<unsigned char>(i * 31 + 7);
  const struct { size_t len; uint32_t h32; uint64_t h64; } cases[] = {
      {1, 0x002E0D32u, 0xA96C7F0CE858BBB7ull},  {3, 0xED8936D0u, 0x5ACB303E78133C22ull},
      {4, 0x647D795Du, 0xC27AB891F5819190ull},  {16, 0xA8456415u, 0x5064DFA607FF3340ull},
      {31, 0xB3127C99u, 0xFA8A3BB2D9C8DB3Eull}, {32, 0x99F298D5u, 0x0EE0C2CA3B517ACEull},
      {33, 0xB11C2BBCu, 0x30812CE9BA4EB6CDull}, {999, 0xE53A38EAu, 0x3C5039CAE779F3B3ull}};
  for (uint32_t k = 0; k < std::size(cases); ++k) {
    EXPECT_EQ(XXH32(data, cases[k].len, k * 2654435761u), cases[k].h32) << cases[k].len;
    EXPECT_EQ(XXH64(data, cases[k].len, 0x9E3779B97F4A7C15ull * k), cases[k].h64) << cases[k].len;
  }
}

}  // namespace
