// The spreadsheet model behind the stand-in server, free of COM: books with
// sheets in order, sheets as sparse grids of cells (value, formula, number
// format, style, comment), the text a cell shows, a small formula evaluator,
// and the operations that move cells (insert, delete, paste). The book file
// of our own (book_file.hpp) reads and writes it, so a later stand-in of the
// spreadsheet-file library can share both.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

struct IDispatch;

namespace standin::excel {

inline constexpr int kMaxRows = 1048576;
inline constexpr int kMaxCols = 16384;

// ---- Values ----

enum class Kind { empty, number, text, boolean, error };

struct Value {
  Kind kind = Kind::empty;
  double number = 0;  // number; boolean as 0 / 1
  std::wstring text;  // text; error as its text ("#DIV/0!")

  static Value of_number(double d) { return {Kind::number, d, {}}; }
  static Value of_text(std::wstring s) { return {Kind::text, 0, std::move(s)}; }
  static Value of_bool(bool b) { return {Kind::boolean, b ? 1.0 : 0.0, {}}; }
  static Value of_error(const wchar_t *e) { return {Kind::error, 0, e}; }
  bool operator==(const Value &) const = default;
};

// Numbers written as Excel's "General" format shows them: integers in full
// below 1E+11, otherwise up to ten significant digits, E notation for very
// large or small magnitudes.
std::wstring general_text(double d);
// Text of a number in a number format: General (also "" and "@"); digit
// patterns with 0 and # ("0", "0.00", "#,##0.00", "00"), percent ("0%",
// "0.0%"), scientific ("0.00E+00"), with literal text around them ("$0.00",
// "0.0 \"kg\""); dates and times of the serial number (yyyy yy mm m dd d hh
// h mm ss, "m" after "h" being minutes). Only the first ";" section is used.
std::wstring format_number(double d, const std::wstring &format);
// The number a typed text means ("12", "-3.5", " 1e3 ", "50%"), if any.
std::optional<double> parse_number(const std::wstring &s);

// ---- Cells ----

struct Style {
  std::wstring font_name = L"Calibri";
  double font_size = 11;
  bool bold = false, italic = false, strikethrough = false;
  int32_t underline = -4142;  // xlUnderlineStyleNone; 2 single
  int32_t font_color = 0;
  int32_t interior_color = 16777215;
  int32_t border_color = 0;
  bool wrap = false;
  bool operator==(const Style &) const = default;
};

struct Cell {
  Value value;           // the constant (unused when a formula is set)
  std::wstring formula;  // "=..." or empty
  std::wstring format = L"General";
  Style style;
  std::optional<std::wstring> comment;

  bool has_content() const { return value.kind != Kind::empty || !formula.empty(); }
  bool has_format() const { return format != L"General" || style != Style{}; }
  bool blank() const { return !has_content() && !has_format() && !comment; }
};

// A rectangle of cells, 1-based and inclusive.
struct Box {
  int r1 = 1, c1 = 1, r2 = 1, c2 = 1;
  int rows() const { return r2 - r1 + 1; }
  int cols() const { return c2 - c1 + 1; }
  bool contains(int r, int c) const { return r >= r1 && r <= r2 && c >= c1 && c <= c2; }
  bool whole_rows() const { return c1 == 1 && c2 == kMaxCols; }
  bool whole_cols() const { return r1 == 1 && r2 == kMaxRows; }
  bool operator==(const Box &) const = default;
};

// "A" for 1, "AA" for 27.
std::wstring column_letters(int column);
// "$A$1", "$A$1:$B$2", "$1:$3", "$A:$C".
std::wstring address_of(const Box &box);
// Parses "A1", "$B$2", "A1:C3", "A:C", "2:5" (case-insensitive).
std::optional<Box> parse_address(const std::wstring &text);

class Book;
class App;

// Page setup values by property name ("TopMargin", "CenterHeader", ...).
using PageSetup = std::map<std::wstring, Value>;
// The properties a sheet's page setup has, with their defaults.
const PageSetup &page_setup_defaults();

class Sheet {
 public:
  explicit Sheet(std::wstring name) : name(std::move(name)) {}

  std::wstring name;
  Book *book = nullptr;  // null once deleted (or its book closed)
  std::map<std::pair<int, int>, Cell> cells;  // (row, column), row by row
  std::map<int, double> row_heights, col_widths;
  PageSetup page = page_setup_defaults();
  Box selection;

  const Cell *find(int r, int c) const;
  Cell &at(int r, int c) { return cells[{r, c}]; }
  // Drops the cell again when nothing is left in it.
  void tidy(int r, int c);
  // The cell's value, formulas evaluated.
  Value value(int r, int c) const;
  // The text the cell shows.
  std::wstring text(int r, int c) const;
  // The formula bar's text: the formula, or the constant as typed.
  std::wstring formula(int r, int c) const;
  // Stores typed input: "=..." a formula, "'x" the text x, a number text a
  // number (unless the cell's format is text, "@"), TRUE/FALSE a flag.
  void enter(int r, int c, const std::wstring &input);
  void set_value(int r, int c, const Value &v);
  // The bounding box of the cells with contents or formats; none when empty.
  std::optional<Box> used() const;
  // Every cell of a box (the ones that exist), in row order.
  void each(const Box &box, const std::function<void(int, int, Cell &)> &fn);

