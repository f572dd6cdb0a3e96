// Hexadecimal and URI encoding, and the exported xxHash functions.
#include "alloc_counter.hpp"
#include "xcore.h"
#include "xtext.h"
#include "xxh_reference.hpp"

#include <string>
#include <vector>

namespace {

class Codec : public tarvo::test::LeakCheckedTest {
 protected:
  // The decoded bytes, sized by iRetSize.
  std::string take_bytes(char *r) {
    std::string s(r, xCore.iRetSize);
    EXPECT_EQ(r[xCore.iRetSize], '\0');
    xCore_free(r);
    return s;
  }
  std::string take(char *r) {
    std::string s(r);
    xCore_free(r);
    return s;
  }
};

TEST_F(Codec, HexEncode) {
  const unsigned char bytes[] = {0x0A, 0xFF, 0x00, 0x41};
  EXPECT_EQ(take(HexEncode(bytes, 2)), "0AFF");
  EXPECT_EQ(take(HexEncode(bytes, 4)), "0AFF0041") << "an explicit count passes zero bytes";
  EXPECT_EQ(take(HexEncode("AB", 0)), "4142") << "count 0 stops at a zero byte";
  EXPECT_EQ(static_cast<const void *>(HexEncode(nullptr, 3)), xCore.EmptyString);
  EXPECT_EQ(static_cast<const void *>(HexEncode("", 0)), xCore.EmptyString);
}

TEST_F(Codec, HexDecode) {
  EXPECT_EQ(take_bytes(HexDecode("0aFF", 0)), "\x0a\xff");
  EXPECT_EQ(take_bytes(HexDecode("410042", 0)), std::string("A\0B", 3)) << "iRetSize carries zero bytes";
  EXPECT_EQ(take_bytes(HexDecode("41424", 4)), "AB") << "the length bounds the input";
  EXPECT_EQ(take_bytes(HexDecode("4", 0)), "\x3f") << "the missing digit counts as -1";
  EXPECT_EQ(take_bytes(HexDecode("zz", 0)), "\xef") << "invalid digits decode without error";
  EXPECT_EQ(static_cast<const void *>(HexDecode(nullptr, 0)), xCore.EmptyString);
}

TEST_F(Codec, UriEncodeKeepsTheAuthority) {
  EXPECT_EQ(take(UriEncode("http://host:8080/a b?x=1&y")), "http://host:8080/a%20b%3Fx%3D1%26y");
  EXPECT_EQ(take(UriEncode("mailto:x")), "mailto%3Ax");
  EXPECT_EQ(take(UriEncode("x://host")), "x%3A//host") << "no slash after the host: the colon is encoded";
  EXPECT_EQ(take(UriEncode("a-b_c.d/+%")), "a-b_c.d/%2B%25");
  EXPECT_EQ(take(UriEncode("\xe4\xb8\xad")), "%E4%B8%AD");
  EXPECT_EQ(static_cast<const void *>(UriEncode(nullptr)), xCore.EmptyString);
}

TEST_F(Codec, UriDecode) {
  EXPECT_EQ(take_bytes(UriDecode("a%20b+c")), "a b+c");
  EXPECT_EQ(take_bytes(UriDecode("%E4%b8%AD")), "\xe4\xb8\xad");
  EXPECT_EQ(take_bytes(UriDecode("a%00b")), std::string("a\0b", 3));
  EXPECT_EQ(take_bytes(UriDecode("abc%")), "abc%") << "a cut escape is copied as it stands";
  EXPECT_EQ(take_bytes(UriDecode("abc%4")), "abc%4");
  EXPECT_EQ(static_cast<const void *>(UriDecode("")), xCore.EmptyString);
}

TEST(XxHash, PublishedValuesOfTheEmptyInput) {
  EXPECT_EQ(XXH32("", 0, 0), 0x02CC5D05u);
  EXPECT_EQ(XXH64("", 0, 0), 0xEF46DB3751D8E999ull);
  EXPECT_EQ(XXH64(nullptr, 16, 0), 0xEF46DB3751D8E999ull) << "null data hashes as empty";
}

TEST(XxHash, ExportsMatchTheLibrary) {
  std::vector<unsigned char> data(1000);
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<unsigned char>(i * 31 + 7);
  for (size_t len : {1u, 3u, 4u, 16u, 31u, 32u, 33u, 999u, 1000u}) {
    for (uint64_t seed : {0ull, 1ull, 0x9E3779B97F4A7C15ull}) {
      EXPECT_EQ(XXH32(data.data(), len, static_cast<uint32_t>(seed)),
                tarvo::test::reference_xxh32(data.data(), len, static_cast<uint32_t>(seed)));
      EXPECT_EQ(XXH64(data.data(), len, seed), tarvo::test::reference_xxh64(data.data(), len, seed));
    }
  }
}

}  // namespace
