// launcher installed in folders whose names have blanks and Chinese characters, with the stand-in report
// browser (Pelvari.exe) in its folder or without that folder: exit code 0; the browser started by its
// whole, quoted path; the workpath written exactly (a new app.ini begun as UTF-16), one line after two runs,
// other settings kept; without the browser folder nothing written or started.
#include "program_run.hpp"
#include "temp_dir.hpp"

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>

namespace {

using tarvo::test::utf8;

constexpr wchar_t kBrowser[] = L"运行报告浏览器\\";

// The browser's log once it has written both lines (the launcher does not wait for it).
std::vector<std::string> browser_log(const std::wstring &folder) {
  for (const ULONGLONG until = GetTickCount64() + 30000; GetTickCount64() < until; Sleep(50))
    if (std::vector<std::string> lines = tarvo::test::lines_of(folder + L"pelvari.log"); lines.size() == 2) return lines;
  return {};
}

// How often `word` stands in the INI file, read as UTF-16 after its mark, else byte by byte.
size_t count_in_ini(const std::wstring &path, const std::wstring &word) {
  const std::string bytes = tarvo::test::raw_read(path);
  const std::wstring text = bytes.rfind("\xFF\xFE", 0) != 0
                                ? std::wstring(bytes.begin(), bytes.end())
                                : std::wstring(reinterpret_cast<const wchar_t *>(bytes.data() + 2), (bytes.size() - 2) / 2);
  size_t n = 0;
  for (size_t at = text.find(word); at != std::wstring::npos; at = text.find(word, at + 1)) ++n;
  return n;
}

TEST(Launcher, PointsTheBrowserAtTheReportFolderAndStartsIt) {
  const struct {
    const wchar_t *install;
    int runs;
    std::string existing_ini;  // "" when the browser has no app.ini yet
    bool browser = true;       // false: no browser folder at all
  } cases[] = {
      {L"安装 目录\\", 2, ""},
      {L"报告 x y\\", 2, "[app]\r\ntheme=dark\r\nworkpath=C:\\old\r\n[other]\r\nkey=1\r\n"},
      {L"安装 目录\\", 1, "", false},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(&c - cases);
    tarvo::test::TempDir dir;
    const std::wstring home = dir.file(c.install), browser = home + kBrowser, ini = browser + L"app.ini";
    ASSERT_TRUE(CreateDirectoryW(home.c_str(), nullptr));
    ASSERT_TRUE(tarvo::test::copy_from_bin(L"launcher.exe", home + L"launcher.exe"));
    if (c.browser) {
      ASSERT_TRUE(CreateDirectoryW(browser.c_str(), nullptr));
      ASSERT_TRUE(tarvo::test::copy_from_bin(L"Pelvari.exe", browser + L"Pelvari.exe"));
    }
    if (!c.existing_ini.empty()) tarvo::test::raw_write(ini, c.existing_ini);
    for (int i = 0; i < c.runs; ++i) {
      DeleteFileW((browser + L"pelvari.log").c_str());
      const tarvo::test::ProgramRun ran = tarvo::test::run_program(home + L"launcher.exe", dir.path());
      ASSERT_TRUE(ran.ended);
      EXPECT_EQ(ran.exit_code, 0u);
      if (!c.browser) continue;
      const std::vector<std::string> log = browser_log(browser);
      ASSERT_EQ(log.size(), 2u) << "the browser never wrote its log";
      EXPECT_EQ(log[0], "cmdline\t\"" + utf8(browser) + "Pelvari.exe\"");
      if (c.existing_ini.empty()) {  // a file the launcher creates holds the exact path
        EXPECT_EQ(log[1], "workpath\t" + utf8(home) + "报告");
      }  // an existing one keeps its own encoding
    }
    if (!c.browser) {
      EXPECT_EQ(std::distance(std::filesystem::directory_iterator(home), {}), 1) << "launcher.exe alone";
      continue;
    }
    EXPECT_EQ(count_in_ini(ini, L"workpath="), 1u);
    if (c.existing_ini.empty()) {
      EXPECT_EQ(tarvo::test::raw_read(ini).rfind("\xFF\xFE", 0), 0u) << "begun as UTF-16";
    } else {
      EXPECT_EQ(count_in_ini(ini, L"theme=dark"), 1u);
      EXPECT_EQ(count_in_ini(ini, L"[other]\r\nkey=1"), 1u);
      EXPECT_EQ(count_in_ini(ini, L"C:\\old"), 0u);
    }
  }
}

}  // namespace
