// Element arrays and byte buffers: growth in steps, 1-based indexes,
// insert/delete/swap edges, terminators, and refusals.
#include "xmm.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

struct Deleter {
  void operator()(SMM *a) const { SMM_Destroy(a); }
  void operator()(MBM *b) const { MBM_Destroy(b); }
};
using SmmPtr = std::unique_ptr<SMM, Deleter>;
using MbmPtr = std::unique_ptr<MBM, Deleter>;

int &at(SMM *a, uint32_t i) { return *static_cast<int *>(SMM_GetPtr(a, i)); }
std::vector<int> values(SMM *a) {
  std::vector<int> v;
  for (uint32_t i = 1; i <= a->count; ++i) v.push_back(at(a, i));
  return v;
}
SmmPtr with_values(std::initializer_list<int> values) {
  SmmPtr a(SMM_Create(sizeof(int), 0));
  for (int v : values) at(a.get(), SMM_Append(a.get(), 1)) = v;
  return a;
}
const char *text(MBM *b) { return static_cast<const char *>(b->data); }

TEST(Smm, GrowsInWholeStepsBeyondTheNeed) {
  EXPECT_EQ(SMM_Create(0, 5), nullptr);
  SmmPtr a(SMM_Create(4, 0));
  EXPECT_EQ(a->step, 32u);
  EXPECT_EQ(SMM_Append(a.get(), 1), 1u);
  EXPECT_EQ(a->capacity, 33u);
  void *first = a->data;
  for (uint32_t i = 2; i <= 33; ++i) EXPECT_EQ(SMM_Append(a.get(), 0), i);
  EXPECT_EQ(a->data, first) << "no reallocation inside a step";
  SMM_Append(a.get(), 1);
  EXPECT_EQ(a->capacity, 66u);
  EXPECT_EQ(SMM_Append(a.get(), 5), 35u) << "index of the first new element";
  EXPECT_EQ(a->count, 39u);
  SmmPtr b(SMM_Create(16, 7));
  SMM_Append(b.get(), 3);
  SMM_ReInit(b.get());
  EXPECT_TRUE(!b->data && !b->capacity && b->element_size == 16u && b->step == 7u);
  EXPECT_EQ(SMM_Append(b.get(), 1), 1u);
  EXPECT_EQ(b->capacity, 8u);
}

TEST(Smm, InsertDeleteSwapAndMallocMoveTheElements) {
  SmmPtr a = with_values({10, 20, 30});
  EXPECT_EQ(SMM_Insert(a.get(), 0, 1), 1u);
  at(a.get(), 1) = 5;
  EXPECT_EQ(values(a.get()), (std::vector<int>{5, 10, 20, 30}));
  EXPECT_EQ(SMM_Insert(a.get(), 99, 2), 5u) << "past the end appends";
  EXPECT_EQ(SMM_Delete(a.get(), 5, 2), -1);
  EXPECT_EQ(SMM_Delete(a.get(), 2, 1), -1);
  EXPECT_EQ(SMM_Swap(a.get(), 2, 2), -1);
  EXPECT_EQ(SMM_Swap(a.get(), 1, 3), -1);
  EXPECT_EQ(values(a.get()), (std::vector<int>{30, 20, 5}));
  EXPECT_EQ(SMM_Malloc(a.get(), 100), -1);
  EXPECT_EQ(a->capacity, 100u);
  EXPECT_EQ(values(a.get()), (std::vector<int>{30, 20, 5}));
  EXPECT_EQ(SMM_Delete(a.get(), 2, 10), -1) << "past the end cuts";
  EXPECT_EQ(values(a.get()), (std::vector<int>{30}));
  a = with_values({1, 2, 3, 4, 5});
  EXPECT_EQ(SMM_Malloc(a.get(), 3), -1);
  EXPECT_EQ(values(a.get()), (std::vector<int>{1, 2, 3})) << "shrinking below the count cuts it";
  EXPECT_EQ(SMM_Malloc(a.get(), 0), -1);
  EXPECT_TRUE(!a->data && !a->count);
  EXPECT_EQ(SMM_Malloc(a.get(), 0xFFFFFFFFu), 0) << "beyond 4 GiB of elements";
  EXPECT_EQ(a->capacity, 0u);
}

