// Conversions between the string forms.
#include "alloc_counter.hpp"
#include "xcore.h"
#include "xstring.h"

#include <string>

namespace {

class Conversions : public tarvo::test::LeakCheckedTest {};

const char kCjkUtf8[] = "\xe4\xb8\xad";            // U+4E2D
const char kEmojiUtf8[] = "\xf0\x9f\x98\x80";      // U+1F600
const char kPlane15Utf8[] = "\xf3\xb0\x80\x80";    // U+F0000

TEST_F(Conversions, EmptyAndNullInputGiveEmptyString) {
  for (uint32_t cp : {0u, 65001u, 936u}) {
    xCore.iRetSize = 9;
    EXPECT_EQ(static_cast<const void *>(xCore_M2W(nullptr, cp, 0)), xCore.EmptyString);
    EXPECT_EQ(xCore.iRetSize, 0u);
    EXPECT_EQ(static_cast<const void *>(xCore_M2W("", cp, 0)), xCore.EmptyString);
    EXPECT_EQ(static_cast<const void *>(xCore_W2M(L"", cp, 0)), xCore.EmptyString);
    EXPECT_EQ(static_cast<const void *>(xCore_W2M(nullptr, cp, 4)), xCore.EmptyString);
  }
  EXPECT_EQ(static_cast<const void *>(xCore_A2U(nullptr, 0)), xCore.EmptyString);
  EXPECT_EQ(static_cast<const void *>(xCore_U2A("", 0)), xCore.EmptyString);
}

TEST_F(Conversions, CjkRoundTripReportsBytes) {
  wchar_t *w = xCore_U2W(kCjkUtf8, 0);
  EXPECT_EQ(xCore.iRetSize, 2u);
  EXPECT_EQ(std::wstring(w), L"\x4E2D");
  char *u = xCore_W2U(w, 0);
  EXPECT_EQ(xCore.iRetSize, 3u);
  EXPECT_STREQ(u, kCjkUtf8);
  xCore_free(u);
  xCore_free(w);
}

TEST_F(Conversions, SurrogatePairsSurviveBothWays) {
  for (const char *text : {kEmojiUtf8, kPlane15Utf8}) {
    wchar_t *w = xCore_U2W(text, 0);
    EXPECT_EQ(xCore.iRetSize, 4u) << "two units";
    char *u = xCore_W2U(w, xCore.iRetSize);
    EXPECT_STREQ(u, text);
    EXPECT_EQ(xCore.iRetSize, 4u);
    xCore_free(u);
    xCore_free(w);
  }
}

TEST_F(Conversions, ExplicitLengthsAreHonoured) {
  char *u = xCore_W2M(L"abcdef", 65001, 6);
  EXPECT_STREQ(u, "abc") << "6 bytes are 3 units";
  xCore_free(u);

  wchar_t *w = xCore_M2W("abcdef", 65001, 2);
  EXPECT_EQ(std::wstring(w), L"ab");
  EXPECT_EQ(xCore.iRetSize, 4u);
  xCore_free(w);

  const char with_zero[] = {'a', 0, 'b'};
  char *a = xCore_A2U(with_zero, 3);
  EXPECT_EQ(xCore.iRetSize, 3u) << "all n bytes are converted, the zero included";
  EXPECT_EQ(std::string(a, 3), std::string(with_zero, 3));
  xCore_free(a);
}

TEST_F(Conversions, SizeOfOneStepIsTheLengthOfTheNext) {
  wchar_t *w = xCore_U2W("na\xc3\xafve", 0);
  uint32_t bytes = xCore.iRetSize;
  EXPECT_EQ(bytes, 10u);
  char *u = xCore_W2U(w, bytes);
  EXPECT_STREQ(u, "na\xc3\xafve");
  xCore_free(u);
  xCore_free(w);
}

TEST_F(Conversions, InvalidUtf8BecomesReplacementCharacters) {
  wchar_t *w = xCore_U2W("a\xff" "b\xc3", 0);
  std::wstring got(w);
  EXPECT_EQ(got.front(), L'a');
  EXPECT_NE(got.find(L'b'), std::wstring::npos);
  EXPECT_NE(got.find(L'\xFFFD'), std::wstring::npos);
  xCore_free(w);
}

TEST_F(Conversions, AnsiAndUtf8RecodeThroughUtf16) {
  char *a = xCore_U2A("plain ascii", 0);
  EXPECT_STREQ(a, "plain ascii");
  char *u = xCore_A2U(a, 0);
  EXPECT_STREQ(u, "plain ascii");
  EXPECT_EQ(xCore.iRetSize, 11u);
  xCore_free(u);
  xCore_free(a);
}

TEST_F(Conversions, ChineseCodePage) {
  wchar_t *w = xCore_U2W(kCjkUtf8, 0);
  char *g = xCore_W2M(w, 936, 0);
  EXPECT_STREQ(g, "\xd6\xd0");
  wchar_t *back = xCore_M2W(g, 936, 0);
  EXPECT_EQ(std::wstring(back), L"\x4E2D");
  xCore_free(back);
  xCore_free(g);
  xCore_free(w);
}

TEST_F(Conversions, RecordSlotsConvertLikeTheExports) {
  wchar_t *w = xCore.U2W(kCjkUtf8, 0);
  char *u = xCore.W2U(w, 0);
  EXPECT_STREQ(u, kCjkUtf8);
  xCore_free(u);
  xCore_free(w);
}

}  // namespace
