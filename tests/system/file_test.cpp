// Files, paths and INI values: the open-file handle with its charset detection, whole-file text through every
// charset, single-file operations, the folder walk, path strings, and INI values over the private-profile calls.
#include "fixture.hpp"
#include "scan.hpp"
#include "xfile.h"
#include "xini.h"
#include "xpath.h"

#include <winioctl.h>

#include <algorithm>
#include <set>
#include <vector>

namespace {

using namespace tarvo::test;
using namespace std::string_literals;

class Files : public FileTest {};

TEST_F(Files, HandleTextPositionRawTransferAndInvalidHandles) {
  xFileHandle bad{INVALID_HANDLE_VALUE, 1200, 0};
  for (xFileHandle *f : {static_cast<xFileHandle *>(nullptr), &bad}) {
    char buf[4];
    EXPECT_EQ(xFile_Close(f) + xFile_Seek(f, 0, 0) + xFile_SetEOF(f) + xFile_CurPos(f) + xFile_Size(f), 0);
    EXPECT_EQ(xFile_Charset(f), static_cast<int32_t>(0xFFFF0000u));
    EXPECT_EQ(xFile_EOF(f), 1);
    EXPECT_EQ(xFile_Put(f, "ab", 2) + xFile_Get(f, buf, 4) + xFile_WriteW(f, L"x", 0), 0u);
    EXPECT_TRUE(Owned<wchar_t>(xFile_ReadW(f, 4)).is_empty_string());
  }
  EXPECT_EQ(xFile_OpenW(nullptr, 0, 1200), nullptr);
  EXPECT_EQ(xFile_OpenW(file(L"missing.txt").c_str(), 1, 1200), nullptr) << "read only opens existing files only";
  std::wstring p = file(L"h.txt"), text = L"\u4e2dZ";
  xFileHandle *f = xFile_OpenW(p.c_str(), 0, 1201);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(xFile_WriteW(f, text.c_str(), 0), 4u);
  EXPECT_EQ(text, L"\u4e2dZ") << "the caller's text is not swapped in place";
  EXPECT_EQ(xFile_WriteU(f, "\xC3\xA9", 0), 2u);
  EXPECT_EQ(xFile_Seek(f, 2, 0), 1);
  EXPECT_EQ(Owned<char>(xFile_ReadU(f, 4)).str(), "\xE4\xB8\xADZ");
  EXPECT_EQ(Owned<wchar_t>(xFile_ReadW(f, 100)).str(), L"\u00e9");
  EXPECT_TRUE(xFile_Put(f, "!?", 2) == 2 && xCore.iRetSize == 2);
  EXPECT_EQ(xFile_Seek(f, -4, 2), 1);
  EXPECT_EQ(xFile_CurPos(f) + xFile_EOF(f), 6);
  char buf[16] = {};
  EXPECT_EQ(xFile_Get(f, buf, sizeof buf), 4u);
  EXPECT_EQ(std::string(buf, 4) + std::to_string(xFile_EOF(f)), "\x00\xE9!?1"s);
  EXPECT_EQ(xFile_Seek(f, 4, 0) + xFile_SetEOF(f) + xFile_Size(f), 6);
  EXPECT_EQ(xFile_Seek(f, -100, 1) + xFile_Put(f, nullptr, 3), 0u) << "before the start; nothing to put";
  xFile_Close(f);
  EXPECT_EQ(raw_read(p), "\xFE\xFF\x4E\x2D");
  EXPECT_EQ(xFile_PutAllW(p.c_str(), "\x00\x01\x02", 2), 2u);
  EXPECT_EQ(raw_read(p), "\x00\x01"s) << "the old tail is cut";
  EXPECT_EQ(Owned<char>(static_cast<char *>(xFile_GetAllA(utf8(p).c_str()))).str(), "\x00\x01"s);
  EXPECT_EQ(xFile_SetSizeA(utf8(p).c_str(), 6), 1);
  EXPECT_EQ(xFile_GetSizeW(p.c_str()) + xFile_GetSizeW(file(L"missing").c_str()), 6);
}

TEST_F(Files, MarksAndGuessesDecideTheCharset) {
  const struct {
    std::string bytes;
    int32_t given, charset;
    uint32_t mark;
  } cases[] = {
      {"\xFF\xFE\x00\x00x\x00\x00\x00"s, -2, 65005, 4}, {"\x84\x31\x95\x33x", -2, 54936, 4},
      {"\xEF\xBB\xBFx", -2, 65001, 3}, {"\xFE\xFF\x00x"s, -2, 1201, 2}, {"caf\xC3\xA9", -2, 65001, 0},
      {"plain ascii + text-", -2, 20127, 0}, {"Hi +ZeVnLIqe- there", -2, 65000, 0},  // plain ASCII is not UTF-7
      {"caf\xE9 ol\xE9", -2, -1, 0}, {"", -2, -1, 0},  // neither ASCII nor UTF-8: raw
      // A file shorter than a mark never matches it.
      {"\xFF\xFE\x00"s, -2, 1200, 2}, {"\xEF\xBB", -2, 65001, 0}, {"\x00\x00"s, -2, 20127, 0},
      // A given charset skips only its own mark (never GB18030's); read only writes none.
      {"\xEF\xBB\xBFx", 65001, 65001, 3}, {"\xFF\xFEx\x00"s, 65001, 65001, 0},
      {"\x84\x31\x95\x33x", 54936, 54936, 0}, {"", 1200, 1200, 0}};
  for (const auto &c : cases) {
    raw_write(file(L"probe.txt"), c.bytes);
    xFileHandle *f = xFile_OpenW(file(L"probe.txt").c_str(), 1, c.given);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->charset, c.charset) << c.bytes;
    EXPECT_EQ(f->headerLen, c.mark) << c.bytes;
    EXPECT_EQ(xFile_CurPos(f), static_cast<int64_t>(c.mark)) << "the position follows the mark";
    xFile_Close(f);
  }
}

