// Paths of the running program and process start.
#include "alloc_counter.hpp"
#include "temp_dir.hpp"
#include "xcore.h"

#include <windows.h>
#include <shlobj.h>

#include <string>

namespace {

class CorePaths : public tarvo::test::LeakCheckedTest {};

std::wstring own_file() {
  wchar_t buf[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, buf, MAX_PATH);
  return std::wstring(buf, n);
}

TEST_F(CorePaths, AppFileAndAppPathOfTheTestProgram) {
  std::wstring file = own_file();
  std::wstring folder = file.substr(0, file.rfind(L'\\') + 1);

  wchar_t *f = xCore_AppFileW();
  EXPECT_EQ(f, file);
  EXPECT_EQ(xCore.iRetSize, file.size());
  xCore_free(f);

  wchar_t *p = xCore_AppPathW();
  EXPECT_EQ(p, folder);
  EXPECT_EQ(xCore.iRetSize, folder.size()) << "characters up to and including the last backslash";
  xCore_free(p);

  char *u = xCore_AppPathU();
  EXPECT_EQ(std::string(u), tarvo::test::utf8(folder));
  EXPECT_EQ(xCore.iRetSize, tarvo::test::utf8(folder).size());
  xCore_free(u);

  char *a = xCore_ModPathA(GetModuleHandleW(L"tarvo.dll"));
  EXPECT_EQ(std::string(a), tarvo::test::utf8(folder)) << "the library sits beside the test program";
  xCore_free(a);
}

TEST_F(CorePaths, SystemPathEndsInOneBackslash) {
  wchar_t *w = xCore_SystemPathW(CSIDL_WINDOWS);
  std::wstring path = w;
  ASSERT_FALSE(path.empty());
  EXPECT_EQ(path.back(), L'\\');
  EXPECT_NE(path.substr(0, path.size() - 1).back(), L'\\');
  EXPECT_EQ(xCore.iRetSize, path.size() - 1) << "the length before the backslash was added";
  xCore_free(w);

  char *u = xCore_SystemPathU(CSIDL_WINDOWS);
  EXPECT_EQ(std::string(u), tarvo::test::utf8(path));
  xCore_free(u);
}

TEST_F(CorePaths, SystemPathOfAnUnknownFolderIsEmpty) {
  xCore.iRetSize = 5;
  char *a = xCore_SystemPathA(0x7FFF);
  EXPECT_EQ(static_cast<const void *>(a), xCore.EmptyString);
  EXPECT_EQ(xCore.iRetSize, 0u);
}

std::wstring exit_with_path() {
  std::wstring file = own_file();
  return L"\"" + file.substr(0, file.rfind(L'\\') + 1) + L"exit_with.exe\"";
}

TEST(CoreProcess, ChainReturnsTheExitCode) {
  EXPECT_EQ(xCore_ChainW((exit_with_path() + L" 42").c_str(), SW_HIDE), 42u);
  EXPECT_EQ(xCore_ChainW((exit_with_path() + L" 0").c_str(), SW_HIDE), 0u);
  std::string line = tarvo::test::utf8(exit_with_path()) + " 7";
  EXPECT_EQ(xCore_ChainU(line.c_str(), SW_HIDE), 7u);
  EXPECT_EQ(xCore_ChainA(line.c_str(), SW_HIDE), 7u);
}

TEST(CoreProcess, RunHandsOverTheProcessHandle) {
  HANDLE h = static_cast<HANDLE>(xCore_RunW((exit_with_path() + L" 3").c_str(), SW_HIDE));
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(WaitForSingleObject(h, 30000), WAIT_OBJECT_0);
  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeProcess(h, &code));
  EXPECT_EQ(code, 3u);
  CloseHandle(h);
}

TEST(CoreProcess, StartFailuresAreReportedAsValues) {
  EXPECT_EQ(xCore_RunW(L"Z:\\no\\such\\program.exe", SW_HIDE), nullptr);
  EXPECT_EQ(xCore_RunW(nullptr, SW_HIDE), nullptr);
  EXPECT_EQ(xCore_RunU(nullptr, SW_HIDE), nullptr);
  EXPECT_EQ(xCore_ChainA("Z:\\no\\such\\program.exe", SW_HIDE), 0u);
  EXPECT_LE(xCore_StartW(L"Z:\\no\\such\\document.txt", SW_HIDE), 32);
}

TEST(CoreProcess, StartOpensAProgram) {
  std::wstring file = own_file();
  std::wstring exe = file.substr(0, file.rfind(L'\\') + 1) + L"exit_with.exe";
  EXPECT_GT(xCore_StartW(exe.c_str(), SW_HIDE), 32);
}

}  // namespace
