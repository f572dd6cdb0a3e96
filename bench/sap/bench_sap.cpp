// The cost of a SAP member row: SAP_GridView_GetCellTextW over the 1 000 rows
// of a grid and SAP_ClickW against the GetIDsOfNames + Invoke calls a caller
// would write by hand for the same element (findById with the id as a BSTR,
// then the member; a text copied into a string of its own and released), in
// the same run, on the stand-in engine in-process.
#include "com_ref.hpp"
#include "sap_standin.hpp"
#include "standin_server.hpp"
#include "by_hand.hpp"
#include "timing.hpp"
#include "xcore.h"
#include "xsap.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

using tarvo::com::Ref;
using tarvo::com::Variant;
using tarvo::bench::copy_text_by_hand;
using tarvo::bench::invoke_by_hand;

constexpr int kRows = 1000;
constexpr const wchar_t *kGrid = L"wnd[0]/usr/grid";
constexpr const wchar_t *kButton = L"wnd[0]/usr/btnGO";
constexpr const wchar_t *kScreen =
    L"wnd[0] | GuiMainWindow\n"
    L"wnd[0]/usr/btnGO | GuiButton\n"
    L"wnd[0]/usr/grid | GuiGridView | columns=MATNR | rows=1000 | column=MATNR:material {row}\n";

Ref<IDispatch> find_by_hand(IDispatch *session, const wchar_t *id) {
  VARIANT arg;
  arg.vt = VT_BSTR;
  arg.bstrVal = SysAllocString(id);
  Variant element;
  HRESULT hr = invoke_by_hand(session, L"findById", DISPATCH_METHOD | DISPATCH_PROPERTYGET, &arg, 1, element.get());
  SysFreeString(arg.bstrVal);
  if (FAILED(hr) || element->vt != VT_DISPATCH) return {};
  return Ref<IDispatch>::adopt(element.detach().pdispVal);
}

size_t cell_by_hand(IDispatch *session, int row) {
  Ref<IDispatch> grid = find_by_hand(session, kGrid);
  if (!grid) return 0;
  VARIANT args[2];
  args[1].vt = VT_I4;
  args[1].lVal = row;
  args[0].vt = VT_BSTR;
  args[0].bstrVal = SysAllocString(L"MATNR");
  Variant text;
  HRESULT hr = invoke_by_hand(grid.get(), L"GetCellValue", DISPATCH_METHOD | DISPATCH_PROPERTYGET, args, 2, text.get());
  SysFreeString(args[0].bstrVal);
  return FAILED(hr) ? 0 : copy_text_by_hand(*text.get());
}

size_t click_by_hand(IDispatch *session) {
  Ref<IDispatch> button = find_by_hand(session, kButton);
  return button && SUCCEEDED(invoke_by_hand(button.get(), L"press", DISPATCH_METHOD, nullptr, 0, nullptr)) ? 1 : 0;
}

size_t cell_by_row(xComObject session, int row) {
  wchar_t *text = SAP_GridView_GetCellTextW(session, kGrid, row, L"MATNR");
  const size_t n = std::wcslen(text);
  xCore_free(text);
  return n;
}

}  // namespace

int main() {
  Ref<IDispatch> engine = tarvo::bench::load_inproc_server(L"tarvo_sap_standin.dll", standin::sap::kScriptingClsid);
  if (!engine) {
    std::printf("the stand-in DLL could not be loaded\n");
    return 1;
  }
  tarvo::bench::stop_journal(engine.get());
  VARIANT value;
  value.vt = VT_BSTR;
  value.bstrVal = SysAllocString(kScreen);
  invoke_by_hand(engine.get(), L"_Screen", DISPATCH_PROPERTYPUT, &value, 1, nullptr);
  SysFreeString(value.bstrVal);
  const xComObject handle = reinterpret_cast<xComObject>(engine.get());
  const xComObject connection = SAP_OpenConnectW(handle, L"bench");
  const xComObject session = SAP_Children(connection, 0);
  if (!session || cell_by_row(session, 1) != cell_by_hand(reinterpret_cast<IDispatch *>(session), 1)) {
    std::printf("the stand-in engine gave no session\n");
    return 1;
  }
  IDispatch *s = reinterpret_cast<IDispatch *>(session);
  // Many short rounds: each way keeps its fastest, which a busy machine
  // disturbs least.
  // The goal of both: at most 1.15 times the hand-written calls.
  constexpr double kGoal = 1.15;
  int i = 0, j = 0;
  tarvo::bench::compare("in-process GridView_GetCellTextW", 41, kRows, [&] { cell_by_row(session, i), i = (i + 1) % kRows; },
                        [&] { cell_by_hand(s, j), j = (j + 1) % kRows; }, kGoal);
  tarvo::bench::compare("in-process ClickW", 41, kRows, [&] { SAP_ClickW(session, kButton); },
                        [&] { click_by_hand(s); }, kGoal);
  s->Release();
  SAP_Conn_Close(connection);
  reinterpret_cast<IDispatch *>(connection)->Release();
  return 0;
}
