// The open-file handle: marks, charset detection, position and raw transfer.
#include "fixture.hpp"
#include "xfile.h"

#include <windows.h>
#include <winioctl.h>

namespace {

using tarvo::test::FileTest;
using tarvo::test::Owned;
using tarvo::test::raw_read;
using tarvo::test::raw_write;
using namespace std::string_literals;

class FileHandle : public FileTest {};

TEST_F(FileHandle, InvalidHandlesGiveFailureValues) {
  xFileHandle bad{INVALID_HANDLE_VALUE, 1200, 0};
  for (xFileHandle *f : {static_cast<xFileHandle *>(nullptr), &bad}) {
    char buf[4];
    EXPECT_EQ(xFile_Close(f) + xFile_Seek(f, 0, 0) + xFile_SetEOF(f), 0);
    EXPECT_EQ(xFile_Charset(f), static_cast<int32_t>(0xFFFF0000u));
    EXPECT_EQ(xFile_EOF(f), 1);
    EXPECT_EQ(xFile_CurPos(f) + xFile_Size(f), 0);
    EXPECT_EQ(xFile_Put(f, "ab", 2) + xFile_Get(f, buf, 4) + xFile_WriteW(f, L"x", 0), 0u);
    Owned<wchar_t> r(xFile_ReadW(f, 4));
    EXPECT_TRUE(r.is_empty_string());
  }
  EXPECT_EQ(xFile_OpenW(nullptr, 0, 1200), nullptr);
  EXPECT_EQ(xFile_OpenW(file(L"missing.txt").c_str(), 1, 1200), nullptr) << "read only opens existing files only";
}

TEST_F(FileHandle, MarksAndGuessesDecideTheCharset) {
  const struct {
    std::string bytes;
    int32_t given, charset;
    uint32_t mark;
  } cases[] = {
      {"\xFF\xFE\x00\x00x\x00\x00\x00"s, -2, 65005, 4}, {"\x00\x00\xFE\xFF\x00\x00\x00x"s, -2, 65006, 4},
      {"\x84\x31\x95\x33x", -2, 54936, 4}, {"\xEF\xBB\xBFx", -2, 65001, 3},
      {"\xFF\xFEx\x00"s, -2, 1200, 2}, {"\xFE\xFF\x00x"s, -2, 1201, 2},
      {"plain ascii + text-", -2, 20127, 0},  // plain ASCII is not UTF-7
      {"Hi +ZeVnLIqe- there", -2, 65000, 0}, {"caf\xC3\xA9", -2, 65001, 0},
      {"caf\xE9 ol\xE9", -2, -1, 0},  // neither ASCII nor UTF-8: raw
      {"", -2, -1, 0},
      // A file shorter than a mark never matches it.
      {"\xFF\xFE\x00"s, -2, 1200, 2}, {"\xEF\xBB", -2, 65001, 0}, {"\x00\x00"s, -2, 20127, 0},
      // A given charset skips only its own mark (never GB18030's); read only writes none.
      {"\xEF\xBB\xBFx", 65001, 65001, 3}, {"\xFF\xFEx\x00"s, 65001, 65001, 0},
      {"\x84\x31\x95\x33x", 54936, 54936, 0}, {"", 1200, 1200, 0}};
  for (const auto &c : cases) {
    std::wstring p = file(L"probe.txt");
    raw_write(p, c.bytes);
    xFileHandle *f = xFile_OpenW(p.c_str(), 1, c.given);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->charset, c.charset) << c.bytes;
    EXPECT_EQ(f->headerLen, c.mark) << c.bytes;
    EXPECT_EQ(xFile_CurPos(f), static_cast<int64_t>(c.mark)) << "the position follows the mark";
    xFile_Close(f);
  }
}

TEST_F(FileHandle, NewFileForWritingGetsTheMark) {
  const std::pair<int32_t, std::string> cases[] = {
      {1200, "\xFF\xFE"}, {1201, "\xFE\xFF"}, {65005, std::string("\xFF\xFE\x00\x00", 4)},
      {65006, std::string("\x00\x00\xFE\xFF", 4)}, {54936, "\x84\x31\x95\x33"}, {65001, ""}, {936, ""}};
  for (const auto &[charset, mark] : cases) {
    std::wstring p = file(L"new" + std::to_wstring(charset) + L".txt");
    xFileHandle *f = xFile_OpenW(p.c_str(), 0, charset);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(xFile_Charset(f), charset);
    EXPECT_EQ(xFile_CurPos(f), static_cast<int64_t>(mark.size()));
    EXPECT_EQ(xFile_Close(f), 1);
    EXPECT_EQ(raw_read(p), mark) << charset;
  }
}

TEST_F(FileHandle, PositionSizeAndRawTransfer) {
  std::wstring p = file(L"raw.bin");
  xFileHandle *f = xFile_OpenW(p.c_str(), 0, XFILE_CHARSET_RAW);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(xFile_Put(f, "hello world", 11), 11u);
  EXPECT_EQ(xCore.iRetSize, 11u);
  EXPECT_EQ(xFile_Seek(f, -5, 2), 1);
  EXPECT_EQ(xFile_CurPos(f), 6);
  EXPECT_EQ(xFile_EOF(f), 0);
  char buf[16] = {};
  EXPECT_EQ(xFile_Get(f, buf, sizeof buf), 5u);
  EXPECT_EQ(std::string(buf) + std::to_string(xFile_EOF(f)), "world1");
  EXPECT_EQ(xFile_Seek(f, 5, 0) + xFile_SetEOF(f), 2);
  EXPECT_EQ(xFile_Size(f), 5);
  EXPECT_EQ(xFile_Seek(f, -100, 1), 0) << "before the start";
  EXPECT_EQ(xFile_Put(f, nullptr, 3), 0u);
  xFile_Close(f);
  EXPECT_EQ(raw_read(p), "hello");
}

// A sparse file past 4 GiB: sizes and positions are 64-bit, and a whole-file
// read that a 32-bit count cannot describe fails instead of coming back cut.
TEST_F(FileHandle, FilesBeyondFourGigabytes) {
  const int64_t big = (int64_t{1} << 32) + 10;
  std::wstring p = file(L"big.bin");
  HANDLE h = CreateFileW(p.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  DWORD ret = 0;
  bool sparse = DeviceIoControl(h, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &ret, nullptr);
  CloseHandle(h);
  if (!sparse) GTEST_SKIP() << "no sparse files here";
  ASSERT_EQ(xFile_SetSizeW(p.c_str(), big), 1);
  EXPECT_EQ(xFile_GetSizeW(p.c_str()), big);
  xFileHandle *f = xFile_OpenW(p.c_str(), 1, XFILE_CHARSET_RAW);
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(xFile_Size(f), big);
  EXPECT_EQ(xFile_Seek(f, -2, 2), 1);
  EXPECT_EQ(xFile_CurPos(f), big - 2);
  xFile_Close(f);
  Owned<char> all(xFile_ReadAllU(tarvo::test::utf8(p).c_str(), XFILE_CHARSET_RAW));
  EXPECT_TRUE(all.is_empty_string());
  EXPECT_EQ(all.size(), 0u);
  xCore.iRetSize = 7;
  EXPECT_EQ(xFile_GetAllW(p.c_str()), nullptr);
  EXPECT_EQ(xCore.iRetSize, 0u);
  EXPECT_EQ(xFile_SetSizeW(p.c_str(), 3), 1);
  EXPECT_EQ(xFile_GetSizeW(p.c_str()), 3);
}

}  // namespace
