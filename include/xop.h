/* The desktop-automation object "op.opsoft": creation (by ProgID or straight
 * from its DLL file without registration), housekeeping, and every
 * operation: running programs, capture, colour, picture and text search,
 * OCR, mouse and keyboard input, and two composite clicks.
 *
 * The handle is the address of an OpObject record owned by the caller and
 * released by OP_ReleaseObject; a handle of 0, or a call the object fails,
 * gives the member's failure value (0, EmptyString, and 1 for OP_CmpColor)
 * and leaves the details in the dispatch layer's per-thread error record.
 * Texts, colours, modes and result strings are the object's own vocabulary,
 * passed through unchanged. */
#ifndef TARVO_XOP_H
#define TARVO_XOP_H

#include "tarvo_members.h"

struct IDispatch;
struct HINSTANCE__;

typedef struct OpObject {
  struct IDispatch *object;    /* the object's dual interface; one reference */
  struct HINSTANCE__ *module;  /* the DLL it came from; null when by ProgID */
} OpObject;

/* What the library asks of the object's DLL when no registration is used. */
#define XOP_PROGID L"op.opsoft"
#define XOP_CLASS L"{12BEC402-A06E-4FAD-A7D4-830F967374C6}"
#define XOP_INTERFACE L"{51E59A6F-85F4-4DA0-A01E-C9B6B3B8B8A7}"

/* A null file name creates the object by ProgID; otherwise the DLL is loaded
 * and asked for the object through its DllGetClassObject. 0 on any failure,
 * with nothing left loaded. */
TARVO_API OpObject *OP_CreateObjectW(const wchar_t *filename);
TARVO_API OpObject *OP_CreateObjectA(const char *filename);
/* Releases the interface, then unloads the DLL, then frees the record; null
 * is ignored. Always -1. */
TARVO_API int32_t OP_ReleaseObject(OpObject *handle);

/* The late-bound members (include/tarvo_members.h explains the columns).
 * Rec(OpObject) is the handle. */
