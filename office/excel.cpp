// The Excel and WPS family: the exports of the rows in xexcel.h, and the
// file-type check.
#include "dispatch_members.hpp"
#include "excel_file.hpp"
#include "xexcel.h"
#include "xfile.h"

#include <algorithm>
#include <cstring>

namespace tarvo::members {
namespace {

// The sheet a positioned member puts its sheet before.
constexpr const wchar_t *kSheetAt = L".Sheets.Item(%d)";

// Two cells of a sheet as the corners of a range.
template <class E>
auto cells(E e) {
  return corners(L".Cells(%d, %d)", e);
}

}  // namespace

// Deleting a range by its shift value: entire rows, entire columns, or the
// range itself; the value is Delete's argument in all three.
struct ByShift {
  const wchar_t *rows;
  const wchar_t *columns;
  const wchar_t *range;
};
constexpr int32_t kEntireRows = 0x1000000;
constexpr int32_t kEntireColumns = 0x2000000;

template <class... A>
HRESULT invoke(const Target &t, IDispatch *object, const ByShift &e, A... values) {
  const int32_t shift = std::get<sizeof...(A) - 1>(std::tuple<A...>(values...));
  const wchar_t *expression = shift == kEntireRows ? e.rows : shift == kEntireColumns ? e.columns : e.range;
  return invoke(t, object, expression, values...);
}

constexpr ByShift by_shift(const wchar_t *rows, const wchar_t *columns, const wchar_t *range) {
  return {rows, columns, range};
}
// Copying a sheet: Copy itself returns nothing, so the copy is fetched from
// where it went: the sheet now standing at the position, or, without one,
// the application's active sheet (the copy went into a new workbook, which
// became active).
struct CopiedSheet {
  const wchar_t *plain;
  const wchar_t *positioned;
};
constexpr CopiedSheet copied_sheet(const wchar_t *plain, const wchar_t *positioned) { return {plain, positioned}; }

template <class... A>
HRESULT invoke(const Target &t, IDispatch *object, const CopiedSheet &e, A... values) {
  const int32_t index = std::get<sizeof...(A) - 1>(std::tuple<A...>(values...)).index;
  const HRESULT hr = invoke(Target{Op::Call}, object, positioned(kSheetAt, e.plain, e.positioned), values...);
  if (FAILED(hr)) return hr;
  return index == -1 ? invoke(t, object, L".Application.ActiveSheet") : invoke(t, object, kSheetAt, index);
}

// Pasting below what a sheet holds: column 1 of the first row after the used
// range; the row and column go before the expression's own arguments.
struct BelowUsedRange {
  const wchar_t *at_cell;
};
constexpr BelowUsedRange below_used_range(const wchar_t *at_cell) { return {at_cell}; }

template <class... A>
HRESULT invoke(const Target &t, IDispatch *object, const BelowUsedRange &e, A... values) {
  int32_t first = 0, count = 0;
  HRESULT hr = disp::GetValue(L"%d", &first, object, L".UsedRange.Row");
  if (SUCCEEDED(hr)) hr = disp::GetValue(L"%d", &count, object, L".UsedRange.Rows.Count");
  if (FAILED(hr)) return hr;
  const int64_t row = int64_t{first} + count;
  if (row < 1 || row > INT32_MAX) return DISP_E_OVERFLOW;
  return invoke(t, object, e.at_cell, static_cast<int32_t>(row), int32_t{1}, values...);
}

// A count the application gives as a 64-bit number (a whole sheet holds more
// cells than 32 bits count), handed out through an int32_t result saturated
// at the type's limits.
struct Saturated {
  const wchar_t *expression;
};
constexpr Saturated saturated(const wchar_t *expression) { return {expression}; }

template <class... A>
HRESULT invoke(const Target &t, IDispatch *object, const Saturated &e, A... values) {
  int64_t count = 0;
  const HRESULT hr = disp::GetValue(L"%p", &count, object, e.expression, values...);
  if (SUCCEEDED(hr)) *static_cast<int32_t *>(t.out) = static_cast<int32_t>(std::clamp<int64_t>(count, INT32_MIN, INT32_MAX));
  return hr;
}

// A macro's expansion may hold no comma outside parentheses: it is handed on
// as one argument of the row.
#define SHIFTED(range) by_shift(range L".EntireRow.Delete(%d)", range L".EntireColumn.Delete(%d)", range L".Delete(%d)")

}  // namespace tarvo::members

XEXCEL_MEMBERS(TARVO_MEMBER_DEFINE)

namespace tarvo::office {

int32_t check_spreadsheet_file(const wchar_t *path, int32_t allow_html) {
  xFileHandle *file = xFile_OpenW(path, 1, -1);
  if (!file) return 0;
  char *head = xFile_ReadA(file, 4);
  xFile_Close(file);
  // The size register is not read back: another thread may have written it
  // since. No signature holds a zero byte, so the terminated text tells
  // enough: one shorter than four bytes matches none.
  uint32_t signature = 0;
  const bool whole = !is_empty_result(head) && strnlen(head, 4) == 4;
  if (whole) std::memcpy(&signature, head, 4);
  xCore_free(head);
  if (!whole) return 0;
  switch (signature) {
    case 0x04034B50: return 1;  // "PK" 3 4: a ZIP container
    case 0xE011CFD0: return 2;  // D0 CF 11 E0: a compound document
    case 0x6D783F3C: return 3;  // "<?xm"
    case 0x6D74683C: return allow_html ? 4 : 0;  // "<htm"
    default: return 0;
  }
}

}  // namespace tarvo::office

int32_t Excel_CheckFile(const char *path, int32_t allowHtml) {
  return tarvo::office::check_spreadsheet_file(tarvo::WideArg<tarvo::kCodePageA>(path), allowHtml);
}
