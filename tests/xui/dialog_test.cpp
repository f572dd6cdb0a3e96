// Dialogs answered by a watcher thread: each test proves the dialog was
// found (one that fails to open returns like a cancel), then checks its
// result, iRet and that every result was released.
#include "alloc_counter.hpp"
#include "temp_dir.hpp"
#include "watcher.hpp"
#include "xcore.h"
#include "xdialog.h"
#include "xui.h"

#include <windows.h>

#include <string>

namespace {

using tarvo::test::answer;
using tarvo::test::LeakCheckedTest;
using tarvo::test::TempDir;
using tarvo::test::text_field;
using tarvo::test::Watcher;

constexpr const wchar_t *kDialog = L"#32770";

// A wide library result as a string, released.
std::wstring take(wchar_t *p) {
  std::wstring s = p ? p : L"<null>";
  if (p == reinterpret_cast<const wchar_t *>(xCore.EmptyString)) s = L"<empty>";
  xCore_free(p);
  return s;
}

class Dialogs : public LeakCheckedTest {
 protected:
  void SetUp() override {
    LeakCheckedTest::SetUp();
    for (const wchar_t *name : {L"a.txt", L"b.txt", L"c.log"}) CloseHandle(CreateFileW(dir_.file(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    CreateDirectoryW(dir_.file(L"sub").c_str(), nullptr);
  }
  // The folder as the dialogs give it: no trailing backslash.
  std::wstring folder() const { return dir_.path().substr(0, dir_.path().size() - 1); }
  TempDir dir_;
};

TEST_F(Dialogs, FileDialogsConfirmAndCancel) {
  using Dialog = wchar_t *(*)(void *, const wchar_t *, const wchar_t *, const wchar_t *, uint32_t);
  struct Case {
    Dialog dialog;
    const wchar_t *title;  // null: the default title
    const wchar_t *typed;  // null: cancelled
    std::wstring expected;
  } cases[] = {
      {xOpenFileDialogW, L"Pick one", L"a.txt", dir_.file(L"a.txt")},
      {xOpenFileDialogW, nullptr, nullptr, L"<empty>"},
      {xOpenFilesDialogW, L"Pick several", L"\"a.txt\" \"b.txt\"", folder()},
      {xOpenFilesDialogW, L"Pick several", L"\"b.txt\"", dir_.file(L"b.txt")},
      {xSaveFileDialogW, nullptr, L"new.txt", dir_.file(L"new.txt")},
  };
  for (const Case &c : cases) {
    const wchar_t *title = c.title ? c.title : (c.dialog == xSaveFileDialogW ? L"Save file :" : L"Open file :");
    Watcher w(kDialog, title, [&](HWND d) { answer(d, c.typed ? IDOK : IDCANCEL, c.typed ? c.typed : nullptr); });
    xCore.iRet = 99;
    std::wstring got = take(c.dialog(nullptr, dir_.path().c_str(), L"Text|*.txt|All|*.*", c.title, 0));
    ASSERT_TRUE(w.found()) << "dialog " << tarvo::test::utf8(title) << " never appeared";
    EXPECT_EQ(got, c.expected);
    EXPECT_EQ(xCore.iRet != 0, c.typed != nullptr);
  }
}

TEST_F(Dialogs, FolderChooserTakesAnExistingFolder) {
  std::wstring sub = dir_.file(L"sub");
  Watcher w(kDialog, L"Select folder :", [&](HWND d) { answer(d, IDOK, sub.c_str()); });
  EXPECT_EQ(take(xSelectFolderDialogW(nullptr, folder().c_str(), nullptr)), sub);
  ASSERT_TRUE(w.found());
  EXPECT_NE(xCore.iRet, 0);
}

TEST_F(Dialogs, AnsiFormsConvertBothWays) {
  Watcher w(kDialog, L"ansi", [&](HWND d) { answer(d, IDOK, L"a.txt"); });
  std::string dir = tarvo::test::utf8(folder());
  char *got = xOpenFileDialogA(nullptr, (dir + "\\").c_str(), nullptr, "ansi", 0);
  ASSERT_TRUE(w.found());
  EXPECT_EQ(std::string(got), dir + "\\a.txt");
  xCore_free(got);
}

TEST_F(Dialogs, FontAndColourChoosers) {
  {
    Watcher w(kDialog, nullptr, [](HWND d) { answer(d, IDOK); });
    const LOGFONTW *font = xSelectFontDialogW(nullptr);
    ASSERT_TRUE(w.found());
    ASSERT_NE(font, nullptr);
    EXPECT_NE(xCore.iRet, 0);
    EXPECT_NE(font->lfFaceName[0], L'\0') << "the record outlives the call";
  }
  {
    Watcher w(kDialog, nullptr, [](HWND d) { answer(d, IDCANCEL); });
    EXPECT_EQ(xSelectFontDialogA(nullptr), nullptr);
    ASSERT_TRUE(w.found());
    EXPECT_EQ(xCore.iRet, 0);
  }
  for (int command : {IDOK, IDCANCEL}) {
    Watcher w(kDialog, nullptr, [=](HWND d) { answer(d, command); });
    EXPECT_EQ(xSelectColorDialog(nullptr, 0x336699), command == IDOK ? 0x336699u : 0u);
    ASSERT_TRUE(w.found());
    EXPECT_EQ(xCore.iRet != 0, command == IDOK);
  }
}

TEST_F(Dialogs, InputBoxAnswers) {
  constexpr int kOk = 10, kCancel = 11;
  struct Case {
    int command;  // 0: closed
    const wchar_t *typed;
    std::wstring expected;
    int32_t confirmed;
  } cases[] = {
      {kOk, L"h\u00e9llo \u4e2d\u6587", L"h\u00e9llo \u4e2d\u6587", -1},
      {kOk, L"", L"", -1},
      {kCancel, L"ignored", L"<empty>", 0},
      {0, nullptr, L"<empty>", 0},
  };
  for (const Case &c : cases) {
    Watcher w(L"xuiWindowClassW", L"Asked", [&](HWND box) {
      if (c.command) answer(box, c.command, c.typed);
      else PostMessageW(box, WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(take(xInputBoxW(nullptr, L"Prompt", L"Asked", L"default", -1, -1, 0)), c.expected);
    ASSERT_TRUE(w.found());
    EXPECT_EQ(xCore.iRet, c.confirmed);
  }
}

TEST_F(Dialogs, InputBoxPlacesStylesAndFollowsItsOwner) {
  RECT at{};
  LONG style = 0;
  Watcher w(L"xuiWindowClassW", L"narrow", [&](HWND box) {
    GetWindowRect(box, &at);
    style = GetWindowLongW(text_field(box), GWL_STYLE);
    answer(box, 10, L"secret");
  });
  char *got = xInputBoxA(nullptr, "Prompt", "narrow", "", 5, -1, 0x50810000 | ES_PASSWORD);
  ASSERT_TRUE(w.found());
  EXPECT_STREQ(got, "secret");
  xCore_free(got);
  EXPECT_EQ(at.left, 5);
  EXPECT_EQ(at.top, (GetSystemMetrics(SM_CYSCREEN) - 130) / 2);
  EXPECT_TRUE(style & ES_PASSWORD);

  // The owner goes away: the box goes with it and ends unconfirmed.
  HWND owner = static_cast<HWND>(xuiCreatWindowW(nullptr, 0, 0, 100, 100, L"owner", WS_OVERLAPPEDWINDOW, 0, nullptr));
  Watcher gone(L"xuiWindowClassW", L"Owned", [&](HWND) { PostMessageW(owner, WM_CLOSE, 0, 0); });
  EXPECT_EQ(take(xInputBoxW(owner, L"Prompt", L"Owned", L"", -1, -1, 0)), L"<empty>");
  ASSERT_TRUE(gone.found());
  EXPECT_EQ(xCore.iRet, 0);
  EXPECT_FALSE(IsWindow(owner));
}

}  // namespace