// A sparse file past 4 GiB: sizes and positions are 64-bit, and a whole-file read that a 32-bit count cannot
// describe fails instead of coming back cut.
TEST_F(Files, FilesBeyondFourGigabytes) {
  const int64_t big = (int64_t{1} << 32) + 10;
  std::wstring p = file(L"big.bin");
  HANDLE h = CreateFileW(p.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD ret = 0;
  bool sparse = DeviceIoControl(h, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &ret, nullptr);
  CloseHandle(h);
  if (!sparse) GTEST_SKIP() << "no sparse files here";
  ASSERT_EQ(xFile_SetSizeW(p.c_str(), big), 1);
  xFileHandle *f = xFile_OpenW(p.c_str(), 1, XFILE_CHARSET_RAW);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(xFile_Size(f) + xFile_GetSizeW(p.c_str()), 2 * big);
  EXPECT_EQ(xFile_Seek(f, -2, 2) + xFile_CurPos(f), big - 1);
  xFile_Close(f);
  Owned<char> all(xFile_ReadAllU(utf8(p).c_str(), XFILE_CHARSET_RAW));
  EXPECT_TRUE(all.is_empty_string() && all.size() == 0);
  xCore.iRetSize = 7;
  EXPECT_EQ(xFile_GetAllW(p.c_str()), nullptr);
  EXPECT_EQ(xCore.iRetSize, 0u);
}

// ASCII, Latin, CJK, an astral character and one from the private-use plane; platform code pages take CJK only.
TEST_F(Files, EveryCharsetRoundTripsThroughWholeFiles) {
  const std::wstring full = L"Ab\u00e9\u4e2d\U0001F600\U000F0001 end", cjk = L"\u4e2d\u6587abc";
  const struct {
    int32_t charset;
    std::wstring text;
    std::string mark;
  } cases[] = {{1200, full, "\xFF\xFE"}, {1201, full, "\xFE\xFF"}, {65005, full, "\xFF\xFE\x00\x00"s},
               {65006, full, "\x00\x00\xFE\xFF"s}, {65001, full, ""}, {54936, full, "\x84\x31\x95\x33"},
               {936, cjk, ""}, {65000, cjk, ""}, {20127, full, ""}};
  for (const auto &c : cases) {
    bool platform_page = c.charset < 1200 || c.charset == 54936 || c.charset == 65000;
    if (platform_page && WideCharToMultiByte(c.charset, 0, L"\x4E2D", 1, nullptr, 0, nullptr, nullptr) <= 0)
      continue;  // a code page this platform lacks (Wine's GB18030)
    std::wstring p = file(L"rt" + std::to_wstring(c.charset) + L".txt");
    uint32_t n = xFile_WriteAllW(p.c_str(), c.text.c_str(), 0, c.charset);
    std::string bytes = raw_read(p);
    EXPECT_EQ(bytes.substr(0, c.mark.size()), c.mark) << c.charset;
    EXPECT_EQ(n + c.mark.size(), bytes.size()) << c.charset;
    EXPECT_EQ(Owned<wchar_t>(xFile_ReadAllW(p.c_str(), c.mark.empty() ? c.charset : XFILE_CHARSET_AUTO)).str(), c.text)
        << c.charset;
    raw_write(p, bytes.substr(c.mark.size()));  // the same bytes without a mark, the charset given
    EXPECT_EQ(Owned<char>(xFile_ReadAllU(utf8(p).c_str(), c.charset)).str(), utf8(c.text)) << c.charset;
  }
  // Guessed as US-ASCII from its first 64 KiB: what follows still comes back whole, and appends go in as UTF-8.
  std::wstring p = file(L"late.txt");
  std::string late = std::string(70000, 'a') + "\xE4\xB8\xAD\xC3\xA9";
  raw_write(p, late);
  EXPECT_EQ(Owned<char>(xFile_ReadAllU(utf8(p).c_str(), XFILE_CHARSET_AUTO)).str(), late);
  EXPECT_GT(xFile_AppendW(p.c_str(), L"\u00fc", 0, XFILE_CHARSET_AUTO), 0u);
  EXPECT_EQ(raw_read(p).substr(70000), "\xE4\xB8\xAD\xC3\xA9\xC3\xBC");
}

TEST_F(Files, NarrowFormsRewritesAppendsAndFailedWrites) {
  std::wstring p = file(L"forms.txt");
  std::string pu = utf8(p);
  EXPECT_EQ(xFile_WriteAllU(pu.c_str(), "\xC3\xA9t\xC3\xA9", 0, 1200), 6u);
  EXPECT_EQ(raw_read(p), "\xFF\xFE\xE9\x00t\x00\xE9\x00"s);
  EXPECT_EQ(Owned<char>(xFile_ReadAllA(pu.c_str(), 1200)).str(), "\xE9t\xE9") << "A text is in the ANSI code page";
  EXPECT_EQ(xFile_WriteAllA(pu.c_str(), "\xE9t\xE9", 0, 65001), 5u);
  EXPECT_EQ(raw_read(p), "\xC3\xA9t\xC3\xA9");
  EXPECT_EQ(xFile_WriteAllU(pu.c_str(), "\xE4\xB8\xAD", 0, XFILE_CHARSET_RAW), 3u);
  EXPECT_EQ(raw_read(p), "\xE4\xB8\xAD");
  EXPECT_EQ(xFile_WriteAllW(p.c_str(), L"abcdef", 4, 65001), 2u);
  EXPECT_EQ(raw_read(p), "ab");
  std::wstring q = file(L"appended.txt");
  raw_write(p, "\xEF\xBB\xBF" "a much longer first text");
  EXPECT_EQ(xFile_WriteAllW(p.c_str(), L"short", 0, 65001), 5u);
  EXPECT_EQ(raw_read(p), "\xEF\xBB\xBFshort") << "the mark is kept and the old tail cut";
  EXPECT_EQ(xFile_AppendW(q.c_str(), L"x", 0, 1200) + xFile_AppendW(q.c_str(), L"y", 0, 1200), 4u);
  EXPECT_EQ(raw_read(q), "\xFF\xFEx\x00y\x00"s) << "one mark, when the file is created";
  EXPECT_EQ(xFile_WriteAllW(p.c_str(), L"", 0, 65001), 0u);
  EXPECT_EQ(raw_read(p), "\xEF\xBB\xBF") << "an empty text leaves only the mark";
  EXPECT_TRUE(Owned<wchar_t>(xFile_ReadAllW(p.c_str(), XFILE_CHARSET_AUTO)).is_empty_string()) << "only the mark";
  EXPECT_TRUE(Owned<wchar_t>(xFile_ReadAllW(file(L"missing.txt").c_str(), 65001)).is_empty_string());
  // Only a complete write replaces the old contents: a null text or buffer, or a text the charset refuses,
  // leaves the file as it was.
  raw_write(p, "keep me");
  EXPECT_EQ(xFile_WriteAllW(p.c_str(), L"x", 0, 12345), 0u) << "no such code page";
  EXPECT_EQ(xFile_WriteAllW(p.c_str(), nullptr, 0, 65001), 0u);
  EXPECT_EQ(xFile_PutAllW(p.c_str(), nullptr, 5) + xFile_PutAllW(p.c_str(), nullptr, 0), 0u);
  EXPECT_EQ(raw_read(p), "keep me");
  EXPECT_EQ(xFile_PutAllW(nullptr, "ab", 2) + xFile_WriteAllW(nullptr, L"x", 0, 65001), 0u);
}

TEST_F(Files, ExistenceAttributesMoveDeleteAndNestedFolders) {
  std::wstring a = file(L"a \u4e2d.txt"), b = file(L"b.txt");
  raw_write(a, "first");
  raw_write(b, "second");
  EXPECT_EQ(xFile_ExistsW(a.c_str()) + xFile_PathExistsW(dir().c_str()) + xFile_FolderExistsA(utf8(dir()).c_str()), 3);
  EXPECT_EQ(xFile_ExistsW(dir().c_str()) + xFile_FolderExistsW(a.c_str()) + xFile_PathExistsW(nullptr), 0);
  EXPECT_EQ(xFile_IsNetworkPathW(L"\\\\server\\share") + xFile_IsNetworkPathA("\\server"), 1);
  // A file held open without sharing still exists, though it cannot be opened.
  HANDLE h = CreateFileW(a.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  EXPECT_EQ(xFile_ExistsW(a.c_str()), 1);
  EXPECT_EQ(xFile_OpenW(a.c_str(), 1, -2), nullptr);
  CloseHandle(h);
  EXPECT_EQ(xFile_MoveW(a.c_str(), b.c_str(), 0) + xFile_MoveW(b.c_str(), b.c_str(), 1) + xFile_CopyW(0, L"c", 1), 0);
  EXPECT_EQ(raw_read(a) + raw_read(b), "firstsecond") << "refused, or onto itself: both stay";
  EXPECT_EQ(xFile_SetPathAttrA(utf8(b).c_str(), FILE_ATTRIBUTE_READONLY), 1);
  EXPECT_EQ(xFile_GetPathAttrW(b.c_str()) & FILE_ATTRIBUTE_READONLY, FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(xFile_GetPathAttrW(nullptr), 0xFFFFFFFFu);
  EXPECT_EQ(xFile_DeleteW(b.c_str()) + xFile_DeleteW(nullptr), 0) << "read-only";
  // Nested folders; below a part that cannot be made the pass ends (folder by folder, such a path took minutes).
  // A path beyond the platform's limit is one of the over-long paths' table.
  xFile_CreateDirA(utf8(dir() + L"a\\b\\c\\d").c_str());
  xFile_CreateDirW(nullptr);
  EXPECT_EQ(xFile_FolderExistsW((dir() + L"a\\b\\c\\d").c_str()), 1);
  std::wstring below_file = file(L"plain");
  raw_write(below_file, "x");
  for (int i = 0; i < 12500; ++i) below_file += L"\\b";
  xFile_CreateDirW(below_file.c_str());
  EXPECT_EQ(raw_read(file(L"plain")), "x");
}

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

// src: a.txt b.log sub1\c.txt sub1\deep\d.txt sub2\e.log
class FileTree : public FileTest {
 protected:
  void SetUp() override {
    FileTest::SetUp();
    for (const wchar_t *d : {L"", L"\\sub1", L"\\sub1\\deep", L"\\sub2"}) CreateDirectoryW((src + d).c_str(), nullptr);
    for (const wchar_t *f : {L"\\a.txt", L"\\b.log", L"\\sub1\\c.txt", L"\\sub1\\deep\\d.txt", L"\\sub2\\e.log"})
      raw_write(src + f, utf8(f));
  }
  uint32_t scan(const std::wstring &folder, const wchar_t *pattern, uint32_t flags, int32_t recurse, Seen &s) {
    return xFile_ScanW(folder.c_str(), pattern, 0, flags, recurse, collect, reinterpret_cast<intptr_t>(&s));
  }
  bool exists(const std::wstring &p) { return xFile_PathExistsW(p.c_str()) == 1; }
  std::wstring src = dir() + L"src";
};

TEST_F(FileTree, WalkCopyAndMove) {
  using tarvo::files::descends_into;
  const struct {
    const wchar_t *folder, *pattern;
    uint32_t flags;
    int32_t recurse;
    uint32_t counted;
    size_t reported;
  } cases[] = {{L"\\", L"*.txt", 0, 1, 6, 6}, {L"\\", L"*.txt", XFILE_SCAN_NODIRS, 1, 6, 3},  // folders still counted
               {L"\\", L"*", XFILE_SCAN_NOFILES, 1, 3, 3}, {L"\\", L"*", XFILE_SCAN_DOTS, 0, 6, 6},  // with . and ..
               {L"\\", L"", 0, 1, 0, 0}, {L"\\nowhere", L"*", 0, 1, 0, 0}};
  for (const auto &c : cases) {
    Seen s;
    EXPECT_EQ(scan(src + c.folder, c.pattern, c.flags, c.recurse, s), c.counted) << c.flags;
    EXPECT_EQ(s.paths.size(), c.reported) << c.flags;
    EXPECT_EQ(xCore.iRetSize, 0u) << "ran through";
  }
  Seen s;
  scan(src, L"*.txt", 0, 1, s);
  auto at = [&](const wchar_t *tail) { return std::ranges::find(s.paths, src + tail) - s.paths.begin(); };
  const wchar_t *order[] = {L"\\a.txt", L"\\sub1", L"\\sub1\\c.txt", L"\\sub1\\deep", L"\\sub1\\deep\\d.txt"};
  for (int i = 0; i < 4; ++i) EXPECT_LT(at(order[i]), at(order[i + 1])) << "files first, then each folder's own";
  SetFileAttributesW((src + L"\\a.txt").c_str(), FILE_ATTRIBUTE_HIDDEN);
  EXPECT_EQ(xFile_ScanW(src.c_str(), L"*", FILE_ATTRIBUTE_HIDDEN, 0, 0, nullptr, 0), 3u);
  EXPECT_EQ(xFile_ScanA(utf8(src).c_str(), "*.log", 0, XFILE_SCAN_NODIRS, 1, nullptr, 0), 5u);
  s = {{}, L"\\deep\\d.txt"};
  scan(src, L"*.txt", XFILE_SCAN_NODIRS, 1, s);
  EXPECT_EQ(xCore.iRetSize, 5u) << "the stop value";
  EXPECT_EQ(s.paths.back(), src + L"\\sub1\\deep\\d.txt") << "nothing after the stop";
  // A junction or symbolic link is listed but never entered (a delete removes the link, not what it points at).
  EXPECT_TRUE(descends_into(FILE_ATTRIBUTE_DIRECTORY) && !descends_into(FILE_ATTRIBUTE_ARCHIVE));
  EXPECT_FALSE(descends_into(FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT));
  // Copies and moves keep the tree; into itself a tree would grow until the paths give out: refused.
  EXPECT_EQ(xFile_CopyDirA(utf8(src + L"\\").c_str(), utf8(dir() + L"dst").c_str(), "*", 1), 8);
  EXPECT_TRUE(exists(dir() + L"dst\\sub2\\e.log")) << "a trailing separator lands in the same places";
  EXPECT_EQ(xFile_MoveDirW(src.c_str(), (dir() + L"moved\\").c_str(), L"*.log", 1), 5);
  EXPECT_TRUE(exists(src + L"\\sub2") && exists(src + L"\\a.txt")) << "source folders and other files stay";
  EXPECT_EQ(xFile_CopyDirW(src.c_str(), (src + L"\\SUB2\\inner").c_str(), L"*", 1), 0);
  EXPECT_EQ(xFile_MoveDirA(utf8(src).c_str(), utf8(src + L"\\x").c_str(), "*", 1), 0);
  EXPECT_FALSE(exists(src + L"\\sub2\\inner") || exists(src + L"\\x"));
  EXPECT_EQ(xFile_DeleteDirW(nullptr, L"*"), 0);
}

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
    return w(Ini_ReadW(name ? name : ini.c_str(), section, key));
  }
};

TEST_F(Paths, NamesExtensionsFoldersAndJoins) {
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
  // A join uses exactly one separator.
  EXPECT_EQ(w(Path_JoinW(L"C:\\dir", L"a.txt")) + w(Path_JoinW(L"C:/dir/", L"b")), L"C:\\dir\\a.txtC:/dir/b");
  EXPECT_EQ(xCore.iRet, 1);
  EXPECT_EQ(Owned<char>(Path_JoinA("C:\\d\xE9\\", "a")).str(), "C:\\d\xE9\\a");
  EXPECT_EQ(w(Path_JoinW(L"C:\\dir", nullptr)), L"<none>");
  EXPECT_EQ(xCore.iRet, 0);
  wchar_t *folder = xCore_AppPathW();  // sized in characters, not bytes
  std::wstring app = folder;
  xCore_free(folder);
  EXPECT_EQ(w(Path_JoinW(L"", L"a.txt")), app + L"a.txt") << "an empty folder is the program's";
}

// Random parts draw from 0-9 and A-Y and stay within a file name's limit (beyond it a name of gigabytes was built).
TEST_F(Paths, RandomNamesUseDigitsAndCapitalsAToY) {
  std::wstring drawn;
  for (int i = 0; i < 4; ++i) drawn += w(Path_RandomW(nullptr, nullptr, 255));
  std::set<wchar_t> seen(drawn.begin(), drawn.end());
  EXPECT_EQ(drawn.size(), 1020u);
  EXPECT_EQ(std::wstring(seen.begin(), seen.end()), L"0123456789ABCDEFGHIJKLMNOPQRSTUVWXY") << "1020 draws reach each";
  EXPECT_EQ(Owned<char>(Path_RandomA("x", "y", -3)).str() + utf8(w(Path_RandomW(L"pre_", L".tmp", 0))), "xypre_.tmp");
  for (int32_t beyond : {256, INT32_MAX}) EXPECT_EQ(w(Path_RandomW(L"x", nullptr, beyond)), L"<none>");
}

TEST_F(Paths, SafeCheckAbsoluteAndRelativeForms) {
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
  // Absolute and relative forms.
  EXPECT_EQ(w(Path_GetAbsW(L"D:\\a\\..\\b", L"C:\\base")), L"D:\\a\\..\\b") << "an absolute path is copied";
  EXPECT_EQ(w(Path_GetAbsW(L"sub\\..\\x\\.\\f.txt", L"C:\\base")), L"C:\\base\\x\\f.txt");
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

// A path beyond the platform's 32767 units is refused before any platform call. This one names a file
// that exists ("x\.." parts fold away), so a function that let it through would find it.
TEST_F(Paths, OverLongPathsAreRefusedWithEachFunctionsFailureValue) {
  raw_write(file(L"f.txt"), "data");
  std::wstring detour;
  for (int i = 0; i < 8000; ++i) detour += L"x\\..\\";
  const std::wstring folder = dir() + L"\\" + detour, path = folder + L"f.txt", unc = L"\\\\host\\" + detour;
  ASSERT_GT(path.size(), 40000u);
  const std::wstring other_file = file(L"g.txt");
  const wchar_t *p = path.c_str(), *f = folder.c_str(), *other = other_file.c_str();
  const std::string narrow = utf8(path);
  const char *a = narrow.c_str();
  const auto none = [&](wchar_t *r) { return w(r) == L"<none>"; };
  const auto none_a = [](char *r) { Owned<char> o(r); return o.is_empty_string(); };
  const auto no_handle = [](xFileHandle *h) { return h == nullptr || (xFile_Close(h), false); };
  const auto no_buffer = [](void *b) { return b == nullptr || (xCore_free(b), false); };
  std::wstring writable = path;
  wchar_t empty_path[] = L"";
#define REFUSED(call) {#call, call}
  const std::pair<const char *, bool> cases[] = {
      REFUSED(no_handle(xFile_OpenW(p, 1, -1))), REFUSED(no_handle(xFile_OpenA(a, 1, -1))),
      REFUSED(none(xFile_ReadAllW(p, -2))), REFUSED(none_a(xFile_ReadAllU(a, -2))),
      REFUSED(xFile_WriteAllW(p, L"x", 1, 65001) == 0), REFUSED(xFile_AppendA(a, "x", 1, 65001) == 0),
      REFUSED(xFile_PutAllW(p, "x", 1) == 0), REFUSED(no_buffer(xFile_GetAllW(p))), REFUSED(xFile_GetSizeW(p) == 0),
      REFUSED(xFile_SetSizeU(a, 1) == 0), REFUSED(xFile_ExistsW(p) == 0), REFUSED(xFile_ExistsA(a) == 0),
      REFUSED(xFile_PathExistsW(p) == 0), REFUSED(xFile_FolderExistsW(f) == 0),
      REFUSED(xFile_IsNetworkPathW(unc.c_str()) == 0), REFUSED(xFile_GetPathAttrW(p) == INVALID_FILE_ATTRIBUTES),
      REFUSED(xFile_SetPathAttrW(p, FILE_ATTRIBUTE_NORMAL) == 0), REFUSED(xFile_CopyW(p, other, 1) == 0),
      REFUSED(xFile_MoveW(p, other, 1) == 0), REFUSED(xFile_DeleteW(p) == 0),
      REFUSED((xFile_CreateDirW((folder + L"made").c_str()), !xFile_FolderExistsW(file(L"made").c_str()))),
      REFUSED(xFile_CopyDirW(f, file(L"copy").c_str(), L"*", 1) == 0),
      REFUSED(xFile_MoveDirW(f, file(L"moved").c_str(), L"*", 1) == 0), REFUSED(xFile_DeleteDirW(f, L"*") == 0),
      REFUSED(xFile_ScanW(f, L"*", 0, 0, 1, nullptr, 0) == 0),
      REFUSED(xFile_ScanA(utf8(folder).c_str(), "*", 0, 0, 1, nullptr, 0) == 0),
      REFUSED(none(Path_FileNameExtW(p))), REFUSED(none(Path_FileNameW(p))), REFUSED(none(Path_FileExtW(p))),
      REFUSED(none(Path_FilePathW(p))), REFUSED(none(Path_GetAbsW(p, nullptr))),
      REFUSED(none(Path_GetRelW(dir().c_str(), p))), REFUSED(none_a(Path_GetRelA(a, utf8(dir()).c_str()))),
      REFUSED(none(Path_RandomW(p, L".tmp", 4))),
      REFUSED(Path_SafeCheckW(writable.data(), 1) == 1 && writable == path && Path_SafeCheckW(empty_path, 0) == 0),
      REFUSED(none(Path_JoinW(f, L"f.txt")) && xCore.iRet == 0), REFUSED(Ini_ReadIntW(p, L"s", L"k") == 0),
      REFUSED(Ini_WriteW(p, L"s", L"k", L"v") == 0),
  };
#undef REFUSED
  for (const auto &[call, refused] : cases) EXPECT_TRUE(refused) << call;
  EXPECT_EQ(xFile_ExistsW(file(L"f.txt").c_str()), 1) << "the file itself was never touched";
  EXPECT_EQ(xFile_GetSizeW(file(L"f.txt").c_str()), 4);
}

TEST_F(Paths, IniWritesReadsRemovalsAndRefusedNames) {
  EXPECT_EQ(read(L"app", L"name"), L"") << "missing file";
  EXPECT_EQ(Ini_WriteU(ini_u.c_str(), "app", "name", "\xC3\xA9 -7"), 1);
  EXPECT_EQ(Owned<char>(Ini_ReadU(ini_u.c_str(), "app", "name")).str(), "\xC3\xA9 -7");
  EXPECT_EQ(read(L"app", L"other") + read(L"none", L"name"), L"") << "missing key, missing section";
  EXPECT_EQ(Owned<char>(Ini_ReadA(nullptr, "app", "name")).str(), "");
  EXPECT_EQ(Ini_WriteW(nullptr, L"a", L"k", L"v") + Ini_ReadIntA(nullptr, "app", "name"), 0);
  // A null value removes the key, a null key the section.
  EXPECT_EQ(Ini_WriteU(ini_u.c_str(), "app", "b", "-2") + Ini_WriteW(ini.c_str(), L"s2", L"c", L"3"), 2);
  EXPECT_EQ(Ini_ReadIntW(ini.c_str(), L"app", L"b") + Ini_ReadIntU(ini_u.c_str(), "s2", "c"), 1);
  EXPECT_EQ(Ini_WriteU(ini_u.c_str(), "app", "name", nullptr), 1);
  EXPECT_EQ(read(L"app", L"name") + L"|" + read(L"app", L"b"), L"|-2");
  EXPECT_EQ(Ini_WriteW(ini.c_str(), L"app", nullptr, nullptr), 1);
  EXPECT_EQ(read(L"app", L"b") + L"|" + read(L"s2", L"c"), L"|3");
  // Values at and beyond the first buffer's size come back whole.
  for (size_t n : {8191u, 20000u}) {
    std::wstring value(n, L'v');
    ASSERT_EQ(Ini_WriteW(ini.c_str(), L"long", L"key", value.c_str()), 1);
    EXPECT_EQ(read(L"long", L"key"), value) << n;
  }
  // The platform's profile reader ends the process on a bare name of a few thousand characters: names it
  // cannot take are refused before it is asked.
  for (const std::wstring &name : {std::wstring(100000, L'x'), std::wstring(MAX_PATH, L'y'),
                                   dir() + std::wstring(MAX_PATH, L'z')}) {
    EXPECT_EQ(read(L"app", L"name", name.c_str()), L"");
    EXPECT_EQ(Ini_ReadIntW(name.c_str(), L"app", L"n") + Ini_WriteW(name.c_str(), L"app", L"name", L"v"), 0);
  }
  EXPECT_EQ(Owned<char>(Ini_ReadU(std::string(100000, 'x').c_str(), "app", "name")).str(), "");
}

}  // namespace
