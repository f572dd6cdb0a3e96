// Path strings taken apart and put together.
#include "fixture.hpp"
#include "xpath.h"

#include <windows.h>

#include <set>

namespace {

using tarvo::test::FileTest;
using tarvo::test::Owned;
using tarvo::test::utf8;

class Paths : public FileTest {
 protected:
  template <class Fn>
  std::wstring w(Fn fn, const wchar_t *path) {
    Owned<wchar_t> r(fn(path));
    EXPECT_EQ(r.size(), r.str().size() * 2);
    return r.str();
  }
  template <class Fn>
  bool nothing(Fn fn, const wchar_t *path) {
    Owned<wchar_t> r(fn(path));
    return r.is_empty_string();
  }
};

TEST_F(Paths, NamesExtensionsAndFolders) {
  const wchar_t *p = L"C:\\dir\\report.final.xlsx";
  EXPECT_EQ(w(Path_FileNameExtW, p), L"report.final.xlsx");
  EXPECT_EQ(w(Path_FileNameW, p), L"report.final");
  EXPECT_EQ(w(Path_FileExtW, p), L"xlsx");
  EXPECT_EQ(w(Path_FilePathW, p), L"C:\\dir\\");
  EXPECT_TRUE(nothing(Path_FileExtW, L"C:\\dir.old\\readme")) << "the dot is in a folder name";
  EXPECT_EQ(w(Path_FileNameW, L"C:\\dir.old\\readme"), L"readme");
  EXPECT_EQ(w(Path_FileNameExtW, L"C:/dir/a.txt"), L"C:/dir/a.txt") << "only backslashes separate";
  EXPECT_TRUE(nothing(Path_FilePathW, L"a.txt"));
  EXPECT_TRUE(nothing(Path_FileNameExtW, L"C:\\dir\\"));
  for (auto fn : {Path_FileNameExtW, Path_FileNameW, Path_FileExtW, Path_FilePathW})
    EXPECT_TRUE(nothing(fn, nullptr));
  Owned<char> a(Path_FileNameA("C:\\d\\n\xE9.txt"));
  EXPECT_EQ(a.str(), "n\xE9");
  Owned<char> none(Path_FileExtA(nullptr));
  EXPECT_TRUE(none.is_empty_string());
}

TEST_F(Paths, JoinUsesExactlyOneSeparator) {
  for (const wchar_t *folder : {L"C:\\dir", L"C:\\dir\\"}) {
    Owned<wchar_t> r(Path_JoinW(folder, L"a.txt"));
    EXPECT_EQ(r.str(), L"C:\\dir\\a.txt");
    EXPECT_EQ(xCore.iRet, 1);
  }
  Owned<wchar_t> slash(Path_JoinW(L"C:/dir/", L"a.txt"));
  EXPECT_EQ(slash.str(), L"C:/dir/a.txt");
  wchar_t *app = xCore_AppPathW();
  std::wstring app_folder = app;
  xCore_free(app);
  Owned<wchar_t> empty(Path_JoinW(L"", L"a.txt"));
  EXPECT_EQ(empty.str(), app_folder + L"a.txt");
  Owned<char> null_folder(Path_JoinA(nullptr, "a.txt"));
  EXPECT_EQ(null_folder.str(), utf8(app_folder) + "a.txt");
  Owned<wchar_t> no_name(Path_JoinW(L"C:\\dir", nullptr));
  EXPECT_TRUE(no_name.is_empty_string());
  EXPECT_EQ(xCore.iRet, 0);
  Owned<char> no_name_a(Path_JoinA("C:\\dir", nullptr));
  EXPECT_TRUE(no_name_a.is_empty_string());
  EXPECT_EQ(xCore.iRet, 0);
}

TEST_F(Paths, RandomNamesUseDigitsAndCapitalsAToY) {
  Owned<wchar_t> bare(Path_RandomW(L"pre_", L".tmp", 0));
  EXPECT_EQ(bare.str(), L"pre_.tmp");
  std::set<wchar_t> seen;
  for (int i = 0; i < 20; ++i) {
    Owned<wchar_t> r(Path_RandomW(L"p", nullptr, 50));
    std::wstring s = r.str();
    ASSERT_EQ(s.size(), 51u);
    for (wchar_t c : s.substr(1)) seen.insert(c);
  }
  for (wchar_t c : seen) EXPECT_TRUE((c >= L'0' && c <= L'9') || (c >= L'A' && c <= L'Y')) << int(c);
  EXPECT_EQ(seen.size(), 35u) << "1000 draws reach every character";
  Owned<char> a(Path_RandomA("x", "y", -3));
  EXPECT_EQ(a.str(), "xy");
}

TEST_F(Paths, SafeCheckTrimsFiltersAndRepairs) {
  wchar_t unsafe[] = L"C:\\dir \\fi*le.txt.";
  EXPECT_EQ(Path_SafeCheckW(unsafe, 0), 1);
  EXPECT_STREQ(unsafe, L"C:\\dir \\fi*le.txt.") << "no repair asked";
  EXPECT_EQ(Path_SafeCheckW(unsafe, 1), 1);
  EXPECT_STREQ(unsafe, L"C:\\dir\\file.txt");
  wchar_t safe[] = L"C:\\dir\\file.txt";
  EXPECT_EQ(Path_SafeCheckW(safe, 1), 0);
  EXPECT_STREQ(safe, L"C:\\dir\\file.txt");
  wchar_t mixed[] = L"a/../b?:\\<c>|\"";
  EXPECT_EQ(Path_SafeCheckW(mixed, 1), 1);
  EXPECT_STREQ(mixed, L"a\\\\b?:\\c") << "dots trimmed to nothing; ? and : stay";
  EXPECT_EQ(Path_SafeCheckW(nullptr, 1), 1);
  char narrow[] = "C:\\d\xE9 \\x|y";
  EXPECT_EQ(Path_SafeCheckA(narrow, 1), 1);
  EXPECT_STREQ(narrow, "C:\\d\xE9\\xy");
  EXPECT_EQ(Path_SafeCheckA(nullptr, 0), 1);
}

TEST_F(Paths, AbsoluteAndRelativeForms) {
  Owned<wchar_t> abs(Path_GetAbsW(L"sub\\..\\x\\.\\f.txt", L"C:\\base"));
  EXPECT_EQ(abs.str(), L"C:\\base\\x\\f.txt");
  Owned<wchar_t> kept(Path_GetAbsW(L"D:\\a\\..\\b", L"C:\\base"));
  EXPECT_EQ(kept.str(), L"D:\\a\\..\\b") << "an absolute path is copied";
  wchar_t saved[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, saved);
  ASSERT_TRUE(SetCurrentDirectoryW(dir().c_str()));
  Owned<wchar_t> cwd(Path_GetAbsW(L"f.txt", nullptr));
  EXPECT_EQ(cwd.str(), dir() + L"f.txt");
  Owned<char> cwd_a(Path_GetAbsA("f.txt", nullptr));
  EXPECT_EQ(cwd_a.str(), utf8(dir()) + "f.txt");

  CreateDirectoryW((dir() + L"a").c_str(), nullptr);
  CreateDirectoryW((dir() + L"a\\b").c_str(), nullptr);
  std::wstring target = dir() + L"a\\b";
  std::wstring base = dir() + L"a";
  Owned<wchar_t> from_path(Path_GetRelW(target.c_str(), base.c_str()));
  EXPECT_EQ(from_path.str(), L"..") << "the W form leads from the path to the base";
  Owned<char> from_base(Path_GetRelA(utf8(target).c_str(), utf8(base).c_str()));
  EXPECT_EQ(from_base.str(), ".\\b") << "the A form leads from the base to the path";
  Owned<wchar_t> null_base(Path_GetRelW(target.c_str(), nullptr));
  EXPECT_EQ(null_base.str(), L"..\\..");
  SetCurrentDirectoryW(saved);
  Owned<wchar_t> none(Path_GetRelW(nullptr, nullptr));
  EXPECT_TRUE(none.is_empty_string());
  Owned<wchar_t> none_abs(Path_GetAbsW(nullptr, nullptr));
  EXPECT_TRUE(none_abs.is_empty_string());
}

}  // namespace
