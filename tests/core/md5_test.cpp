// MD5 around the padding boundaries, and of files.
#include "hashing.hpp"
#include "temp_dir.hpp"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string hex(const tarvo::Md5Digest &d) {
  std::string s;
  for (uint8_t b : d.bytes) s += {"0123456789abcdef"[b >> 4], "0123456789abcdef"[b & 15]};
  return s;
}
std::string md5_of(const std::string &s) { return hex(tarvo::md5_bytes(s.data(), s.size())); }

TEST(Md5, AroundThePaddingBoundariesAndOfWholeFilesUnderAnyName) {
  EXPECT_EQ(hex(tarvo::md5_bytes(nullptr, 5)), "d41d8cd98f00b204e9800998ecf8427e");
  // Around the 56-byte length slot and the 64-byte block.
  const std::pair<size_t, const char *> cases[] = {
      {55, "04364420e25c512fd958a70738aa8f72"}, {56, "668a72d5ba17f08e62dabcafad6db14b"},
      {63, "7dc2ca208106a2f703567bdff99d8981"}, {64, "c1bb4f81d892b2d57947682aeb252456"},
      {65, "1bc932052302d074bdec39795fe00cf6"}, {120, "fb98667f98096de92620b64f46e1c5b5"}};
  for (const auto &[size, digest] : cases) EXPECT_EQ(md5_of(std::string(size, 'x')), digest) << size;
  tarvo::test::TempDir dir;
  // More than one 1024-byte chunk, with bytes that text mode would change.
  std::string big;
  for (int i = 0; i < 3000; ++i) big += static_cast<char>(i % 7 == 0 ? '\n' : i % 5 == 0 ? 0x1A : 'a' + i % 26);
  std::wstring name = dir.file(L"\x6570\x636E\xD83D\xDE00.bin");
  tarvo::test::raw_write(name, big);
  tarvo::Md5Digest d{};
  ASSERT_TRUE(tarvo::md5_file(name.c_str(), d));
  EXPECT_EQ(hex(d), md5_of(big));
  EXPECT_FALSE(tarvo::md5_file(dir.file(L"missing.txt").c_str(), d) || tarvo::md5_file(nullptr, d) ||
               tarvo::md5_file(dir.path().c_str(), d)) << "missing, null, a folder";
}

}  // namespace
