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
  // The wide result, its size checked; "<none>" for EmptyString.
  std::wstring w(wchar_t *r) {
    Owned<wchar_t> o(r);
    EXPECT_EQ(o.size(), o.str().size() * 2);
    return o.is_empty_string() ? L"<none>" : o.str();
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
  Owned<char> a(Path_FileNameA("C:\\d\\n\xE9.txt"));
  EXPECT_EQ(a.str(), "n\xE9");
}

TEST_F(Paths, JoinUsesExactlyOneSeparator) {
  EXPECT_EQ(w(Path_JoinW(L"C:\\dir", L"a.txt")), L"C:\\dir\\a.txt");
  EXPECT_EQ(xCore.iRet, 1);
  EXPECT_EQ(w(Path_JoinW(L"C:\\dir\\", L"a.txt")), L"C:\\dir\\a.txt");
  EXPECT_EQ(w(Path_JoinW(L"C:/dir/", L"a.txt")), L"C:/dir/a.txt");
  Owned<wchar_t> app_path(xCore_AppPathW());  // sized in characters, not bytes
  std::wstring app = app_path.get();
  EXPECT_EQ(w(Path_JoinW(L"", L"a.txt")), app + L"a.txt");
  Owned<char> null_folder(Path_JoinA(nullptr, "a.txt"));
  EXPECT_EQ(null_folder.str(), utf8(app) + "a.txt");
  EXPECT_EQ(w(Path_JoinW(L"C:\\dir", nullptr)), L"<none>");
  EXPECT_EQ(xCore.iRet, 0);
}

// Random parts draw from 0-9 and A-Y, and stay within a file name's limit: a
// count beyond it once tried to build a name of gigabytes.
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
  Owned<char> a(Path_RandomA("x", "y", -3));
  EXPECT_EQ(a.str(), "xy");
  EXPECT_EQ(w(Path_RandomW(nullptr, nullptr, 255)).size(), 255u);
  EXPECT_EQ(w(Path_RandomW(L"x", nullptr, 256)), L"<none>");
  EXPECT_EQ(w(Path_RandomW(L"x", nullptr, INT32_MAX)), L"<none>");
}

TEST_F(Paths, SafeCheckTrimsFiltersAndRepairs) {
  wchar_t unsafe[] = L"C:\\dir \\fi*le.txt.";
  EXPECT_EQ(Path_SafeCheckW(unsafe, 0), 1);
  EXPECT_STREQ(unsafe, L"C:\\dir \\fi*le.txt.") << "no repair asked";
  EXPECT_EQ(Path_SafeCheckW(unsafe, 1), 1);
  EXPECT_STREQ(unsafe, L"C:\\dir\\file.txt");
  wchar_t mixed[] = L"a/../b?:\\<c>|\"";
  EXPECT_EQ(Path_SafeCheckW(mixed, 1), 1);
  EXPECT_STREQ(mixed, L"a\\\\b?:\\c") << "dots trimmed to nothing; ? and : stay";
  EXPECT_EQ(Path_SafeCheckW(nullptr, 1), 1);
  char narrow[] = "C:\\d\xE9 \\x|y";
  EXPECT_EQ(Path_SafeCheckA(narrow, 1), 1);
  EXPECT_STREQ(narrow, "C:\\d\xE9\\xy");
  // A safe or empty text is not written to: it may be read-only, as the
  // shared empty text that an empty narrow path converts to is.
  EXPECT_EQ(Path_SafeCheckA(const_cast<char *>(""), 1), 0);
  EXPECT_EQ(Path_SafeCheckW(const_cast<wchar_t *>(L"C:\\safe"), 1), 0);
  EXPECT_EQ(Path_SafeCheckW(reinterpret_cast<wchar_t *>(const_cast<char *>(xCore.EmptyString)), 1), 0);
}

TEST_F(Paths, AbsoluteAndRelativeForms) {
  EXPECT_EQ(w(Path_GetAbsW(L"sub\\..\\x\\.\\f.txt", L"C:\\base")), L"C:\\base\\x\\f.txt");
  EXPECT_EQ(w(Path_GetAbsW(L"D:\\a\\..\\b", L"C:\\base")), L"D:\\a\\..\\b") << "an absolute path is copied";
  wchar_t saved[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, saved);
  ASSERT_TRUE(SetCurrentDirectoryW(dir().c_str()));
  EXPECT_EQ(w(Path_GetAbsW(L"f.txt", nullptr)), dir() + L"f.txt");
  CreateDirectoryW((dir() + L"a").c_str(), nullptr);
  CreateDirectoryW((dir() + L"a\\b").c_str(), nullptr);
  std::wstring target = dir() + L"a\\b", base = dir() + L"a";
  EXPECT_EQ(w(Path_GetRelW(target.c_str(), base.c_str())), L"..") << "the W form leads from the path to the base";
  Owned<char> from_base(Path_GetRelA(utf8(target).c_str(), utf8(base).c_str()));
  EXPECT_EQ(from_base.str(), ".\\b") << "the A form leads from the base to the path";
  EXPECT_EQ(w(Path_GetRelW(target.c_str(), nullptr)), L"..\\..");
  SetCurrentDirectoryW(saved);
  EXPECT_EQ(w(Path_GetRelW(nullptr, nullptr)), L"<none>");
  EXPECT_EQ(w(Path_GetAbsW(nullptr, nullptr)), L"<none>");
}

}  // namespace
