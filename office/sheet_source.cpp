// The two engines behind the sheet-reading functions.
#include "sheet_source.hpp"

#include "libxl.hpp"
#include "runtime.hpp"
#include "transcode.hpp"
#include "xexcel.h"

#include <windows.h>
#include <unknwn.h>

#include <cmath>
#include <cstdio>
#include <cwchar>
#include <new>

namespace tarvo::office {

bool to_utf8(const wchar_t *text, std::string &out) {
  out.clear();
  if (!text || !*text) return false;
  const int length = static_cast<int>(wcslen(text));
  const int bytes = tarvo::wide_to_multibyte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
  if (bytes <= 0) return false;
  try {
    out.resize(static_cast<size_t>(bytes));
  } catch (...) {
    return false;
  }
  tarvo::wide_to_multibyte(CP_UTF8, 0, text, length, out.data(), bytes, nullptr, nullptr);
  return true;
}

int64_t column_number(const char *letters, size_t length) {
  constexpr int64_t kMax = INT32_MAX;
  int64_t value = 0;
  for (size_t i = 0; i < length; ++i) {
    char c = letters[i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    value = value * 26 + (static_cast<unsigned char>(c) - 64);
    if (value > kMax) return kMax;
    if (value < -kMax) return -kMax;
  }
  return value;
}

namespace {

// ---- the spreadsheet application ----

void release_object(intptr_t object) {
  if (object) reinterpret_cast<IUnknown *>(object)->Release();
}

// A library text taken over: converted, then released.
bool take_text(wchar_t *text, std::string &utf8) {
  const bool filled = to_utf8(text, utf8);
  xCore_free(text);
  return filled;
}

class ApplicationSource final : public SheetSource {
 public:
  explicit ApplicationSource(intptr_t book) { book_ = book; }

  // Starts an application of its own and opens the file read-only in it.
  explicit ApplicationSource(const wchar_t *path) {
    app_ = Excel_Create();
    if (app_) book_ = Excel_OpenBookW(app_, path, 1);
    opened_ = book_ != 0;
  }

  ~ApplicationSource() override {
    if (opened_) {
      Excel_Book_Close(book_, 0);
      release_object(book_);
    }
    if (app_) {
      // A book of the user's in the same application keeps it running.
      if (Excel_GetBookCount(app_) == 0) Excel_Quit(app_);
      release_object(app_);
    }
  }

  SheetHandle sheet_at(int32_t index) override { return Excel_Book_GetSheet_Index(book_, index); }
  SheetHandle sheet_named(const wchar_t *name) override { return Excel_Book_GetSheetW(book_, name); }
  void release(SheetHandle sheet) override { release_object(sheet); }
  int32_t sheet_count() override { return Excel_Book_GetSheetCount(book_); }
  bool sheet_name(int32_t index, std::string &utf8) override {
    return take_text(Excel_Book_GetSheetNameW(book_, index), utf8);
  }
  bool cell(SheetHandle sheet, int32_t row, int32_t column, std::string &utf8) override {
    return take_text(Excel_Sheet_GetCellTextW(sheet, row, column), utf8);
  }

 private:
  xComObject app_ = 0;
  bool opened_ = false;
};

// ---- the spreadsheet-file library ----

// A number cell as text: integers in full, other values in the shortest of
// up to 15 significant digits that the number has ("3.75", "0.1", "1E+20"
// style only beyond 15 digits). The cell's number format is not applied.
bool number_text(double d, std::string &utf8) {
  char buf[40];
  if (std::isfinite(d) && std::fabs(d) < 1e15 && d == std::trunc(d))
    std::snprintf(buf, sizeof buf, "%.0f", d == 0 ? 0.0 : d);
  else
    std::snprintf(buf, sizeof buf, "%.15G", d);
  try {
    utf8 = buf;
  } catch (...) {
    return false;
  }
  return true;
}

class FileLibrarySource final : public SheetSource {
 public:
  explicit FileLibrarySource(intptr_t book) { book_ = book; }

  // An XML-format book loaded from the file; a load that fails releases it.
  explicit FileLibrarySource(const wchar_t *path) {
    libxl::Book book = libxl::create_book(true);
    if (!book) return;
    if (!libxl::book_load(book, path)) {
      libxl::book_release(book);
      return;
    }
    book_ = reinterpret_cast<intptr_t>(book);
    opened_ = true;
  }

  ~FileLibrarySource() override {
    if (opened_) libxl::book_release(book());
  }

  SheetHandle sheet_at(int32_t index) override {
    return index < 1 ? 0 : reinterpret_cast<SheetHandle>(libxl::get_sheet(book(), index - 1));
  }
  // The last sheet of that name wins; sheets whose name cannot be read are
  // passed over.
  SheetHandle sheet_named(const wchar_t *name) override {
    SheetHandle found = 0;
    const int32_t count = libxl::sheet_count(book());
    for (int32_t i = 0; i < count; ++i) {
      const wchar_t *n = libxl::sheet_name(book(), i);
      if (n && name && std::wcscmp(n, name) == 0) {
        if (SheetHandle sheet = reinterpret_cast<SheetHandle>(libxl::get_sheet(book(), i))) found = sheet;
      }
    }
    return found;
  }
  void release(SheetHandle) override {}  // sheets belong to their book
  int32_t sheet_count() override { return libxl::sheet_count(book()); }
  bool sheet_name(int32_t index, std::string &utf8) override {
    return to_utf8(libxl::sheet_name(book(), index - 1), utf8);
  }
  // Number cells give no text; they are read through the number reader, so
  // a numeric key column does not end the rows.
  bool cell(SheetHandle sheet, int32_t row, int32_t column, std::string &utf8) override {
    auto *s = reinterpret_cast<libxl::Sheet>(sheet);
    if (!s || row < 1 || column < 1) return false;
    if (const wchar_t *text = libxl::read_text(s, row - 1, column - 1)) return to_utf8(text, utf8);
    if (libxl::cell_type(s, row - 1, column - 1) != libxl::CellType::number) return false;
    return number_text(libxl::read_number(s, row - 1, column - 1), utf8);
  }

 private:
  libxl::Book book() const { return reinterpret_cast<libxl::Book>(book_); }
  bool opened_ = false;
};

template <class S, class A>
std::unique_ptr<SheetSource> make_source(A arg) {
  return std::unique_ptr<SheetSource>(new (std::nothrow) S(arg));
}

}  // namespace

std::unique_ptr<SheetSource> open_book(Engine engine, intptr_t handle) {
  if (engine == Engine::Application) return make_source<ApplicationSource>(handle);
  return make_source<FileLibrarySource>(handle);
}

std::unique_ptr<SheetSource> open_book(Engine engine, const wchar_t *path) {
  if (engine == Engine::Application) return make_source<ApplicationSource>(path);
  return make_source<FileLibrarySource>(path);
}

}  // namespace tarvo::office
