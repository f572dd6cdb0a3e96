// The spreadsheet-file library, bound at run time from a DLL the script
// names. Until a binding succeeds every call below fails soundly (0, null or
// no effect) instead of calling through an empty entry.
//
// Books and sheets are the library's own pointers; texts it returns belong to
// it and stay valid until the next call on the same book.
#pragma once

#include <cstdint>

namespace tarvo::libxl {

using Book = void *;
using Sheet = void *;

// Loads the DLL and looks up every entry point of the list (the wide set,
// then the ANSI set), continuing after a miss. The table in use is replaced
// only when every lookup succeeded; a DLL that cannot be loaded, or one that
// lacks a name, leaves an earlier good binding as it was.
bool bind(const wchar_t *dll_path);
bool bound();

// What a cell holds, as the library types it.
enum class CellType : int32_t { empty = 0, number = 1, text = 2, flag = 3, blank = 4, error = 5 };

Book create_book(bool xml);  // xml: the XML (xlsx) format, else xls
int32_t book_load(Book book, const wchar_t *path);  // non-zero on success
void book_release(Book book);
int32_t sheet_count(Book book);
Sheet get_sheet(Book book, int32_t index);  // 0-based
const wchar_t *sheet_name(Book book, int32_t index);  // 0-based; null when unreadable
const wchar_t *read_text(Sheet sheet, int32_t row, int32_t column);  // 0-based; null when not text
double read_number(Sheet sheet, int32_t row, int32_t column);
CellType cell_type(Sheet sheet, int32_t row, int32_t column);

}  // namespace tarvo::libxl
