// The conversion exports against MultiByteToWideChar / WideCharToMultiByte
// called directly the way any caller would (ask for the size, allocate,
// convert, release), on the kinds of text scripts move: source code, English
// prose, Chinese, mixed, invalid, in script-argument and in 1 MiB sizes; and
// xFile_ReadAllU of a 64 MiB UTF-16 file against ReadFile and one system
// conversion. A ratio below 1 means the library is faster.
#include "files_by_hand.hpp"
#include "timing.hpp"
#include "transcode.hpp"
#include "xcore.h"
#include "xfile.h"
#include "xstring.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

volatile size_t g_sink;

std::string repeat_to(const std::vector<std::string> &pieces, size_t bytes) {
  std::string s;
  for (size_t i = 0; s.size() < bytes; ++i) s += pieces[i % pieces.size()];
  s.resize(bytes);
  // Cut at a character boundary.
  while (!s.empty() && (static_cast<unsigned char>(s.back()) & 0xC0) == 0x80) s.pop_back();
  if (!s.empty() && static_cast<unsigned char>(s.back()) >= 0xC0) s.pop_back();
  return s;
}

// Source code: ASCII but for a rare comment with a dash or a name.
std::string source_code(size_t bytes) {
  return repeat_to({"static int parse_header(const char *text, size_t length, struct header *out) {\n",
                    "  if (!text || length < 4) return -1;  /* too short for a header */\n",
                    "  for (size_t i = 0; i < length; ++i) out->sum += (unsigned char)text[i] * 31u;\n",
                    "  // Keep the order of the fields \xe2\x80\x94 the reader depends on it.\n",
                    "  out->kind = text[0] == 'X' ? KIND_EXTENDED : KIND_PLAIN;\n", "  return 0;\n}\n\n"},
                   bytes);
}

// English prose with the odd accented word and typographic quote.
std::string prose(size_t bytes) {
  return repeat_to({"The committee met on Tuesday to review the quarterly figures, which showed a steady rise in ",
                    "orders from the northern region. Ms. Dupont presented the caf\xc3\xa9 chain's numbers; ",
                    "everyone agreed the results were encouraging, though a few members asked for more detail ",
                    "on costs. \xe2\x80\x9cWe are on track,\xe2\x80\x9d she said, and the meeting closed at five.\n"},
                   bytes);
}

// Chinese text with ASCII digits, names and punctuation between.
std::string chinese(size_t bytes) {
  return repeat_to({"\xe6\x95\xb0\xe6\x8d\xae\xe5\xa4\x84\xe7\x90\x86\xe5\xae\x8c\xe6\x88\x90\xef\xbc\x8c\xe5\x85\xb1 128 "
                    "\xe8\xa1\x8c\xe3\x80\x82",
                    "\xe7\x94\xa8\xe6\x88\xb7\xe5\x90\x8d\xef\xbc\x9a\xe5\xbc\xa0\xe4\xb8\x89 (id=42)\xef\xbc\x8c"
                    "\xe9\x83\xa8\xe9\x97\xa8\xef\xbc\x9a\xe8\xb4\xa2\xe5\x8a\xa1\xe9\x83\xa8\xe3\x80\x82\n",
                    "\xe8\xaf\xb7\xe5\x9c\xa8\xe6\x98\x8e\xe5\xa4\xa9\xe4\xb9\x8b\xe5\x89\x8d\xe6\x8f\x90\xe4\xba\xa4"
                    "\xe6\x8a\xa5\xe5\x91\x8a\xe3\x80\x82"},
                   bytes);
}

// ASCII words, CJK and an emoji now and then.
std::string mixed(size_t bytes) {
  return repeat_to({"hello ", "\xe4\xb8\xad\xe6\x96\x87 ", "world, ", "\xf0\x9f\x98\x80", "tarvo "}, bytes);
}

std::wstring widen(const std::string &u) {
  wchar_t *w = xCore_U2W(u.c_str(), static_cast<uint32_t>(u.size()));
  std::wstring r(w, xCore.iRetSize / 2);
  xCore_free(w);
  return r;
}

template <class C>
std::basic_string<C> with_at(std::basic_string<C> s, double where, const std::basic_string<C> &odd) {
  s.insert(static_cast<size_t>(static_cast<double>(s.size()) * where), odd);
  return s;
}

