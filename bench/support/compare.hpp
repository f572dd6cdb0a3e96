// Two ways of doing the same calls, timed against each other: they alternate
// in chunks so that both see the same machine state (the machine is shared),
// and the ratio is the median over the rounds, with that of the best rounds
// beside it. Each way takes the call's number and returns a value summed as
// a check that both did the same work.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace bench {

inline double now_seconds() {
  LARGE_INTEGER c, f;
  QueryPerformanceCounter(&c);
  QueryPerformanceFrequency(&f);
  return double(c.QuadPart) / double(f.QuadPart);
}


template <class First, class Second>
void compare(const char *label, const char *unit, int calls, int rounds, int chunks, const char *first_name,
             First first, Second second) {
  const int per_chunk = std::max(1, calls / chunks);
  std::vector<double> ratios;
  double best_first = 1e9, best_second = 1e9;
  long long check_first = 0, check_second = 0;
  for (int round = 0; round < rounds; ++round) {
    double first_time = 0, second_time = 0;
    for (int chunk = 0; chunk < chunks; ++chunk) {
      const int from = chunk * per_chunk;
      const double t0 = now_seconds();
      for (int i = from; i < from + per_chunk; ++i) check_first += static_cast<long long>(first(i));
      const double t1 = now_seconds();
      for (int i = from; i < from + per_chunk; ++i) check_second += static_cast<long long>(second(i));
      const double t2 = now_seconds();
      first_time += t1 - t0;
      second_time += t2 - t1;
    }
    ratios.push_back(first_time / second_time);
    best_first = std::min(best_first, first_time);
    best_second = std::min(best_second, second_time);
  }
  std::sort(ratios.begin(), ratios.end());
  const double n = double(per_chunk) * chunks;
  std::printf("%-28s %7d %ss/round  %s %9.3f us/%s  by hand %9.3f us/%s  ratio %.3fx (best %.3fx)%s\n", label, int(n),
              unit, first_name, best_first / n * 1e6, unit, best_second / n * 1e6, unit, ratios[rounds / 2],
              best_first / best_second, check_first == check_second ? "" : "  (results differ!)");
}

}  // namespace bench
