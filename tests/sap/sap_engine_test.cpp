// The SAP family on the stand-in GUI beyond its member rows: children by
// index, absolute ids, Unicode text, grid reads over many rows, the wrong
// kind of element and missing ids, and the GUI reached through its moniker.
#include "sap_fixture.hpp"

#include "sap_standin.hpp"

#include <string>

namespace saptest {
namespace {

std::wstring id_of(xComObject object) {
  tarvo::com::Bstr id;
  EXPECT_EQ(disp::GetValue(L"%S", id.put(), reinterpret_cast<IDispatch *>(object), L".Id"), S_OK);
  return id.c_str();
}

using SapEngine = SapTest;

TEST_F(SapEngine, ConnectionsAndChildrenByIndexAndAbsoluteIds) {
  xComObject connection = SAP_Children(engine_, 0), window = SAP_Children(o_.session, 1);
  EXPECT_EQ(id_of(connection), id_of(o_.connection));
  const std::wstring session_id = id_of(o_.session);
  EXPECT_EQ(id_of(window), session_id + L"/wnd[1]");
  EXPECT_EQ(SAP_Children(o_.session, 2), 0);
  EXPECT_EQ(SAP_Children(o_.session, -1), 0);
  // An absolute id from any object; a relative one from where it starts.
  EXPECT_EQ(describe(SAP_GetTextW(engine_, (session_id + L"/wnd[0]/usr/txtNAME").c_str())), "t:Zo\u00eb");
  EXPECT_EQ(describe(SAP_GetTextW(window, L"usr/btnYES")), "t:Yes");
  EXPECT_EQ(SAP_OpenConnectW(engine_, L""), 0);
  for (xComObject h : {connection, window}) reinterpret_cast<IDispatch *>(h)->Release();
  EXPECT_EQ(SAP_Conn_Close(o_.connection), 1);
  EXPECT_EQ(describe(SAP_GetTextW(o_.session, L"wnd[0]/usr/txtNAME")), "t:") << "a closed connection answers nothing";
}

TEST_F(SapEngine, UnicodeTextAndGridReadsOverManyRows) {
  const std::wstring unicode = L"Zo\u00eb \u4e2d\u6587 \U0001F600";
  EXPECT_EQ(SAP_SetTextW(o_.session, L"wnd[0]/usr/txtNAME", unicode.c_str()), 1);
  EXPECT_EQ(describe(SAP_GetTextW(o_.session, L"wnd[0]/usr/txtNAME")), "t:" + utf8(unicode));
  EXPECT_EQ(script_.run("T.SAP_SetText(s, 'wnd[0]/usr/txtNAME', '\xc3\xa9\xe4\xb8\xad') "
                        "return T.SAP_GetText(s, 'wnd[0]/usr/txtNAME')"),
            "t:\xc3\xa9\xe4\xb8\xad");
  const wchar_t *grid = L"wnd[0]/usr/cntlGRID/shell";
  for (int32_t row = 0; row < 1000; ++row)
    ASSERT_EQ(describe(SAP_GridView_GetCellTextW(o_.session, grid, row, L"MATNR")), "t:M" + std::to_string(row));
  EXPECT_EQ(SAP_View_FirstVisibleRowW(o_.session, grid, 990), 1);
  EXPECT_EQ(SAP_GridView_VisibleRowCountW(o_.session, grid), 10) << "the last rows only";
}

// Members on an element that lacks them, on ids that are not there and with
// arguments the GUI refuses: the failure value, and nothing done.
TEST_F(SapEngine, WrongKindsMissingIdsAndRefusalsFail) {
  const xComObject s = o_.session;
  const wchar_t *grid = L"wnd[0]/usr/cntlGRID/shell", *field = L"wnd[0]/usr/txtNAME";
  const int32_t failures[] = {
      SAP_ClickW(s, field),
      SAP_SelectW(s, L"wnd[0]/usr/btnGO"),
      SAP_SetCheckW(s, L"wnd[0]/usr/btnGO", 1),
      SAP_SetCaretPosW(s, field, 4),  // past the end of the text
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
      SAP_View_SetHScrollBarPosW(s, L"wnd[0]/usr", 41),
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
  EXPECT_EQ(script_.run("return T.SAP_GetText(s, 'wnd[0]/usr/txtNOPE')"), "t:");
  EXPECT_EQ(events(), L"");
}

// The GUI running on the desktop, reached through the "SAPGUI" moniker.
TEST_F(SapEngine, AttachesToTheRunningGuiThroughItsMoniker) {
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
  EXPECT_EQ(SAP_GetObject(), 0);
  for (HANDLE h : {ready, pi.hProcess, pi.hThread}) CloseHandle(h);
}

}  // namespace
}  // namespace saptest
