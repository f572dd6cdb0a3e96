// Every SAP member row against the stand-in's journal in the W form, the A
// form (ANSI text beyond ASCII) and the Lua function; the failure values of
// every member.
#include "sap_fixture.hpp"

namespace saptest {
namespace {

using Row = MemberRow<Objects>;

#define FIND(id) L"get findById(BSTR:" id L")\n"
#define TXT "wnd[0]/usr/txtNAME"
#define GRID "wnd[0]/usr/cntlGRID/shell"

const Row kRows[] = {
    ONE(SAP_Create, "o:obj", L""),
    WA(SAP_OpenConnect, "o:obj", L"get OpenConnection(BSTR:\u00e91)\n", o.engine, kE1),
    Row{"SAP_Conn_Close", [](const Objects &o) { return describe(SAP_Conn_Close(o.connection)); }, nullptr, "n:1",
        L"call CloseConnection()\n", "SAP_CloseConnect(connection)"},
    WA(SAP_SendCMD, "n:1", L"call sendCommand(BSTR:\u00e91)\n", o.session, kE1),
    ONE(SAP_Children, "o:obj", L"get Children(I4:1)\n", o.session, 1),
    WA(SAP_Exists, "n:1", L"get findById(BSTR:" TXT ",BOOL:0)\n", o.session, ASCII("wnd[0]/usr/txtNAME")),
    WA(SAP_SetText, "n:1", FIND(TXT) L"put text()=BSTR:\u00e91\n", o.session, ASCII("wnd[0]/usr/txtNAME"), kE1),
    WA(SAP_GetText, "t:Zo\u00eb", FIND(TXT) L"get text()\n", o.session, ASCII("wnd[0]/usr/txtNAME")),
    WA(SAP_Click, "n:1", FIND("wnd[0]/usr/btnGO") L"call press()\n", o.session, ASCII("wnd[0]/usr/btnGO")),
    WA(SAP_Select, "n:1", FIND("wnd[0]/usr/radB") L"call select()\n", o.session, ASCII("wnd[0]/usr/radB")),
    WA(SAP_SetCheck, "n:1", FIND("wnd[0]/usr/chkDONE") L"put selected()=BOOL:0\n", o.session, ASCII("wnd[0]/usr/chkDONE"), 0),
    WA(SAP_GetCheck, "n:-1", FIND("wnd[0]/usr/chkDONE") L"get selected()\n", o.session, ASCII("wnd[0]/usr/chkDONE")),
    WA(SAP_SendKey, "n:1", FIND("wnd[0]") L"call sendVKey(I4:8)\n", o.session, ASCII("wnd[0]"), 8),
    WA(SAP_SetFocus, "n:1", FIND(TXT) L"call setFocus()\n", o.session, ASCII("wnd[0]/usr/txtNAME")),
    WA(SAP_SetCaretPos, "n:1", FIND(TXT) L"put caretPosition()=I4:2\n", o.session, ASCII("wnd[0]/usr/txtNAME"), 2),
    WA(SAP_CloseWindow, "n:1", FIND("wnd[1]") L"call close()\n", o.session, ASCII("wnd[1]")),
    WA(SAP_GridView_RowCount, "n:1000", FIND(GRID) L"get RowCount()\n", o.session, ASCII("wnd[0]/usr/cntlGRID/shell")),
    WA(SAP_GridView_ColCount, "n:2", FIND(GRID) L"get ColumnCount()\n", o.session, ASCII("wnd[0]/usr/cntlGRID/shell")),
    WA(SAP_GridView_VisibleRowCount, "n:20", FIND(GRID) L"get VisibleRowCount()\n", o.session, ASCII("wnd[0]/usr/cntlGRID/shell")),
    WA(SAP_GridView_GetCellText, "t:Gr\u00f6\u00dfe \u00e9", FIND(GRID) L"get GetCellValue(I4:3,BSTR:MAKTX)\n", o.session, ASCII("wnd[0]/usr/cntlGRID/shell"), 3, ASCII("MAKTX")),
    WA(SAP_GridView_GetCellIcon, "t:@0A@", FIND(GRID) L"get GetCellIcon(I4:2,BSTR:MATNR)\n", o.session, ASCII("wnd[0]/usr/cntlGRID/shell"), 2, ASCII("MATNR")),
    WA(SAP_GridView_SelectAll, "n:1", FIND(GRID) L"call SelectAll()\n", o.session, ASCII("wnd[0]/usr/cntlGRID/shell")),
    WA(SAP_GridView_Click, "n:1", FIND(GRID) L"call Click(I4:5,BSTR:MATNR)\n", o.session, ASCII("wnd[0]/usr/cntlGRID/shell"), 5, ASCII("MATNR")),
    WA(SAP_GridView_DoubleClick, "n:1", FIND(GRID) L"call DoubleClick(I4:5,BSTR:MATNR)\n", o.session, ASCII("wnd[0]/usr/cntlGRID/shell"), 5, ASCII("MATNR")),
    WA(SAP_GridView_SetCurrentCell, "n:1", FIND(GRID) L"call SetCurrentCell(I4:5,BSTR:MAKTX)\n", o.session, ASCII("wnd[0]/usr/cntlGRID/shell"), 5, ASCII("MAKTX")),
    WA(SAP_View_PressToolbar, "n:1", FIND(GRID) L"call PressToolbarButton(BSTR:&MB_EXPORT)\n", o.session, ASCII("wnd[0]/usr/cntlGRID/shell"), ASCII("&MB_EXPORT")),
    WA(SAP_View_PressToolbarCB, "n:1", FIND(GRID) L"call PressToolbarContextButton(BSTR:&MB_VARIANT)\n", o.session, ASCII("wnd[0]/usr/cntlGRID/shell"), ASCII("&MB_VARIANT")),
    WA(SAP_View_SetHScrollBarPos, "n:1", FIND("wnd[0]/usr") L"get HorizontalScrollbar()\nput Position()=I4:7\n", o.session, ASCII("wnd[0]/usr"), 7),
    WA(SAP_View_SetVScrollBarPos, "n:1", FIND("wnd[0]/usr") L"get VerticalScrollbar()\nput Position()=I4:9\n", o.session, ASCII("wnd[0]/usr"), 9),
    // The A form assigns the row as the W form does.
    WA(SAP_View_FirstVisibleRow, "n:1", FIND(GRID) L"put firstVisibleRow()=I4:40\n", o.session, ASCII("wnd[0]/usr/cntlGRID/shell"), 40),
};

using SapMembers = SapTest;

TEST_F(SapMembers, EveryRowInEveryFormAndItsFailureValues) {
  check_member_table(kRows, [&] { return open(); }, control(), script_, {L"raise"});
}

}  // namespace
}  // namespace saptest
