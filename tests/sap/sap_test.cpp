// The SAP family against the stand-in scripting engine with the test screen
// (screen.txt): every member row in every form (a failing call raising or an
// unknown member, as a missing id or the wrong kind of element gives), Exists,
// and the GUI running in a process of its own.
#include "member_test.hpp"
#include "sap_standin.hpp"
#include "xsap.h"

#include <string>

namespace saptest {
namespace {

using namespace membertest;

// A connection of its own on the engine, and its session.
struct Objects {
  xComObject engine = 0, connection = 0, session = 0;
  static Objects open(xComObject engine) {
    Objects o{engine, SAP_OpenConnectW(engine, L"TEST")};
    o.session = SAP_Children(o.connection, 0);
    EXPECT_TRUE(o.connection && o.session);
    return o;
  }
  std::vector<std::pair<const char *, xComObject>> globals() const {
    return {{"engine", engine}, {"connection", connection}, {"session", session}};
  }
  void release() {  // closes the connection
    if (connection) SAP_Conn_Close(connection);
    membertest::release({session, connection});
    *this = {};
  }
};

// The probe is an engine with the test screen.
class SapTest : public ApplicationTest<SAP_Create> {
 protected:
  void SetUp() override {
    ApplicationTest::SetUp();
    ASSERT_EQ(disp::CallMethod(dispatch(probe_), L"._LoadScreen(%S)", L"" SAP_SCREEN_FILE), S_OK);
  }
};

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

TEST_F(SapTest, EveryRowInEveryFormAndItsFailureValues) {
  check_member_table(kRows, [&] { return Objects::open(probe_); }, control(), script_, LuaKinds{XSAP_MEMBERS(MEMBERTEST_LUA_KIND)},
                     {L"raise", L"fail"});
  // Exists answers whether an id is there (the rest fails on a missing id as the failing calls above).
  Objects o = Objects::open(probe_);
  for (auto [id, found] : {std::pair{L"wnd[0]/usr/lblNAME", 1}, {L"wnd[0]/usr/txtNOPE", 0}, {L"", 0}})
    EXPECT_EQ(SAP_ExistsW(o.session, id), found) << utf8(id);
  o.release();
}

// The GUI running on the desktop, reached through the "SAPGUI" moniker.
TEST_F(SapTest, AttachesToTheRunningGuiThroughItsMoniker) {
  EXPECT_EQ(SAP_GetObject(), 0) << "nothing running yet";
  const std::wstring event_name = L"tarvo_sap_ready_" + std::to_wstring(GetCurrentProcessId());
  HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, event_name.c_str());
  std::wstring command = L"tarvo_sap_standin_server.exe " + event_name;
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
  HANDLE either[] = {ready, pi.hProcess};
  ASSERT_EQ(WaitForMultipleObjects(2, either, FALSE, 60000), WAIT_OBJECT_0) << "the GUI did not start";
  const xComObject engine = SAP_GetObject();
  ASSERT_NE(engine, 0);
  IDispatch *remote = reinterpret_cast<IDispatch *>(engine);
  EXPECT_EQ(disp::CallMethod(remote, L"._LoadScreen(%S)", L"" SAP_SCREEN_FILE), S_OK);
  const int32_t start = Control(engine).live();
  EXPECT_EQ(script_.run("local e = T.SAP_GetObject() local c = T.SAP_OpenConnect(e, 'remote') "
                        "local s = T.SAP_Children(c, 0) local t = T.SAP_GetText(s, 'wnd[0]/usr/txtNAME') "
                        "T.SAP_CloseConnect(c) T.COM_Release(s) T.COM_Release(c) T.COM_Release(e) return t"),
            "t:Zo\xc3\xab");
  EXPECT_EQ(Control(engine).live(), start) << "an object of the running GUI was left behind";
  remote->Release();
  IDispatch *gui = nullptr;
  ASSERT_EQ(disp::GetObject(standin::sap::kMonikerName, nullptr, &gui), S_OK);
  disp::CallMethod(gui, L"._Quit()");
  gui->Release();
  EXPECT_EQ(WaitForSingleObject(pi.hProcess, 60000), WAIT_OBJECT_0);
  for (HANDLE h : {ready, pi.hProcess, pi.hThread}) CloseHandle(h);
}

}  // namespace
}  // namespace saptest
