// The stand-in spreadsheet-file library: books loaded from the stand-ins'
// own book file (standins/excel/README.md), read through the entry points
// the library calls. Texts handed out belong to the stand-in and stay valid
// until the next call, as the library expects of the real one.
//
// Own entries, outside the list the binding looks up:
//   xlStandinLiveBooks()        books made and not yet released
//   xlStandinBookIsXml(book)    1 for an XML-format book, 0 for xls, -1 for no book
//   xlStandinFail(name)         the named entry answers null / 0 from now on
//                               (null or "" clears it)
#include "book_file.hpp"
#include "model.hpp"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

namespace {

using standin::excel::Kind;

struct XlBook {
  bool xml;
  standin::excel::Book book;
};

std::atomic<long> g_live{0};
std::string g_failing;      // the entry made to fail, "" for none
thread_local std::wstring g_text;  // the latest text handed out

bool failing(const char *entry) { return !g_failing.empty() && g_failing == entry; }

XlBook *make(bool xml) {
  auto *b = new (std::nothrow) XlBook{xml, {}};
  if (b) ++g_live;
  return b;
}

standin::excel::Sheet *sheet_of(void *handle) { return static_cast<standin::excel::Sheet *>(handle); }

}  // namespace

extern "C" {

void *xlCreateBookCW(void) { return failing("xlCreateBookCW") ? nullptr : make(false); }
void *xlCreateXMLBookCW(void) { return failing("xlCreateXMLBookCW") ? nullptr : make(true); }

int32_t xlBookLoadW(void *handle, const wchar_t *path) {
  auto *b = static_cast<XlBook *>(handle);
  if (!b || !path || failing("xlBookLoadW")) return 0;
  standin::excel::Book loaded;
  std::wstring error;
  if (!standin::excel::load_book(loaded, path, error)) return 0;
  b->book.sheets = std::move(loaded.sheets);
  for (auto &sheet : b->book.sheets) sheet->book = &b->book;
  return 1;
}

void xlBookReleaseW(void *handle) {
  if (!handle) return;
  delete static_cast<XlBook *>(handle);
  --g_live;
}

int32_t xlBookSheetCountW(void *handle) {
  auto *b = static_cast<XlBook *>(handle);
  return b && !failing("xlBookSheetCountW") ? static_cast<int32_t>(b->book.sheets.size()) : 0;
}

void *xlBookGetSheetW(void *handle, int32_t index) {
  auto *b = static_cast<XlBook *>(handle);
  if (!b || index < 0 || static_cast<size_t>(index) >= b->book.sheets.size() || failing("xlBookGetSheetW"))
    return nullptr;
  return b->book.sheets[static_cast<size_t>(index)].get();
}

const wchar_t *xlBookGetSheetNameW(void *handle, int32_t index) {
  auto *b = static_cast<XlBook *>(handle);
  if (!b || index < 0 || static_cast<size_t>(index) >= b->book.sheets.size() || failing("xlBookGetSheetNameW"))
    return nullptr;
  return b->book.sheets[static_cast<size_t>(index)]->name.c_str();
}

// Row and column are 0-based here, 1-based in the model.
const wchar_t *xlSheetReadStrW(void *handle, int32_t row, int32_t column, void **format) {
  if (format) *format = nullptr;
  if (!handle || row < 0 || column < 0 || failing("xlSheetReadStrW")) return nullptr;
  standin::excel::Value v = sheet_of(handle)->value(row + 1, column + 1);
  if (v.kind != Kind::text) return nullptr;
  g_text = std::move(v.text);
  return g_text.c_str();
}

double xlSheetReadNumW(void *handle, int32_t row, int32_t column, void **format) {
  if (format) *format = nullptr;
  if (!handle || row < 0 || column < 0 || failing("xlSheetReadNumW")) return 0;
  standin::excel::Value v = sheet_of(handle)->value(row + 1, column + 1);
  return v.kind == Kind::number || v.kind == Kind::boolean ? v.number : 0;
}

// 0 empty, 1 number, 2 text, 3 flag, 4 blank (formatted, no value), 5 error.
int32_t xlSheetCellTypeW(void *handle, int32_t row, int32_t column) {
  if (!handle || row < 0 || column < 0 || failing("xlSheetCellTypeW")) return 0;
  const standin::excel::Sheet *sheet = sheet_of(handle);
  const standin::excel::Cell *cell = sheet->find(row + 1, column + 1);
  if (!cell) return 0;
  if (!cell->has_content()) return 4;
  switch (sheet->value(row + 1, column + 1).kind) {
    case Kind::number: return 1;
    case Kind::text: return 2;
    case Kind::boolean: return 3;
    case Kind::error: return 5;
    default: return 4;
  }
}

long xlStandinLiveBooks(void) { return g_live.load(); }

int32_t xlStandinBookIsXml(void *handle) { return handle ? static_cast<XlBook *>(handle)->xml : -1; }

void xlStandinFail(const char *entry) { g_failing = entry ? entry : ""; }

}  // extern "C"
