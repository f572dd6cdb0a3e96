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

// The line scripts/bench.sh gathers from every benchmark's output:
//   BENCH<tab>what<tab>ratio<tab>goal
// ratio = library time / baseline time; goal = the largest ratio the
// measurement aims at ("at least 2x faster" is 0.5), "-" when it has none.
inline void report(const char *what, double ratio, double goal = 0) {
  if (goal > 0)
    std::printf("BENCH\t%s\t%.3f\t%.3f\n", what, ratio, goal);
  else
    std::printf("BENCH\t%s\t%.3f\t-\n", what, ratio);
}

// Prints both times per call and the ratio library / baseline, reports it
// with its goal (see report) and returns it.
template <class L, class B>
double compare(const char *what, int rounds, int reps, L &&library, B &&baseline, double goal = 0) {
  double lib = 1e300, base = 1e300;
  for (int r = 0; r < rounds; ++r) {
    double l = round_seconds(reps, library), b = round_seconds(reps, baseline);
    if (l < lib) lib = l;
    if (b < base) base = b;
  }
  double ratio = lib / base;
  std::printf("%-36s library %10.3f us  baseline %10.3f us  ratio %.2fx\n", what, lib * 1e6, base * 1e6, ratio);
  report(what, ratio, goal);
  return ratio;
}

}  // namespace tarvo::bench
