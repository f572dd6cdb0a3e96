// The folder walk and the tree operations on a small tree.
#include "fixture.hpp"
#include "xfile.h"
#include "xstring.h"

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using tarvo::test::FileTest;
using tarvo::test::raw_read;
using tarvo::test::raw_write;
using tarvo::test::utf8;

struct Seen {
  std::vector<std::wstring> paths;
  std::wstring stop_at;
};

intptr_t collect(const wchar_t *folder, const WIN32_FIND_DATAW *entry, intptr_t user) {
  auto *seen = reinterpret_cast<Seen *>(user);
  EXPECT_TRUE(folder[wcslen(folder) - 1] == L'\\') << "the folder ends in a separator";
  seen->paths.push_back(std::wstring(folder) + entry->cFileName);
  xCore_free(xCore_A2W("a callback may call the library", 0));  // touches iRetSize
  return !seen->stop_at.empty() && seen->paths.back().ends_with(seen->stop_at) ? 5 : 0;
}

intptr_t collect_a(const char *folder, const WIN32_FIND_DATAA *entry, intptr_t user) {
  reinterpret_cast<std::vector<std::string> *>(user)->push_back(std::string(folder) + entry->cFileName);
  return 0;
}

class FileTree : public FileTest {
 protected:
  // src: a.txt b.log sub1\c.txt sub1\deep\d.txt sub2\e.log
  void SetUp() override {
    FileTest::SetUp();
    src = dir() + L"src";
    for (const wchar_t *d : {L"", L"\\sub1", L"\\sub1\\deep", L"\\sub2"}) CreateDirectoryW((src + d).c_str(), nullptr);
    for (const wchar_t *f : {L"\\a.txt", L"\\b.log", L"\\sub1\\c.txt", L"\\sub1\\deep\\d.txt", L"\\sub2\\e.log"})
      raw_write(src + f, utf8(f));
  }
  size_t index(const Seen &s, const std::wstring &tail) {
    auto it = std::find(s.paths.begin(), s.paths.end(), src + tail);
    EXPECT_NE(it, s.paths.end()) << utf8(tail);
    return static_cast<size_t>(it - s.paths.begin());
  }
  bool exists(const std::wstring &p) { return xFile_PathExistsW(p.c_str()) == 1; }
  std::wstring src;
};

TEST_F(FileTree, WalkOrderFilesFirstThenEachFolderBeforeItsContents) {
  Seen s;
  EXPECT_EQ(xFile_ScanW(src.c_str(), L"*.txt", 0, 0, 1, collect, reinterpret_cast<intptr_t>(&s)), 6u);
  EXPECT_EQ(xCore.iRetSize, 0u) << "ran through";
  ASSERT_EQ(s.paths.size(), 6u);
  EXPECT_EQ(index(s, L"\\a.txt"), 0u);
  EXPECT_LT(index(s, L"\\sub1"), index(s, L"\\sub1\\c.txt"));
  EXPECT_LT(index(s, L"\\sub1\\c.txt"), index(s, L"\\sub1\\deep"));
  EXPECT_LT(index(s, L"\\sub1\\deep"), index(s, L"\\sub1\\deep\\d.txt"));
  index(s, L"\\sub2");
}

