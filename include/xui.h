/* Small native windows without resource files: one window class per
 * character width ("xuiWindowClassW", "xuiWindowClassA"), a shared layer font
 * given to every control, creators for the standard controls and a blocking
 * message loop.
 *
 * A layer window keeps the caller's window procedure in its first extra slot.
 * The procedure sees every message that arrives after creation returned
 * (messages of the creation itself go to default handling only), starting
 * with the init message 0x110 that the creator sends once; its result is
 * ignored and the default window procedure's result is returned in full.
 * Handles are void pointers; a creator returns null on failure. The core
 * initialisation calls xuiInit(0, 0) once, xCoreUnit calls xuiUnit. */
#ifndef TARVO_XUI_H
#define TARVO_XUI_H

#include "tarvo_api.h"

#ifdef __cplusplus
extern "C" {
#endif

/* A standard window procedure. */
typedef intptr_t(__stdcall *xuiWindowProc)(void *hwnd, uint32_t msg, uintptr_t wparam, intptr_t lparam);

#define XUI_INIT_MESSAGE 0x110

/* Registers both classes (window extra bytes = extra_window + 16, class extra
 * bytes = extra_class) after creating the layer font when there is none;
 * 1 when both were registered, else 0 (also when they already are). */
TARVO_API int32_t xuiInit(int32_t extra_window, int32_t extra_class);
/* Deletes the layer font and unregisters both classes. */
TARVO_API void xuiUnit(void);
/* Deletes the current layer font and keeps this one (null: none, controls
 * then get the system font). Passing the current font keeps it. */
TARVO_API void xuiSetFont(void *font);
/* Runs the thread's message loop until xuiStop; the last get result: 0 after
 * the quit message, -1 when getting a message failed. */
TARVO_API int32_t xuiStart(void);
/* Ends the loop that xuiStart runs (posts the quit message). */
TARVO_API void xuiStop(void);

/* A top-level or child layer window with the caller's procedure; null on failure. */
TARVO_API void *xuiCreatWindowW(void *parent, int32_t x, int32_t y, int32_t width, int32_t height,
                                const wchar_t *title, uint32_t style, uint32_t exstyle, xuiWindowProc proc);
TARVO_API void *xuiCreatWindowA(void *parent, int32_t x, int32_t y, int32_t width, int32_t height,
                                const char *title, uint32_t style, uint32_t exstyle, xuiWindowProc proc);
/* A child of any class with the layer font; id 0 keeps the platform's id. */
TARVO_API void *xuiCraetControlW(void *parent, int32_t x, int32_t y, int32_t width, int32_t height,
                                 const wchar_t *class_name, const wchar_t *text, int32_t id, uint32_t style,
                                 uint32_t exstyle);
TARVO_API void *xuiCraetControlA(void *parent, int32_t x, int32_t y, int32_t width, int32_t height,
                                 const char *class_name, const char *text, int32_t id, uint32_t style,
                                 uint32_t exstyle);

#define XUI_TEXT_CONTROL(name)                                                                                   \
  TARVO_API void *xuiCreat##name##W(void *parent, int32_t x, int32_t y, int32_t width, int32_t height,          \
                                    const wchar_t *text, int32_t id);                                          \
  TARVO_API void *xuiCreat##name##A(void *parent, int32_t x, int32_t y, int32_t width, int32_t height,          \
                                    const char *text, int32_t id);
#define XUI_PLAIN_CONTROL(name)                                                                                  \
  TARVO_API void *xuiCreat##name##W(void *parent, int32_t x, int32_t y, int32_t width, int32_t height, int32_t id); \
  TARVO_API void *xuiCreat##name##A(void *parent, int32_t x, int32_t y, int32_t width, int32_t height, int32_t id);

/* Static, Button (flat), Edit (border), Static frame, check box, radio button. */
/* A static text control with the layer font; null on failure. */
XUI_TEXT_CONTROL(Label)
/* A flat push button; null on failure. */
XUI_TEXT_CONTROL(Button)
/* An edit field with a border; null on failure. */
XUI_TEXT_CONTROL(TextBox)
/* A static frame with a caption; null on failure. */
XUI_TEXT_CONTROL(Frame)
/* A check box; null on failure. */
XUI_TEXT_CONTROL(CheckBox)
/* A radio button; null on failure. */
XUI_TEXT_CONTROL(RadioBox)
/* ListBox, ComboBox, Static with a centred bitmap. */
/* A list box; null on failure. */
XUI_PLAIN_CONTROL(ListBox)
/* A combo box; null on failure. */
XUI_PLAIN_CONTROL(ComboBox)
/* A static control showing a centred bitmap; null on failure. */
XUI_PLAIN_CONTROL(ImageBox)
#undef XUI_TEXT_CONTROL
#undef XUI_PLAIN_CONTROL

/* Horizontal when the flag is non-zero, else vertical. */
TARVO_API void *xuiCreatScrollBarW(void *parent, int32_t x, int32_t y, int32_t width, int32_t height,
                                   int32_t horizontal, int32_t id);
TARVO_API void *xuiCreatScrollBarA(void *parent, int32_t x, int32_t y, int32_t width, int32_t height,
                                   int32_t horizontal, int32_t id);

#ifdef __cplusplus
}
#endif
#endif
