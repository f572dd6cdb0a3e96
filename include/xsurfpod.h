/* The companion browser Surfpod.exe: set-up, starting or binding a browser,
 * the window-level commands, page and element operations, and one pass of
 * the watcher that clears its pop-ups.
 *
 * Every browser the library drives is a slot of one process-wide table of
 * SURFPOD_SLOTS instances; the handle is the slot's address. A handle is
 * valid while its slot holds a browser: null, an address that is no slot of
 * the table, a closed, force-closed or released slot, and every handle after
 * a new Surfpod_Setup are invalid and get the failure value (0, -65536 from
 * the element-path and element-script operations, a null text from the page
 * texts). A browser whose window has gone answers like an invalid handle
 * and its texts read as EmptyString; closing, force-closing or releasing it
 * still empties its slot. An emptied slot is free again.
 *
 * Texts are ANSI (the system code page) both ways; text results are library
 * strings released with xCore_free, EmptyString when the browser leaves the
 * window empty or does not answer a read within 60 ms. Commands wait for the
 * browser without a time limit.
 *
 * The show and screenshot loops of the element family give up (result 0)
 * when a pass changes nothing or after SURFPOD_LOOP_PASSES passes. */
#ifndef TARVO_XSURFPOD_H
#define TARVO_XSURFPOD_H

#include "tarvo_api.h"