TEST_F(FileTree, FlagsMaskAndRecursion) {
  Seen s;
  auto user = reinterpret_cast<intptr_t>(&s);
  EXPECT_EQ(xFile_ScanW(src.c_str(), L"*.txt", 0, XFILE_SCAN_NODIRS, 1, collect, user), 6u)
      << "folders are still counted";
  EXPECT_EQ(s.paths.size(), 3u) << "but not reported";
  s.paths.clear();
  EXPECT_EQ(xFile_ScanW((src + L"\\").c_str(), L"*", 0, XFILE_SCAN_NOFILES, 1, collect, user), 3u);
  EXPECT_EQ(s.paths.size(), 3u);
  s.paths.clear();
  EXPECT_EQ(xFile_ScanW(src.c_str(), L"*", 0, XFILE_SCAN_DOTS, 0, collect, user), 6u) << "a.txt b.log sub1 sub2 . ..";
  s.paths.clear();
  SetFileAttributesW((src + L"\\a.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
  EXPECT_EQ(xFile_ScanW(src.c_str(), L"*", FILE_ATTRIBUTE_HIDDEN, 0, 0, nullptr, 0), 3u);
  EXPECT_EQ(xFile_ScanW(src.c_str(), L"", 0, 0, 1, collect, user), 0u);
  EXPECT_EQ(xFile_ScanW(nullptr, L"*", 0, 0, 1, collect, user), 0u);
  EXPECT_EQ(xFile_ScanW((src + L"\\nowhere").c_str(), L"*", 0, 0, 1, collect, user), 0u);
  EXPECT_TRUE(s.paths.empty());
  std::vector<std::string> narrow;
  EXPECT_EQ(xFile_ScanA(utf8(src).c_str(), "*.log", 0, XFILE_SCAN_NODIRS, 1, collect_a,
                        reinterpret_cast<intptr_t>(&narrow)),
            5u);
  EXPECT_EQ(narrow.size(), 2u);
}

TEST_F(FileTree, ACallbackStopsTheWholeWalk) {
  Seen s;
  s.stop_at = L"\\deep\\d.txt";
  xFile_ScanW(src.c_str(), L"*.txt", 0, XFILE_SCAN_NODIRS, 1, collect, reinterpret_cast<intptr_t>(&s));
  EXPECT_EQ(xCore.iRetSize, 5u) << "the stop value";
  ASSERT_FALSE(s.paths.empty());
  EXPECT_EQ(s.paths.back(), src + L"\\sub1\\deep\\d.txt") << "nothing after the stop";
}

TEST_F(FileTree, CopyRecreatesFoldersAndCopiesMatchingFiles) {
  std::wstring dst = dir() + L"dst";
  EXPECT_EQ(xFile_CopyDirW(src.c_str(), dst.c_str(), L"*.txt", 0), 6);
  for (const wchar_t *p : {L"\\a.txt", L"\\sub1\\c.txt", L"\\sub1\\deep\\d.txt", L"\\sub2"})
    EXPECT_TRUE(exists(dst + p)) << utf8(p);
  EXPECT_FALSE(exists(dst + L"\\b.log"));
  EXPECT_EQ(raw_read(dst + L"\\sub1\\c.txt"), "\\sub1\\c.txt");
  // A source given with a trailing separator lands in the same places.
  std::wstring dst2 = dir() + L"dst2";
  EXPECT_EQ(xFile_CopyDirA(utf8(src + L"\\").c_str(), utf8(dst2).c_str(), "*", 1), 8);
  EXPECT_TRUE(exists(dst2 + L"\\a.txt"));
  EXPECT_TRUE(exists(dst2 + L"\\sub2\\e.log"));
  EXPECT_FALSE(exists(dir() + L"dst2a.txt"));
  EXPECT_TRUE(exists(src + L"\\a.txt")) << "a copy leaves the source";
}

TEST_F(FileTree, MoveEmptiesTheSourceFoldersOfMatchingFiles) {
  std::wstring dst = dir() + L"moved\\";
  EXPECT_EQ(xFile_MoveDirW(src.c_str(), dst.c_str(), L"*.log", 1), 5);
  EXPECT_TRUE(exists(dst + L"b.log"));
  EXPECT_TRUE(exists(dst + L"sub2\\e.log"));
  EXPECT_FALSE(exists(src + L"\\sub2\\e.log"));
  EXPECT_TRUE(exists(src + L"\\sub2")) << "source folders stay";
  EXPECT_TRUE(exists(src + L"\\a.txt"));
}

TEST_F(FileTree, DeleteRemovesMatchingFilesAndEmptiedFolders) {
  EXPECT_EQ(xFile_DeleteDirW(src.c_str(), L"*.txt"), 6);
  EXPECT_FALSE(exists(src + L"\\sub1\\deep")) << "emptied";
  EXPECT_FALSE(exists(src + L"\\sub1")) << "emptied once deep went";
  EXPECT_TRUE(exists(src + L"\\sub2\\e.log")) << "not matching";
  EXPECT_EQ(xFile_DeleteDirA(utf8(src).c_str(), "*"), 3);
  EXPECT_TRUE(exists(src)) << "the root stays";
  Seen s;
  EXPECT_EQ(xFile_ScanW(src.c_str(), L"*", 0, 0, 1, collect, reinterpret_cast<intptr_t>(&s)), 0u);
  EXPECT_EQ(xFile_DeleteDirW(nullptr, L"*"), 0);
}

}  // namespace
