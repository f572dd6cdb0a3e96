/* Common dialogs and the input box. Each puts the dialog's confirmation in
 * iRet: the platform dialog's result for the common dialogs (non-zero when
 * confirmed), -1 or 0 for the input box. Texts come back as new strings
 * (released with xCore_free), EmptyString when cancelled.
 *
 * Filters are description|pattern pairs joined by "|"; null gives
 * "All Files(*)" / "*". A null title gives "Open file :", "Save file :" or
 * "Select folder :". An
 * initial text longer than the result buffer is cut to fit. */
#ifndef TARVO_XDIALOG_H
#define TARVO_XDIALOG_H

#include "tarvo_api.h"

#ifdef __cplusplus
extern "C" {
#endif

struct tagLOGFONTW;
struct tagLOGFONTA;

/* The open-file dialog: the chosen file's full path, EmptyString when cancelled. */
TARVO_API wchar_t *xOpenFileDialogW(void *owner, const wchar_t *initial, const wchar_t *filter, const wchar_t *title,
                                    uint32_t flags);
TARVO_API char *xOpenFileDialogA(void *owner, const char *initial, const char *filter, const char *title,
                                 uint32_t flags);
/* With several files chosen the result is their folder alone (the first
 * element of the platform's list); with one, its full path. */
TARVO_API wchar_t *xOpenFilesDialogW(void *owner, const wchar_t *initial, const wchar_t *filter,
                                     const wchar_t *title, uint32_t flags);
TARVO_API char *xOpenFilesDialogA(void *owner, const char *initial, const char *filter, const char *title,
                                  uint32_t flags);
/* The save-file dialog: the chosen full path, EmptyString when cancelled. */
TARVO_API wchar_t *xSaveFileDialogW(void *owner, const wchar_t *initial, const wchar_t *filter, const wchar_t *title,
                                    uint32_t flags);
TARVO_API char *xSaveFileDialogA(void *owner, const char *initial, const char *filter, const char *title,
                                 uint32_t flags);
/* The open dialog listing folders only; confirmed with an existing folder in
 * the name field. */
TARVO_API wchar_t *xSelectFolderDialogW(void *owner, const wchar_t *initial, const wchar_t *title);
TARVO_API char *xSelectFolderDialogA(void *owner, const char *initial, const char *title);
/* The chosen font, or null. The record belongs to the library and stays
 * valid until the next font chooser call of the same thread. */
TARVO_API struct tagLOGFONTW *xSelectFontDialogW(void *owner);
TARVO_API struct tagLOGFONTA *xSelectFontDialogA(void *owner);
/* The chosen colour (0x00BBGGRR), 0 when cancelled (iRet tells a chosen
 * black apart). */
TARVO_API uint32_t xSelectColorDialog(void *owner, uint32_t initial);
/* A 440 x 130 box with a prompt, a text field and OK / Cancel; negative x or y
 * centre it on the screen; a non-zero style replaces the field's window style
 * (for example to mask a password). The entered text, or EmptyString when
 * cancelled, closed, or destroyed with its owner. */
TARVO_API wchar_t *xInputBoxW(void *parent, const wchar_t *prompt, const wchar_t *title, const wchar_t *text,
                              int32_t x, int32_t y, uint32_t style);
TARVO_API char *xInputBoxA(void *parent, const char *prompt, const char *title, const char *text, int32_t x,
                           int32_t y, uint32_t style);

#ifdef __cplusplus
}
#endif
#endif