/* clang-format off */
#define XOP_MEMBERS(M) \
  M(WA,  OP_Ver,              text,       L".Ver()",                                      Ltext, Rec(OpObject)) \
  M(WA,  OP_GetBasePath,      text,       L".GetBasePath()",                              Ltext, Rec(OpObject)) \
  M(WA,  OP_GetPath,          text,       L".GetPath()",                                  Ltext, Rec(OpObject)) \
  M(WA,  OP_SetPath,          int,        L".SetPath(%S)",                                Lint,  Rec(OpObject), Text) \
  M(One, OP_SetShowErrorMsg,  int,        L".SetShowErrorMsg(%d)",                        Lint,  Rec(OpObject), Int) \
  M(WA,  OP_BindWindow,       int,        L".BindWindow(%d, %S, %S, %S, %d)",             Lint,  Rec(OpObject), Int, Text, Text, Text, Int) \
  M(One, OP_UnBindWindow,     int,        L".UnBindWindow()",                             NoLua, Rec(OpObject)) \
  M(WA,  OP_RunApp,           int,        L".RunApp(%S, %d)",                             Lint,  Rec(OpObject), Text, Int) \
  M(WA,  OP_WinExec,          int,        L".WinExec(%S, %d)",                            Lint,  Rec(OpObject), Text, Int) \
  M(WA,  OP_GetCmdStr,        text,       L".GetCmdStr(%S, %d)",                          Ltext, Rec(OpObject), Text, Int) \
  M(WA,  OP_SetDisplayInput,  int,        L".SetDisplayInput(%S)",                        Lint,  Rec(OpObject), Text) \
  M(WA,  OP_SetDict,          int,        L".SetDict(%d, %S)",                            Lint,  Rec(OpObject), Int, Text) \
  M(One, OP_UseDict,          int,        L".UseDict(%d)",                                Lint,  Rec(OpObject), Int) \
  M(WA,  OP_Capture,          int,        L".Capture(%d, %d, %d, %d, %S)",                Lint,  Rec(OpObject), Int, Int, Int, Int, Text) \
  M(WA,  OP_CapturePre,       int,        L".CapturePre(%S)",                             Lint,  Rec(OpObject), Text) \
  M(WA,  OP_GetColor,         text,       L".GetColor(%d, %d)",                           Ltext, Rec(OpObject), Int, Int) \
  M(WA,  OP_CmpColor,         int_else_1, L".CmpColor(%d, %d, %S, %e)",                   Lint,  Rec(OpObject), Int, Int, Text, Num) \
  M(WA,  OP_FindColorEx,      text,       L".FindColorEx(%d, %d, %d, %d, %S, %e, %d)",    Ltext, Rec(OpObject), Int, Int, Int, Int, Text, Num, Int) \
  M(WA,  OP_FindMultiColorEx, text,       L".FindMultiColorEx(%d, %d, %d, %d, %S, %S, %e, %d)", Ltext, Rec(OpObject), Int, Int, Int, Int, Text, Text, Num, Int) \
  M(WA,  OP_FindPicEx,        text,       L".FindPicEx(%d, %d, %d, %d, %S, %S, %e, %d)",  Ltext, Rec(OpObject), Int, Int, Int, Int, Text, Text, Num, Int) \
  M(WA,  OP_Ocr,              text,       L".Ocr(%d, %d, %d, %d, %S, %e)",                Ltext, Rec(OpObject), Int, Int, Int, Int, Text, Num) \
  M(WA,  OP_OcrEx,            text,       L".OcrEx(%d, %d, %d, %d, %S, %e)",              Ltext, Rec(OpObject), Int, Int, Int, Int, Text, Num) \
  M(WA,  OP_OcrAuto,          text,       L".OcrAuto(%d, %d, %d, %d, %e)",                Ltext, Rec(OpObject), Int, Int, Int, Int, Num) \
  M(WA,  OP_OcrFromFile,      text,       L".OcrFromFile(%S, %S, %e)",                    Ltext, Rec(OpObject), Text, Text, Num) \
  M(WA,  OP_OcrAutoFromFile,  text,       L".OcrAutoFromFile(%S, %e)",                    Ltext, Rec(OpObject), Text, Num) \
  M(WA,  OP_FindStrEx,        text,       L".FindStrEx(%d, %d, %d, %d, %S, %S, %e)",      Ltext, Rec(OpObject), Int, Int, Int, Int, Text, Text, Num) \
  M(One, OP_MoveTo,           int,        L".MoveTo(%d, %d)",                             Lint,  Rec(OpObject), Int, Int) \
  M(One, OP_MoveR,            int,        L".MoveR(%d, %d)",                              Lint,  Rec(OpObject), Int, Int) \
  M(One, OP_MoveToEx,         int,        L".MoveToEx(%d, %d, %d, %d)",                   Lint,  Rec(OpObject), Int, Int, Int, Int) \
  M(One, OP_LeftClick,        int,        L".LeftClick()",                                Lint,  Rec(OpObject)) \
  M(One, OP_LeftDoubleClick,  int,        L".LeftDoubleClick()",                          Lint,  Rec(OpObject)) \
  M(One, OP_LeftDown,         int,        L".LeftDown()",                                 Lint,  Rec(OpObject)) \
  M(One, OP_LeftUp,           int,        L".LeftUp()",                                   Lint,  Rec(OpObject)) \
  M(One, OP_MiddleClick,      int,        L".MiddleClick()",                              Lint,  Rec(OpObject)) \
  M(One, OP_MiddleDown,       int,        L".MiddleDown()",                               Lint,  Rec(OpObject)) \
  M(One, OP_MiddleUp,         int,        L".MiddleUp()",                                 Lint,  Rec(OpObject)) \
  M(One, OP_RightClick,       int,        L".RightClick()",                               Lint,  Rec(OpObject)) \
  M(One, OP_RightDown,        int,        L".RightDown()",                                Lint,  Rec(OpObject)) \
  M(One, OP_RightUp,          int,        L".RightUp()",                                  Lint,  Rec(OpObject)) \
  M(One, OP_WheelDown,        int,        L".WheelDown()",                                Lint,  Rec(OpObject)) \
  M(One, OP_WheelUp,          int,        L".WheelUp()",                                  Lint,  Rec(OpObject)) \
  M(One, OP_GetKeyState,      int,        L".GetKeyState(%d)",                            Lint,  Rec(OpObject), Int) \
  M(One, OP_KeyPress,         int,        L".KeyPress(%d)",                               Lnone, Rec(OpObject), Int) \
  M(One, OP_KeyDown,          int,        L".KeyDown(%d)",                                Lnone, Rec(OpObject), Int) \
  M(One, OP_KeyUp,            int,        L".KeyUp(%d)",                                  Lnone, Rec(OpObject), Int) \
  M(WA,  OP_KeyPressChar,     int,        L".KeyPressChar(%S)",                           Lnone, Rec(OpObject), Text) \
  M(WA,  OP_KeyDownChar,      int,        L".KeyDownChar(%S)",                            Lnone, Rec(OpObject), Text) \
  M(WA,  OP_KeyUpChar,        int,        L".KeyUpChar(%S)",                              Lnone, Rec(OpObject), Text)

