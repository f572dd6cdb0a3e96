// The conversion exports against MultiByteToWideChar / WideCharToMultiByte
// called directly the way any caller would: ask for the size, allocate,
// convert, release.
#include "timing.hpp"
#include "xcore.h"
#include "xstring.h"

#include <windows.h>

#include <cstdlib>
#include <string>

namespace {

volatile size_t g_sink;

// Mixed text: ASCII words with CJK characters and an emoji now and then.
std::string make_utf8(size_t bytes) {
  static const char *parts[] = {"hello ", "\xe4\xb8\xad\xe6\x96\x87 ", "world, ", "\xf0\x9f\x98\x80", "tarvo "};
  std::string s;
  for (size_t i = 0; s.size() < bytes; ++i) s += parts[i % 5];
  s.resize(bytes);
  while (!s.empty() && (static_cast<unsigned char>(s.back()) & 0xC0) == 0x80) s.pop_back();
  if (!s.empty() && static_cast<unsigned char>(s.back()) >= 0xC0) s.pop_back();
  return s;
}

void direct_u2w(const std::string &s) {
  int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  auto *w = static_cast<wchar_t *>(std::malloc((static_cast<size_t>(n) + 1) * sizeof(wchar_t)));
  n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), w, n);
  w[n] = 0;
  g_sink = g_sink + static_cast<size_t>(n);
  std::free(w);
}

void direct_w2u(const std::wstring &w) {
  int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
  auto *s = static_cast<char *>(std::malloc(static_cast<size_t>(n) + 1));
  n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s, n, nullptr, nullptr);
  s[n] = 0;
  g_sink = g_sink + static_cast<size_t>(n);
  std::free(s);
}

}  // namespace

int main() {
  using tarvo::bench::compare;
  for (size_t bytes : {size_t(1) << 10, size_t(1) << 20}) {
    std::string u = make_utf8(bytes);
    wchar_t *wide = xCore_U2W(u.c_str(), 0);
    std::wstring w(wide);
    xCore_free(wide);
    int reps = bytes < 4096 ? 20000 : 20;
    std::string size = bytes < 4096 ? "1 KiB" : "1 MiB";
    compare(("xCore_U2W " + size).c_str(), 30, reps,
            [&] {
              wchar_t *r = xCore_U2W(u.c_str(), static_cast<uint32_t>(u.size()));
              g_sink = g_sink + xCore.iRetSize;
              xCore_free(r);
            },
            [&] { direct_u2w(u); });
    compare(("xCore_W2U " + size).c_str(), 30, reps,
            [&] {
              char *r = xCore_W2U(w.c_str(), static_cast<uint32_t>(w.size() * 2));
              g_sink = g_sink + xCore.iRetSize;
              xCore_free(r);
            },
            [&] { direct_w2u(w); });
  }
  return 0;
}
