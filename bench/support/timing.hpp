// Timing for the benchmarks. The library call and its baseline run in
// alternating rounds and each keeps its fastest round, so that a busy machine
// disturbs the comparison as little as possible.
#pragma once

#include <chrono>
#include <cstdio>

namespace tarvo::bench {

template <class F>
double round_seconds(int reps, F &f) {
  auto t0 = std::chrono::steady_clock::now();
  for (int i = 0; i < reps; ++i) f();
  std::chrono::duration<double> d = std::chrono::steady_clock::now() - t0;
  return d.count() / reps;
}

// Prints both times per call and the ratio library / baseline; returns it.
template <class L, class B>
double compare(const char *what, int rounds, int reps, L &&library, B &&baseline) {
  double lib = 1e300, base = 1e300;
  for (int r = 0; r < rounds; ++r) {
    double l = round_seconds(reps, library), b = round_seconds(reps, baseline);
    if (l < lib) lib = l;
    if (b < base) base = b;
  }
  double ratio = lib / base;
  std::printf("%-36s library %10.3f us  baseline %10.3f us  ratio %.2fx\n", what, lib * 1e6, base * 1e6, ratio);
  return ratio;
}

}  // namespace tarvo::bench
