// Text through every charset, whole files and handle reads and writes.
#include "fixture.hpp"
#include "xfile.h"

#include <windows.h>

#include <cstdio>

namespace {

using tarvo::test::FileTest;
using tarvo::test::Owned;
using tarvo::test::raw_read;
using tarvo::test::raw_write;
using tarvo::test::utf8;
using namespace std::string_literals;

class FileText : public FileTest {};

// ASCII, Latin, CJK, an astral character and one from the private-use plane;
// the code pages of the platform take CJK text only.
TEST_F(FileText, EveryCharsetRoundTripsThroughWholeFiles) {
  const std::wstring full = L"Ab\u00e9\u4e2d\U0001F600\U000F0001 end", cjk = L"\u4e2d\u6587abc";
  const struct {
    int32_t charset;
    std::wstring text;
    std::string mark;
  } cases[] = {{1200, full, "\xFF\xFE"}, {1201, full, "\xFE\xFF"}, {65005, full, "\xFF\xFE\x00\x00"s},
               {65006, full, "\x00\x00\xFE\xFF"s}, {65001, full, ""}, {54936, full, "\x84\x31\x95\x33"},
               {936, cjk, ""}, {65000, cjk, ""}, {20127, full, ""}};
  for (const auto &c : cases) {
    wchar_t probe[] = L"\x4E2D";
    if (c.charset < 1200 || c.charset == 54936 || c.charset == 65000)
      if (WideCharToMultiByte(c.charset, 0, probe, 1, nullptr, 0, nullptr, nullptr) <= 0) {
        std::printf("[  NOTE    ] code page %d is not supported here; skipped\n", c.charset);
        continue;
      }
    std::wstring p = file(L"rt" + std::to_wstring(c.charset) + L".txt");
    uint32_t n = xFile_WriteAllW(p.c_str(), c.text.c_str(), 0, c.charset);
    std::string bytes = raw_read(p);
    EXPECT_EQ(bytes.substr(0, c.mark.size()), c.mark) << c.charset;
    EXPECT_EQ(n + c.mark.size(), bytes.size()) << c.charset;
    Owned<wchar_t> back(xFile_ReadAllW(p.c_str(), c.mark.empty() ? c.charset : XFILE_CHARSET_AUTO));
    EXPECT_EQ(back.str(), c.text) << c.charset;
    raw_write(p, bytes.substr(c.mark.size()));  // the same bytes without a mark, the charset given
    Owned<char> u(xFile_ReadAllU(utf8(p).c_str(), c.charset));
    EXPECT_EQ(u.str(), utf8(c.text)) << c.charset;
  }
}

TEST_F(FileText, UnmarkedTextIsDetectedAndDecoded) {
  std::wstring p = file(L"u.txt");
  raw_write(p, "Hi +ZeVnLIqe- there");
  Owned<wchar_t> seven(xFile_ReadAllW(p.c_str(), XFILE_CHARSET_AUTO));
  EXPECT_EQ(seven.str(), L"Hi \u65e5\u672c\u8a9e there");
  raw_write(p, "caf\xE9");
  Owned<char> raw(xFile_ReadAllU(utf8(p).c_str(), XFILE_CHARSET_AUTO));
  EXPECT_EQ(raw.str(), "caf\xE9") << "undetectable bytes come back as they are";
  // The first 64 KiB are ASCII, so the file is guessed as US-ASCII: what
  // follows must still come back whole, and appends go in as UTF-8.
  std::string late = std::string(70000, 'a') + "\xE4\xB8\xAD\xC3\xA9";
  raw_write(p, late);
  Owned<char> u(xFile_ReadAllU(utf8(p).c_str(), XFILE_CHARSET_AUTO));
  EXPECT_EQ(u.str(), late);
  EXPECT_GT(xFile_AppendW(p.c_str(), L"\u00fc", 0, XFILE_CHARSET_AUTO), 0u);
  EXPECT_EQ(raw_read(p).substr(70000), "\xE4\xB8\xAD\xC3\xA9\xC3\xBC");
}

TEST_F(FileText, NarrowFormsConvertThroughTheirCodePagesAndLengthsCountBytes) {
  std::wstring p = file(L"forms.txt");
  std::string pu = utf8(p);
  EXPECT_EQ(xFile_WriteAllU(pu.c_str(), "\xC3\xA9t\xC3\xA9", 0, 1200), 6u);
  EXPECT_EQ(raw_read(p), "\xFF\xFE\xE9\x00t\x00\xE9\x00"s);
  Owned<char> a(xFile_ReadAllA(pu.c_str(), 1200));
  EXPECT_EQ(a.str(), "\xE9t\xE9") << "A text is in the ANSI code page (1252 here)";
  EXPECT_EQ(xFile_WriteAllA(pu.c_str(), "\xE9t\xE9", 0, 65001), 5u);
  EXPECT_EQ(raw_read(p), "\xC3\xA9t\xC3\xA9");
  EXPECT_EQ(xFile_WriteAllU(pu.c_str(), "\xE4\xB8\xAD", 0, XFILE_CHARSET_RAW), 3u);
  EXPECT_EQ(raw_read(p), "\xE4\xB8\xAD");
  EXPECT_EQ(xFile_WriteAllW(p.c_str(), L"abcdef", 4, 65001), 2u);
  EXPECT_EQ(raw_read(p), "ab");
  EXPECT_EQ(xFile_WriteAllU(pu.c_str(), "abcdef", 3, 1201), 6u);
  EXPECT_EQ(raw_read(p), "\x00" "a\x00" "b\x00" "c"s) << "an older file gets no mark in front";
}

TEST_F(FileText, ShorterRewritesAppendsAndEmptyTexts) {
  std::wstring p = file(L"rw.txt");
  raw_write(p, "\xEF\xBB\xBF" "a much longer first text");
  EXPECT_EQ(xFile_WriteAllW(p.c_str(), L"short", 0, 65001), 5u);
  EXPECT_EQ(raw_read(p), "\xEF\xBB\xBFshort") << "the mark is kept and the old tail cut";
  EXPECT_EQ(xFile_AppendW(p.c_str(), L"+more", 0, 65001), 5u);
  EXPECT_EQ(raw_read(p), "\xEF\xBB\xBFshort+more");
  std::wstring q = file(L"appended.txt");
  EXPECT_EQ(xFile_AppendW(q.c_str(), L"x", 0, 1200) + xFile_AppendW(q.c_str(), L"y", 0, 1200), 4u);
  EXPECT_EQ(raw_read(q), "\xFF\xFEx\x00y\x00"s) << "one mark, when the file is created";
  EXPECT_EQ(xFile_WriteAllW(p.c_str(), L"", 0, 65001), 0u);
  EXPECT_EQ(raw_read(p), "\xEF\xBB\xBF") << "an empty text leaves only the mark";
  Owned<wchar_t> none(xFile_ReadAllW(p.c_str(), XFILE_CHARSET_AUTO));
  EXPECT_TRUE(none.is_empty_string()) << "nothing after the mark";
  Owned<wchar_t> missing(xFile_ReadAllW(file(L"missing.txt").c_str(), 65001));
  EXPECT_TRUE(missing.is_empty_string());
}

// Only a complete write replaces the old contents: a null text or buffer or a
// text the charset refuses leaves the file as it was.
TEST_F(FileText, FailedWritesLeaveTheFileAlone) {
  std::wstring p = file(L"keep.txt");
  raw_write(p, "keep me");
  EXPECT_EQ(xFile_WriteAllW(p.c_str(), L"x", 0, 12345), 0u) << "no such code page";
  EXPECT_EQ(xFile_WriteAllW(p.c_str(), nullptr, 0, 65001), 0u);
  EXPECT_EQ(xFile_PutAllW(p.c_str(), nullptr, 5) + xFile_PutAllW(p.c_str(), nullptr, 0), 0u);
  EXPECT_EQ(raw_read(p), "keep me");
  EXPECT_EQ(xFile_PutAllW(nullptr, "ab", 2), 0u);
}

TEST_F(FileText, HandleTextAndRawBuffers) {
  std::wstring p = file(L"h.txt");
  xFileHandle *f = xFile_OpenW(p.c_str(), 0, 1201);
  ASSERT_NE(f, nullptr);
  std::wstring text = L"\u4e2dZ";
  EXPECT_EQ(xFile_WriteW(f, text.c_str(), 0), 4u);
  EXPECT_EQ(text, L"\u4e2dZ") << "the caller's text is not swapped in place";
  EXPECT_EQ(xFile_WriteU(f, "\xC3\xA9", 0), 2u);
  EXPECT_EQ(xFile_Seek(f, 2, 0), 1);
  Owned<char> u(xFile_ReadU(f, 4));
  EXPECT_EQ(u.str(), "\xE4\xB8\xADZ");
  Owned<wchar_t> w(xFile_ReadW(f, 100));
  EXPECT_EQ(w.str(), L"\u00e9");
  xFile_Close(f);
  EXPECT_EQ(raw_read(p), "\xFE\xFF\x4E\x2D\x00Z\x00\xE9"s);
  EXPECT_EQ(xFile_PutAllW(p.c_str(), "\x00\x01\x02", 2), 2u);
  EXPECT_EQ(raw_read(p), "\x00\x01"s) << "the old tail is cut";
  Owned<char> all(static_cast<char *>(xFile_GetAllA(utf8(p).c_str())));
  EXPECT_EQ(all.str(), "\x00\x01"s);
  EXPECT_EQ(xFile_GetAllW(file(L"missing").c_str()), nullptr);
  EXPECT_EQ(xFile_SetSizeA(utf8(p).c_str(), 6), 1);
  EXPECT_EQ(xFile_GetSizeW(p.c_str()), 6);
  EXPECT_EQ(xFile_GetSizeW(file(L"missing").c_str()), 0);
}

}  // namespace
