// The core record: layout, values after load, the release rule, Rand and the
// input-method switch.
#include "alloc_counter.hpp"
#include "xcore.h"
#include "xstring.h"

#include <windows.h>

#include <cstddef>
#include <string>
#include <utility>

namespace {

TEST(CoreRecord, FieldsStandAtTheirDocumentedOffsets) {
#define AT(name, off) EXPECT_EQ(offsetof(xCoreRecord, name), size_t{off}) << #name;
  AT(SuspendProcess, 0) AT(ResumeProcess, 8) AT(Stamp, 16) AT(EmptyString, 24) AT(GcHeap, 32) AT(SysBits, 40)
  AT(sRet, 48) AT(iRetSize, 56) AT(iRet, 60) AT(iRet64, 64) AT(dRet, 72) AT(LastErrorID, 80) AT(LastError, 88)
  AT(SavedKeyboardLayout, 96) AT(SavedImeContext, 104) AT(Reserved, 112) AT(GuiWindow, 120) AT(AppFile, 128)
  AT(AppPath, 136) AT(ModPath, 144) AT(malloc, 152) AT(calloc, 160) AT(realloc, 168) AT(free, 176)
  AT(GC_Start, 184) AT(GC_Stop, 192) AT(GC_Pause, 200) AT(GC_Resume, 208) AT(GC_Run, 216) AT(GC_Add, 224)
  AT(GC_Remove, 232) AT(A2W, 240) AT(W2A, 248) AT(U2W, 256) AT(W2U, 264) AT(A2U, 272) AT(U2A, 280)
#undef AT
  for (size_t width : {sizeof xCore.Stamp, sizeof xCore.SysBits, sizeof xCore.iRetSize, sizeof xCore.iRet,
                       sizeof xCore.LastErrorID})
    EXPECT_EQ(width, 4u);
  EXPECT_EQ(sizeof(xCoreRecord), 288u);
}

TEST(CoreRecord, HoldsItsInitialValuesAndSlotsAfterLoad) {
  EXPECT_EQ(xCore.Stamp, 256u);
  ASSERT_NE(xCore.EmptyString, nullptr);
  EXPECT_EQ(reinterpret_cast<const wchar_t *>(xCore.EmptyString)[0], 0) << "an empty UTF-16 text too";
  EXPECT_EQ(xCore.SysBits, 64u);
  EXPECT_EQ(xCore_SysBits(), 64);
  EXPECT_EQ(xCore.LastErrorID, 0u);
  EXPECT_EQ(xCore.iRet64, 0);
  EXPECT_EQ(xCore.dRet, 0.0);
  EXPECT_EQ(xCore.LastError, xCore.EmptyString);
  EXPECT_EQ(xCore.Reserved, nullptr);
  EXPECT_EQ(xCore.GcHeap, nullptr);
  EXPECT_STREQ(xCore.AppPath, xCore.ModPath);
  EXPECT_EQ(std::string(xCore.AppFile).rfind(xCore.AppPath, 0), 0u) << "AppFile lies in AppPath";
  HMODULE lib = GetModuleHandleW(L"tarvo.dll");
  auto exported = [&](const char *name) { return reinterpret_cast<void *>(GetProcAddress(lib, name)); };
  const std::pair<void *, const char *> slots[] = {
      {reinterpret_cast<void *>(xCore.free), "xCore_free"}, {reinterpret_cast<void *>(xCore.A2W), "xCore_A2W"},
      {reinterpret_cast<void *>(xCore.W2U), "xCore_W2U"},   {reinterpret_cast<void *>(xCore.U2A), "xCore_U2A"},
      {reinterpret_cast<void *>(xCore.GC_Remove), "xCore_GC_Remove"}, {&xCore, "xCore"}};
  for (const auto &[slot, name] : slots) EXPECT_EQ(slot, exported(name)) << name;
  xCore_free(const_cast<char *>(xCore.EmptyString));
  xCore_free(nullptr);
  EXPECT_EQ(xCore.EmptyString[0], 0) << "freeing EmptyString or null does nothing";
}

class ResultConvention : public tarvo::test::LeakCheckedTest {};

TEST_F(ResultConvention, ResultsComeFromTheRecordSlotsAndAreReleased) {
  wchar_t *w = xCore_U2W("abc", 0);
  EXPECT_TRUE(counter().tracks(w));
  char *a = xCore_W2A(w, 0);
  EXPECT_EQ(counter().live(), 2u);
  xCore_free(a);
  xCore.free(w);
  EXPECT_EQ(counter().live(), 0u);
}

// The full range's span does not fit 32 bits: computed there, it wraps to -1
// and every draw is the low bound.
TEST(CoreOps, RandStaysInItsHalfOpenRangeAndSpansTheFullRange) {
  EXPECT_EQ(xCore_Rand(5, 5), 5);
  bool moved = false;
  for (int i = 0; i < 200; ++i) {
    int v = xCore_Rand(10, 0);
    EXPECT_TRUE(v >= 0 && v < 10) << v;
    EXPECT_EQ(xCore_Rand(1, 2), 1);
    moved |= xCore_Rand(INT32_MIN, INT32_MAX) != INT32_MIN || xCore_Rand(INT32_MAX, INT32_MIN) != INT32_MIN;
  }
  EXPECT_TRUE(moved) << "the widest range draws more than its low bound";
}

TEST(CoreOps, ImeDisableTwiceThenEnableRestores) {
  HWND hwnd = CreateWindowExW(0, L"STATIC", L"ime", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(hwnd, nullptr);
  HKL before = GetKeyboardLayout(0);
  EXPECT_EQ(IME_Disable(hwnd), 1);
  EXPECT_EQ(xCore.SavedKeyboardLayout, static_cast<void *>(before));
  EXPECT_EQ(IME_Disable(hwnd), 1);
  EXPECT_EQ(xCore.SavedKeyboardLayout, static_cast<void *>(before)) << "a second disable keeps the first";
  EXPECT_EQ(IME_Enable(hwnd), 1);
  EXPECT_EQ(xCore.SavedKeyboardLayout, nullptr);
  EXPECT_EQ(xCore.SavedImeContext, nullptr);
  EXPECT_EQ(GetKeyboardLayout(0), before);
  DestroyWindow(hwnd);
}

}  // namespace
