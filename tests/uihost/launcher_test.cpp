// launcher installed in folders whose names have blanks and Chinese
// characters, with the stand-in report browser (Pelvari.exe) in its folder:
// the workpath written exactly, one line after two runs, other settings kept,
// nothing written or started without the browser folder, exit code 0.
#include "program_run.hpp"
#include "temp_dir.hpp"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

namespace {

using tarvo::test::utf8;

constexpr wchar_t kBrowser[] = L"运行报告浏览器\\";

// The browser's log once it has written both lines (it runs on its own; the
// launcher does not wait for it).
std::vector<std::string> browser_log(const std::wstring &folder) {
  for (const ULONGLONG until = GetTickCount64() + 30000; GetTickCount64() < until; Sleep(50)) {
    std::vector<std::string> lines = tarvo::test::lines_of(folder + L"pelvari.log");
    if (lines.size() == 2) return lines;
  }
  return {};
}

// The INI file as text: UTF-16 after its mark, or the bytes as they are.
std::wstring ini_text(const std::wstring &path) {
  std::string bytes = tarvo::test::raw_read(path);
  if (bytes.rfind("\xFF\xFE", 0) != 0) return std::wstring(bytes.begin(), bytes.end());
  return std::wstring(reinterpret_cast<const wchar_t *>(bytes.data() + 2), (bytes.size() - 2) / 2);
}

size_t count_of(const std::wstring &text, const std::wstring &word) {
  size_t n = 0;
  for (size_t at = text.find(word); at != std::wstring::npos; at = text.find(word, at + 1)) ++n;
  return n;
}

TEST(Launcher, PointsTheBrowserAtTheReportFolderAndStartsIt) {
  const struct {
    const wchar_t *install;
    int runs;
    std::string existing_ini;  // "" when the browser has no app.ini yet
  } cases[] = {
      {L"安装 目录\\", 1, ""},
      {L"plain\\", 2, ""},
      {L"报告 x y\\", 2, "[app]\r\ntheme=dark\r\nworkpath=C:\\old\r\n[other]\r\nkey=1\r\n"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(utf8(c.install));
    tarvo::test::TempDir dir;
    const std::wstring home = dir.file(c.install), browser = home + kBrowser;
    ASSERT_TRUE(CreateDirectoryW(home.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW(browser.c_str(), nullptr));
    ASSERT_TRUE(tarvo::test::copy_from_bin(L"launcher.exe", home + L"launcher.exe"));
    ASSERT_TRUE(tarvo::test::copy_from_bin(L"Pelvari.exe", browser + L"Pelvari.exe"));
    if (!c.existing_ini.empty()) tarvo::test::raw_write(browser + L"app.ini", c.existing_ini);
    for (int i = 0; i < c.runs; ++i) {
      DeleteFileW((browser + L"pelvari.log").c_str());
      tarvo::test::ProgramRun ran = tarvo::test::run_program(home + L"launcher.exe", dir.path());
      ASSERT_TRUE(ran.ended);
      EXPECT_EQ(ran.exit_code, 0u);
      const std::vector<std::string> log = browser_log(browser);
      ASSERT_EQ(log.size(), 2u) << "the browser never wrote its log";
      EXPECT_EQ(log[0], "cmdline\t\"" + utf8(browser) + "Pelvari.exe\"");
      // A file the launcher creates holds the exact path; an existing one keeps its own encoding.
      if (c.existing_ini.empty()) {
        EXPECT_EQ(log[1], "workpath\t" + utf8(home) + "报告");
      }
    }
    const std::wstring ini = ini_text(browser + L"app.ini");
    EXPECT_EQ(count_of(ini, L"workpath="), 1u);
    if (c.existing_ini.empty()) {
      EXPECT_EQ(tarvo::test::raw_read(browser + L"app.ini").rfind("\xFF\xFE", 0), 0u) << "begun as UTF-16";
    } else {
      EXPECT_EQ(count_of(ini, L"theme=dark"), 1u);
      EXPECT_EQ(count_of(ini, L"[other]\r\nkey=1"), 1u);
      EXPECT_EQ(count_of(ini, L"C:\\old"), 0u);
    }
  }
}

TEST(Launcher, WithoutTheBrowserFolderNothingIsWrittenOrStarted) {
  tarvo::test::TempDir dir;
  const std::wstring home = dir.file(L"安装 目录\\");
  ASSERT_TRUE(CreateDirectoryW(home.c_str(), nullptr));
  ASSERT_TRUE(tarvo::test::copy_from_bin(L"launcher.exe", home + L"launcher.exe"));
  tarvo::test::ProgramRun ran = tarvo::test::run_program(home + L"launcher.exe", dir.path());
  ASSERT_TRUE(ran.ended);
  EXPECT_EQ(ran.exit_code, 0u);
  EXPECT_EQ(GetFileAttributesW((home + kBrowser).c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetFileAttributesW((home + L"报告").c_str()), INVALID_FILE_ATTRIBUTES);
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW((home + L"*").c_str(), &found);
  int entries = 0;
  if (find != INVALID_HANDLE_VALUE) {
    do {
      ++entries;
    } while (FindNextFileW(find, &found));
    FindClose(find);
  }
  EXPECT_EQ(entries, 3) << "., .. and launcher.exe only";
}

}  // namespace