void direct_m2w(UINT cp, const std::string &s) {
  int n = MultiByteToWideChar(cp, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  auto *w = static_cast<wchar_t *>(std::malloc((static_cast<size_t>(n) + 1) * sizeof(wchar_t)));
  n = MultiByteToWideChar(cp, 0, s.data(), static_cast<int>(s.size()), w, n);
  w[n] = 0;
  g_sink = g_sink + static_cast<size_t>(n);
  std::free(w);
}

void direct_w2m(UINT cp, const std::wstring &w) {
  int n = WideCharToMultiByte(cp, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
  auto *s = static_cast<char *>(std::malloc(static_cast<size_t>(n) + 1));
  n = WideCharToMultiByte(cp, 0, w.data(), static_cast<int>(w.size()), s, n, nullptr, nullptr);
  s[n] = 0;
  g_sink = g_sink + static_cast<size_t>(n);
  std::free(s);
}

struct Text {
  const char *name;
  std::string utf8;
  double goal;
};

int reps_for(size_t bytes) { return bytes < 4096 ? 5000 : 5; }

constexpr int kRounds = 25;

// The goals (the largest ratio library / system aimed at): 3 times faster on
// mostly-ASCII text, 1.5 times on CJK text, twice on the 64 MiB read, and
// never slower than the system on any other input.
constexpr double kAsciiGoal = 1.0 / 3, kCjkGoal = 1.0 / 1.5, kFileGoal = 0.5, kNeverSlower = 1.0;

// The conversion alone, without the result's allocation: the library's
// converters against the system call, measure and convert into one buffer.
void compare_alone(const std::string &label, UINT cp, const std::string &narrow, const std::wstring &wide,
                   std::vector<double> &ratios) {
  const int reps = reps_for(narrow.size());
  std::wstring wbuf(narrow.size() + 8, L'\0');
  std::string nbuf(wide.size() * 3 + 8, '\0');
  const int n = static_cast<int>(narrow.size()), u = static_cast<int>(wide.size());
  ratios.push_back(tarvo::bench::compare(
      (label + " M2W alone").c_str(), kRounds, reps,
      [&] {
        const int k = tarvo::multibyte_to_wide(cp, 0, narrow.data(), n, nullptr, 0);
        g_sink = g_sink + static_cast<size_t>(tarvo::multibyte_to_wide(cp, 0, narrow.data(), n, wbuf.data(), k));
      },
      [&] {
        const int k = MultiByteToWideChar(cp, 0, narrow.data(), n, nullptr, 0);
        g_sink = g_sink + static_cast<size_t>(MultiByteToWideChar(cp, 0, narrow.data(), n, wbuf.data(), k));
      },
      kNeverSlower));
  ratios.push_back(tarvo::bench::compare(
      (label + " W2M alone").c_str(), kRounds, reps,
      [&] {
        const int k = tarvo::wide_to_multibyte(cp, 0, wide.data(), u, nullptr, 0, nullptr, nullptr);
        g_sink = g_sink + static_cast<size_t>(tarvo::wide_to_multibyte(cp, 0, wide.data(), u, nbuf.data(), k, nullptr, nullptr));
      },
      [&] {
        const int k = WideCharToMultiByte(cp, 0, wide.data(), u, nullptr, 0, nullptr, nullptr);
        g_sink = g_sink + static_cast<size_t>(WideCharToMultiByte(cp, 0, wide.data(), u, nbuf.data(), k, nullptr, nullptr));
      },
      kNeverSlower));
}

// Both directions of one text in one code page through the exports (the
// result allocated, as every caller gets it) with their goal, then the
// conversion alone: the narrow side is `narrow`, the wide side its
// conversion.
void compare_both(const std::string &label, UINT cp, const std::string &narrow, const std::wstring &wide,
                  std::vector<double> &ratios, double goal = kNeverSlower) {
  const int reps = reps_for(narrow.size());
  ratios.push_back(tarvo::bench::compare(
      (label + " M2W").c_str(), kRounds, reps,
      [&] {
        wchar_t *r = xCore_M2W(narrow.data(), cp, static_cast<uint32_t>(narrow.size()));
        g_sink = g_sink + xCore.iRetSize;
        xCore_free(r);
      },
      [&] { direct_m2w(cp, narrow); }, goal));
  ratios.push_back(tarvo::bench::compare(
      (label + " W2M").c_str(), kRounds, reps,
      [&] {
        char *r = xCore_W2M(wide.data(), cp, static_cast<uint32_t>(wide.size() * 2));
        g_sink = g_sink + xCore.iRetSize;
        xCore_free(r);
      },
      [&] { direct_w2m(cp, wide); }, goal));
  compare_alone(label, cp, narrow, wide, ratios);
}

// ---- the 64 MiB file ----

constexpr size_t kFileBytes = 64u << 20;

// A text of exactly 64 MiB as UTF-16 (none of the texts has surrogates to cut).
void compare_file(const char *label, const std::string &source, std::vector<double> &ratios) {
  std::wstring text = widen(source);
  text.resize(kFileBytes / 2 - 1, L'.');
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(), n, nullptr, nullptr);
  wchar_t tmp[MAX_PATH];
  GetTempPathW(MAX_PATH, tmp);
  const std::wstring path = std::wstring(tmp) + L"tarvo_bench_convert_" + std::to_wstring(GetCurrentProcessId()) + L".txt";
  const std::string path_u(path.begin(), path.end());  // the temporary folder's name is ASCII
  tarvo::bench::write_file_by_hand(path.c_str(), "\xFF\xFE", 2, text.data(), text.size() * 2);
  char *check = xFile_ReadAllU(path_u.c_str(), 1200);
  if (xCore.iRetSize != utf8.size() || std::memcmp(check, utf8.data(), utf8.size()) != 0)
    std::printf("MISMATCH: xFile_ReadAllU of %s\n", label);
  xCore_free(check);
  ratios.push_back(tarvo::bench::compare(
      label, 5, 1, [&] { xCore_free(xFile_ReadAllU(path_u.c_str(), 1200)); },
      [&] { g_sink = g_sink + tarvo::bench::read_file_by_hand(path.c_str(), true); }, kFileGoal));
  DeleteFileW(path.c_str());
}

}  // namespace

