// Paths of the running program and process start.
#include "../text/text_fixture.hpp"
#include "temp_dir.hpp"
#include "xcore.h"

#include <windows.h>
#include <shlobj.h>

#include <string>

namespace {

using tarvo::test::utf8;

class CorePaths : public tarvo::test::TextTest {};

std::wstring own_folder() {
  wchar_t buf[MAX_PATH];
  std::wstring file(buf, GetModuleFileNameW(nullptr, buf, MAX_PATH));
  return file.substr(0, file.rfind(L'\\') + 1);
}

TEST_F(CorePaths, AppFileAndAppPathOfTheTestProgram) {
  std::wstring folder = own_folder();
  std::wstring file = take(xCore_AppFileW());
  EXPECT_EQ(file.rfind(folder, 0), 0u);
  EXPECT_EQ(take(xCore_AppPathW()), folder);
  EXPECT_EQ(xCore.iRetSize, folder.size()) << "characters up to and including the last backslash";
  EXPECT_EQ(take(xCore_AppPathU()), utf8(folder));
  EXPECT_EQ(xCore.iRetSize, utf8(folder).size());
  EXPECT_EQ(take(xCore_ModPathA(GetModuleHandleW(L"tarvo.dll"))), utf8(folder)) << "the library sits beside";
}

TEST_F(CorePaths, SystemPathEndsInOneBackslashUnknownOnesAreEmpty) {
  std::wstring path = take(xCore_SystemPathW(CSIDL_WINDOWS));
  ASSERT_GT(path.size(), 3u);
  EXPECT_EQ(path.back(), L'\\');
  EXPECT_NE(path[path.size() - 2], L'\\');
  EXPECT_EQ(xCore.iRetSize, path.size() - 1) << "the length before the backslash was added";
  EXPECT_EQ(take(xCore_SystemPathU(CSIDL_WINDOWS)), utf8(path));
  char *none = xCore_SystemPathA(0x7FFF);
  EXPECT_EQ(static_cast<const void *>(none), xCore.EmptyString);
  EXPECT_EQ(xCore.iRetSize, 0u);
}

std::wstring exit_with(const wchar_t *code) { return L"\"" + own_folder() + L"exit_with.exe\" " + code; }

TEST(CoreProcess, RunChainAndStart) {
  EXPECT_EQ(xCore_ChainW(exit_with(L"42").c_str(), SW_HIDE), 42u);
  EXPECT_EQ(xCore_ChainU(utf8(exit_with(L"7")).c_str(), SW_HIDE), 7u);
  EXPECT_EQ(xCore_ChainA(utf8(exit_with(L"0")).c_str(), SW_HIDE), 0u);
  HANDLE h = static_cast<HANDLE>(xCore_RunW(exit_with(L"3").c_str(), SW_HIDE));
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(WaitForSingleObject(h, 30000), WAIT_OBJECT_0);
  DWORD code = 0;
  EXPECT_TRUE(GetExitCodeProcess(h, &code));
  EXPECT_EQ(code, 3u);
  CloseHandle(h);
  EXPECT_GT(xCore_StartW((own_folder() + L"exit_with.exe").c_str(), SW_HIDE), 32);
}

TEST(CoreProcess, StartFailuresAreReportedAsValues) {
  EXPECT_EQ(xCore_RunW(L"Z:\\no\\such\\program.exe", SW_HIDE), nullptr);
  EXPECT_EQ(xCore_RunW(nullptr, SW_HIDE), nullptr);
  EXPECT_EQ(xCore_RunU(nullptr, SW_HIDE), nullptr);
  EXPECT_EQ(xCore_ChainA("Z:\\no\\such\\program.exe", SW_HIDE), 0u);
  EXPECT_LE(xCore_StartW(L"Z:\\no\\such\\document.txt", SW_HIDE), 32);
}

}  // namespace
