// Prints the time per operation of the keyed table and of collected
// allocation next to their obvious baselines measured in the same run.
#include "timing.hpp"
#include "xcore.h"
#include "xgc.h"
#include "xtable.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

// One timed run of the body, per operation.
template <class F>
double ns_per_op(size_t ops, F &&body) {
  return tarvo::bench::round_seconds(1, body) * 1e9 / static_cast<double>(ops);
}

// The machine is shared: rounds alternate between the contenders so that
// they meet the same load, and the best round of each counts.
constexpr int kRounds = 3;

struct Timing {
  double insert, lookup, remove;
};

void keep_best(Timing &best, const Timing &next) {
  best.insert = std::min(best.insert, next.insert);
  best.lookup = std::min(best.lookup, next.lookup);
  best.remove = std::min(best.remove, next.remove);
}

volatile uint64_t g_sink;

std::vector<std::string> make_keys(size_t n) {
  std::vector<std::string> keys;
  keys.reserve(n);
  for (size_t i = 0; i < n; ++i) keys.push_back("key" + std::to_string(i * 7919 % (n * 10)));
  return keys;
}

Timing time_table(const std::vector<std::string> &keys, const std::vector<std::string> &order) {
  xTable *t = xTable_Create();
  Timing r;
  r.insert = ns_per_op(keys.size(), [&] {
    for (size_t i = 0; i < keys.size(); ++i) xTable_InsertA(t, keys[i].c_str(), i);
  });
  r.lookup = ns_per_op(order.size(), [&] {
    uint64_t sum = 0;
    for (const auto &k : order) sum += xTable_GetValA(t, k.c_str());
    g_sink = sum;
  });
  r.remove = ns_per_op(order.size(), [&] {
    for (const auto &k : order) xTable_RemoveA(t, k.c_str());
  });
  xTable_Destroy(t);
  return r;
}

template <class Map>
Timing time_std(const std::vector<std::string> &keys, const std::vector<std::string> &order) {
  Map m;
  Timing r;
  r.insert = ns_per_op(keys.size(), [&] {
    for (size_t i = 0; i < keys.size(); ++i) m.emplace(keys[i], i);
  });
  r.lookup = ns_per_op(order.size(), [&] {
    uint64_t sum = 0;
    for (const auto &k : order) {
      auto it = m.find(k);
      if (it != m.end()) sum += it->second;
    }
    g_sink = sum;
  });
  r.remove = ns_per_op(order.size(), [&] {
    for (const auto &k : order) m.erase(k);
  });
  return r;
}

void bench_table(size_t n) {
  std::vector<std::string> keys = make_keys(n);
  std::vector<std::string> order = keys;
  std::shuffle(order.begin(), order.end(), std::mt19937(42));
  Timing table = time_table(keys, order);
  Timing tree = time_std<std::map<std::string, uint64_t>>(keys, order);
  Timing hash = time_std<std::unordered_map<std::string, uint64_t>>(keys, order);
  for (int round = 1; round < kRounds; ++round) {
    keep_best(table, time_table(keys, order));
    keep_best(tree, time_std<std::map<std::string, uint64_t>>(keys, order));
    keep_best(hash, time_std<std::unordered_map<std::string, uint64_t>>(keys, order));
  }
  std::printf("xTable, %zu short keys (ns/op: xTable | std::map | unordered_map; ratio xTable/map, xTable/unordered)\n", n);
  auto row = [n](const char *what, double x, double m, double u) {
    std::printf("  %-7s %8.1f | %8.1f | %8.1f   %5.2fx  %5.2fx\n", what, x, m, u, x / m, x / u);
    tarvo::bench::report(("xTable " + std::string(what) + " vs std::map, " + std::to_string(n) + " keys").c_str(), x / m);
  };
  row("insert", table.insert, tree.insert, hash.insert);
  row("lookup", table.lookup, tree.lookup, hash.lookup);
  row("remove", table.remove, tree.remove, hash.remove);
}

size_t block_size(size_t i) { return 16 + (i * 13) % 112; }

// Results dropped as soon as they are made, the collector's everyday case.
// A null bottom scans the whole stack of the thread; a host may instead name
// the outermost frame that holds its references (here: this one).
__attribute__((noinline)) double gc_dropped(size_t n, bool whole_stack) {
  int frame = 0;
  xCore_GC_Start(whole_stack ? nullptr : &frame);
  double t = ns_per_op(n, [&] {
    for (size_t i = 0; i < n; ++i) static_cast<char *>(xCore_GC_malloc(block_size(i)))[0] = 1;
    xCore_GC_Run();
  });
  xCore_GC_Stop();
  return t;
}

double malloc_dropped(size_t n) {
  return ns_per_op(n, [&] {
    for (size_t i = 0; i < n; ++i) {
      auto *p = static_cast<char *>(std::malloc(block_size(i)));
      p[0] = 1;
      g_sink = reinterpret_cast<uintptr_t>(p);
      std::free(p);
    }
  });
}

// A batch made while paused and reclaimed by one collection, against making
// the batch and releasing it.
__attribute__((noinline)) double gc_batch(size_t n) {
  xCore_GC_Start(nullptr);
  double t = ns_per_op(n, [&] {
    xCore_GC_Pause();
    for (size_t i = 0; i < n; ++i) static_cast<char *>(xCore_GC_malloc(block_size(i)))[0] = 1;
    xCore_GC_Run();
  });
  xCore_GC_Stop();
  return t;
}

double malloc_batch(size_t n, std::vector<void *> &held) {
  return ns_per_op(n, [&] {
    for (size_t i = 0; i < n; ++i) {
      held[i] = std::malloc(block_size(i));
      static_cast<char *>(held[i])[0] = 1;
    }
    for (size_t i = 0; i < n; ++i) std::free(held[i]);
  });
}

void bench_gc(size_t n) {
  std::vector<void *> held(n);
  double md = 1e300, gd = 1e300, gf = 1e300, mb = 1e300, gb = 1e300;
  for (int round = 0; round < kRounds; ++round) {
    md = std::min(md, malloc_dropped(n));
    gd = std::min(gd, gc_dropped(n, true));
    gf = std::min(gf, gc_dropped(n, false));
    mb = std::min(mb, malloc_batch(n, held));
    gb = std::min(gb, gc_batch(n));
  }
  std::printf("collected heap, %zu blocks of 16..127 bytes (ns/block: collected | malloc/free; ratio)\n", n);
  std::printf("  dropped, whole stack scanned   %7.1f | %7.1f   %5.2fx\n", gd, md, gd / md);
  std::printf("  dropped, from the caller frame %7.1f | %7.1f   %5.2fx\n", gf, md, gf / md);
  std::printf("  batch, one collection          %7.1f | %7.1f   %5.2fx\n", gb, mb, gb / mb);
  const std::string blocks = ", " + std::to_string(n) + " blocks";
  tarvo::bench::report(("heap dropped, whole stack vs malloc" + blocks).c_str(), gd / md);
  tarvo::bench::report(("heap dropped, caller frame vs malloc" + blocks).c_str(), gf / md);
  tarvo::bench::report(("heap batch vs malloc" + blocks).c_str(), gb / mb);
}

}  // namespace

int main() {
  bench_table(100000);
  bench_table(1000000);
  bench_gc(100000);
  bench_gc(1000000);
  return 0;
}
