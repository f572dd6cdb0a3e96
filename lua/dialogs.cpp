// The message box, the input box and the common dialogs for scripts. Texts
// that a script leaves out reach the dialogs as null, so their own defaults
// apply; none of the dialogs has an owner window.
#include "registry.hpp"
#include "transcode.hpp"
#include "wrap.hpp"
#include "xdialog.h"

#include <windows.h>

namespace tarvo::lua {
namespace {

// An optional text: absent, nil or not text gives null.
struct NullableText {
  static constexpr int kLuaArgs = 1;
  static constexpr bool kRequired = false;
  static constexpr bool kReadsText = true;
  template <class P>
  struct Holder {
    NullableWideArg<kCodePageU> text;
    Holder(lua_State *L, int pos) : text(present(L, pos) ? api.lua_tolstring(L, pos, nullptr) : nullptr) {}
    P get() const { return text.get(); }
  };
};

int32_t message_box(const wchar_t *text, const wchar_t *title, uint32_t type) {
  return MessageBoxW(nullptr, text, title, type);
}

wchar_t *input_box(const wchar_t *prompt, const wchar_t *title, const wchar_t *text, int32_t x, int32_t y,
                   uint32_t style) {
  return xInputBoxW(nullptr, prompt, title, text, x, y, style);
}

template <auto Dialog>
wchar_t *file_dialog(const wchar_t *initial, const wchar_t *filter, const wchar_t *title, uint32_t flags) {
  return Dialog(nullptr, initial, filter, title, flags);
}

wchar_t *folder_dialog(const wchar_t *initial, const wchar_t *title) {
  return xSelectFolderDialogW(nullptr, initial, title);
}

uint32_t color_dialog(uint32_t initial) { return xSelectColorDialog(nullptr, initial); }

// The chosen font as a record, nil when cancelled. The dialog's record is the
// library's, and the face name is converted into a local array, so nothing is
// held while the table is made and filled.
int font_dialog(lua_State *L) {
  if (!count_ok(L, 0, 0)) return param_count_error(L);
  const LOGFONTW *f = xSelectFontDialogW(nullptr);
  if (!f) {
    api.lua_pushnil(L);
    return 1;
  }
  char face[LF_FACESIZE * 3 + 1] = {};
  tarvo::wide_to_multibyte(CP_UTF8, 0, f->lfFaceName, -1, face, sizeof face - 1, nullptr, nullptr);
  push_new_table_or_raise(L, TableKind::Record);
  TableWriter t(L);
  t.set("Height", f->lfHeight);
  t.set("Width", f->lfWidth);
  t.set("Escapement", f->lfEscapement);
  t.set("Orientation", f->lfOrientation);
  t.set("Weight", f->lfWeight);
  t.set("Italic", f->lfItalic != 0);
  t.set("Underline", f->lfUnderline != 0);
  t.set("StrikeOut", f->lfStrikeOut != 0);
  t.set("CharSet", f->lfCharSet);
  t.set("OutPrecision", f->lfOutPrecision);
  t.set("ClipPrecision", f->lfClipPrecision);
  t.set("Quality", f->lfQuality);
  t.set("PitchAndFamily", f->lfPitchAndFamily);
  t.set("FaceName", static_cast<const char *>(face));
  return 1;
}

const luaL_Reg kDialogFunctions[] = {
    // A message box with no owner; the button pressed (IDOK 1, IDCANCEL 2, ...).
    {"MsgBox", wrap<message_box, Ret::Integer, Text, TextOr<"Tarvo">, IntOr<64>>},
    {"InputBox", wrap<input_box, Ret::Text, TextOr<"请输入：">, TextOr<"Tarvo">, TextOr<"">, IntOr<-1>, IntOr<-1>,
                      IntOr<0>>},
    {"OpenFileDialog",
     wrap<file_dialog<xOpenFileDialogW>, Ret::Text, NullableText, NullableText, NullableText, IntOr<0>>},
    {"OpenFilesDialog",
     wrap<file_dialog<xOpenFilesDialogW>, Ret::Text, NullableText, NullableText, NullableText, IntOr<0>>},
    {"SaveFileDialog",
     wrap<file_dialog<xSaveFileDialogW>, Ret::Text, NullableText, NullableText, NullableText, IntOr<0>>},
    {"SelectFolderDialog", wrap<folder_dialog, Ret::Text, NullableText, NullableText>},
    // SelectFontDialog(): the chosen font as a record table; nil when cancelled.
    {"SelectFontDialog", font_dialog},
    {"SelectColorDialog", wrap<color_dialog, Ret::Integer, IntOr<0>>},
};

const LuaFamily dialogs_family(kDialogFunctions);

}  // namespace
}  // namespace tarvo::lua
