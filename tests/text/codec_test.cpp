// Hexadecimal and URI encoding, and the exported xxHash functions.
#include "text_fixture.hpp"
#include "xcore.h"
#include "xtext.h"

#include <string>

namespace {

class Codec : public tarvo::test::TextTest {};

TEST_F(Codec, HexBothWays) {
  const unsigned char bytes[] = {0x0A, 0xFF, 0x00, 0x41};
  EXPECT_EQ(take(HexEncode(bytes, 4)), "0AFF0041") << "an explicit count passes zero bytes";
  EXPECT_EQ(take(HexEncode("AB", 0)), "4142") << "count 0 stops at a zero byte";
  EXPECT_EQ(static_cast<const void *>(HexEncode(nullptr, 3)), xCore.EmptyString);
  EXPECT_EQ(take_bytes(HexDecode("0aFF", 0)), "\x0a\xff");
  EXPECT_EQ(take_bytes(HexDecode("410042", 0)), std::string("A\0B", 3)) << "iRetSize carries zero bytes";
  EXPECT_EQ(take_bytes(HexDecode("41424", 4)), "AB") << "the length bounds the input";
  EXPECT_EQ(take_bytes(HexDecode("4", 0)), "\x3f") << "the missing digit counts as -1";
  EXPECT_EQ(take_bytes(HexDecode("zz", 0)), "\xef") << "invalid digits decode without error";
  EXPECT_EQ(static_cast<const void *>(HexDecode(nullptr, 0)), xCore.EmptyString);
}

TEST_F(Codec, UriBothWays) {
  EXPECT_EQ(take(UriEncode("http://host:8080/a b?x=1&y")), "http://host:8080/a%20b%3Fx%3D1%26y");
  EXPECT_EQ(take(UriEncode("x://host")), "x%3A//host") << "no slash after the host: the colon is encoded";
  EXPECT_EQ(take(UriEncode("a-b_c.d/+%\xe4")), "a-b_c.d/%2B%25%E4");
  EXPECT_EQ(static_cast<const void *>(UriEncode(nullptr)), xCore.EmptyString);
  EXPECT_EQ(take_bytes(UriDecode("a%20b+c%E4%b8%AD")), "a b+c\xe4\xb8\xad");
  EXPECT_EQ(take_bytes(UriDecode("a%00b")), std::string("a\0b", 3));
  EXPECT_EQ(take_bytes(UriDecode("abc%")), "abc%") << "a cut escape is copied as it stands";
  EXPECT_EQ(take_bytes(UriDecode("abc%4")), "abc%4");
  EXPECT_EQ(static_cast<const void *>(UriDecode("")), xCore.EmptyString);
}

// Published values of the empty input, and the reference library's values of
// a fixed pattern at the lengths where its code paths change, seeds included.
TEST(XxHash, MatchesTheReferenceValues) {
  EXPECT_EQ(XXH32("", 0, 0), 0x02CC5D05u);
  EXPECT_EQ(XXH64(nullptr, 16, 0), 0xEF46DB3751D8E999ull) << "null data hashes as empty";
  unsigned char data[1000];
  for (size_t i = 0; i < sizeof data; ++i) data[i] = static_cast<unsigned char>(i * 31 + 7);
  const struct {
    size_t len;
    uint32_t h32;
    uint64_t h64;
  } cases[] = {{1, 0x002E0D32u, 0xA96C7F0CE858BBB7ull},  {3, 0xED8936D0u, 0x5ACB303E78133C22ull},
               {4, 0x647D795Du, 0xC27AB891F5819190ull},  {16, 0xA8456415u, 0x5064DFA607FF3340ull},
               {31, 0xB3127C99u, 0xFA8A3BB2D9C8DB3Eull}, {32, 0x99F298D5u, 0x0EE0C2CA3B517ACEull},
               {33, 0xB11C2BBCu, 0x30812CE9BA4EB6CDull}, {999, 0xE53A38EAu, 0x3C5039CAE779F3B3ull}};
  uint32_t k = 0;
  for (const auto &c : cases) {
    EXPECT_EQ(XXH32(data, c.len, k * 2654435761u), c.h32) << c.len;
    EXPECT_EQ(XXH64(data, c.len, 0x9E3779B97F4A7C15ull * k), c.h64) << c.len;
    ++k;
  }
}

}  // namespace
