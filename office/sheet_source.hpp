// A book opened for reading whole sheets, through either engine: the
// spreadsheet application (the Excel members) or the bound spreadsheet-file
// library. Used by the sheet-reading Lua functions; free of Lua.
//
// A source made from a path opened the book itself and tidies up when it is
// destroyed, on every path: through the application it closes the book it
// opened (never the application's other books), quits the application when
// no book is left in it and releases it; through the file library it
// releases the book. A source made from a handle never closes or releases
// that handle.
//
// Nothing here throws: failures are null handles, false or empty texts.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace tarvo::office {

enum class Engine { Application, FileLibrary };

using SheetHandle = intptr_t;

class SheetSource {
 public:
  virtual ~SheetSource() = default;

  bool has_book() const { return book_ != 0; }

  // Sheets by 1-based number or by exact name (null when there is none);
  // every sheet handed out goes back through release().
  virtual SheetHandle sheet_at(int32_t index) = 0;
  virtual SheetHandle sheet_named(const wchar_t *name) = 0;
  virtual void release(SheetHandle sheet) = 0;

  virtual int32_t sheet_count() = 0;
  // The 1-based sheet's name as UTF-8; false when it cannot be read.
  virtual bool sheet_name(int32_t index, std::string &utf8) = 0;

  // The cell's text as UTF-8 (1-based row and column) into `utf8`; false for
  // an empty cell, and for one that cannot be read.
  virtual bool cell(SheetHandle sheet, int32_t row, int32_t column, std::string &utf8) = 0;

 protected:
  intptr_t book_ = 0;
};

// A source over a book handle of the engine (an application workbook or a
// file-library book), or over the file at `path`; null only when memory ran
// out. A source whose book could not be opened has no book.
std::unique_ptr<SheetSource> open_book(Engine engine, intptr_t handle);
std::unique_ptr<SheetSource> open_book(Engine engine, const wchar_t *path);

// Column letters to the column number: A is 1, Z 26, AA 27, lower case as
// upper case, saturating at the largest 32-bit number; other characters
// count as their distance from '@', as they always have.
int64_t column_number(const char *letters, size_t length);

// UTF-16 to UTF-8 into `out` (replacing its contents); false for an empty
// text. Unpaired surrogates become U+FFFD.
bool to_utf8(const wchar_t *text, std::string &out);

}  // namespace tarvo::office
