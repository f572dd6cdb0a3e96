// The window operations behind the script's Window_ functions. Handles that
// are not windows give 0, false or the empty text; texts are ANSI on the way
// in (filters) and wide on the way out (library-allocated, released with
// xCore_free).
#pragma once

#include "window_filter.hpp"

namespace tarvo::window {

HWND find_top(uint32_t flags, const char *title, const char *cls, uint32_t style, uint32_t ex_style, uint32_t owner);
HWND find_child(HWND parent, uint32_t flags, const char *title, const char *cls, uint32_t style, uint32_t ex_style);
// Visible windows whose title and class contain the texts.
HWND easy_find(const char *title, const char *cls);
HWND easy_find_child(HWND parent, const char *title, const char *cls);
// Every match, as an array ended by a null handle (library-allocated).
HWND *list_top(uint32_t flags, const char *title, const char *cls, uint32_t style, uint32_t ex_style,
               uint32_t owner);
HWND *list_child(HWND parent, uint32_t flags, const char *title, const char *cls, uint32_t style,
                 uint32_t ex_style);
// Descendants whose class contains cls (null or "" counts every one): the
// n-th of them; the position of `window` among them, or their number when it
// is not one of them.
HWND nth_by_class(HWND parent, const char *cls, int64_t n);
uint32_t position_by_class(HWND parent, const char *cls, HWND window);

wchar_t *title(HWND window);
wchar_t *class_name(HWND window);
bool is_hung(HWND window);
HWND root(HWND window);
uint32_t process_id(HWND window);
uint32_t thread_id(HWND window);
intptr_t close(HWND window);
intptr_t click(HWND window);
bool set_size(HWND window, int32_t width, int32_t height);
bool move(HWND window, int32_t x, int32_t y);
bool top_most(HWND window, int32_t on);
intptr_t send(HWND window, uint32_t message, WPARAM wparam, LPARAM lparam);
bool post(HWND window, uint32_t message, WPARAM wparam, LPARAM lparam);
// A visible "#32770" window of the process (0: any) with the control 65535.
HWND message_box(uint32_t pid);
HWND dialog_item(HWND window, int32_t id);
// Clicks id1, id2 (when non-zero and present) and the cancel button, then
// closes the box. Always 0.
int32_t close_message_box(HWND box, int32_t id1, int32_t id2);

}  // namespace tarvo::window
