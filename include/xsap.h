/* SAP GUI through its scripting interface: the scripting engine, its
 * connections, and screen elements addressed by their scripting ids.
 *
 * Every object (the engine, a connection, a session, any element) is its
 * IDispatch pointer carried as an xComObject; a member returning one hands
 * the caller a reference to release (COM_Release from scripts). A handle of
 * 0, a missing element, an element of the wrong kind or an error raised by
 * the GUI gives the member's failure value (0 or EmptyString) and leaves the
 * result registers alone; the details are in the dispatch layer's per-thread
 * error record and, when switched on, in a message box.
 *
 * The members are the rows below (include/tarvo_members.h explains the
 * columns): export name, kind, member expression, Lua result, arguments.
 * Element ids are the GUI's own, relative to the object given or absolute
 * ("/app/con[0]/ses[0]/wnd[0]/usr/txtNAME"); rows and columns of a grid are
 * the GUI's (rows from 0, columns by name).
 *
 * SAP_View_FirstVisibleRowA assigns the first visible row as the W form does:
 * the row is a number, it has no position of its own to assign. */
#ifndef TARVO_XSAP_H
#define TARVO_XSAP_H

#include "tarvo_members.h"

/* clang-format off */
#define XSAP_MEMBERS(M) \
  M(One, SAP_Create,                  create,  L"Sapgui.ScriptingCtrl.1",                     Lint,  Void) \
  M(One, SAP_GetObject,               moniker, named(L"SAPGUI", L".GetScriptingEngine"),      Lint,  Void) \
                                               /* Gets the scripting engine of the running SAP GUI. */ \
  M(WA,  SAP_OpenConnect,             object,  L".OpenConnection(%S)",                        Lint,  Obj, Text) \
  M(One, SAP_Conn_Close,              call,    L".CloseConnection()",                         NoLua, Obj) \
  M(WA,  SAP_SendCMD,                 call,    L".sendCommand(%S)",                           Lbool, Obj, Text) \
  M(One, SAP_Children,                object,  L".Children(%d)",                              Lint,  Obj, Int) \
  M(WA,  SAP_Exists,                  exists,  L".findById(%S, %b)",                          Lbool, Obj, Text, Fixed(0)) \
  M(WA,  SAP_SetText,                 put,     L".findById(%S).text = %S",                    Lbool, Obj, Text, Text) \
  M(WA,  SAP_GetText,                 text,    L".findById(%S).text",                         Ltext, Obj, Text) \
  M(WA,  SAP_Click,                   call,    L".findById(%S).press()",                      Lbool, Obj, Text) \
  M(WA,  SAP_Select,                  call,    L".findById(%S).select()",                     Lbool, Obj, Text) \
  M(WA,  SAP_SetCheck,                put,     L".findById(%S).selected = %b",                Lbool, Obj, Text, Flag) \
  M(WA,  SAP_GetCheck,                flag,    L".findById(%S).selected",                     Lbool, Obj, Text) \
  M(WA,  SAP_SendKey,                 call,    L".findById(%S).sendVKey(%d)",                 Lbool, Obj, Text, Int) \
  M(WA,  SAP_SetFocus,                call,    L".findById(%S).setFocus()",                   Lbool, Obj, Text) \
  M(WA,  SAP_SetCaretPos,             put,     L".findById(%S).caretPosition = %d",           Lbool, Obj, Text, Int) \
  M(WA,  SAP_CloseWindow,             call,    L".findById(%S).close()",                      Lbool, Obj, Text) \
  M(WA,  SAP_GridView_RowCount,       int,     L".findById(%S).RowCount",                     Lint,  Obj, Text) \
  M(WA,  SAP_GridView_ColCount,       int,     L".findById(%S).ColumnCount",                  Lint,  Obj, Text) \
  M(WA,  SAP_GridView_VisibleRowCount, int,    L".findById(%S).VisibleRowCount",              Lint,  Obj, Text) \
  M(WA,  SAP_GridView_GetCellText,    text,    L".findById(%S).GetCellValue(%d, %S)",         Ltext, Obj, Text, Int, Text) \
  M(WA,  SAP_GridView_GetCellIcon,    text,    L".findById(%S).GetCellIcon(%d, %S)",          Ltext, Obj, Text, Int, Text) \
  M(WA,  SAP_GridView_SelectAll,      call,    L".findById(%S).SelectAll()",                  Lbool, Obj, Text) \
  M(WA,  SAP_GridView_Click,          call,    L".findById(%S).Click(%d, %S)",                Lbool, Obj, Text, Int, Text) \
  M(WA,  SAP_GridView_DoubleClick,    call,    L".findById(%S).DoubleClick(%d, %S)",          Lbool, Obj, Text, Int, Text) \
  M(WA,  SAP_GridView_SetCurrentCell, call,    L".findById(%S).SetCurrentCell(%d, %S)",       Lbool, Obj, Text, Int, Text) \
  M(WA,  SAP_View_PressToolbar,       call,    L".findById(%S).PressToolbarButton(%S)",       Lbool, Obj, Text, Text) \
  M(WA,  SAP_View_PressToolbarCB,     call,    L".findById(%S).PressToolbarContextButton(%S)", Lbool, Obj, Text, Text) \
  M(WA,  SAP_View_SetHScrollBarPos,   put,     L".findById(%S).HorizontalScrollbar.Position = %d", Lbool, Obj, Text, Int) \
  M(WA,  SAP_View_SetVScrollBarPos,   put,     L".findById(%S).VerticalScrollbar.Position = %d",   Lbool, Obj, Text, Int) \
  M(WA,  SAP_View_FirstVisibleRow,    put,     L".findById(%S).firstVisibleRow = %d",         Lbool, Obj, Text, Int)
/* clang-format on */

#ifdef __cplusplus
extern "C" {
#endif

XSAP_MEMBERS(TARVO_MEMBER_DECLARE)

#ifdef __cplusplus
}
#endif
#endif
