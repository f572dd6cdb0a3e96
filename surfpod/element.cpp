// Element paths and element scripts. The companion turns a path into a
// script that binds the element to a variable and fills the templates; the
// library only passes path, template and values and reads the answer. The
// element operations are the element script with fixed templates.
#include "channel.hpp"
#include "instances.hpp"
#include "protocol.hpp"
#include "runtime.hpp"
#include "xtext.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

using namespace tarvo::surfpod;
using tarvo::empty_a;

namespace {

constexpr char kIsExists[] = "xSurfpod_RetVal=1";
constexpr char kClick[] = "{$var}.click();";
constexpr char kSetValue[] = "{$var}.value='{$val}';";
constexpr char kGetValue[] = "xSurfpod_RetVal={$var}.value;";
constexpr char kSetOuterHtml[] = "{$var}.outerHTML='{$val}';";
constexpr char kGetOuterHtml[] = "xSurfpod_RetVal={$var}.outerHTML;";
constexpr char kSetInnerHtml[] = "{$var}.innerHTML='{$val}';";
constexpr char kGetInnerHtml[] = "xSurfpod_RetVal={$var}.innerHTML;";
constexpr char kSetText[] = "{$var}.textContent='{$val}';";
constexpr char kGetText[] = "xSurfpod_RetVal={$var}.textContent;";
constexpr char kGetOuterText[] = "xSurfpod_RetVal={$var}.outerText;";
constexpr char kGetInnerText[] = "xSurfpod_RetVal={$var}.innerText;";
constexpr char kSetCheck[] = "{$var}.checked='{$val}';";
constexpr char kGetCheck[] = "xSurfpod_RetVal={$var}.checked?1:0;";
constexpr char kSetSelect[] = "{$var}.options[%d].selected = true;if({$var}.onchange){{$var}.onchange()};";
constexpr char kSetSelectText[] =
    "function mx_sellisttext(a,d){var c=false;for(var b=0;b<a.options.length;b++){if(a.options[b].text==d){"
    "a.focus();a.options[b].selected=true;if(a.onchange){a.onchange()}a.blur();return true;break}}return false};"
    "mx_sellisttext({$var},'{$val}');";
constexpr char kRemove[] = "{$var}.parentNode.removeChild({$var});";
constexpr char kSetAttribute[] = "{$var}.setAttribute('{$val}','{$val2}');";
constexpr char kGetAttribute[] = "xSurfpod_RetVal={$var}.getAttribute('{$val}');";
constexpr char kRect[] =
    "mx_rect = {$var}.getBoundingClientRect();xSurfpod_RetVal = mx_rect.left.toString() + ',' + "
    "mx_rect.top.toString() + ',' + mx_rect.right.toString() + ',' + mx_rect.bottom.toString();";
constexpr char kCount[] =
    "if(mx_isnull({$var})){xSurfpod_RetVal=0}else{if(mx_isarr({$var})){xSurfpod_RetVal={$var}.length}else{"
    "xSurfpod_RetVal=1}}";

// A template that changes the element: the status.
int32_t act(SurfpodInstance *h, const char *path, const char *script, const char *value = nullptr,
            const char *value2 = nullptr) {
  return Surfpod_Element_RunJS(h, path, script, value, value2, 0, nullptr);
}

// A template that reads a value back: the text, EmptyString on any failure.
char *fetch(SurfpodInstance *h, const char *path, const char *script, const char *value = nullptr) {
  char *text = empty_a();
  Surfpod_Element_RunJS(h, path, script, value, nullptr, 1, &text);
  return text;
}

struct Rect {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(const Rect &) const = default;
};

// The element's rectangle; a text that is no rectangle reads as all zeros.
int32_t read_rect(SurfpodInstance *h, const char *path, Rect &r) {
  r = Rect{};
  return Surfpod_Element_GetRect(h, path, &r.left, &r.top, &r.right, &r.bottom);
}

struct Scrolled {
  bool moved = false;
  int32_t x = 0, y = 0;  // the position first read
};

// Scrolls until the element's top left corner is in view. Gives up when a
// scroll leaves the element where it was (the page cannot scroll there) or
// after the bound of passes.
bool bring_into_view(SurfpodInstance *h, const char *path, Scrolled &scrolled) {
  Rect now, before;
  for (int pass = 0; pass < SURFPOD_LOOP_PASSES; ++pass) {
    if (read_rect(h, path, now) != 0) return false;
    if (now.left >= 0 && now.top >= 0) return true;
    if (pass > 0 && now == before) return false;
    if (!scrolled.moved) scrolled.moved = Surfpod_GetScroll(h, &scrolled.x, &scrolled.y) != 0;
    Surfpod_SetScroll(h, scrolled.x + now.left, scrolled.y + now.top);
    before = now;
  }
  return false;
}

// Enlarges the web view until the element fits; false when the element
// cannot be read or the view stops growing.
bool fit_view(SurfpodInstance *h, const char *path, bool &enlarged) {
  int32_t width = -1, height = -1, last_width = -1, last_height = -1;
  Rect r;
  for (int pass = 0; pass < SURFPOD_LOOP_PASSES; ++pass) {
    if (read_rect(h, path, r) != 0 || !Surfpod_GetWebSize(h, &width, &height)) return false;
    if (width >= r.right && height >= r.bottom) return true;
    if (enlarged && width == last_width && height == last_height) return false;
    exchange(h, kEnlargeWeb, r.right, r.bottom);
    enlarged = true;
    last_width = width;
    last_height = height;
  }
  return false;
}

}  // namespace

