// Dialogs answered by a watcher thread, in what scripts cannot reach: the A
// forms, the empty result, the box closed or left by its owner, and that
// every result was released. Each case proves the dialog was found.
#include "alloc_counter.hpp"
#include "temp_dir.hpp"
#include "watcher.hpp"
#include "xcore.h"
#include "xdialog.h"
#include "xui.h"

#include <string>

namespace {

using tarvo::test::answer;
using tarvo::test::utf8;
using tarvo::test::Watcher;

constexpr int kClose = 0, kBoxOk = 10;

// A library result as wide text (ASCII in the A forms), released.
template <class C>
std::wstring take(C *p) {
  const bool empty = static_cast<const void *>(p) == xCore.EmptyString;
  std::wstring s = empty ? L"<empty>" : p ? std::wstring(p, p + std::char_traits<C>::length(p)) : L"<null>";
  xCore_free(p);
  return s;
}

class Dialogs : public tarvo::test::LeakCheckedTest {
 protected:
  void SetUp() override {
    LeakCheckedTest::SetUp();
    for (const wchar_t *name : {L"a.txt", L"b.txt"})
      CloseHandle(CreateFileW(dir_.file(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    CreateDirectoryW(dir_.file(L"sub").c_str(), nullptr);
  }
  tarvo::test::TempDir dir_;
  const std::wstring folder_ = dir_.path().substr(0, dir_.path().size() - 1);  // as the dialogs give it
  const std::string folder_a_ = utf8(folder_);
};

TEST_F(Dialogs, AnsweredClosedAndCancelled) {
  const wchar_t *const dir = dir_.path().c_str(), *filter = L"Text|*.txt|All|*.*";
  const struct {
    const wchar_t *cls, *title;
    int command;  // kClose: the window is closed
    std::wstring typed;  // "": nothing typed
    std::function<std::wstring()> call;
    std::wstring expected;
  } cases[] = {
      {L"#32770", L"Pick", IDOK, L"a.txt", [&] { return take(xOpenFileDialogW(nullptr, dir, filter, L"Pick", 0)); },
       dir_.file(L"a.txt")},
      {L"#32770", L"Open file :", IDCANCEL, L"",
       [&] { return take(xOpenFileDialogW(nullptr, dir, filter, nullptr, 0)); }, L"<empty>"},
      {L"#32770", L"One", IDOK, L"\"b.txt\"", [&] { return take(xOpenFilesDialogW(nullptr, dir, filter, L"One", 0)); },
       dir_.file(L"b.txt")},
      {L"#32770", L"ansi", IDOK, L"a.txt",
       [&] { return take(xOpenFileDialogA(nullptr, (folder_a_ + "\\").c_str(), nullptr, "ansi", 0)); },
       dir_.file(L"a.txt")},
      {L"#32770", L"Select folder :", IDOK, dir_.file(L"sub"),
       [&] { return take(xSelectFolderDialogW(nullptr, folder_.c_str(), nullptr)); }, dir_.file(L"sub")},
      {L"#32770", nullptr, IDOK, L"", [] {
         const LOGFONTA *font = xSelectFontDialogA(nullptr);
         return std::wstring(font && font->lfFaceName[0] ? L"a face" : L"none");
       }, L"a face"},
      {L"xuiWindowClassW", L"Asked", kClose, L"",
       [] { return take(xInputBoxW(nullptr, L"Prompt", L"Asked", L"default", -1, -1, 0)); }, L"<empty>"},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(utf8(c.expected));
    Watcher w(c.cls, c.title, [&](HWND d) {
      if (c.command == kClose) PostMessageW(d, WM_CLOSE, 0, 0);
      else answer(d, c.command, c.typed.empty() ? nullptr : c.typed.c_str());
    });
    xCore.iRet = 99;
    const std::wstring got = c.call();
    ASSERT_TRUE(w.found()) << "the dialog never appeared";
    EXPECT_EQ(got, c.expected);
    EXPECT_EQ(xCore.iRet != 0, c.command == IDOK);
  }
}

TEST_F(Dialogs, InputBoxPlacesStylesAndFollowsItsOwner) {
  RECT at{};
  LONG style = 0;
  Watcher w(L"xuiWindowClassW", L"narrow", [&](HWND box) {
    GetWindowRect(box, &at);
    style = GetWindowLongW(tarvo::test::text_field(box), GWL_STYLE);
    answer(box, kBoxOk, L"secret");
  });
  EXPECT_EQ(take(xInputBoxA(nullptr, "Prompt", "narrow", "", 5, -1, 0x50810000 | ES_PASSWORD)), L"secret");
  ASSERT_TRUE(w.found());
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
