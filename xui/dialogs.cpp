// The common dialogs: open, open several, save, the folder chooser built on
// the open dialog, and the font and colour choosers. Each leaves the
// platform dialog's result in iRet.
#include "forms.hpp"
#include "text_chars.hpp"
#include "xdialog.h"
#include "xui_internal.hpp"

#include <windows.h>
#include <commdlg.h>

#include <cwchar>
#include <memory>
#include <new>
#include <type_traits>

namespace tarvo::xui {
namespace {

constexpr DWORD kPathChars = 32768;
constexpr DWORD kSeveralPathChars = 1048576;
constexpr DWORD kFolderPathChars = 32768;
constexpr DWORD kDialogFlags = 0x81804;  // explorer, file and path must exist, no read-only box
constexpr DWORD kSeveral = 0x200;
constexpr DWORD kFolderFlags = 0x81820;  // explorer, file and path must exist, hook
constexpr int kNameField = 1148;
constexpr int kClearNameCommand = 1184;
constexpr DWORD kShortPath = 260;
constexpr wchar_t kRecordProp[] = L"OPENFILENAME";
constexpr wchar_t kPreviousProcProp[] = L"xuiFolderPreviousProc";

using Buffer = std::unique_ptr<wchar_t[]>;

// Zero-filled.
Buffer new_buffer(size_t chars) { return Buffer(new (std::nothrow) wchar_t[chars]()); }

// "Text|*.txt|All|*.*" as the platform's list: every "|" a terminator, two
// at the end.
Buffer filter_list(const wchar_t *filter) {
  if (!filter) filter = L"All Files(*)|*";
  size_t n = std::wcslen(filter);
  Buffer list = new_buffer(n + 2);
  if (!list) return list;
  for (size_t i = 0; i < n; ++i) list.get()[i] = filter[i] == L'|' ? L'\0' : filter[i];
  return list;
}

// The result buffer holding the initial text, cut to fit.
Buffer path_buffer(const wchar_t *initial, DWORD chars) {
  Buffer b = new_buffer(chars);
  if (b && initial) wcsncpy(b.get(), initial, chars - 1);
  return b;
}

wchar_t *finish(BOOL confirmed, const wchar_t *buffer) {
  xCore.iRet = confirmed;
  return confirmed ? text::copy_units(buffer, std::wcslen(buffer)) : empty_w();
}

// Flags that ask for a dialog template or a hook procedure make the dialog
// read a template from the program's image or call a hook: only the folder
// chooser's own hook is ever supplied, so a caller's such flags are dropped.
DWORD supplied_only(DWORD flags, bool hooked) {
  flags &= ~static_cast<DWORD>(OFN_ENABLETEMPLATE | OFN_ENABLETEMPLATEHANDLE);
  return hooked ? flags : flags & ~static_cast<DWORD>(OFN_ENABLEHOOK);
}

// `hook` set: the folder chooser.
wchar_t *file_dialog(void *owner, const wchar_t *initial, const wchar_t *filter, const wchar_t *title, DWORD flags,
                     DWORD chars, bool save, LPOFNHOOKPROC hook = nullptr) {
  Buffer list = filter_list(filter);
  Buffer buffer = path_buffer(initial, chars);
  if (!list || !buffer) return finish(FALSE, nullptr);
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = static_cast<HWND>(owner);
  ofn.hInstance = GetModuleHandleW(nullptr);
  ofn.lpstrFilter = list.get();
  ofn.lpstrFile = buffer.get();
  ofn.nMaxFile = chars;
  ofn.lpstrInitialDir = buffer.get();
  ofn.lpstrTitle = title;
  ofn.Flags = supplied_only(flags, hook != nullptr);
  ofn.lpfnHook = hook;
  ofn.lCustData = reinterpret_cast<LPARAM>(&ofn);
  BOOL confirmed = save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
  return finish(confirmed, buffer.get());
}

// ---- folder chooser -----------------------------------------------------------

bool is_folder(const wchar_t *path) {
  DWORD a = GetFileAttributesW(path);
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

void forget(HWND dlg) {
  RemovePropW(dlg, kRecordProp);
  RemovePropW(dlg, kPreviousProcProp);
}

// The dialog's own procedure, replaced: OK with an existing folder in the
// name field ends the dialog with that folder; everything else goes on to
// the dialog's procedure.
LRESULT CALLBACK folder_proc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  auto previous = reinterpret_cast<WNDPROC>(GetPropW(dlg, kPreviousProcProp));
  if (msg == WM_COMMAND && LOWORD(wp) == IDOK) {
    wchar_t name[kShortPath + 1] = {};
    GetDlgItemTextW(dlg, kNameField, name, kShortPath + 1);
    if (name[0] && is_folder(name)) {
      auto *ofn = static_cast<OPENFILENAMEW *>(GetPropW(dlg, kRecordProp));
      if (ofn) {
        DWORD room = ofn->nMaxFile < kShortPath + 1 ? ofn->nMaxFile : kShortPath + 1;
        wcsncpy(ofn->lpstrFile, name, room - 1);
        ofn->lpstrFile[room - 1] = L'\0';
      }
      RemovePropW(dlg, kRecordProp);
      EndDialog(dlg, ofn ? 1 : 0);
      // Handed on, the OK would open the folder in the dialog, which then
      // stays open.
      return 0;
    }
  } else if (msg == WM_COMMAND && LOWORD(wp) == kClearNameCommand) {
    SetDlgItemTextW(dlg, kNameField, L"");
  } else if (msg == WM_NCDESTROY) {
    forget(dlg);
  }
  return previous ? CallWindowProcW(previous, dlg, msg, wp, lp) : DefWindowProcW(dlg, msg, wp, lp);
}

// A chosen shortcut names its target's folder without ".lnk".
void show_selection(HWND dlg) {
  wchar_t path[kShortPath + 1] = {};
  LRESULT n = SendMessageW(dlg, CDM_GETFILEPATH, kShortPath, reinterpret_cast<LPARAM>(path));
  if (n <= 0 || n > static_cast<LRESULT>(kShortPath)) path[0] = L'\0';
  size_t len = std::wcslen(path);
  if (len >= 4 && _wcsicmp(path + len - 4, L".lnk") == 0) path[len - 4] = L'\0';
  SetDlgItemTextW(dlg, kNameField, path);
}

UINT_PTR CALLBACK folder_hook(HWND child, UINT msg, WPARAM, LPARAM lp) {
  if (msg != WM_NOTIFY) return 0;
  auto *note = reinterpret_cast<OFNOTIFYW *>(lp);
  HWND dlg = GetParent(child);
  if (note->hdr.code == CDN_INITDONE) {
    SetPropW(dlg, kRecordProp, reinterpret_cast<HANDLE>(note->lpOFN->lCustData));
    LONG_PTR previous = SetWindowLongPtrW(dlg, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(folder_proc));
    SetPropW(dlg, kPreviousProcProp, reinterpret_cast<HANDLE>(previous));
  } else if (note->hdr.code == CDN_SELCHANGE) {
    show_selection(dlg);
  }
  return 0;
}

// ---- font and colour ------------------------------------------------------------

// The chooser's record outlives the call until the thread's next call.
template <class Font>
Font *chosen_font(void *owner) {
  using Choose = std::conditional_t<std::is_same_v<Font, LOGFONTW>, CHOOSEFONTW, CHOOSEFONTA>;
  thread_local Font kept;
  Font font{};
  Choose cf{};
  cf.lStructSize = sizeof cf;
  cf.hwndOwner = static_cast<HWND>(owner);
  cf.lpLogFont = &font;
  cf.Flags = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT | CF_EFFECTS;
  BOOL confirmed;
  if constexpr (std::is_same_v<Font, LOGFONTW>)
    confirmed = ChooseFontW(&cf);
  else
    confirmed = ChooseFontA(&cf);
  xCore.iRet = confirmed;
  if (!confirmed) return nullptr;
  kept = font;
  return &kept;
}

}  // namespace

}  // namespace tarvo::xui

