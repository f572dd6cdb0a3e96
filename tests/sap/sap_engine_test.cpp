// The SAP family on the stand-in GUI: reaching the engine (created, or
// attached through the "SAPGUI" moniker of a running GUI), connections and
// children by index, each element kind with what it did to the GUI, the
// wrong kind of element, missing ids, grid reads over many rows, and the
// error box.
#include "sap_fixture.hpp"

#include "box_watcher.hpp"
#include "sap_standin.hpp"
#include "xcore.h"

#include <string>

namespace saptest {
namespace {

class SapEngine : public SapTest {
 protected:
  void SetUp() override {
    SapTest::SetUp();
    o_ = Objects::open(engine_);
    events();
  }
  void TearDown() override {
    o_.release();
    SapTest::TearDown();
  }
  std::string text(const wchar_t *id) { return describe(SAP_GetTextW(o_.session, id)); }
  std::wstring id_of(xComObject object) {
    tarvo::com::Bstr id;
    EXPECT_EQ(disp::GetValue(L"%S", id.put(), reinterpret_cast<IDispatch *>(object), L".Id"), S_OK);
    return id.c_str();
  }

  Objects o_;
  Script script_;
};

TEST_F(SapEngine, ConnectionsAndChildrenByIndexAndAbsoluteIds) {
  xComObject connection = SAP_Children(engine_, 0);
  EXPECT_EQ(id_of(connection), id_of(o_.connection));
  xComObject window = SAP_Children(o_.session, 1);
  const std::wstring session_id = id_of(o_.session);
  EXPECT_EQ(id_of(window), session_id + L"/wnd[1]");
  EXPECT_EQ(SAP_Children(o_.session, 2), 0);
  EXPECT_EQ(SAP_Children(o_.session, -1), 0);
  // An absolute id from any object; a relative one from where it starts.
  EXPECT_EQ(describe(SAP_GetTextW(engine_, (session_id + L"/wnd[0]/usr/txtNAME").c_str())), "t:Zo\u00eb");
  EXPECT_EQ(describe(SAP_GetTextW(window, L"usr/btnYES")), "t:Yes");
  EXPECT_EQ(SAP_OpenConnectW(engine_, L""), 0);
  for (xComObject h : {connection, window}) reinterpret_cast<IDispatch *>(h)->Release();
  // A closed connection answers nothing more.
  EXPECT_EQ(SAP_Conn_Close(o_.connection), 1);
  EXPECT_EQ(text(L"wnd[0]/usr/txtNAME"), "t:");
}

TEST_F(SapEngine, ElementsDoWhatTheirMembersSay) {
  const std::wstring unicode = L"Zo\u00eb \u4e2d\u6587 \U0001F600";
  EXPECT_EQ(SAP_SetTextW(o_.session, L"wnd[0]/usr/txtNAME", unicode.c_str()), 1);
  EXPECT_EQ(text(L"wnd[0]/usr/txtNAME"), "t:" + utf8(unicode));
  script_.set("s", o_.session);
  EXPECT_EQ(script_.run("T.SAP_SetText(s, 'wnd[0]/usr/txtNAME', '\xc3\xa9\xe4\xb8\xad') "
                        "return T.SAP_GetText(s, 'wnd[0]/usr/txtNAME')"),
            "t:\xc3\xa9\xe4\xb8\xad");
  EXPECT_EQ(SAP_SetCaretPosW(o_.session, L"wnd[0]/usr/txtNAME", 2), 1);
  EXPECT_EQ(SAP_SetCaretPosW(o_.session, L"wnd[0]/usr/txtNAME", 3), 0);  // past the end of the text
  EXPECT_EQ(SAP_GetCheckW(o_.session, L"wnd[0]/usr/chkDONE"), -1);
  EXPECT_EQ(script_.run("return T.SAP_GetCheck(s, 'wnd[0]/usr/chkDONE')"), "n:1");
  EXPECT_EQ(SAP_SetCheckW(o_.session, L"wnd[0]/usr/chkDONE", 0), 1);
  EXPECT_EQ(SAP_GetCheckW(o_.session, L"wnd[0]/usr/chkDONE"), 0);
  EXPECT_EQ(SAP_SelectW(o_.session, L"wnd[0]/usr/radB"), 1);
  EXPECT_EQ(SAP_GetCheckW(o_.session, L"wnd[0]/usr/radA"), 0);
  EXPECT_EQ(SAP_GetCheckW(o_.session, L"wnd[0]/usr/radB"), -1);
  EXPECT_EQ(SAP_ClickW(o_.session, L"wnd[0]/usr/btnGO"), 1);
  EXPECT_EQ(SAP_SetFocusW(o_.session, L"wnd[0]/usr/txtNAME"), 1);
  EXPECT_EQ(SAP_SendKeyW(o_.session, L"wnd[0]", 0), 1);
  EXPECT_EQ(SAP_SendCMDW(o_.session, L"/nSE16"), 1);
  EXPECT_EQ(SAP_CloseWindowW(o_.session, L"wnd[1]"), 1);
  EXPECT_EQ(SAP_ExistsW(o_.session, L"wnd[1]/usr/btnYES"), 0);
  EXPECT_EQ(events(), L"select wnd[0]/usr/radB\npress wnd[0]/usr/btnGO\nfocus wnd[0]/usr/txtNAME\n"
                      L"vkey wnd[0] 0\ncommand /nSE16\nclose wnd[1]\n");
}

TEST_F(SapEngine, GridsToolbarsAndScrollBars) {
  const wchar_t *grid = L"wnd[0]/usr/cntlGRID/shell";
  for (int32_t row = 0; row < 1000; ++row) {
    ASSERT_EQ(describe(SAP_GridView_GetCellTextW(o_.session, grid, row, L"MATNR")), "t:M" + std::to_string(row));
    if (row == 3) {
      EXPECT_EQ(describe(SAP_GridView_GetCellTextW(o_.session, grid, row, L"MAKTX")), "t:Gr\u00f6\u00dfe \u00e9");
    }
  }
  script_.set("s", o_.session);
  EXPECT_EQ(script_.run("local g, n = 'wnd[0]/usr/cntlGRID/shell', 0 "
                        "for r = 0, T.SAP_GridView_RowCount(s, g) - 1 do "
                        "  if T.SAP_GridView_GetCellText(s, g, r, 'MAKTX') == 'Part ' .. r then n = n + 1 end end "
                        "return n"),
            "n:999");
  EXPECT_EQ(describe(SAP_GridView_GetCellIconW(o_.session, grid, 1, L"MATNR")), "t:");
  EXPECT_EQ(SAP_View_FirstVisibleRowW(o_.session, grid, 990), 1);
  EXPECT_EQ(SAP_GridView_VisibleRowCountW(o_.session, grid), 10);  // the last rows only
  EXPECT_EQ(SAP_View_FirstVisibleRowA(o_.session, "wnd[0]/usr/cntlGRID/shell", 0), 1);
  EXPECT_EQ(SAP_GridView_VisibleRowCountW(o_.session, grid), 20);
  // What the A form was documented to send, a position of the row number,
  // cannot succeed: the row has no members.
  EXPECT_NE(disp::PutValue(reinterpret_cast<IDispatch *>(o_.session), L".findById(%S).firstVisibleRow.Position = %d",
                           grid, 5),
            S_OK);
  EXPECT_EQ(SAP_GridView_ClickW(o_.session, grid, 7, L"MAKTX"), 1);
  EXPECT_EQ(SAP_GridView_SelectAllW(o_.session, grid), 1);
  EXPECT_EQ(SAP_View_PressToolbarW(o_.session, grid, L"&PRINT"), 1);
  EXPECT_EQ(SAP_View_PressToolbarCBW(o_.session, grid, L"&MB_VARIANT"), 1);
  EXPECT_EQ(SAP_View_SetVScrollBarPosW(o_.session, L"wnd[0]/usr", 200), 1);
  EXPECT_EQ(SAP_View_SetHScrollBarPosW(o_.session, L"wnd[0]/usr", 41), 0);  // past the maximum
  EXPECT_EQ(events(), L"click wnd[0]/usr/cntlGRID/shell 7 MAKTX\nselectall wnd[0]/usr/cntlGRID/shell\n"
                      L"toolbar wnd[0]/usr/cntlGRID/shell &PRINT\ncontext wnd[0]/usr/cntlGRID/shell &MB_VARIANT\n"
                      L"vscroll wnd[0]/usr 200\n");
}

// Members on an element that lacks them, on ids that are not there and with
// arguments the GUI refuses: the failure value, and no element kept.
TEST_F(SapEngine, WrongKindsMissingIdsAndRefusalsFail) {
  const xComObject s = o_.session;
  const wchar_t *grid = L"wnd[0]/usr/cntlGRID/shell", *field = L"wnd[0]/usr/txtNAME";
  const int32_t failures[] = {
      SAP_ClickW(s, field),
      SAP_SelectW(s, L"wnd[0]/usr/btnGO"),
      SAP_SetCheckW(s, L"wnd[0]/usr/btnGO", 1),
      SAP_SendKeyW(s, field, 0),
      SAP_SendKeyW(s, L"wnd[0]", 100),
      SAP_SetTextW(s, L"wnd[0]/usr/lblNAME", L"x"),
      SAP_CloseWindowW(s, field),
      SAP_GridView_RowCountW(s, field),
      SAP_GridView_ClickW(s, grid, 1000, L"MATNR"),
      SAP_GridView_SetCurrentCellW(s, grid, 0, L"NOPE"),
      SAP_View_PressToolbarW(s, grid, L"&MB_VARIANT"),
      SAP_View_PressToolbarCBW(s, grid, L"&PRINT"),
      SAP_View_SetHScrollBarPosW(s, grid, 1),
      SAP_View_FirstVisibleRowW(s, grid, 1000),
      SAP_ExistsW(s, L"wnd[0]/usr/txtNOPE"),
      SAP_ExistsW(s, L""),
      SAP_ClickW(s, L"wnd[0]/usr/btnNOPE"),
      SAP_SendCMDW(engine_, L"/n"),
  };
  for (size_t i = 0; i < std::size(failures); ++i) EXPECT_EQ(failures[i], 0) << "case " << i;
  EXPECT_EQ(describe(SAP_GetTextW(s, L"wnd[0]/usr/txtNOPE")), "t:");
  EXPECT_EQ(describe(SAP_GetTextA(s, "wnd[0]/usr/btnGO/x")), "t:");
  EXPECT_EQ(describe(SAP_GridView_GetCellTextW(s, grid, -1, L"MATNR")), "t:");
  EXPECT_EQ(describe(SAP_GridView_GetCellIconW(s, grid, 0, L"nope")), "t:");
  EXPECT_EQ(SAP_ExistsA(s, "wnd[0]/usr/lblNAME"), 1);
  script_.set("s", s);
  EXPECT_EQ(script_.run("return T.SAP_Exists(s, 'wnd[0]/usr/txtNOPE')"), "n:0");
  EXPECT_EQ(script_.run("return T.SAP_GetText(s, 'wnd[0]/usr/txtNOPE')"), "t:");
  EXPECT_EQ(events(), L"");
}

TEST_F(SapEngine, AMessageBoxOnlyWhenSwitchedOn) {
  tarvo::test::BoxWatcher watcher;
  EXPECT_EQ(SAP_ClickW(o_.session, L"wnd[0]/usr/btnNOPE"), 0);
  script_.run("T.COM_ShowError()");
  EXPECT_EQ(SAP_ClickW(o_.session, L"wnd[0]/usr/btnNOPE"), 0);  // returns once the watcher closed the box
  script_.run("T.COM_HideError()");
  watcher.stop();
  EXPECT_EQ(watcher.found(), 1);
  EXPECT_NE(watcher.text().find(L"findById"), std::wstring::npos) << utf8(watcher.text());
}

TEST_F(SapEngine, TheScreenFixtureIsCheckedBeforeItIsUsed) {
  IDispatch *engine = reinterpret_cast<IDispatch *>(engine_);
  for (const wchar_t *bad : {L"wnd[0] | GuiNothing", L"wnd[0]", L"wnd[0] | GuiMainWindow | rows=x",
                             L"wnd[0]//x | GuiButton", L"wnd[0] | GuiGridView | cell=a,B:c"})
    EXPECT_NE(disp::PutValue(engine, L"._Screen = %S", bad), S_OK) << utf8(bad);
  EXPECT_NE(disp::CallMethod(engine, L"._LoadScreen(%S)", L"Z:\\nowhere\\screen.txt"), S_OK);
}

// The GUI running on the desktop, reached through the "SAPGUI" moniker.
TEST_F(SapTest, AttachesToTheRunningGuiThroughItsMoniker) {
  EXPECT_EQ(SAP_GetObject(), 0);  // nothing running yet
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
  Script script;
  EXPECT_EQ(script.run("local e = T.SAP_GetObject() local c = T.SAP_OpenConnect(e, 'remote') "
                       "local s = T.SAP_Children(c, 0) local t = T.SAP_GetText(s, 'wnd[0]/usr/txtNAME') "
                       "T.SAP_CloseConnect(c) T.COM_Release(s) T.COM_Release(c) T.COM_Release(e) return t"),
            "t:Zo\xc3\xab");
  Objects o = Objects::open(engine);
  EXPECT_EQ(SAP_GridView_RowCountA(o.session, "wnd[0]/usr/cntlGRID/shell"), 1000);
  o.release();
  EXPECT_EQ(Control(engine).live(), start) << "an object of the running GUI was left behind";
  remote->Release();

  IDispatch *gui = nullptr;
  ASSERT_EQ(disp::GetObject(standin::sap::kMonikerName, nullptr, &gui), S_OK);
  disp::CallMethod(gui, L"._Quit()");
  gui->Release();
  EXPECT_EQ(WaitForSingleObject(pi.hProcess, 60000), WAIT_OBJECT_0);
  EXPECT_EQ(SAP_GetObject(), 0);
  for (HANDLE h : {ready, pi.hProcess, pi.hThread}) CloseHandle(h);
}

}  // namespace
}  // namespace saptest
