// The cost of a member row: Excel_Sheet_GetCellTextW and SetCellTextW over
// 10 000 cells against the GetIDsOfNames + Invoke calls a caller would write
// by hand for the same cells (range, then its Text or Value, the text copied
// into a string of its own and released), in the same run, in-process and
// across the process boundary.
#include "com_ref.hpp"
#include "standin_server.hpp"
#include "by_hand.hpp"
#include "timing.hpp"
#include "excel_standin.hpp"
#include "xcore.h"
#include "xexcel.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

using tarvo::com::Ref;
using tarvo::com::Variant;

constexpr int kColumns = 100;
int row(int i) { return 1 + i / kColumns; }
int col(int i) { return 1 + i % kColumns; }

using tarvo::bench::copy_text_by_hand;
using tarvo::bench::invoke_by_hand;

Ref<IDispatch> cell_by_hand(IDispatch *sheet, int row, int column) {
  VARIANT args[2];
  args[1].vt = args[0].vt = VT_I4;
  args[1].lVal = row;
  args[0].lVal = column;
  Variant range;
  if (FAILED(invoke_by_hand(sheet, L"Cells", DISPATCH_METHOD | DISPATCH_PROPERTYGET, args, 2, range.get())) ||
      range->vt != VT_DISPATCH)
    return {};
  return Ref<IDispatch>::adopt(range.detach().pdispVal);
}

size_t get_by_hand(IDispatch *sheet, int row, int column) {
  Ref<IDispatch> range = cell_by_hand(sheet, row, column);
  if (!range) return 0;
  Variant text;
  if (FAILED(invoke_by_hand(range.get(), L"Text", DISPATCH_METHOD | DISPATCH_PROPERTYGET, nullptr, 0, text.get())))
    return 0;
  return copy_text_by_hand(*text.get());
}

size_t set_by_hand(IDispatch *sheet, int row, int column, const wchar_t *value) {
  Ref<IDispatch> range = cell_by_hand(sheet, row, column);
  if (!range) return 0;
  VARIANT arg;
  arg.vt = VT_BSTR;
  arg.bstrVal = SysAllocString(value);
  HRESULT hr = invoke_by_hand(range.get(), L"Value", DISPATCH_PROPERTYPUT, &arg, 1, nullptr);
  SysFreeString(arg.bstrVal);
  return SUCCEEDED(hr) ? 1 : 0;
}

size_t get_by_row(IDispatch *sheet, int row, int column) {
  wchar_t *text = Excel_Sheet_GetCellTextW(reinterpret_cast<xComObject>(sheet), row, column);
  const size_t n = std::wcslen(text);
  xCore_free(text);
  return n;
}

size_t set_by_row(IDispatch *sheet, int row, int column, const wchar_t *value) {
  return static_cast<size_t>(Excel_Sheet_SetCellTextW(reinterpret_cast<xComObject>(sheet), row, column, value));
}

// Both rows over `cells` cells of a new book's first sheet; `goal` is the
// largest ratio aimed at (0: none, as across the process boundary).
bool bench_sheet(const char *where, IDispatch *app, int cells, double goal) {
  tarvo::bench::stop_journal(app);
  const xComObject book = Excel_NewBook(reinterpret_cast<xComObject>(app));
  const xComObject sheet_handle = Excel_Book_GetSheet_Index(book, 1);
  if (!sheet_handle) return false;
  IDispatch *sheet = reinterpret_cast<IDispatch *>(sheet_handle);
  for (int i = 0; i < cells; ++i) set_by_hand(sheet, row(i), col(i), L"cell text \u00e9");
  const int rounds = cells > 1000 ? 9 : 3;
  int i = 0, j = 0;
  tarvo::bench::compare((std::string(where) + " SetCellTextW").c_str(), rounds, cells,
                        [&] { set_by_row(sheet, row(i), col(i), L"written \u00e9"), i = (i + 1) % cells; },
                        [&] { set_by_hand(sheet, row(j), col(j), L"written \u00e9"), j = (j + 1) % cells; }, goal);
  tarvo::bench::compare((std::string(where) + " GetCellTextW").c_str(), rounds, cells,
                        [&] { get_by_row(sheet, row(i), col(i)), i = (i + 1) % cells; },
                        [&] { get_by_hand(sheet, row(j), col(j)), j = (j + 1) % cells; }, goal);
  sheet->Release();
  Excel_Book_Close(book, 0);
  reinterpret_cast<IDispatch *>(book)->Release();
  return true;
}

}  // namespace

int main(int argc, char **argv) {
  const bool inproc_only = argc > 1 && std::string(argv[1]) == "--in-process";
  int status = 0;
  {
    Ref<IDispatch> app = tarvo::bench::load_inproc_server(L"tarvo_excel_standin.dll", standin::excel::kExcelClsid);
    // In-process the goal is at most 1.15 times the hand-written calls.
    if (!app || !bench_sheet("in-process", app.get(), 10000, 1.15)) {
      std::printf("in-process: the stand-in DLL could not be loaded\n");
      status = 1;
    }
  }
  if (!inproc_only) {
    Ref<IDispatch> app = tarvo::bench::create_local_server(standin::excel::kExcelClsid, L"tarvo_excel_standin.reg");
    if (!app || !bench_sheet("cross-process", app.get(), 30, 0)) {
      std::printf("cross-process: the local server is not registered or did not start\n");
      status = 1;
    }
    if (app) Excel_Quit(reinterpret_cast<xComObject>(app.get()));
  }
  return status;
}