using namespace tarvo::xui;

extern "C" {

wchar_t *xOpenFileDialogW(void *owner, const wchar_t *initial, const wchar_t *filter, const wchar_t *title,
                          uint32_t flags) {
  return file_dialog(owner, initial, filter, title ? title : L"Open file :", flags | kDialogFlags, kPathChars, false);
}

wchar_t *xOpenFilesDialogW(void *owner, const wchar_t *initial, const wchar_t *filter, const wchar_t *title,
                           uint32_t flags) {
  return file_dialog(owner, initial, filter, title ? title : L"Open file :", flags | kDialogFlags | kSeveral,
                     kSeveralPathChars, false);
}

wchar_t *xSaveFileDialogW(void *owner, const wchar_t *initial, const wchar_t *filter, const wchar_t *title,
                          uint32_t flags) {
  return file_dialog(owner, initial, filter, title ? title : L"Save file :", flags | kDialogFlags, kPathChars, true);
}

wchar_t *xSelectFolderDialogW(void *owner, const wchar_t *initial, const wchar_t *title) {
  return file_dialog(owner, initial, L"folder|..", title ? title : L"Select folder :", kFolderFlags, kFolderPathChars,
                     false, folder_hook);
}

char *xOpenFileDialogA(void *owner, const char *initial, const char *filter, const char *title, uint32_t flags) {
  return ansi_form<xOpenFileDialogW>(owner, initial, filter, title, flags);
}

char *xOpenFilesDialogA(void *owner, const char *initial, const char *filter, const char *title, uint32_t flags) {
  return ansi_form<xOpenFilesDialogW>(owner, initial, filter, title, flags);
}

char *xSaveFileDialogA(void *owner, const char *initial, const char *filter, const char *title, uint32_t flags) {
  return ansi_form<xSaveFileDialogW>(owner, initial, filter, title, flags);
}

char *xSelectFolderDialogA(void *owner, const char *initial, const char *title) {
  return ansi_form<xSelectFolderDialogW>(owner, initial, title);
}

LOGFONTW *xSelectFontDialogW(void *owner) { return chosen_font<LOGFONTW>(owner); }
LOGFONTA *xSelectFontDialogA(void *owner) { return chosen_font<LOGFONTA>(owner); }

uint32_t xSelectColorDialog(void *owner, uint32_t initial) {
  thread_local COLORREF custom[16] = {};
  CHOOSECOLORW cc{};
  cc.lStructSize = sizeof cc;
  cc.hwndOwner = static_cast<HWND>(owner);
  cc.rgbResult = initial;
  cc.lpCustColors = custom;
  cc.Flags = CC_RGBINIT | CC_FULLOPEN;
  BOOL confirmed = ChooseColorW(&cc);
  xCore.iRet = confirmed;
  return confirmed ? cc.rgbResult : 0;
}

}  // extern "C"