/* The searches with coordinates, called through the object's own function
 * table at the position given (entries counted from 0, IUnknown's and
 * IDispatch's included); an object without that interface (a marshalled
 * one) is asked by name with the expression instead. The exports take two
 * more arguments, int32_t pointers receiving x and y (either may be null;
 * both are set to 0 when the call fails). Lua: result, x, y. */
#define XOP_SEARCHES(S) \
  S(OP_FindColor,      84,  L".FindColor(%d, %d, %d, %d, %S, %e, %d, %v, %v)",          Int, Int, Int, Int, Text, Num, Int) \
  S(OP_FindMultiColor, 86,  L".FindMultiColor(%d, %d, %d, %d, %S, %S, %e, %d, %v, %v)", Int, Int, Int, Int, Text, Text, Num, Int) \
  S(OP_FindPic,        88,  L".FindPic(%d, %d, %d, %d, %S, %S, %e, %d, %v, %v)",        Int, Int, Int, Int, Text, Text, Num, Int) \
  S(OP_FindStr,        107, L".FindStr(%d, %d, %d, %d, %S, %S, %e, %v, %v)",            Int, Int, Int, Int, Text, Text, Num)
/* clang-format on */

#define XOP_SEARCH_DECLARE(name, position, expression, ...)                                              \
  TARVO_API int32_t name##W(XM_PARAMS_W(Rec(OpObject), __VA_ARGS__), int32_t *x, int32_t *y); \
  TARVO_API int32_t name##A(XM_PARAMS_A(Rec(OpObject), __VA_ARGS__), int32_t *x, int32_t *y);

XOP_MEMBERS(TARVO_MEMBER_DECLARE)
XOP_SEARCHES(XOP_SEARCH_DECLARE)

/* .MoveTo(x, y) then .LeftClick(), outcomes not examined. Always -1. */
TARVO_API int32_t OP_LeftClickPoint(OpObject *handle, int32_t x, int32_t y);
/* Clicks the matches of OP_FindStrEx ("|"-separated records whose second and
 * third ","-separated fields are x and y), shifted by the offsets: every
 * match for index -1, else only the match of that 0-based index. Records
 * with fewer than three fields are skipped. Always 0. */
TARVO_API int32_t OP_LeftClickStrW(OpObject *handle, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                                   const wchar_t *text, const wchar_t *color, double sim, int32_t index,
                                   int32_t offsetX, int32_t offsetY);
TARVO_API int32_t OP_LeftClickStrA(OpObject *handle, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                                   const char *text, const char *color, double sim, int32_t index,
                                   int32_t offsetX, int32_t offsetY);

#endif