  // Inserts box-sized space, moving cells down (or right); false (and no
  // change) when filled cells would be pushed off the sheet.
  bool insert(const Box &box, bool down);
  // Removes the box, moving cells up (or left).
  void remove(const Box &box, bool up);

  // Marks the book changed.
  void touch();
};

// Copied (or cut) cells waiting to be pasted.
struct Clipboard {
  struct Clip {
    Cell cell;
    Value value;  // the cell's value when copied (formulas evaluated)
  };
  std::shared_ptr<Sheet> source;  // keeps a cut's source alive
  Box box;
  std::map<std::pair<int, int>, Clip> cells;  // relative to the box's corner, 0-based
  bool cut = false;
  bool empty() const { return !source; }
};

// What a paste takes over (xlPasteAll -4104, xlPasteValues -4163,
// xlPasteFormulas -4123, xlPasteFormats -4122, xlPasteComments -4144).
enum PasteType : int32_t {
  kPasteAll = -4104,
  kPasteValues = -4163,
  kPasteFormulas = -4123,
  kPasteFormats = -4122,
  kPasteComments = -4144,
};
bool known_paste_type(int32_t type);

// The cells of a box taken for a later paste (a cut moves them then).
Clipboard take(const std::shared_ptr<Sheet> &sheet, const Box &box, bool cut);
// Pastes with its top-left corner at (r, c): everything, or only values,
// formulas, formats or comments; relative references of pasted formulas
// follow the distance moved. A cut's source cells are cleared and the
// clipboard emptied. False (nothing changed) when the paste would not fit
// on the sheet.
bool paste(Sheet &dest, int r, int c, Clipboard &clip, int32_t type);

class Book {
 public:
  App *app = nullptr;  // null once closed
  std::wstring name;   // "Book1", or the file name
  std::wstring full_name;  // the path, or the name before the first save
  int32_t file_format = 51;
  std::vector<std::shared_ptr<Sheet>> sheets;
  Sheet *active = nullptr;
  bool read_only = false;
  std::wstring password;
  long changes = 0;  // since the last save
  int next_sheet = 1;

  std::wstring path() const;  // the folder, "" before the first save
  int index_of(const Sheet *sheet) const;  // 1-based, 0 when absent
  std::shared_ptr<Sheet> shared(const Sheet *sheet) const;  // null when absent
  std::shared_ptr<Sheet> find(const std::wstring &name) const;
  // A new sheet named "Sheet<n>" (the next free number).
  std::shared_ptr<Sheet> new_sheet();
  void insert(std::shared_ptr<Sheet> sheet, size_t position);
  void detach(Sheet *sheet);  // removes it from the book (not the last one)
  // A sheet name the book can take: 1..31 characters, none of []:*?/\, not
  // in use by another sheet (case-insensitive).
  bool name_allowed(const std::wstring &name, const Sheet *renamed) const;
  std::wstring copy_name(const std::wstring &of) const;  // "Sheet1 (2)"
  // Rewrites the formulas of every sheet after cells of `moved` moved:
  // `map` takes a reference to that sheet and moves it, or returns false
  // when the cell is gone (the reference becomes #REF!).
  void move_references(const Sheet &moved, const std::function<bool(int &, int &)> &map);
};

class App {
 public:
  explicit App(bool wps) : wps(wps) {}
  ~App();
  bool wps;
  std::vector<std::shared_ptr<Book>> books;
  Book *active = nullptr;
  Clipboard clipboard;
  bool quit = false;
  int next_book = 1;
  // The application's own object while it lives (not a reference): what
  // every object's Application property gives.
  ::IDispatch *object = nullptr;

  int index_of(const Book *book) const;
  std::shared_ptr<Book> shared(const Book *book) const;  // null when absent
  std::shared_ptr<Book> new_book(int sheets);
  void close(Book *book);
};

// ---- Formulas ----

// The value of a formula ("=A1+B2*2", "=SUM(A1:B3)", "=Sheet2!A1&\"x\"") in
// a sheet: numbers, "text", TRUE/FALSE, references (A1, $A$1, Name!A1,
// 'Other name'!A1), + - * / ^ & % and comparisons, parentheses, and the
// functions SUM, AVERAGE, MIN, MAX, COUNT, COUNTA, IF, ROUND, ABS, LEN,
// CONCATENATE over values and ranges. Errors: #DIV/0!, #VALUE!, #NAME?,
// #REF!; a circular reference, or a chain of more than 100 formulas each
// reading the next, gives #VALUE!.
Value evaluate(const Sheet &sheet, const std::wstring &formula);

// One cell reference in a formula.
struct Reference {
  std::wstring sheet;  // "" for the formula's own sheet
  int row = 0, column = 0;
  bool abs_row = false, abs_col = false;
};
// Rewrites the references of a formula; `map` may change them, or return
// false for a reference that is gone (written #REF!).
std::wstring rewrite_references(const std::wstring &formula,
                                const std::function<bool(Reference &)> &map);

}  // namespace standin::excel
