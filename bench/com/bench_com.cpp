// The cost of a member expression: GetValue(".Cells(%d, %d).Value") against
// the two GetIDsOfNames + Invoke pairs a caller would write by hand, measured
// in the same run, in-process and across the process boundary.
#include "by_hand.hpp"
#include "com_ref.hpp"
#include "standin_server.hpp"
#include "disphelper.h"
#include "test_model.hpp"
#include "timing.hpp"

#include <cstdio>
#include <string>

namespace {

using tarvo::com::Ref;
using tarvo::com::Variant;
namespace disp = tarvo::disp;

int by_expression(IDispatch *sheet, int row, int column) {
  int32_t value = 0;
  disp::GetValue(L"%d", &value, sheet, L".Cells(%d, %d).Value", row, column);
  return value;
}

// What the expression stands for, written out.
int by_hand(IDispatch *sheet, int row, int column) {
  constexpr WORD kGet = DISPATCH_METHOD | DISPATCH_PROPERTYGET;
  VARIANT args[2];
  args[1].vt = args[0].vt = VT_I4;
  args[1].lVal = row;
  args[0].lVal = column;
  Variant range, result;
  if (FAILED(tarvo::bench::invoke_by_hand(sheet, L"Cells", kGet, args, 2, range.get())) || range->vt != VT_DISPATCH ||
      FAILED(tarvo::bench::invoke_by_hand(range->pdispVal, L"Value", kGet, nullptr, 0, result.get())))
    return 0;
  if (result->vt != VT_I4 && FAILED(VariantChangeType(result.get(), result.get(), VARIANT_LOCALBOOL, VT_I4)))
    return 0;
  return result->lVal;
}

void fill(IDispatch *sheet) {
  for (int r = 1; r <= 8; ++r)
    for (int c = 1; c <= 4; ++c) disp::PutValue(sheet, L".Cells(%d, %d).Value = %d", r, c, r * 10 + c);
}

bool bench_application(const char *label, IDispatch *app, int calls) {
  Ref<IDispatch> sheet;
  if (FAILED(disp::GetValue(L"%o", sheet.put(), app, L".Workbooks(%d).Sheets(%d)", 1, 1))) return false;
  fill(sheet.get());
  IDispatch *cells = sheet.get();
  int i = 0, j = 0;
  tarvo::bench::compare(label, 7, calls, [&] { by_expression(cells, 1 + i % 8, 1 + i % 4), ++i; },
                        [&] { by_hand(cells, 1 + j % 8, 1 + j % 4), ++j; });
  return true;
}

}  // namespace

int main(int argc, char **argv) {
  const bool inproc_only = argc > 1 && std::string(argv[1]) == "--in-process";
  if (FAILED(CoInitialize(nullptr))) return 1;
  int status = 0;
  {
    Ref<IDispatch> app = tarvo::bench::load_inproc_server(L"tarvo_test_automation.dll", standin::test_model::kInprocClsid);
    if (!app || !bench_application("in-process", app.get(), 100000)) {
      std::printf("in-process: the stand-in DLL could not be loaded\n");
      status = 1;
    }
  }
  if (!inproc_only) {
    Ref<IDispatch> app = tarvo::bench::create_local_server(standin::test_model::kLocalClsid, L"test_automation.reg");
    if (!app || !bench_application("cross-process", app.get(), 200)) {
      std::printf("cross-process: the local server is not registered or did not start\n");
      status = 1;
    }
    if (app) disp::CallMethod(app.get(), L".Quit()");
  }
  CoUninitialize();
  return status;
}
