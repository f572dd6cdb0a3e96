// The cost of the guarded and the optional-pointer members:
// PPT_Table_GetCellTextW over the 2 000 cells of a table and PPT_Shape_GetPos
// over 2 000 shapes, against the GetIDsOfNames + Invoke calls a caller would
// write by hand for the same values (the guard, the chain to the cell's text
// copied into a string of its own and released; the four numbers), in the
// same run, on the stand-in presentation program in-process.
#include "by_hand.hpp"
#include "com_ref.hpp"
#include "ppt_standin.hpp"
#include "standin_server.hpp"
#include "timing.hpp"
#include "xcore.h"
#include "xppt.h"

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

using tarvo::bench::copy_text_by_hand;
using tarvo::bench::invoke_by_hand;
using tarvo::com::Ref;
using tarvo::com::Variant;

constexpr int kRows = 40, kCols = 50, kShapes = 2000;
// The goal of both: at most 1.15 times the hand-written calls.
constexpr double kGoal = 1.15;
constexpr WORD kGet = DISPATCH_METHOD | DISPATCH_PROPERTYGET;

// One property or method get; the object it gives, or null.
Ref<IDispatch> object_by_hand(IDispatch *from, const wchar_t *name, VARIANT *args = nullptr, UINT count = 0) {
  Variant v;
  if (FAILED(invoke_by_hand(from, name, kGet, args, count, v.get())) || v->vt != VT_DISPATCH) return {};
  return Ref<IDispatch>::adopt(v.detach().pdispVal);
}

size_t cell_text_by_hand(IDispatch *shape, int row, int col) {
  Variant has;
  if (FAILED(invoke_by_hand(shape, L"HasTable", kGet, nullptr, 0, has.get())) || has->vt != VT_I4 || !has->lVal)
    return 0;
  VARIANT at[2];
  at[1].vt = at[0].vt = VT_I4;
  at[1].lVal = row;
  at[0].lVal = col;
  Ref<IDispatch> table = object_by_hand(shape, L"Table");
  Ref<IDispatch> cell = table ? object_by_hand(table.get(), L"Cell", at, 2) : Ref<IDispatch>();
  Ref<IDispatch> cell_shape = cell ? object_by_hand(cell.get(), L"Shape") : Ref<IDispatch>();
  Ref<IDispatch> frame = cell_shape ? object_by_hand(cell_shape.get(), L"TextFrame") : Ref<IDispatch>();
  Ref<IDispatch> range = frame ? object_by_hand(frame.get(), L"TextRange") : Ref<IDispatch>();
  Variant text;
  if (!range || FAILED(invoke_by_hand(range.get(), L"Text", kGet, nullptr, 0, text.get()))) return 0;
  return copy_text_by_hand(*text.get());
}

size_t cell_text_by_row(IDispatch *shape, int row, int col) {
  wchar_t *text = PPT_Table_GetCellTextW(reinterpret_cast<xComObject>(shape), row, col);
  const size_t n = std::wcslen(text);
  xCore_free(text);
  return n;
}

int pos_by_hand(IDispatch *shape, double *out) {
  const wchar_t *names[] = {L"Left", L"Top", L"Width", L"Height"};
  for (int i = 0; i < 4; ++i) {
    Variant v;
    if (FAILED(invoke_by_hand(shape, names[i], kGet, nullptr, 0, v.get())) ||
        FAILED(VariantChangeType(v.get(), v.get(), 0, VT_R8)))
      return 0;
    out[i] = v->dblVal;
  }
  return 1;
}

int pos_by_row(IDispatch *shape, double *out) {
  return PPT_Shape_GetPos(reinterpret_cast<xComObject>(shape), &out[0], &out[1], &out[2], &out[3]);
}

bool bench(IDispatch *app) {
  tarvo::bench::stop_journal(app);
  const xComObject pres = PPT_NewFile(reinterpret_cast<xComObject>(app));
  const xComObject slide = PPT_AddSlide(pres, 1, 12);
  const xComObject table = PPT_Slide_AddTable(slide, kRows, kCols, 0, 0, 500, 400);
  if (!table) return false;
  for (int r = 1; r <= kRows; ++r)
    for (int c = 1; c <= kCols; ++c) PPT_Table_SetCellTextW(table, r, c, (L"cell \u00e9 " + std::to_wstring(r * c)).c_str());
  std::vector<xComObject> shapes;
  for (int i = 0; i < kShapes; ++i) shapes.push_back(PPT_Slide_AddLine(slide, i, i + 1, 2 * i, 3 * i));
  IDispatch *t = reinterpret_cast<IDispatch *>(table);
  int i = 0, j = 0;
  tarvo::bench::compare("in-process Table_GetCellTextW", 9, kRows * kCols,
                        [&] { cell_text_by_row(t, 1 + i / kCols, 1 + i % kCols), i = (i + 1) % (kRows * kCols); },
                        [&] { cell_text_by_hand(t, 1 + j / kCols, 1 + j % kCols), j = (j + 1) % (kRows * kCols); },
                        kGoal);
  double out[4];
  tarvo::bench::compare("in-process Shape_GetPos", 9, kShapes,
                        [&] { pos_by_row(reinterpret_cast<IDispatch *>(shapes[i]), out), i = (i + 1) % kShapes; },
                        [&] { pos_by_hand(reinterpret_cast<IDispatch *>(shapes[j]), out), j = (j + 1) % kShapes; },
                        kGoal);
  for (xComObject h : shapes) reinterpret_cast<IDispatch *>(h)->Release();
  for (xComObject h : {table, slide, pres}) reinterpret_cast<IDispatch *>(h)->Release();
  return true;
}

}  // namespace

int main() {
  Ref<IDispatch> app = tarvo::bench::load_inproc_server(L"tarvo_ppt_standin.dll", standin::ppt::kPptClsid);
  if (!app || !bench(app.get())) {
    std::printf("in-process: the stand-in DLL could not be loaded\n");
    return 1;
  }
  PPT_Quit(reinterpret_cast<xComObject>(app.get()));
  return 0;
}
