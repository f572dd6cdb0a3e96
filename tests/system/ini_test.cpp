// INI values over the platform's private-profile calls.
#include "fixture.hpp"
#include "xini.h"

namespace {

using tarvo::test::FileTest;
using tarvo::test::Owned;
using tarvo::test::raw_read;
using tarvo::test::utf8;

class Ini : public FileTest {
 protected:
  std::wstring path = file(L"conf \u4e2d.ini");
  std::string path_u = utf8(path);
  std::wstring read(const wchar_t *section, const wchar_t *key, const wchar_t *file = nullptr) {
    Owned<wchar_t> r(Ini_ReadW(file ? file : path.c_str(), section, key));
    EXPECT_EQ(r.size(), r.str().size() * 2);
    return r.str();
  }
};

TEST_F(Ini, WriteCreatesReadFindsOverwriteReplaces) {
  EXPECT_EQ(read(L"app", L"name"), L"") << "missing file";
  EXPECT_EQ(Ini_WriteW(path.c_str(), L"app", L"name", L"first"), 1);
  EXPECT_NE(raw_read(path).find("[app]"), std::string::npos);
  EXPECT_EQ(read(L"app", L"name"), L"first");
  EXPECT_EQ(Ini_WriteU(path_u.c_str(), "app", "name", "\xC3\xA9 second"), 1);
  Owned<char> u(Ini_ReadU(path_u.c_str(), "app", "name"));
  EXPECT_EQ(u.str(), "\xC3\xA9 second");
  EXPECT_EQ(read(L"app", L"other") + read(L"none", L"name"), L"") << "missing key, missing section";
  Owned<char> a(Ini_ReadA(nullptr, "app", "name"));
  EXPECT_EQ(a.str(), "");
  EXPECT_EQ(Ini_WriteW(nullptr, L"app", L"k", L"v"), 0);
}

TEST_F(Ini, NullValueRemovesKeyNullKeyRemovesSection) {
  Ini_WriteU(path_u.c_str(), "s1", "a", "1");
  Ini_WriteU(path_u.c_str(), "s1", "b", "2");
  Ini_WriteU(path_u.c_str(), "s2", "c", "3");
  EXPECT_EQ(Ini_WriteU(path_u.c_str(), "s1", "a", nullptr), 1);
  EXPECT_EQ(read(L"s1", L"a") + L"|" + read(L"s1", L"b"), L"|2");
  EXPECT_EQ(Ini_WriteW(path.c_str(), L"s1", nullptr, nullptr), 1);
  EXPECT_EQ(read(L"s1", L"b") + L"|" + read(L"s2", L"c"), L"|3");
}

TEST_F(Ini, NumbersAndLongValues) {
  Ini_WriteW(path.c_str(), L"n", L"mixed", L"12abc");
  Ini_WriteW(path.c_str(), L"n", L"negative", L"-7");
  EXPECT_EQ(Ini_ReadIntU(path_u.c_str(), "n", "mixed"), 12);
  EXPECT_EQ(Ini_ReadIntW(path.c_str(), L"n", L"negative"), -7);
  EXPECT_EQ(Ini_ReadIntU(path_u.c_str(), "n", "missing"), 0);
  EXPECT_EQ(Ini_ReadIntA(nullptr, "n", "mixed"), 0);
  for (size_t n : {8191u, 8192u, 20000u}) {
    std::wstring value(n, L'v');
    value[n - 1] = L'!';
    ASSERT_EQ(Ini_WriteW(path.c_str(), L"long", L"key", value.c_str()), 1);
    EXPECT_EQ(read(L"long", L"key"), value) << n;
  }
}

// The platform's profile reader ends the process on a bare name of a few
// thousand characters: names it cannot take are refused before it is asked.
TEST_F(Ini, FileNamesBeyondThePlatformLimitAreRefused) {
  for (const std::wstring &name : {std::wstring(100000, L'x'), std::wstring(MAX_PATH, L'y'),
                                   dir() + std::wstring(MAX_PATH, L'z')}) {
    EXPECT_EQ(read(L"app", L"name", name.c_str()), L"");
    EXPECT_EQ(Ini_ReadIntW(name.c_str(), L"app", L"n"), 0);
    EXPECT_EQ(Ini_WriteW(name.c_str(), L"app", L"name", L"v"), 0);
  }
  Owned<char> u(Ini_ReadU(std::string(100000, 'x').c_str(), "app", "name"));
  EXPECT_EQ(u.str(), "");
}

}  // namespace
