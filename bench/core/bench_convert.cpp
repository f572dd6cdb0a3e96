// UTF-8 <-> UTF-16 through the library against the raw system calls, timed in
// the same run. Prints the ratio library / raw (1.00 = no overhead).
#include "xcore.h"
#include "xstring.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>

namespace {

using Clock = std::chrono::steady_clock;

template <class F>
double seconds(int reps, F &&f) {
  auto t0 = Clock::now();
  for (int i = 0; i < reps; ++i) f();
  return std::chrono::duration<double>(Clock::now() - t0).count();
}

// Best of several rounds, the two candidates alternating so that a busy
// machine slows both alike.
template <class A, class B>
std::pair<double, double> compare(int rounds, int reps, A &&a, B &&b) {
  double best_a = 1e30, best_b = 1e30;
  for (int r = 0; r < rounds; ++r) {
    best_a = std::min(best_a, seconds(reps, a));
    best_b = std::min(best_b, seconds(reps, b));
  }
  return {best_a, best_b};
}

std::string mixed_text(size_t bytes) {
  // ASCII with CJK and accented letters, as real documents mix them.
  const std::string pieces[] = {"plain words ", "\xe4\xb8\xad\xe6\x96\x87 ", "na\xc3\xafve ", "1234 "};
  std::string s;
  for (size_t i = 0; s.size() < bytes; ++i) s += pieces[i % 4];
  s.resize(bytes - 8);
  while (!s.empty() && (static_cast<unsigned char>(s.back()) & 0xC0) == 0x80) s.pop_back();
  if (!s.empty() && static_cast<unsigned char>(s.back()) >= 0xC0) s.pop_back();
  return s;
}

volatile size_t g_sink;

void report(const char *what, size_t bytes, double lib, double raw) {
  std::printf("%-28s %8zu bytes  library %9.3f us  raw %9.3f us  ratio %.3f\n", what, bytes, lib * 1e6, raw * 1e6,
              lib / raw);
}

void run(size_t bytes, int reps) {
  std::string u = mixed_text(bytes);
  int n = static_cast<int>(u.size());

  auto [lib_u2w, raw_u2w] = compare(9, reps, [&] {
    wchar_t *w = xCore_U2W(u.data(), static_cast<uint32_t>(n));
    g_sink = xCore.iRetSize;
    xCore_free(w);
  }, [&] {
    int k = MultiByteToWideChar(CP_UTF8, 0, u.data(), n, nullptr, 0);
    wchar_t *w = static_cast<wchar_t *>(std::malloc((k + 1) * 2));
    MultiByteToWideChar(CP_UTF8, 0, u.data(), n, w, k);
    w[k] = 0;
    g_sink = k;
    std::free(w);
  });
  report("U2W vs MultiByteToWideChar", bytes, lib_u2w / reps, raw_u2w / reps);

  wchar_t *w = xCore_U2W(u.data(), static_cast<uint32_t>(n));
  uint32_t wbytes = xCore.iRetSize;
  int units = static_cast<int>(wbytes / 2);
  auto [lib_w2u, raw_w2u] = compare(9, reps, [&] {
    char *r = xCore_W2U(w, wbytes);
    g_sink = xCore.iRetSize;
    xCore_free(r);
  }, [&] {
    int k = WideCharToMultiByte(CP_UTF8, 0, w, units, nullptr, 0, nullptr, nullptr);
    char *r = static_cast<char *>(std::malloc(k + 1));
    WideCharToMultiByte(CP_UTF8, 0, w, units, r, k, nullptr, nullptr);
    r[k] = 0;
    g_sink = k;
    std::free(r);
  });
  report("W2U vs WideCharToMultiByte", bytes, lib_w2u / reps, raw_w2u / reps);
  xCore_free(w);
}

}  // namespace

int main() {
  run(1024, 20000);
  run(1024 * 1024, 40);
  return 0;
}
