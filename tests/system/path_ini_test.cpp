// Path strings taken apart and put together; INI values over the platform's private-profile calls.
#include "fixture.hpp"
#include "xini.h"
#include "xpath.h"

#include <set>

namespace {

using namespace tarvo::test;

class Paths : public FileTest {
 protected:
  // The wide result, its size checked; "<none>" for EmptyString.
  std::wstring w(wchar_t *r) {
    Owned<wchar_t> o(r);
    EXPECT_EQ(o.size(), o.str().size() * 2);
    return o.is_empty_string() ? L"<none>" : o.str();
  }
  std::wstring ini = file(L"conf \u4e2d.ini");
  std::string ini_u = utf8(ini);
  std::wstring read(const wchar_t *section, const wchar_t *key, const wchar_t *name = nullptr) {
    std::wstring r = w(Ini_ReadW(name ? name : ini.c_str(), section, key));
    return r == L"<none>" ? L"" : r;
  }
};

TEST_F(Paths, NamesExtensionsAndFolders) {
  const struct {
    const wchar_t *path, *name_ext, *name, *ext, *folder;
  } cases[] = {{L"C:\\dir\\report.final.xlsx", L"report.final.xlsx", L"report.final", L"xlsx", L"C:\\dir\\"},
               {L"C:\\dir.old\\readme", L"readme", L"readme", L"<none>", L"C:\\dir.old\\"},  // a folder's dot
               {L"C:/dir/a.txt", L"C:/dir/a.txt", L"C:/dir/a", L"txt", L"<none>"},  // only backslashes separate
               {L"C:\\dir\\", L"<none>", L"<none>", L"<none>", L"C:\\dir\\"},
               {nullptr, L"<none>", L"<none>", L"<none>", L"<none>"}};
  for (const auto &c : cases) {
    EXPECT_EQ(w(Path_FileNameExtW(c.path)), c.name_ext);
    EXPECT_EQ(w(Path_FileNameW(c.path)), c.name);
    EXPECT_EQ(w(Path_FileExtW(c.path)), c.ext);
    EXPECT_EQ(w(Path_FilePathW(c.path)), c.folder);
  }
  EXPECT_EQ(Owned<char>(Path_FileNameA("C:\\d\\n\xE9.txt")).str(), "n\xE9");
}

TEST_F(Paths, JoinUsesExactlyOneSeparator) {
  EXPECT_EQ(w(Path_JoinW(L"C:\\dir", L"a.txt")) + w(Path_JoinW(L"C:\\dir\\", L"b")), L"C:\\dir\\a.txtC:\\dir\\b");
  EXPECT_EQ(xCore.iRet, 1);
  EXPECT_EQ(w(Path_JoinW(L"C:/dir/", L"a.txt")), L"C:/dir/a.txt");
  std::wstring app = Owned<wchar_t>(xCore_AppPathW()).get();  // sized in characters, not bytes
  EXPECT_EQ(Owned<char>(Path_JoinA(nullptr, "a.txt")).str(), utf8(app) + "a.txt");
  EXPECT_EQ(w(Path_JoinW(L"C:\\dir", nullptr)), L"<none>");
  EXPECT_EQ(xCore.iRet, 0);
}

// Random parts draw from 0-9 and A-Y and stay within a file name's limit (beyond it a name of gigabytes was built).
TEST_F(Paths, RandomNamesUseDigitsAndCapitalsAToY) {
  EXPECT_EQ(w(Path_RandomW(L"pre_", L".tmp", 0)), L"pre_.tmp");
  std::set<wchar_t> seen;
  for (int i = 0; i < 20; ++i) {
    std::wstring s = w(Path_RandomW(L"p", nullptr, 50));
    ASSERT_EQ(s.size(), 51u);
    seen.insert(s.begin() + 1, s.end());
  }
  for (wchar_t c : seen) EXPECT_TRUE((c >= L'0' && c <= L'9') || (c >= L'A' && c <= L'Y')) << int(c);
  EXPECT_EQ(seen.size(), 35u) << "1000 draws reach every character";
  EXPECT_EQ(Owned<char>(Path_RandomA("x", "y", -3)).str(), "xy");
  EXPECT_EQ(w(Path_RandomW(nullptr, nullptr, 255)).size(), 255u);
  for (int32_t beyond : {256, INT32_MAX}) EXPECT_EQ(w(Path_RandomW(L"x", nullptr, beyond)), L"<none>");
}

TEST_F(Paths, SafeCheckTrimsFiltersAndRepairs) {
  wchar_t unsafe[] = L"C:\\dir \\fi*le.txt.";
  EXPECT_EQ(Path_SafeCheckW(unsafe, 0), 1);
  EXPECT_STREQ(unsafe, L"C:\\dir \\fi*le.txt.") << "no repair asked";
  wchar_t mixed[] = L"a/../b?:\\<c>|\"";
  EXPECT_EQ(Path_SafeCheckW(mixed, 1) + Path_SafeCheckW(nullptr, 1), 2);
  EXPECT_STREQ(mixed, L"a\\\\b?:\\c") << "dots trimmed to nothing; ? and : stay";
  char narrow[] = "C:\\d\xE9 \\x|y";
  EXPECT_EQ(Path_SafeCheckA(narrow, 1), 1);
  EXPECT_STREQ(narrow, "C:\\d\xE9\\xy");
  // A safe or empty text is not written to: it may be read-only, as the shared empty text is.
  EXPECT_EQ(Path_SafeCheckA(const_cast<char *>(""), 1), 0);
  EXPECT_EQ(Path_SafeCheckW(const_cast<wchar_t *>(L"C:\\safe"), 1), 0);
  EXPECT_EQ(Path_SafeCheckW(reinterpret_cast<wchar_t *>(const_cast<char *>(xCore.EmptyString)), 1), 0);
}

TEST_F(Paths, AbsoluteAndRelativeForms) {
  EXPECT_EQ(w(Path_GetAbsW(L"D:\\a\\..\\b", L"C:\\base")), L"D:\\a\\..\\b") << "an absolute path is copied";
  wchar_t saved[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, saved);
  ASSERT_TRUE(SetCurrentDirectoryW(dir().c_str()));
  EXPECT_EQ(w(Path_GetAbsW(L"f.txt", nullptr)), dir() + L"f.txt");
  std::wstring target = dir() + L"a\\b", base = dir() + L"a";
  CreateDirectoryW(base.c_str(), nullptr);
  CreateDirectoryW(target.c_str(), nullptr);
  EXPECT_EQ(w(Path_GetRelW(target.c_str(), base.c_str())), L"..") << "the W form leads from the path to the base";
  EXPECT_EQ(Owned<char>(Path_GetRelA(utf8(target).c_str(), utf8(base).c_str())).str(), ".\\b")
      << "the A form leads from the base to the path";
  EXPECT_EQ(w(Path_GetRelW(target.c_str(), nullptr)), L"..\\..");
  SetCurrentDirectoryW(saved);
  EXPECT_EQ(w(Path_GetRelW(nullptr, nullptr)) + w(Path_GetAbsW(nullptr, nullptr)), L"<none><none>");
}

TEST_F(Paths, IniWritesReadsAndRemovals) {
  EXPECT_EQ(read(L"app", L"name"), L"") << "missing file";
  EXPECT_EQ(Ini_WriteW(ini.c_str(), L"app", L"name", L"first"), 1);
  EXPECT_NE(raw_read(ini).find("[app]"), std::string::npos);
  EXPECT_EQ(read(L"app", L"name"), L"first");
  EXPECT_EQ(Ini_WriteU(ini_u.c_str(), "app", "name", "\xC3\xA9 -7"), 1);
  EXPECT_EQ(Owned<char>(Ini_ReadU(ini_u.c_str(), "app", "name")).str(), "\xC3\xA9 -7");
  EXPECT_EQ(read(L"app", L"other") + read(L"none", L"name"), L"") << "missing key, missing section";
  EXPECT_EQ(Owned<char>(Ini_ReadA(nullptr, "app", "name")).str(), "");
  EXPECT_EQ(Ini_WriteW(nullptr, L"a", L"k", L"v") + Ini_ReadIntA(nullptr, "app", "name"), 0);
  // A null value removes the key, a null key the section.
  EXPECT_EQ(Ini_WriteU(ini_u.c_str(), "app", "b", "-2") + Ini_WriteU(ini_u.c_str(), "s2", "c", "3"), 2);
  EXPECT_EQ(Ini_ReadIntW(ini.c_str(), L"app", L"b") + Ini_ReadIntU(ini_u.c_str(), "s2", "c"), 1);
  EXPECT_EQ(Ini_WriteU(ini_u.c_str(), "app", "name", nullptr), 1);
  EXPECT_EQ(read(L"app", L"name") + L"|" + read(L"app", L"b"), L"|-2");
  EXPECT_EQ(Ini_WriteW(ini.c_str(), L"app", nullptr, nullptr), 1);
  EXPECT_EQ(read(L"app", L"b") + L"|" + read(L"s2", L"c"), L"|3");
  // Values at and beyond the first buffer's size come back whole.
  for (size_t n : {8191u, 8192u, 20000u}) {
    std::wstring value(n, L'v');
    value[n - 1] = L'!';
    ASSERT_EQ(Ini_WriteW(ini.c_str(), L"long", L"key", value.c_str()), 1);
    EXPECT_EQ(read(L"long", L"key"), value) << n;
  }
}

// The platform's profile reader ends the process on a bare name of a few thousand characters: names it cannot
// take are refused before it is asked.
TEST_F(Paths, IniFileNamesBeyondThePlatformLimitAreRefused) {
  for (const std::wstring &name : {std::wstring(100000, L'x'), std::wstring(MAX_PATH, L'y'),
                                   dir() + std::wstring(MAX_PATH, L'z')}) {
    EXPECT_EQ(read(L"app", L"name", name.c_str()), L"");
    EXPECT_EQ(Ini_ReadIntW(name.c_str(), L"app", L"n") + Ini_WriteW(name.c_str(), L"app", L"name", L"v"), 0);
  }
  EXPECT_EQ(Owned<char>(Ini_ReadU(std::string(100000, 'x').c_str(), "app", "name")).str(), "");
}

}  // namespace
