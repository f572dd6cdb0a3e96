// Conversions between the string forms.
#include "alloc_counter.hpp"
#include "xcore.h"
#include "xstring.h"
#include "xtext.h"

#include <atomic>
#include <string>
#include <thread>

namespace {

class Conversions : public tarvo::test::LeakCheckedTest {
 protected:
  template <class T>
  static std::basic_string<T> take(T *r) {
    std::basic_string<T> s(r, xCore.iRetSize / sizeof(T));
    EXPECT_EQ(r[s.size()], 0) << "terminated after iRetSize bytes";
    xCore_free(r);
    return s;
  }
};

const char kCjkUtf8[] = "\xe4\xb8\xad";  // U+4E2D

TEST_F(Conversions, EmptyAndNullInputGiveEmptyStringAndSizeZero) {
  for (uint32_t cp : {0u, 65001u, 936u}) {
    xCore.iRetSize = 9;
    EXPECT_EQ(static_cast<const void *>(xCore_M2W(nullptr, cp, 0)), xCore.EmptyString);
    EXPECT_EQ(xCore.iRetSize, 0u);
    EXPECT_EQ(static_cast<const void *>(xCore_M2W("", cp, 0)), xCore.EmptyString);
    EXPECT_EQ(static_cast<const void *>(xCore_W2M(nullptr, cp, 4)), xCore.EmptyString);
  }
  EXPECT_EQ(static_cast<const void *>(xCore_A2U(nullptr, 0)), xCore.EmptyString);
  EXPECT_EQ(counter().allocated(), 0u);
}

TEST_F(Conversions, RoundTripsReportBytes) {
  // CJK, an emoji and a private-use plane character (two units each).
  for (std::string text : {std::string(kCjkUtf8), std::string("\xf0\x9f\x98\x80"), std::string("\xf3\xb0\x80\x80")}) {
    std::wstring w = take(xCore_U2W(text.c_str(), 0));
    EXPECT_EQ(w.size(), text.size() == 3 ? 1u : 2u);
    EXPECT_EQ(take(xCore_W2U(w.c_str(), static_cast<uint32_t>(w.size() * 2))), text);
    EXPECT_EQ(take(xCore.W2U(w.c_str(), 0)), text) << "through the record's slot";
  }
  std::wstring g = take(xCore_M2W("\xd6\xd0", 936, 0));
  EXPECT_EQ(g, L"\x4E2D") << "the Chinese code page";
  EXPECT_EQ(take(xCore_W2M(g.c_str(), 936, 0)), "\xd6\xd0");
  EXPECT_EQ(take(xCore_A2U(take(xCore_U2A("plain ascii", 0)).c_str(), 0)), "plain ascii");
}

TEST_F(Conversions, ExplicitLengthsCountBytesAndPassZeros) {
  EXPECT_EQ(take(xCore_W2M(L"abcdef", 65001, 6)), "abc") << "6 bytes are 3 units";
  EXPECT_EQ(take(xCore_M2W("abcdef", 65001, 2)), L"ab");
  const char with_zero[] = {'a', 0, 'b'};
  EXPECT_EQ(take(xCore_A2U(with_zero, 3)), std::string(with_zero, 3)) << "the zero is converted too";
}

TEST_F(Conversions, InvalidUtf8BecomesReplacementCharacters) {
  std::wstring got = take(xCore_U2W("a\xff" "b\xc3", 0));
  EXPECT_EQ(got.front(), L'a');
  EXPECT_NE(got.find(L'\xFFFD'), std::wstring::npos);
}

// Sizes travel with their results inside the library: a register written by
// another thread between two steps of one call must not change the result.
TEST_F(Conversions, AnotherThreadWritingTheRegistersChangesNoResult) {
  std::atomic<bool> done{false};
  std::thread writer([&] {
    while (!done) xCore.iRetSize = 2;
  });
  bool same = true;
  for (int i = 0; i < 20000 && same; ++i) {
    char *u = xCore_A2U("conversion of a longer text", 0);
    same = std::string(u) == "conversion of a longer text";
    xCore_free(u);
    same = same && xCore_InStrW(L"a needle in a haystack", L"haystack", 0) == 15;
  }
  done = true;
  writer.join();
  EXPECT_TRUE(same);
}

}  // namespace