extern "C" {

int32_t Surfpod_MXPath_GenPath(SurfpodInstance *h, const char *path, const char *variable, char **script,
                               char **variable_out) {
  auto answer = exchange(h, kPathScript, 0, 0, {{1, path}, {2, variable}, {3, ""}});
  if (!answer) return SURFPOD_INVALID_STATUS;
  if (script) *script = read_data(*h, 4);
  if (variable_out) *variable_out = read_data(*h, 3);
  return static_cast<int32_t>(*answer);
}

int32_t Surfpod_MXPath_GenPath_UseVar(SurfpodInstance *h, const char *path, const char *variable, const char *text,
                                      char **script) {
  auto answer = exchange(h, kPathScript, 0, 0, {{1, path}, {2, variable}, {3, text}});
  if (!answer) return SURFPOD_INVALID_STATUS;
  if (script) *script = read_data(*h, 4);
  return static_cast<int32_t>(*answer);
}

int32_t Surfpod_MXPath_GenEleJS(SurfpodInstance *h, const char *path, const char *script_template, const char *value,
                                const char *value2, int32_t number1, int32_t number2, char **text1, char **text2) {
  auto answer =
      exchange(h, kElementScript, number1, number2, {{1, path}, {2, script_template}, {3, value}, {4, value2}});
  if (!answer) return SURFPOD_INVALID_STATUS;
  if (text1) *text1 = read_data(*h, 4);
  if (text2) *text2 = read_data(*h, 3);
  return static_cast<int32_t>(*answer);
}

int32_t Surfpod_Element_RunJS(SurfpodInstance *h, const char *path, const char *script_template, const char *value,
                              const char *value2, int32_t mode, char **text) {
  auto answer = exchange(h, kRunElement, mode, 0, {{1, path}, {2, script_template}, {3, value}, {4, value2}});
  if (!answer) return SURFPOD_INVALID_STATUS;
  int32_t status = static_cast<int32_t>(*answer);
  if (text) *text = status == 0 ? read_data(*h, 2) : empty_a();
  return status;
}

int32_t Surfpod_Element_IsExists(SurfpodInstance *h, const char *path) {
  HeldText text{fetch(h, path, kIsExists)};
  return std::strcmp(text.text(), "1") == 0 ? 1 : 0;
}

// The templates that take the element alone, a value, or read a text back:
// one row each.
#define SURFPOD_ACTION(name, script) \
  int32_t Surfpod_Element_##name(SurfpodInstance *h, const char *path) { return act(h, path, script); }
#define SURFPOD_SETTER(name, script)                                                            \
  int32_t Surfpod_Element_##name(SurfpodInstance *h, const char *path, const char *value) { \
    return act(h, path, script, value);                                                        \
  }
