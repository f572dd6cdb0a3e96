// Existence tests, attributes, copy, move, delete and nested folder creation.
#include "fixture.hpp"
#include "xfile.h"

#include <windows.h>

namespace {

using tarvo::test::FileTest;
using tarvo::test::raw_read;
using tarvo::test::raw_write;
using tarvo::test::utf8;

class FileOps : public FileTest {};

TEST_F(FileOps, ExistenceTellsFilesFromFolders) {
  std::wstring f = file(L"a \u4e2d.txt"), missing = file(L"missing");
  raw_write(f, "x");
  const struct {
    const wchar_t *path;
    int file, path_exists, folder;
  } cases[] = {{f.c_str(), 1, 1, 0}, {dir().c_str(), 0, 1, 1}, {missing.c_str(), 0, 0, 0}, {nullptr, 0, 0, 0}};
  for (const auto &c : cases) {
    EXPECT_EQ(xFile_ExistsW(c.path), c.file);
    EXPECT_EQ(xFile_PathExistsW(c.path), c.path_exists);
    EXPECT_EQ(xFile_FolderExistsW(c.path), c.folder);
  }
  EXPECT_EQ(xFile_FolderExistsA(utf8(dir()).c_str()), 1);
  EXPECT_EQ(xFile_IsNetworkPathW(L"\\\\server\\share"), 1);
  EXPECT_EQ(xFile_IsNetworkPathA("\\server"), 0);
  // A file held open without sharing still exists, though it cannot be opened.
  HANDLE h = CreateFileW(f.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(xFile_ExistsW(f.c_str()), 1);
  EXPECT_EQ(xFile_OpenW(f.c_str(), 1, -2), nullptr);
  CloseHandle(h);
}

TEST_F(FileOps, AttributesAndDelete) {
  std::wstring f = file(L"attr.txt");
  raw_write(f, "x");
  EXPECT_EQ(xFile_SetPathAttrW(f.c_str(), FILE_ATTRIBUTE_READONLY), 1);
  EXPECT_TRUE(xFile_GetPathAttrW(f.c_str()) & FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(xFile_DeleteW(f.c_str()), 0) << "read-only";
  EXPECT_EQ(xFile_SetPathAttrA(utf8(f).c_str(), FILE_ATTRIBUTE_NORMAL), 1);
  EXPECT_EQ(xFile_GetPathAttrW(nullptr), 0xFFFFFFFFu);
  EXPECT_EQ(xFile_DeleteW(f.c_str()), 1);
  EXPECT_EQ(xFile_DeleteW(f.c_str()), 0);
}

TEST_F(FileOps, CopyAndMoveHonourTheOverwriteFlag) {
  std::wstring a = file(L"a.txt"), b = file(L"b.txt"), c = file(L"c.txt");
  raw_write(a, "first");
  raw_write(b, "second");
  EXPECT_EQ(xFile_CopyW(a.c_str(), b.c_str(), 0), 0);
  EXPECT_EQ(xFile_MoveW(a.c_str(), b.c_str(), 0), 0);
  EXPECT_EQ(raw_read(a) + raw_read(b), "firstsecond") << "refused: both stay";
  EXPECT_EQ(xFile_CopyW(a.c_str(), b.c_str(), 1), 1);
  EXPECT_EQ(raw_read(b), "first");
  EXPECT_EQ(xFile_MoveA(utf8(a).c_str(), utf8(c).c_str(), 0), 1);
  EXPECT_EQ(xFile_ExistsW(a.c_str()), 0);
  EXPECT_EQ(xFile_MoveW(c.c_str(), c.c_str(), 1), 0) << "onto itself";
  EXPECT_EQ(raw_read(c), "first");
  EXPECT_EQ(xFile_CopyW(nullptr, c.c_str(), 1), 0);
}

TEST_F(FileOps, NestedFolderCreation) {
  std::wstring root = dir(), mixed = dir();
  for (wchar_t &ch : mixed)
    if (ch == L'\\') ch = L'/';
  xFile_CreateDirW((mixed + L"a//b/").c_str());
  EXPECT_EQ(xFile_FolderExistsW((root + L"a\\b").c_str()), 1);
  xFile_CreateDirA(utf8(root + L"a\\b\\c\\d").c_str());
  EXPECT_EQ(xFile_FolderExistsW((root + L"a\\b\\c\\d").c_str()), 1);
  xFile_CreateDirW(nullptr);
  wchar_t saved[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, saved);
  ASSERT_TRUE(SetCurrentDirectoryW(root.c_str()));
  xFile_CreateDirW(L"x\\y");
  EXPECT_EQ(xFile_FolderExistsW(L"x"), 0) << "the first part of a relative path is never created";
  CreateDirectoryW(L"x", nullptr);
  xFile_CreateDirW(L"x\\y");
  EXPECT_EQ(xFile_FolderExistsW(L"x\\y"), 1);
  SetCurrentDirectoryW(saved);
}

// Beyond the platform's 32767 characters nothing is made (folder by folder,
// such a path took minutes); below a part that cannot be made the pass ends.
TEST_F(FileOps, NestedFolderCreationRefusesOverlongPathsAndStopsAtAFailure) {
  std::wstring deep = dir() + L"deep";
  for (int i = 0; i < 17000; ++i) deep += L"\\a";
  xFile_CreateDirW(deep.c_str());
  EXPECT_EQ(xFile_PathExistsW((dir() + L"deep").c_str()), 0);
  raw_write(file(L"plain"), "x");
  std::wstring below_file = file(L"plain");
  for (int i = 0; i < 12500; ++i) below_file += L"\\b";
  xFile_CreateDirW(below_file.c_str());
  EXPECT_EQ(raw_read(file(L"plain")), "x");
}

}  // namespace