int main() {
  std::vector<double> ratios;
  std::printf("UTF-8 (65001) <-> UTF-16, best of %d rounds; ratio = library / system, below 1 is faster\n", kRounds);
  for (size_t bytes : {size_t(24), size_t(1) << 10, size_t(1) << 20}) {
    const std::string size = bytes < 100 ? "24 B" : bytes < 4096 ? "1 KiB" : "1 MiB";
    // The goals of the 1 MiB texts; the shorter ones are never to be slower.
    const bool mib = bytes == size_t(1) << 20;
    const Text texts[] = {{"source", source_code(bytes), mib ? kAsciiGoal : kNeverSlower},
                          {"prose", prose(bytes), mib ? kAsciiGoal : kNeverSlower},
                          {"CJK", chinese(bytes), mib ? kCjkGoal : kNeverSlower},
                          {"mixed", mixed(bytes), kNeverSlower}};
    for (const Text &t : texts)
      compare_both(std::string(t.name) + " " + size, CP_UTF8, t.utf8, widen(t.utf8), ratios, t.goal);
  }
  std::printf("\nUnusual input (left to the system call from the first unusual character on)\n");
  const std::string prose_mib = prose(1 << 20), cjk_mib = chinese(1 << 20);
  const std::wstring prose_w = widen(prose_mib), cjk_w = widen(cjk_mib);
  for (double where : {0.0, 0.5, 1.0}) {
    const std::string at = where == 0.0 ? " at start" : where == 0.5 ? " mid" : " at end";
    compare_both("prose 1 MiB, bad byte" + at, CP_UTF8, with_at(prose_mib, where, std::string("\xff")),
                 with_at(prose_w, where, std::wstring(L"\xD800")), ratios);
    compare_both("CJK 1 MiB, bad byte" + at, CP_UTF8, with_at(cjk_mib, where, std::string("\xC3")),
                 with_at(cjk_w, where, std::wstring(L"\xDC00")), ratios);
  }
  std::printf("\nANSI code page (%u): ASCII runs only\n", GetACP());
  std::string ascii_prose = source_code(1 << 20);
  for (char &c : ascii_prose) c = static_cast<char>(c & 0x7F);
  std::wstring ascii_w(ascii_prose.begin(), ascii_prose.end());
  compare_both("ASCII 1 MiB", CP_ACP, ascii_prose, ascii_w, ratios);
  std::string latin = ascii_prose;
  latin[100] = '\xe9';
  compare_both("Latin-1 1 MiB (non-ASCII early)", CP_ACP, latin, with_at(ascii_w, 0.0001, std::wstring(L"\xe9")), ratios);
  compare_both("ASCII 24 B", CP_ACP, ascii_prose.substr(0, 24), ascii_w.substr(0, 24), ratios);

  std::printf("\nxFile_ReadAllU of a 64 MiB UTF-16LE file, best of 5 rounds\n");
  compare_file("ReadAllU prose 64 MiB", prose(kFileBytes / 2), ratios);
  compare_file("ReadAllU CJK 64 MiB", chinese(kFileBytes + kFileBytes / 2), ratios);

  double worst = 0;
  for (double r : ratios) worst = r > worst ? r : worst;
  std::printf("\nslowest ratio over all %zu comparisons: %.2fx\n", ratios.size(), worst);
  return 0;
}
