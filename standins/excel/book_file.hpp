// The stand-ins' own book file: a UTF-8 text format that the stand-in
// spreadsheet server saves and opens (and a stand-in of the spreadsheet-file
// library can read). The format is described in standins/excel/README.md.
#pragma once

#include "model.hpp"

namespace standin::excel {

// Writes the book's sheets, cells, formats, styles, comments, row heights,
// column widths and page setup. False with a reason on failure.
bool save_book(const Book &book, const std::wstring &path, std::wstring &error);

// Reads a book file into `book` (its sheets, format code, active sheet and
// password). False with a reason when the file is missing or not ours.
bool load_book(Book &book, const std::wstring &path, std::wstring &error);

}  // namespace standin::excel