#define SURFPOD_GETTER(name, script) \
  char *Surfpod_Element_##name(SurfpodInstance *h, const char *path) { return fetch(h, path, script); }

SURFPOD_ACTION(Click, kClick)
SURFPOD_ACTION(Remove, kRemove)
SURFPOD_SETTER(SetValue, kSetValue)
SURFPOD_GETTER(GetValue, kGetValue)
SURFPOD_SETTER(SetOuterHtml, kSetOuterHtml)
SURFPOD_GETTER(GetOuterHtml, kGetOuterHtml)
SURFPOD_SETTER(SetInnerHtml, kSetInnerHtml)
SURFPOD_GETTER(GetInnerHtml, kGetInnerHtml)
SURFPOD_SETTER(SetText, kSetText)
SURFPOD_GETTER(GetText, kGetText)
SURFPOD_GETTER(GetOuterText, kGetOuterText)
SURFPOD_GETTER(GetInnerText, kGetInnerText)
SURFPOD_SETTER(SetSelectText, kSetSelectText)

int32_t Surfpod_Element_SetCheck(SurfpodInstance *h, const char *path, int32_t flag) {
  return act(h, path, kSetCheck, flag ? "true" : "false");
}
// A failed read is the empty text, whose value is 0.
int32_t Surfpod_Element_GetCheck(SurfpodInstance *h, const char *path) {
  HeldText text{fetch(h, path, kGetCheck)};
  return std::atoi(text.text());
}
int32_t Surfpod_Element_SetSelect(SurfpodInstance *h, const char *path, int32_t index) {
  char script[95];
  std::snprintf(script, sizeof script, kSetSelect, index);
  return act(h, path, script);
}
int32_t Surfpod_Element_SetAttribute(SurfpodInstance *h, const char *path, const char *name, const char *value) {
  return act(h, path, kSetAttribute, name, value);
}
char *Surfpod_Element_GetAttribute(SurfpodInstance *h, const char *path, const char *name) {
  return fetch(h, path, kGetAttribute, name);
}

int32_t Surfpod_Element_GetRect(SurfpodInstance *h, const char *path, int32_t *left, int32_t *top, int32_t *right,
                                int32_t *bottom) {
  HeldText text;
  int32_t status = Surfpod_Element_RunJS(h, path, kRect, nullptr, nullptr, 1, &text.p);
  if (status != 0) return status;
  char **pieces = xCore_SplitCharA(text.p, ',', 0);
  size_t n = 0;
  while (pieces[n]) ++n;
  if (n == 4) {
    int32_t *const outputs[] = {left, top, right, bottom};
    for (size_t i = 0; i < 4; ++i)
      if (outputs[i]) *outputs[i] = std::atoi(pieces[i]);
  }
  xCore_free(pieces);
  return 0;
}

int32_t Surfpod_Element_GetCount(SurfpodInstance *h, const char *path) {
  HeldText script, variable;
  if (Surfpod_MXPath_GenPath(h, path, nullptr, &script.p, &variable.p) != 0) return 0;
  HeldText counting{xCore_ReplaceA(kCount, "{$var}", variable.text())};
  Surfpod_RunJS_NoRet(h, script.text(), 1);
  HeldText count{Surfpod_RunJS(h, counting.text(), 0)};
  return std::atoi(count.text());
}

int32_t Surfpod_Element_Show(SurfpodInstance *h, const char *path) {
  Scrolled scrolled;
  return bring_into_view(h, path, scrolled) ? 1 : 0;
}

// The view is put back as it was found, also when the shot could not be taken.
int32_t Surfpod_Element_ScreenShot(SurfpodInstance *h, const char *path, const char *file) {
  Scrolled scrolled;
  bool enlarged = false;
  int32_t result = 0;
  Rect r;
  if (bring_into_view(h, path, scrolled) && fit_view(h, path, enlarged) && read_rect(h, path, r) == 0)
    result = Surfpod_ScreenShot(h, r.left, r.top, r.right - r.left, r.bottom - r.top, file);
  if (enlarged) exchange(h, WM_SIZE, 0, 0);
  if (scrolled.moved) Surfpod_SetScroll(h, scrolled.x, scrolled.y);
  return result;
}

}  // extern "C"
