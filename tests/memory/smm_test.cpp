// Element arrays: growth, 1-based indexes, insert/delete/swap edges.
#include "xmm.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

struct SmmDeleter {
  void operator()(SMM *a) const { SMM_Destroy(a); }
};
using SmmPtr = std::unique_ptr<SMM, SmmDeleter>;

int &at(SMM *a, uint32_t i) { return *static_cast<int *>(SMM_GetPtr(a, i)); }

SmmPtr with_values(std::initializer_list<int> values) {
  SmmPtr a(SMM_Create(sizeof(int), 0));
  for (int v : values) at(a.get(), SMM_Append(a.get(), 1)) = v;
  return a;
}

TEST(Smm, GrowsInWholeStepsBeyondTheNeed) {
  EXPECT_EQ(SMM_Create(0, 5), nullptr);
  SmmPtr a(SMM_Create(4, 0));
  EXPECT_EQ(a->step, 32u);
  EXPECT_EQ(SMM_Append(a.get(), 1), 1u);
  EXPECT_EQ(a->capacity, 33u);
  void *first = a->data;
  for (uint32_t i = 2; i <= 33; ++i) EXPECT_EQ(SMM_Append(a.get(), 0), i);
  EXPECT_EQ(a->capacity, 33u);
  EXPECT_EQ(a->data, first) << "no reallocation inside a step";
  SMM_Append(a.get(), 1);
  EXPECT_EQ(a->capacity, 66u);
  EXPECT_EQ(SMM_Append(a.get(), 5), 35u) << "index of the first new element";
  EXPECT_EQ(a->count, 39u);
}

std::vector<int> values(SMM *a) {
  std::vector<int> v;
  for (uint32_t i = 1; i <= a->count; ++i) v.push_back(at(a, i));
  return v;
}

TEST(Smm, InsertDeleteAndSwapMoveTheElements) {
  SmmPtr a = with_values({10, 20, 30});
  EXPECT_EQ(SMM_Insert(a.get(), 0, 1), 1u);
  at(a.get(), 1) = 5;
  EXPECT_EQ(values(a.get()), (std::vector<int>{5, 10, 20, 30}));
  EXPECT_EQ(SMM_Insert(a.get(), 99, 2), 5u) << "past the end appends";
  EXPECT_EQ(SMM_Delete(a.get(), 5, 2), -1);
  EXPECT_EQ(SMM_Delete(a.get(), 2, 1), -1);
  EXPECT_EQ(values(a.get()), (std::vector<int>{5, 20, 30}));
  EXPECT_EQ(SMM_Swap(a.get(), 2, 2), -1);
  EXPECT_EQ(SMM_Swap(a.get(), 1, 3), -1);
  EXPECT_EQ(values(a.get()), (std::vector<int>{30, 20, 5}));
  EXPECT_EQ(SMM_Delete(a.get(), 2, 10), -1) << "past the end cuts";
  EXPECT_EQ(values(a.get()), (std::vector<int>{30}));
}

TEST(Smm, IndexesAreCheckedAndNullArraysRefused) {
  SmmPtr a = with_values({1, 2, 3});
  EXPECT_EQ(SMM_GetPtr(a.get(), 0), nullptr);
  EXPECT_EQ(SMM_GetPtr(a.get(), 4), nullptr);
  EXPECT_EQ(SMM_Swap(a.get(), 0, 1), 0);
  EXPECT_EQ(SMM_Swap(a.get(), 1, 4), 0);
  EXPECT_EQ(SMM_Delete(a.get(), 0, 1), 0);
  EXPECT_EQ(SMM_Delete(a.get(), 4, 1), 0);
  EXPECT_EQ(SMM_Delete(a.get(), 1, 0), 0);
  EXPECT_EQ(SMM_Append(nullptr, 1), 0u);
  EXPECT_EQ(SMM_GetPtr(nullptr, 1), nullptr);
  EXPECT_EQ(SMM_Delete(nullptr, 1, 1), 0);
  SMM_Destroy(nullptr);
}

TEST(Smm, MallocSetsTheCapacityExactly) {
  SmmPtr a = with_values({1, 2, 3, 4, 5});
  EXPECT_EQ(SMM_Malloc(a.get(), 100), -1);
  EXPECT_EQ(a->capacity, 100u);
  EXPECT_EQ(a->count, 5u);
  EXPECT_EQ(SMM_Malloc(a.get(), 3), -1);
  EXPECT_EQ(a->count, 3u) << "shrinking below the count cuts it";
  EXPECT_EQ(at(a.get(), 3), 3);
  EXPECT_EQ(SMM_Malloc(a.get(), 0), -1);
  EXPECT_EQ(a->data, nullptr);
  EXPECT_EQ(a->count, 0u);
  EXPECT_EQ(SMM_Malloc(a.get(), 0xFFFFFFFFu), 0) << "beyond 4 GiB of elements";
  EXPECT_EQ(a->capacity, 0u);
}

TEST(Smm, ReInitEmptiesAndKeepsTheShape) {
  SmmPtr a(SMM_Create(16, 7));
  SMM_Append(a.get(), 3);
  SMM_ReInit(a.get());
  EXPECT_EQ(a->data, nullptr);
  EXPECT_EQ(a->capacity, 0u);
  EXPECT_EQ(a->element_size, 16u);
  EXPECT_EQ(a->step, 7u);
  EXPECT_EQ(SMM_Append(a.get(), 1), 1u);
  EXPECT_EQ(a->capacity, 8u);
}

}  // namespace
