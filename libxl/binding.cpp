// The binding of the spreadsheet-file library: one process-wide table of
// entry points, generated from entry_points.txt, and typed calls through it.
#include "libxl.hpp"

#include <windows.h>

#include <array>
#include <atomic>
#include <cstddef>

namespace tarvo::libxl {
namespace {

enum Entry : size_t {
#define XL_ENTRY(name) name,
#include "libxl_entry_points.inc"
#undef XL_ENTRY
  kEntryCount
};

constexpr const char *kNames[kEntryCount] = {
#define XL_ENTRY(name) #name,
#include "libxl_entry_points.inc"
#undef XL_ENTRY
};

using Table = std::array<FARPROC, kEntryCount>;
Table g_table{};
std::atomic<bool> g_bound{false};

// The entry as the function type of the call site; null while unbound.
template <class F>
F entry(Entry e) {
  if (!g_bound.load(std::memory_order_acquire)) return nullptr;
  return reinterpret_cast<F>(g_table[e]);
}

// Calls the entry, or gives `failure` when there is none.
template <Entry E, class R, class... A>
R call(R failure, A... args) {
  auto f = entry<R (*)(A...)>(E);
  return f ? f(args...) : failure;
}

}  // namespace

bool bind(const wchar_t *dll_path) {
  if (!dll_path || !*dll_path) return false;
  HMODULE dll = LoadLibraryW(dll_path);
  if (!dll) return false;
  Table found{};
  bool complete = true;
  for (size_t i = 0; i < kEntryCount; ++i) {
    found[i] = GetProcAddress(dll, kNames[i]);
    complete = complete && found[i];
  }
  if (!complete) {
    // Nothing of this DLL is kept, so it need not stay loaded.
    FreeLibrary(dll);
    return false;
  }
  // The DLL stays loaded for the life of the process: books made through an
  // earlier binding may still be in the scripts' hands.
  g_bound.store(false, std::memory_order_release);
  g_table = found;
  g_bound.store(true, std::memory_order_release);
  return true;
}

bool bound() { return g_bound.load(std::memory_order_acquire); }

Book create_book(bool xml) {
  return xml ? call<xlCreateXMLBookCW, Book>(nullptr) : call<xlCreateBookCW, Book>(nullptr);
}

int32_t book_load(Book book, const wchar_t *path) {
  if (!book || !path) return 0;
  return call<xlBookLoadW, int32_t>(0, book, path);
}

void book_release(Book book) {
  if (!book) return;
  if (auto f = entry<void (*)(Book)>(xlBookReleaseW)) f(book);
}

int32_t sheet_count(Book book) { return book ? call<xlBookSheetCountW, int32_t>(0, book) : 0; }

Sheet get_sheet(Book book, int32_t index) {
  return book ? call<xlBookGetSheetW, Sheet>(nullptr, book, index) : nullptr;
}

const wchar_t *sheet_name(Book book, int32_t index) {
  return book ? call<xlBookGetSheetNameW, const wchar_t *>(nullptr, book, index) : nullptr;
}

const wchar_t *read_text(Sheet sheet, int32_t row, int32_t column) {
  return sheet ? call<xlSheetReadStrW, const wchar_t *>(nullptr, sheet, row, column, static_cast<void **>(nullptr))
               : nullptr;
}

double read_number(Sheet sheet, int32_t row, int32_t column) {
  return sheet ? call<xlSheetReadNumW, double>(0.0, sheet, row, column, static_cast<void **>(nullptr)) : 0.0;
}

CellType cell_type(Sheet sheet, int32_t row, int32_t column) {
  return sheet ? static_cast<CellType>(call<xlSheetCellTypeW, int32_t>(0, sheet, row, column)) : CellType::empty;
}

}  // namespace tarvo::libxl
