// The core record: layout, values after load, the release rule.
#include "alloc_counter.hpp"
#include "xcore.h"
#include "xstring.h"

#include <windows.h>

#include <cstddef>

namespace {

TEST(CoreRecord, FieldsStandAtTheirDocumentedOffsets) {
  struct Expected {
    size_t offset, width;
  };
#define FIELD(name, off, width)                                   \
  EXPECT_EQ(offsetof(xCoreRecord, name), size_t{off}) << #name;   \
  EXPECT_EQ(sizeof(xCoreRecord::name), size_t{width}) << #name;
  FIELD(SuspendProcess, 0, 8)
  FIELD(ResumeProcess, 8, 8)
  FIELD(Stamp, 16, 4)
  FIELD(EmptyString, 24, 8)
  FIELD(GcHeap, 32, 8)
  FIELD(SysBits, 40, 4)
  FIELD(sRet, 48, 8)
  FIELD(iRetSize, 56, 4)
  FIELD(iRet, 60, 4)
  FIELD(iRet64, 64, 8)
  FIELD(dRet, 72, 8)
  FIELD(LastErrorID, 80, 4)
  FIELD(LastError, 88, 8)
  FIELD(SavedKeyboardLayout, 96, 8)
  FIELD(SavedImeContext, 104, 8)
  FIELD(Reserved, 112, 8)
  FIELD(GuiWindow, 120, 8)
  FIELD(AppFile, 128, 8)
  FIELD(AppPath, 136, 8)
  FIELD(ModPath, 144, 8)
  FIELD(malloc, 152, 8)
  FIELD(calloc, 160, 8)
  FIELD(realloc, 168, 8)
  FIELD(free, 176, 8)
  FIELD(GC_Start, 184, 8)
  FIELD(GC_Stop, 192, 8)
  FIELD(GC_Pause, 200, 8)
  FIELD(GC_Resume, 208, 8)
  FIELD(GC_Run, 216, 8)
  FIELD(GC_Add, 224, 8)
  FIELD(GC_Remove, 232, 8)
  FIELD(A2W, 240, 8)
  FIELD(W2A, 248, 8)
  FIELD(U2W, 256, 8)
  FIELD(W2U, 264, 8)
  FIELD(A2U, 272, 8)
  FIELD(U2A, 280, 8)
#undef FIELD
  EXPECT_EQ(sizeof(xCoreRecord), 288u);
}

TEST(CoreRecord, HoldsItsInitialValuesAfterLoad) {
  EXPECT_EQ(xCore.Stamp, 256u);
  ASSERT_NE(xCore.EmptyString, nullptr);
  EXPECT_EQ(xCore.EmptyString[0], 0);
  EXPECT_EQ(reinterpret_cast<const wchar_t *>(xCore.EmptyString)[0], 0) << "also an empty UTF-16 text";
  EXPECT_EQ(xCore.SysBits, 64u);
  EXPECT_EQ(xCore.LastErrorID, 0u);
  EXPECT_EQ(xCore.iRet64, 0);
  EXPECT_EQ(xCore.dRet, 0.0);
  EXPECT_EQ(xCore.LastError, xCore.EmptyString);
  EXPECT_EQ(xCore.Reserved, nullptr);
  EXPECT_EQ(xCore.GcHeap, nullptr);
  EXPECT_EQ(xCore.SuspendProcess, nullptr);
  ASSERT_NE(xCore.AppPath, nullptr);
  EXPECT_STREQ(xCore.AppPath, xCore.ModPath);
  std::string file = xCore.AppFile;
  EXPECT_EQ(file.rfind(xCore.AppPath, 0), 0u) << "AppFile lies in AppPath";
}

TEST(CoreRecord, SlotsPointAtTheExports) {
  HMODULE lib = GetModuleHandleW(L"tarvo.dll");
  ASSERT_NE(lib, nullptr);
  auto exported = [&](const char *name) { return reinterpret_cast<void *>(GetProcAddress(lib, name)); };
  EXPECT_EQ(reinterpret_cast<void *>(xCore.free), exported("xCore_free"));
  EXPECT_EQ(reinterpret_cast<void *>(xCore.A2W), exported("xCore_A2W"));
  EXPECT_EQ(reinterpret_cast<void *>(xCore.W2A), exported("xCore_W2A"));
  EXPECT_EQ(reinterpret_cast<void *>(xCore.U2W), exported("xCore_U2W"));
  EXPECT_EQ(reinterpret_cast<void *>(xCore.W2U), exported("xCore_W2U"));
  EXPECT_EQ(reinterpret_cast<void *>(xCore.A2U), exported("xCore_A2U"));
  EXPECT_EQ(reinterpret_cast<void *>(xCore.U2A), exported("xCore_U2A"));
  EXPECT_EQ(reinterpret_cast<void *>(xCore.GC_Start), exported("xCore_GC_Start"));
  EXPECT_EQ(reinterpret_cast<void *>(xCore.GC_Remove), exported("xCore_GC_Remove"));
  EXPECT_EQ(exported("xCore"), static_cast<void *>(&xCore)) << "the record is exported as data";
}

TEST(CoreRecord, FreeIgnoresEmptyStringAndNull) {
  xCore_free(const_cast<char *>(xCore.EmptyString));
  xCore_free(nullptr);
  EXPECT_EQ(xCore.EmptyString[0], 0);
}

class ResultConvention : public tarvo::test::LeakCheckedTest {};

TEST_F(ResultConvention, NothingToReturnGivesEmptyStringAndSizeZero) {
  xCore.iRetSize = 77;
  EXPECT_EQ(static_cast<const void *>(xCore_A2W("", 0)), xCore.EmptyString);
  EXPECT_EQ(xCore.iRetSize, 0u);
  xCore.iRetSize = 77;
  EXPECT_EQ(static_cast<const void *>(xCore_W2U(nullptr, 0)), xCore.EmptyString);
  EXPECT_EQ(xCore.iRetSize, 0u);
  EXPECT_EQ(counter().allocated(), 0u);
}

TEST_F(ResultConvention, ResultsComeFromTheRecordSlotsAndAreReleased) {
  wchar_t *w = xCore_U2W("abc", 0);
  EXPECT_TRUE(counter().tracks(w));
  char *a = xCore_W2A(w, 0);
  EXPECT_TRUE(counter().tracks(a));
  EXPECT_EQ(counter().live(), 2u);
  xCore_free(a);
  xCore.free(w);
  EXPECT_EQ(counter().live(), 0u);
}

TEST(CoreOps, RandStaysInItsHalfOpenRange) {
  EXPECT_EQ(xCore_Rand(5, 5), 5);
  for (int i = 0; i < 200; ++i) {
    int v = xCore_Rand(10, 0);
    EXPECT_GE(v, 0);
    EXPECT_LT(v, 10);
    EXPECT_EQ(xCore_Rand(1, 2), 1);
    int w = xCore_Rand(-3, 3);
    EXPECT_GE(w, -3);
    EXPECT_LT(w, 3);
  }
  int wide = xCore_Rand(INT32_MIN, INT32_MAX);  // must not overflow the span
  EXPECT_GE(wide, INT32_MIN);
}

TEST(CoreOps, SysBitsIs64OnA64BitSystem) { EXPECT_EQ(xCore_SysBits(), 64); }

TEST(CoreOps, ImeDisableTwiceThenEnableRestores) {
  HWND hwnd = CreateWindowExW(0, L"STATIC", L"ime", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(hwnd, nullptr);
  HKL before = GetKeyboardLayout(0);
  EXPECT_EQ(IME_Disable(hwnd), 1);
  void *saved_layout = xCore.SavedKeyboardLayout;
  EXPECT_EQ(saved_layout, static_cast<void *>(before));
  EXPECT_EQ(IME_Disable(hwnd), 1);
  EXPECT_EQ(xCore.SavedKeyboardLayout, saved_layout) << "a second disable keeps the first saved layout";
  EXPECT_EQ(IME_Enable(hwnd), 1);
  EXPECT_EQ(xCore.SavedKeyboardLayout, nullptr);
  EXPECT_EQ(xCore.SavedImeContext, nullptr);
  EXPECT_EQ(GetKeyboardLayout(0), before);
  DestroyWindow(hwnd);
}

}  // namespace