TEST(Smm, IndexesAreCheckedAndNullArraysRefused) {
  SmmPtr a = with_values({1, 2, 3});
  for (uint32_t bad : {0u, 4u}) {
    EXPECT_EQ(SMM_GetPtr(a.get(), bad), nullptr) << bad;
    EXPECT_EQ(SMM_Swap(a.get(), bad, 1), 0) << bad;
    EXPECT_EQ(SMM_Delete(a.get(), bad, 1), 0) << bad;
  }
  EXPECT_EQ(SMM_Delete(a.get(), 1, 0), 0);
  EXPECT_EQ(SMM_Append(nullptr, 1), 0u);
  EXPECT_EQ(SMM_GetPtr(nullptr, 1), nullptr);
  EXPECT_EQ(SMM_Delete(nullptr, 1, 1), 0);
  SMM_Destroy(nullptr);
  EXPECT_EQ(values(a.get()), (std::vector<int>{1, 2, 3}));
}

TEST(Mbm, AppendInsertAndGrowWithTerminators) {
  MbmPtr b(MBM_Create(0, 0));
  EXPECT_EQ(b->step, 4096u);
  EXPECT_EQ(b->data, nullptr);
  EXPECT_EQ(MBM_Append(b.get(), "abc", 0, 1), -1);
  EXPECT_EQ(b->length, 3u);
  EXPECT_EQ(text(b.get())[3], 0);
  EXPECT_EQ(MBM_Insert(b.get(), 1, "x", 0, 1), -1);
  EXPECT_EQ(b->length, 2u);
  EXPECT_STREQ(text(b.get()), "ax");

  MbmPtr w(MBM_Create(0, 16));
  EXPECT_EQ(MBM_Append(w.get(), L"hi", 0, 2), -1) << "wide length and terminator";
  EXPECT_EQ(w->length, 4u);
  EXPECT_EQ(std::wcscmp(static_cast<const wchar_t *>(w->data), L"hi"), 0);
  EXPECT_EQ(w->capacity, 4u + 2u + 16u);

  MbmPtr f(MBM_Create(10, 0x80000));
  EXPECT_EQ(f->capacity, 10u);
  EXPECT_EQ(MBM_Append(f.get(), "0123456789", 10, 0), -1);
  EXPECT_EQ(f->capacity, 10u) << "exactly full without a terminator";
  EXPECT_EQ(MBM_Append(f.get(), nullptr, 0, 1), -1) << "a terminator alone after a full buffer";
  EXPECT_EQ(f->capacity, 11u + 0x80000u);
  EXPECT_EQ(text(f.get())[10], 0);
  EXPECT_EQ(f->length, 10u);
}

TEST(Mbm, MallocReInitAndRefusals) {
  MbmPtr b(MBM_Create(64, 0));
  MBM_Append(b.get(), "abcdef", 6, 0);
  EXPECT_EQ(MBM_Malloc(b.get(), 4), -1);
  EXPECT_EQ(b->length, 4u);
  EXPECT_EQ(std::memcmp(b->data, "abcd", 4), 0);
  EXPECT_EQ(MBM_Malloc(b.get(), 0), -1);
  EXPECT_EQ(b->data, nullptr);
  MBM_Append(b.get(), "abc", 3, 0);
  MBM_ReInit(b.get());
  EXPECT_TRUE(!b->data && !b->capacity);
  EXPECT_EQ(MBM_Append(b.get(), "z", 1, 1), -1);
  EXPECT_EQ(b->capacity, 2u + 4096u);
  EXPECT_STREQ(text(b.get()), "z");
  EXPECT_EQ(MBM_Append(b.get(), "a", 1, 3), 0) << "terminator width above 2";
  EXPECT_EQ(MBM_Append(b.get(), nullptr, 5, 0), 0);
  EXPECT_EQ(MBM_Append(nullptr, "a", 1, 0), 0);
  EXPECT_EQ(MBM_Insert(b.get(), 0xFFFFFFF0u, "abcdefghijklmnopq", 17, 0), 0) << "beyond 4 GiB";
  EXPECT_STREQ(text(b.get()), "z");
  MBM_Destroy(nullptr);
}

}  // namespace