#ifdef __cplusplus
extern "C" {
#endif

#define SURFPOD_SLOTS 64
#define SURFPOD_LOOP_PASSES 32
/* The status of the element-path and element-script operations for an
 * invalid handle (0 is the browser's success). */
#define SURFPOD_INVALID_STATUS (-65536)

/* The watcher's log: one ANSI text, valid during the call. */
typedef void (*SurfpodLogCallback)(const char *text);

typedef struct SurfpodInstance {
  void *hProcess;     /* the browser's process, owned by the slot */
  uint32_t dwProcessId;
  void *hWndMain;     /* null once closed or released */
  intptr_t hWndBrowser;
  void *hWndData1;
  void *hWndData2;
  void *hWndData3;
  void *hWndData4;
  double LastActive;  /* seconds clock of the last operation */
  SurfpodLogCallback LogCallback;
} SurfpodInstance;

/* Names the companion's folder (null or "": the host program's folder),
 * writes a default Surfpod.ini beside Surfpod.exe when it has none, and
 * starts an empty table (the old one's process handles closed); 1, or 0 when
 * Surfpod.exe is missing (nothing changes then). */
TARVO_API int32_t Surfpod_Setup(const char *dir);
/* Starts Surfpod.exe and waits up to 10 s for it to answer; its handle, or 0
 * (a browser that never answered is left running). */
TARVO_API SurfpodInstance *Surfpod_Create(void);
/* Takes over a running browser by its main window (the same slot for a
 * window already held); its handle, or 0. */
TARVO_API SurfpodInstance *Surfpod_Bind(void *hwnd);
/* Returns 1 while the browser's main window exists, else 0; not counted as use by the idle check. */
TARVO_API int32_t Surfpod_IsRunning(SurfpodInstance *h);
/* Shows the browser window; 1, 0 for an invalid handle. */
TARVO_API int32_t Surfpod_Show(SurfpodInstance *h);
/* Hides the browser window; 1, 0 for an invalid handle. */
TARVO_API int32_t Surfpod_Hide(SurfpodInstance *h);
/* Returns the browser's hidden flag; 0 for an invalid handle. */
TARVO_API int32_t Surfpod_IsHide(SurfpodInstance *h);
/* Asks the browser to close and empties the slot without waiting; 1, 0 for an invalid handle. */
TARVO_API int32_t Surfpod_Close(SurfpodInstance *h);
/* Ends the browser's process and empties the slot; 1, 0 for an invalid handle. */
TARVO_API int32_t Surfpod_ForceClose(SurfpodInstance *h);
/* Force-closes every held browser; the number closed. */
TARVO_API int32_t Surfpod_CloseAll(void);
/* Empties the slot and leaves the browser running; 1, 0 for an invalid handle. */
TARVO_API int32_t Surfpod_Release(SurfpodInstance *h);
/* Releases every held browser; the number released. */
TARVO_API int32_t Surfpod_ReleaseAll(void);
/* Sets the browser window's size; 1, 0 for an invalid handle. */
TARVO_API int32_t Surfpod_SetWinSize(SurfpodInstance *h, int32_t width, int32_t height);
/* Sets the web view's size; 1, 0 for an invalid handle. */
TARVO_API int32_t Surfpod_SetWebSize(SurfpodInstance *h, int32_t width, int32_t height);
/* The browser window's outer size into the outputs that are given; 1 or 0. */
TARVO_API int32_t Surfpod_GetWinSize(SurfpodInstance *h, int32_t *width, int32_t *height);
/* The web view's size into the outputs that are given; 1 or 0. */
TARVO_API int32_t Surfpod_GetWebSize(SurfpodInstance *h, int32_t *width, int32_t *height);
/* The page's size into the outputs that are given; 1 or 0. */
TARVO_API int32_t Surfpod_GetPageSize(SurfpodInstance *h, int32_t *width, int32_t *height);
/* The page's scroll position into the outputs that are given; 1 or 0. */
TARVO_API int32_t Surfpod_GetScroll(SurfpodInstance *h, int32_t *x, int32_t *y);
/* Scrolls the page to (x, y); 1, 0 for an invalid handle. */
TARVO_API int32_t Surfpod_SetScroll(SurfpodInstance *h, int32_t x, int32_t y);
/* Returns the browser window's title; null for an invalid handle. */
TARVO_API char *Surfpod_GetTitle(SurfpodInstance *h);
/* Sets the browser window's title; 1, 0 for an invalid handle. */
TARVO_API int32_t Surfpod_SetTitle(SurfpodInstance *h, const char *text);
/* Hands the two proxy texts to the browser; 1, 0 for an invalid handle. */
TARVO_API int32_t Surfpod_SetupProxy(SurfpodInstance *h, const char *text1, const char *text2);
/* Clears the browser's proxy; 1, 0 for an invalid handle. */
TARVO_API int32_t Surfpod_ClearProxy(SurfpodInstance *h);
/* Opens the browser's developer tools; 1, 0 for an invalid handle. */
TARVO_API int32_t Surfpod_ShowDevTool(SurfpodInstance *h);
/* Returns option `id` (for ids 9 and 10 a library string); 0 for an invalid handle. */
TARVO_API intptr_t Surfpod_GetOpt(SurfpodInstance *h, int32_t id);
/* Sets option `id` (for ids 9 and 10 `value` is an ANSI text); 1, 0 for an invalid handle. */
TARVO_API intptr_t Surfpod_SetOpt(SurfpodInstance *h, int32_t id, intptr_t value);

/* Navigates to `url`; 1, 0 for an invalid handle. */
TARVO_API int32_t Surfpod_GoURL(SurfpodInstance *h, const char *url);
/* Goes back in the history; 1, 0 for an invalid handle. */
TARVO_API int32_t Surfpod_GoBack(SurfpodInstance *h);
/* Goes forward in the history; 1, 0 for an invalid handle. */
TARVO_API int32_t Surfpod_GoForward(SurfpodInstance *h);
/* Goes to the home page; 1, 0 for an invalid handle. */
TARVO_API int32_t Surfpod_GoHome(SurfpodInstance *h);
/* Reloads the page; 1, 0 for an invalid handle. */
TARVO_API int32_t Surfpod_Refresh(SurfpodInstance *h);
/* Stops loading; 1, 0 for an invalid handle. */
TARVO_API int32_t Surfpod_Stop(SurfpodInstance *h);
/* Returns the page's title; null for an invalid handle. */
TARVO_API char *Surfpod_GetWebTitle(SurfpodInstance *h);
/* Returns the page's HTML; null for an invalid handle. */
TARVO_API char *Surfpod_GetHTML(SurfpodInstance *h);
/* Returns the page's URL; null for an invalid handle. */
TARVO_API char *Surfpod_GetURL(SurfpodInstance *h);
/* Returns the location URL; null for an invalid handle. */
TARVO_API char *Surfpod_GetLocationURL(SurfpodInstance *h);
/* Returns the location name; null for an invalid handle. */
TARVO_API char *Surfpod_GetLocationName(SurfpodInstance *h);
/* Loads a page (text 1 in D2, text 2 in D1); the browser's answer, 0 for an invalid handle. */
TARVO_API int32_t Surfpod_LoadPage(SurfpodInstance *h, const char *text1, const char *text2, int32_t number1,
                                   int32_t number2);
/* Waits for a page; the browser's answer, 0 for an invalid handle. */
TARVO_API int32_t Surfpod_WaitPage(SurfpodInstance *h, const char *text, int32_t number1, int32_t number2);
/* Saves the page into `file`; 1, 0 for an invalid handle. */
TARVO_API int32_t Surfpod_SavePage(SurfpodInstance *h, const char *file);
/* Runs a script and returns its text; null for an invalid handle. */
TARVO_API char *Surfpod_RunJS(SurfpodInstance *h, const char *script, int32_t flag);
/* Runs a script without reading a result; 1, 0 for an invalid handle. */
TARVO_API int32_t Surfpod_RunJS_NoRet(SurfpodInstance *h, const char *script, int32_t flag);
/* Returns the cookies for `text`; null for an invalid handle. */
TARVO_API char *Surfpod_GetCookies(SurfpodInstance *h, const char *text);
/* GETs `url` through the browser and returns the body; null for an invalid handle. */
TARVO_API char *Surfpod_HttpGet(SurfpodInstance *h, const char *url);
/* POSTs `data` to `url` through the browser and returns the body; null for an invalid handle. */
TARVO_API char *Surfpod_HttpPost(SurfpodInstance *h, const char *url, const char *data);
/* GETs `url` into `file`; the browser's answer, 0 for an invalid handle. */
TARVO_API int32_t Surfpod_HttpGetFile(SurfpodInstance *h, const char *url, const char *file);
/* POSTs `data` to `url` into `file`; the browser's answer, 0 for an invalid handle. */
TARVO_API int32_t Surfpod_HttpPostFile(SurfpodInstance *h, const char *url, const char *data, const char *file);
/* Saves the page region (x, y, width, height) as an image; 1, 0 for an invalid handle. */
TARVO_API int32_t Surfpod_ScreenShot(SurfpodInstance *h, int32_t x, int32_t y, int32_t width, int32_t height,
                                     const char *file);
/* Saves the whole page as an image; 1, 0 for an invalid handle. */
TARVO_API int32_t Surfpod_ScreenShotFull(SurfpodInstance *h, const char *file);
/* Selects a frame (frames 2 and 3 may be null); 1, 0 for an invalid handle. */
TARVO_API int32_t Surfpod_SetFrame(SurfpodInstance *h, const char *frame1, const char *frame2, const char *frame3,
                                   int32_t number);
/* Goes back to the top document; 1, 0 for an invalid handle. */
TARVO_API int32_t Surfpod_ResetFrame(SurfpodInstance *h);

/* The script that finds the element at `path` into *script and its variable
 * into *variable (each only when asked); the status (0 success). */
TARVO_API int32_t Surfpod_MXPath_GenPath(SurfpodInstance *h, const char *path, const char *variable, char **script,
                                         char **variable_out);
/* The finding script for `path` with a third text into *script (when asked); the status. */
TARVO_API int32_t Surfpod_MXPath_GenPath_UseVar(SurfpodInstance *h, const char *path, const char *variable,
                                                const char *text, char **script);
/* Generates an element script from a template: D4 into *text1, D3 into *text2 (when asked); the status. */
TARVO_API int32_t Surfpod_MXPath_GenEleJS(SurfpodInstance *h, const char *path, const char *script_template,
                                          const char *value, const char *value2, int32_t number1, int32_t number2,
                                          char **text1, char **text2);
/* Runs a template on the element; *text gets the result (EmptyString on a non-zero status); the status. */
TARVO_API int32_t Surfpod_Element_RunJS(SurfpodInstance *h, const char *path, const char *script_template,
                                        const char *value, const char *value2, int32_t mode, char **text);
/* Returns 1 when the element exists, else 0. */
TARVO_API int32_t Surfpod_Element_IsExists(SurfpodInstance *h, const char *path);
/* Clicks the element; the status. */
TARVO_API int32_t Surfpod_Element_Click(SurfpodInstance *h, const char *path);
/* Sets the element's value; the status. */
TARVO_API int32_t Surfpod_Element_SetValue(SurfpodInstance *h, const char *path, const char *value);
/* Returns the element's value; EmptyString on a non-zero status. */
TARVO_API char *Surfpod_Element_GetValue(SurfpodInstance *h, const char *path);
/* Replaces the element's outer HTML; the status. */
TARVO_API int32_t Surfpod_Element_SetOuterHtml(SurfpodInstance *h, const char *path, const char *value);
/* Returns the element's outer HTML; EmptyString on a non-zero status. */
TARVO_API char *Surfpod_Element_GetOuterHtml(SurfpodInstance *h, const char *path);
/* Sets the element's inner HTML; the status. */
TARVO_API int32_t Surfpod_Element_SetInnerHtml(SurfpodInstance *h, const char *path, const char *value);
/* Returns the element's inner HTML; EmptyString on a non-zero status. */
TARVO_API char *Surfpod_Element_GetInnerHtml(SurfpodInstance *h, const char *path);
/* Sets the element's text content; the status. */
TARVO_API int32_t Surfpod_Element_SetText(SurfpodInstance *h, const char *path, const char *value);
/* Returns the element's text content; EmptyString on a non-zero status. */
TARVO_API char *Surfpod_Element_GetText(SurfpodInstance *h, const char *path);
/* Returns the element's outer text; EmptyString on a non-zero status. */
TARVO_API char *Surfpod_Element_GetOuterText(SurfpodInstance *h, const char *path);
/* Returns the element's inner text; EmptyString on a non-zero status. */
TARVO_API char *Surfpod_Element_GetInnerText(SurfpodInstance *h, const char *path);
/* Checks (non-zero flag) or unchecks the element; the status. */
TARVO_API int32_t Surfpod_Element_SetCheck(SurfpodInstance *h, const char *path, int32_t flag);
/* Returns 1 when the element is checked, else 0. */
TARVO_API int32_t Surfpod_Element_GetCheck(SurfpodInstance *h, const char *path);
/* Selects the option at `index` and fires the change handler; the status. */
TARVO_API int32_t Surfpod_Element_SetSelect(SurfpodInstance *h, const char *path, int32_t index);
/* Selects the option whose text is `text`; the status. */
TARVO_API int32_t Surfpod_Element_SetSelectText(SurfpodInstance *h, const char *path, const char *text);
/* Removes the element from its parent; the status. */
TARVO_API int32_t Surfpod_Element_Remove(SurfpodInstance *h, const char *path);
/* Sets the element's attribute `name`; the status. */
TARVO_API int32_t Surfpod_Element_SetAttribute(SurfpodInstance *h, const char *path, const char *name,
                                               const char *value);
/* Returns the element's attribute `name`; EmptyString on a non-zero status. */
TARVO_API char *Surfpod_Element_GetAttribute(SurfpodInstance *h, const char *path, const char *name);
/* The element's rectangle in the view into the outputs that are given; the status. */
TARVO_API int32_t Surfpod_Element_GetRect(SurfpodInstance *h, const char *path, int32_t *left, int32_t *top,
                                          int32_t *right, int32_t *bottom);
/* Returns the number of elements at `path`; 0 on a non-zero status. */
TARVO_API int32_t Surfpod_Element_GetCount(SurfpodInstance *h, const char *path);
/* Scrolls the element into view; 1, or 0 when it cannot be read or brought in. */
TARVO_API int32_t Surfpod_Element_Show(SurfpodInstance *h, const char *path);
/* Saves the element as an image, enlarging the view when needed; the screenshot's result, or 0. */
TARVO_API int32_t Surfpod_Element_ScreenShot(SurfpodInstance *h, const char *path, const char *file);

/* One pass of the watcher: clicks the crash prompt away, releases browsers
 * whose window has gone, force-closes browsers idle longer than `idle_seconds`
 * (0 or less: never) and closes or answers the known pop-ups of every held
 * browser; each action is reported to `log` when given. */
TARVO_API void Surfpod_DeamonProc(int32_t idle_seconds, SurfpodLogCallback log);

#ifdef __cplusplus
}
#endif

#endif
