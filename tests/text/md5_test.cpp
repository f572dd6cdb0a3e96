// MD5 against the RFC 1321 test suite, of memory and of files.
#include "hashing.hpp"
#include "temp_dir.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

std::string hex(const tarvo::Md5Digest &d) {
  static const char digits[] = "0123456789abcdef";
  std::string s;
  for (uint8_t b : d.bytes) {
    s += digits[b >> 4];
    s += digits[b & 15];
  }
  return s;
}

std::string md5_of(const std::string &s) { return hex(tarvo::md5_bytes(s.data(), s.size())); }

const std::string kEighty = "12345678901234567890123456789012345678901234567890123456789012345678901234567890";

TEST(Md5, Rfc1321Suite) {
  EXPECT_EQ(md5_of(""), "d41d8cd98f00b204e9800998ecf8427e");
  EXPECT_EQ(md5_of("a"), "0cc175b9c0f1b6a831c399e269772661");
  EXPECT_EQ(md5_of("abc"), "900150983cd24fb0d6963f7d28e17f72");
  EXPECT_EQ(md5_of("message digest"), "f96b697d7cb7938d525a2f31aaf161d0");
  EXPECT_EQ(md5_of("abcdefghijklmnopqrstuvwxyz"), "c3fcd3d76192e4007dfb496cca67e13b");
  EXPECT_EQ(md5_of("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"),
            "d174ab98d277d9f5a5611c2c9f419d9f");
  EXPECT_EQ(md5_of(kEighty), "57edf4a22be3c955ac49da2e2107b67a");
  EXPECT_EQ(hex(tarvo::md5_bytes(nullptr, 5)), "d41d8cd98f00b204e9800998ecf8427e");
}

TEST(Md5, PaddingBoundaries) {
  // Lengths around the 56-byte length slot and the 64-byte block, where the
  // padding takes one or two blocks.
  const std::pair<size_t, const char *> cases[] = {
      {55, "04364420e25c512fd958a70738aa8f72"}, {56, "668a72d5ba17f08e62dabcafad6db14b"},
      {63, "7dc2ca208106a2f703567bdff99d8981"}, {64, "c1bb4f81d892b2d57947682aeb252456"},
      {65, "1bc932052302d074bdec39795fe00cf6"}, {119, "ab347a5f68c8a443cfcddc633f12c24f"},
      {120, "fb98667f98096de92620b64f46e1c5b5"}};
  for (const auto &[n, digest] : cases) EXPECT_EQ(md5_of(std::string(n, 'x')), digest) << n;
}

TEST(Md5, ThreadsDoNotShareADigest) {
  std::vector<std::string> got(4);
  std::vector<std::thread> threads;
  for (size_t t = 0; t < got.size(); ++t) {
    threads.emplace_back([&got, t] {
      std::string text(1000 + t, static_cast<char>('a' + t));
      std::string first = md5_of(text);
      for (int i = 0; i < 200; ++i)
        if (md5_of(text) != first) return;
      got[t] = first;
    });
  }
  for (auto &th : threads) th.join();
  for (size_t t = 0; t < got.size(); ++t)
    EXPECT_EQ(got[t], md5_of(std::string(1000 + t, static_cast<char>('a' + t))));
}

void write_file(const std::wstring &path, const std::string &bytes) {
  FILE *f = _wfopen(path.c_str(), L"wb");
  ASSERT_NE(f, nullptr);
  std::fwrite(bytes.data(), 1, bytes.size(), f);
  std::fclose(f);
}

TEST(Md5File, ReadsTheWholeFileUnderAUnicodeName) {
  tarvo::test::TempDir dir;
  std::wstring name = dir.file(L"\x6570\x636E\xD83D\xDE00.txt");
  write_file(name, kEighty);
  tarvo::Md5Digest d{};
  ASSERT_TRUE(tarvo::md5_file(name.c_str(), d));
  EXPECT_EQ(hex(d), "57edf4a22be3c955ac49da2e2107b67a");

  // More than one 1024-byte chunk, with bytes that text mode would change.
  std::string big;
  for (int i = 0; i < 3000; ++i) big += static_cast<char>(i % 7 == 0 ? '\n' : i % 5 == 0 ? 0x1A : 'a' + i % 26);
  write_file(dir.file(L"big.bin"), big);
  ASSERT_TRUE(tarvo::md5_file(dir.file(L"big.bin").c_str(), d));
  EXPECT_EQ(hex(d), md5_of(big));

  write_file(dir.file(L"empty"), "");
  ASSERT_TRUE(tarvo::md5_file(dir.file(L"empty").c_str(), d));
  EXPECT_EQ(hex(d), "d41d8cd98f00b204e9800998ecf8427e");
}

TEST(Md5File, MissingFileFailsAndLeavesTheDigest) {
  tarvo::test::TempDir dir;
  tarvo::Md5Digest d;
  for (auto &b : d.bytes) b = 0xAB;
  EXPECT_FALSE(tarvo::md5_file(dir.file(L"missing.txt").c_str(), d));
  EXPECT_FALSE(tarvo::md5_file(nullptr, d));
  EXPECT_FALSE(tarvo::md5_file(dir.path().c_str(), d)) << "a folder is not a readable file";
  for (auto b : d.bytes) EXPECT_EQ(b, 0xAB);
}

}  // namespace
