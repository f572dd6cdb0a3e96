// Byte buffers: writes at an offset, terminators, growth.
#include "xmm.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace {

struct MbmDeleter {
  void operator()(MBM *b) const { MBM_Destroy(b); }
};
using MbmPtr = std::unique_ptr<MBM, MbmDeleter>;

const char *text(MBM *b) { return static_cast<const char *>(b->data); }

TEST(Mbm, AppendAndOverwriteWithTerminators) {
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
}

TEST(Mbm, InitialCapacityAndStepGrowth) {
  MbmPtr b(MBM_Create(10, 0x80000));
  EXPECT_EQ(b->capacity, 10u);
  char block[11] = "0123456789";
  EXPECT_EQ(MBM_Append(b.get(), block, 10, 0), -1);
  EXPECT_EQ(b->capacity, 10u) << "exactly full without a terminator";
  EXPECT_EQ(MBM_Append(b.get(), nullptr, 0, 1), -1) << "a terminator alone after a full buffer";
  EXPECT_EQ(b->capacity, 11u + 0x80000u);
  EXPECT_EQ(text(b.get())[10], 0);
  EXPECT_EQ(b->length, 10u);
}

TEST(Mbm, MallocShrinksTheLengthAndReInitAllocatesAfresh) {
  MbmPtr b(MBM_Create(64, 0));
  MBM_Append(b.get(), "abcdef", 6, 0);
  EXPECT_EQ(MBM_Malloc(b.get(), 4), -1);
  EXPECT_EQ(b->length, 4u);
  EXPECT_EQ(std::memcmp(b->data, "abcd", 4), 0);
  EXPECT_EQ(MBM_Malloc(b.get(), 0), -1);
  EXPECT_EQ(b->data, nullptr);
  MBM_Append(b.get(), "abc", 3, 0);
  MBM_ReInit(b.get());
  EXPECT_EQ(b->data, nullptr);
  EXPECT_EQ(b->capacity, 0u);
  EXPECT_EQ(MBM_Append(b.get(), "z", 1, 1), -1);
  EXPECT_EQ(b->capacity, 2u + 4096u);
  EXPECT_STREQ(text(b.get()), "z");
}

TEST(Mbm, BadArgumentsAreRefused) {
  MbmPtr b(MBM_Create(0, 0));
  EXPECT_EQ(MBM_Append(b.get(), "a", 1, 3), 0) << "terminator width above 2";
  EXPECT_EQ(MBM_Append(b.get(), nullptr, 5, 0), 0);
  EXPECT_EQ(MBM_Append(nullptr, "a", 1, 0), 0);
  EXPECT_EQ(MBM_Insert(b.get(), 0xFFFFFFF0u, "abcdefghijklmnopq", 17, 0), 0) << "beyond 4 GiB";
  MBM_Destroy(nullptr);
}

}  // namespace
