#include "model.hpp"

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <cwctype>

namespace standin::excel {
namespace {

// 1-based place of an item in a list of shared items; 0 when absent.
template <class T>
int position_of(const std::vector<std::shared_ptr<T>> &list, const T *item) {
  for (size_t i = 0; i < list.size(); ++i)
    if (list[i].get() == item) return static_cast<int>(i + 1);
  return 0;
}

// The list's own reference to an item; null when absent.
template <class T>
std::shared_ptr<T> owner_of(const std::vector<std::shared_ptr<T>> &list, const T *item) {
  const int i = position_of(list, item);
  return i ? list[i - 1] : nullptr;
}

std::wstring upper(std::wstring s) {
  for (wchar_t &c : s) c = static_cast<wchar_t>(towupper(c));
  return s;
}

std::wstring trim(const std::wstring &s) {
  const size_t a = s.find_first_not_of(L" \t");
  if (a == std::wstring::npos) return {};
  return s.substr(a, s.find_last_not_of(L" \t") - a + 1);
}

// "1234567" -> "1,234,567"
std::wstring group_thousands(const std::wstring &digits) {
  std::wstring out;
  const size_t n = digits.size();
  for (size_t i = 0; i < n; ++i) {
    if (i && (n - i) % 3 == 0) out += L',';
    out += digits[i];
  }
  return out;
}

// Date and time parts of a serial number (1900 date system, no leap-day quirk).
struct DateParts {
  int year, month, day, hour, minute, second;
};

DateParts date_parts(double serial) {
  long days = static_cast<long>(std::floor(serial));
  long secs = std::lround((serial - std::floor(serial)) * 86400.0);
  if (secs >= 86400) {
    secs -= 86400;
    ++days;
  }
  // Days since 1899-12-30 to a civil date.
  long z = days - 25569 + 719468;  // via 1970-01-01
  const long era = (z >= 0 ? z : z - 146096) / 146097;
  const long doe = z - era * 146097;
  const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const long mp = (5 * doy + 2) / 153;
  const int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  const int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  const int y = static_cast<int>(yoe + era * 400 + (m <= 2));
  return {y, m, d, static_cast<int>(secs / 3600), static_cast<int>(secs / 60 % 60), static_cast<int>(secs % 60)};
}

bool is_date_format(const std::wstring &f) {
  bool quoted = false;
  for (wchar_t c : f) {
    if (c == L'"') quoted = !quoted;
    if (quoted) continue;
    if (c == L'0' || c == L'#') return false;
  }
  quoted = false;
  for (wchar_t c : f) {
    if (c == L'"') quoted = !quoted;
    if (!quoted && wcschr(L"yYdDhHsS", c)) return true;
  }
  return false;
}

std::wstring format_date(double serial, const std::wstring &f) {
  if (!(serial >= 0 && serial < 2958466)) return L"########";  // before 1900 or after 9999
  const DateParts p = date_parts(serial);
  std::wstring out;
  bool after_hour = false;
  for (size_t i = 0; i < f.size();) {
    const wchar_t c = static_cast<wchar_t>(towlower(f[i]));
    size_t n = 1;
    while (i + n < f.size() && towlower(f[i + n]) == c) ++n;
    wchar_t buf[16];
    auto two = [&](int v, bool pad) { swprintf(buf, 16, pad ? L"%02d" : L"%d", v); out += buf; };
    if (c == L'"') {
      const size_t end = f.find(L'"', i + 1);
      out += f.substr(i + 1, end == std::wstring::npos ? std::wstring::npos : end - i - 1);
      i = end == std::wstring::npos ? f.size() : end + 1;
      continue;
    }
    if (c == L'y') {
      if (n >= 3) { swprintf(buf, 16, L"%04d", p.year); out += buf; } else two(p.year % 100, true);
    } else if (c == L'm') {
      if (after_hour) two(p.minute, n >= 2); else two(p.month, n >= 2);
    } else if (c == L'd') {
      two(p.day, n >= 2);
    } else if (c == L'h') {
      two(p.hour, n >= 2);
      after_hour = true;
    } else if (c == L's') {
      two(p.second, n >= 2);
    } else {
      out.append(f, i, n);
    }
    if (c == L'd' || c == L'y') after_hour = false;
    i += n;
  }
  return out;
}

std::wstring format_digits(double d, const std::wstring &f) {
  // The digit pattern is the run of 0 # , . and E+00; text around it is kept.
  std::wstring prefix, suffix, pattern;
  bool quoted = false, in_pattern = false, done = false;
  for (size_t i = 0; i < f.size(); ++i) {
    const wchar_t c = f[i];
    if (c == L'"') {
      quoted = !quoted;
      continue;
    }
    const bool digit_char = !quoted && (c == L'0' || c == L'#' || c == L',' || c == L'.' ||
                                        (in_pattern && (c == L'E' || c == L'e' || c == L'+' || c == L'-')));
    if (digit_char && !done) {
      in_pattern = true;
      pattern += c;
      continue;
    }
    if (in_pattern) done = true;
    if (!quoted && c == L'\\' && i + 1 < f.size()) {
      (done ? suffix : prefix) += f[++i];
      continue;
    }
    (done ? suffix : prefix) += c;
  }
  const bool percent = (prefix + suffix).find(L'%') != std::wstring::npos;
  if (percent) d *= 100;
  const size_t e = pattern.find_first_of(L"Ee");
  const std::wstring mantissa = pattern.substr(0, e);
  const size_t dot = mantissa.find(L'.');
  const std::wstring int_part = mantissa.substr(0, dot);
  const int decimals = dot == std::wstring::npos ? 0 : std::min<int>(30, static_cast<int>(
      std::count_if(mantissa.begin() + dot, mantissa.end(), [](wchar_t c) { return c == L'0' || c == L'#'; })));
  const int min_int = static_cast<int>(std::count(int_part.begin(), int_part.end(), L'0'));
  const bool thousands = int_part.find(L',') != std::wstring::npos;
  const bool negative = d < 0;
  double a = std::fabs(d);

  std::wstring body;
  wchar_t buf[400];  // 309 integer digits and 30 decimals at the most
  if (e != std::wstring::npos) {
    swprintf(buf, 400, L"%.*E", decimals, a);
    std::wstring s = buf;  // 1.23E+004 style on some runtimes: normalise the exponent
    const size_t ep = s.find(L'E');
    int exponent = _wtoi(s.c_str() + ep + 1);
    const int exp_digits = std::max<int>(2, static_cast<int>(pattern.size() - e - 2));
    swprintf(buf, 400, L"%c%0*d", exponent < 0 ? L'-' : L'+', exp_digits, std::abs(exponent));
    body = s.substr(0, ep) + L"E" + buf;
  } else {
    swprintf(buf, 400, L"%.*f", decimals, a);
    std::wstring s = buf;
    const size_t p = s.find(L'.');
    std::wstring whole = s.substr(0, p), frac = p == std::wstring::npos ? L"" : s.substr(p);
    if (whole == L"0" && min_int == 0) whole.clear();
    while (static_cast<int>(whole.size()) < min_int) whole.insert(0, 1, L'0');
    if (thousands) whole = group_thousands(whole);
    body = whole + frac;
  }
  const bool zero = body.find_first_of(L"123456789") == std::wstring::npos;
  return (negative && !zero ? L"-" : L"") + prefix + body + suffix;
}

}  // namespace

std::wstring general_text(double d) {
  if (d == 0) return L"0";
  wchar_t buf[64];
  if (std::floor(d) == d && std::fabs(d) < 1e11) {
    swprintf(buf, 64, L"%.0f", d);
    return buf;
  }
  const double a = std::fabs(d);
  if (a >= 1e11 || a < 1e-9) {
    swprintf(buf, 64, L"%.5E", d);
    std::wstring s = buf;
    const size_t ep = s.find(L'E');
    std::wstring m = s.substr(0, ep);
    while (m.back() == L'0') m.pop_back();
    if (m.back() == L'.') m.pop_back();
    const int exponent = _wtoi(s.c_str() + ep + 1);
    swprintf(buf, 64, L"E%c%02d", exponent < 0 ? L'-' : L'+', std::abs(exponent));
    return m + buf;
  }
  swprintf(buf, 64, L"%.10g", d);
  return buf;
}

std::wstring format_number(double d, const std::wstring &format) {
  std::wstring f = format.substr(0, format.find(L';'));
  const std::wstring u = upper(f);
  if (f.empty() || u == L"GENERAL" || f == L"@") return general_text(d);
  if (is_date_format(f)) return format_date(d, f);
  if (f.find_first_of(L"0#") == std::wstring::npos) return general_text(d);
  return format_digits(d, f);
}

std::optional<double> parse_number(const std::wstring &text) {
  std::wstring s = trim(text);
  bool percent = false;
  if (!s.empty() && s.back() == L'%') {
    percent = true;
    s.pop_back();
  }
  if (s.empty()) return std::nullopt;
  size_t i = 0;
  if (s[i] == L'+' || s[i] == L'-') ++i;
  size_t digits = 0;
  while (i < s.size() && iswdigit(s[i])) ++i, ++digits;
  if (i < s.size() && s[i] == L'.') {
    ++i;
    while (i < s.size() && iswdigit(s[i])) ++i, ++digits;
  }
  if (!digits) return std::nullopt;
  if (i < s.size() && (s[i] == L'e' || s[i] == L'E')) {
    size_t j = i + 1;
    if (j < s.size() && (s[j] == L'+' || s[j] == L'-')) ++j;
    if (j >= s.size() || !iswdigit(s[j])) return std::nullopt;
    while (j < s.size() && iswdigit(s[j])) ++j;
    i = j;
  }
  if (i != s.size()) return std::nullopt;
  const double d = wcstod(s.c_str(), nullptr);
  if (!std::isfinite(d)) return std::nullopt;
  return percent ? d / 100 : d;
}

// ---- Addresses ----

std::wstring column_letters(int column) {
  std::wstring s;
  while (column > 0) {
    const int d = (column - 1) % 26;
    s.insert(0, 1, static_cast<wchar_t>(L'A' + d));
    column = (column - 1) / 26;
  }
  return s;
}

std::wstring address_of(const Box &b) {
  auto cell = [](int r, int c) { return L"$" + column_letters(c) + L"$" + std::to_wstring(r); };
  if (b.whole_rows() && !b.whole_cols())
    return L"$" + std::to_wstring(b.r1) + L":$" + std::to_wstring(b.r2);
  if (b.whole_cols() && !b.whole_rows())
    return L"$" + column_letters(b.c1) + L":$" + column_letters(b.c2);
  if (b.r1 == b.r2 && b.c1 == b.c2) return cell(b.r1, b.c1);
  return cell(b.r1, b.c1) + L":" + cell(b.r2, b.c2);
}

namespace {

// One side of an address: column letters and/or a row number, with "$".
struct Corner {
  int row = 0, col = 0;
};

std::optional<Corner> parse_corner(const std::wstring &s) {
  Corner c;
  size_t i = 0;
  if (i < s.size() && s[i] == L'$') ++i;
  size_t letters = 0;
  while (i < s.size() && iswalpha(s[i]) && letters < 4) {
    c.col = c.col * 26 + (towupper(s[i]) - L'A' + 1);
    ++i, ++letters;
  }
  if (letters && i < s.size() && s[i] == L'$') ++i;
  size_t digits = 0;
  while (i < s.size() && iswdigit(s[i]) && digits < 8) {
    c.row = c.row * 10 + (s[i] - L'0');
    ++i, ++digits;
  }
  if (i != s.size() || (!letters && !digits)) return std::nullopt;
  if (c.col > kMaxCols || c.row > kMaxRows || (letters && c.col < 1) || (digits && c.row < 1))
    return std::nullopt;
  return c;
}

}  // namespace

std::optional<Box> parse_address(const std::wstring &text) {
  const std::wstring s = trim(text);
  const size_t colon = s.find(L':');
  auto a = parse_corner(s.substr(0, colon));
  auto b = colon == std::wstring::npos ? a : parse_corner(s.substr(colon + 1));
  if (!a || !b) return std::nullopt;
  const bool rows_only = !a->col && !b->col, cols_only = !a->row && !b->row;
  if (colon == std::wstring::npos && (!a->row || !a->col)) return std::nullopt;
  if (!rows_only && !cols_only && (!a->row || !a->col || !b->row || !b->col)) return std::nullopt;
  Box box;
  if (rows_only) {
    box = {std::min(a->row, b->row), 1, std::max(a->row, b->row), kMaxCols};
  } else if (cols_only) {
    box = {1, std::min(a->col, b->col), kMaxRows, std::max(a->col, b->col)};
  } else {
    box = {std::min(a->row, b->row), std::min(a->col, b->col), std::max(a->row, b->row),
           std::max(a->col, b->col)};
  }
  return box;
}

// ---- Page setup ----

const PageSetup &page_setup_defaults() {
  static const PageSetup d = [] {
    PageSetup p;
    for (auto [name, inches] : {std::pair{L"TopMargin", 0.75}, {L"BottomMargin", 0.75}, {L"LeftMargin", 0.7},
                                {L"RightMargin", 0.7}, {L"HeaderMargin", 0.3}, {L"FooterMargin", 0.3}})
      p[name] = Value::of_number(inches * 72);  // points
    for (const wchar_t *flag : {L"CenterHorizontally", L"CenterVertically"}) p[flag] = Value::of_bool(false);
    for (const wchar_t *text : {L"LeftHeader", L"CenterHeader", L"RightHeader", L"LeftFooter", L"CenterFooter",
                                L"RightFooter", L"PrintArea"})
      p[text] = Value::of_text(L"");
    p[L"Orientation"] = Value::of_number(1);  // xlPortrait
    p[L"Zoom"] = Value::of_number(100);
    return p;
  }();
  return d;
}

// ---- Sheet ----

const Cell *Sheet::find(int r, int c) const {
  auto it = cells.find({r, c});
  return it == cells.end() ? nullptr : &it->second;
}

void Sheet::tidy(int r, int c) {
  auto it = cells.find({r, c});
  if (it != cells.end() && it->second.blank()) cells.erase(it);
}

Value Sheet::value(int r, int c) const {
  const Cell *cell = find(r, c);
  if (!cell) return {};
  return cell->formula.empty() ? cell->value : evaluate(*this, cell->formula);
}

std::wstring Sheet::text(int r, int c) const {
  const Value v = value(r, c);
  switch (v.kind) {
    case Kind::empty: return L"";
    case Kind::text:
    case Kind::error: return v.text;
    case Kind::boolean: return v.number ? L"TRUE" : L"FALSE";
    case Kind::number: return format_number(v.number, find(r, c)->format);
  }
  return L"";
}

std::wstring Sheet::formula(int r, int c) const {
  const Cell *cell = find(r, c);
  if (!cell) return L"";
  if (!cell->formula.empty()) return cell->formula;
  switch (cell->value.kind) {
    case Kind::number: return general_text(cell->value.number);
    case Kind::boolean: return cell->value.number ? L"TRUE" : L"FALSE";
    default: return cell->value.text;
  }
}

void Sheet::enter(int r, int c, const std::wstring &input) {
  Cell &cell = at(r, c);
  cell.formula.clear();
  if (input.size() > 1 && input[0] == L'=') {
    cell.formula = input;
    cell.value = {};
  } else if (!input.empty() && input[0] == L'\'') {
    cell.value = Value::of_text(input.substr(1));
  } else if (input.empty()) {
    cell.value = {};
  } else if (auto n = cell.format == L"@" ? std::nullopt : parse_number(input)) {
    cell.value = Value::of_number(*n);
  } else if (upper(input) == L"TRUE" || upper(input) == L"FALSE") {
    cell.value = Value::of_bool(upper(input) == L"TRUE");
  } else {
    cell.value = Value::of_text(input);
  }
  tidy(r, c);
  touch();
}

void Sheet::set_value(int r, int c, const Value &v) {
  Cell &cell = at(r, c);
  cell.formula.clear();
  cell.value = v;
  tidy(r, c);
  touch();
}

std::optional<Box> Sheet::used() const {
  if (cells.empty()) return std::nullopt;
  Box b{kMaxRows, kMaxCols, 1, 1};
  for (const auto &[at, cell] : cells) {
    b.r1 = std::min(b.r1, at.first);
    b.r2 = std::max(b.r2, at.first);
    b.c1 = std::min(b.c1, at.second);
    b.c2 = std::max(b.c2, at.second);
  }
  return b;
}

void Sheet::each(const Box &box, const std::function<void(int, int, Cell &)> &fn) {
  for (auto it = cells.lower_bound({box.r1, box.c1}); it != cells.end() && it->first.first <= box.r2;) {
    auto next = std::next(it);
    if (box.contains(it->first.first, it->first.second)) fn(it->first.first, it->first.second, it->second);
    it = next;
  }
}

namespace {

// Moves map keys inside a band by an offset; keys falling outside [1, limit] drop.
template <class V, class Key, class Move>
void shift_keys(std::map<Key, V> &m, Move move) {
  std::map<Key, V> out;
  for (auto &[k, v] : m) {
    Key nk = k;
    if (move(nk)) out.emplace(nk, std::move(v));
  }
  m.swap(out);
}

}  // namespace

bool Sheet::insert(const Box &box, bool down) {
  const int n = down ? box.rows() : box.cols();
  // Filled cells that would leave the sheet: refuse, as losing data would.
  for (const auto &[at, cell] : cells) {
    const auto [r, c] = at;
    if (down ? (c >= box.c1 && c <= box.c2 && r > kMaxRows - n) : (r >= box.r1 && r <= box.r2 && c > kMaxCols - n))
      return false;
  }
  auto moves = [&](int &r, int &c) {
    if (down && c >= box.c1 && c <= box.c2 && r >= box.r1) r += n;
    if (!down && r >= box.r1 && r <= box.r2 && c >= box.c1) c += n;
    return true;
  };
  shift_keys(cells, [&](std::pair<int, int> &k) { return moves(k.first, k.second); });
  if (down && box.whole_rows()) shift_keys(row_heights, [&](int &r) { r += r >= box.r1 ? n : 0; return r <= kMaxRows; });
  if (!down && box.whole_cols()) shift_keys(col_widths, [&](int &c) { c += c >= box.c1 ? n : 0; return c <= kMaxCols; });
  if (book) book->move_references(*this, moves);
  touch();
  return true;
}

void Sheet::remove(const Box &box, bool up) {
  const int n = up ? box.rows() : box.cols();
  auto moves = [&](int &r, int &c) {
    if (box.contains(r, c)) return false;
    if (up && c >= box.c1 && c <= box.c2 && r > box.r2) r -= n;
    if (!up && r >= box.r1 && r <= box.r2 && c > box.c2) c -= n;
    return true;
  };
  shift_keys(cells, [&](std::pair<int, int> &k) { return moves(k.first, k.second); });
  if (up && box.whole_rows())
    shift_keys(row_heights, [&](int &r) {
      if (r >= box.r1 && r <= box.r2) return false;
      if (r > box.r2) r -= n;
      return true;
    });
  if (!up && box.whole_cols())
    shift_keys(col_widths, [&](int &c) {
      if (c >= box.c1 && c <= box.c2) return false;
      if (c > box.c2) c -= n;
      return true;
    });
  if (book) book->move_references(*this, moves);
  touch();
}

void Sheet::touch() {
  if (book) ++book->changes;
}

bool known_paste_type(int32_t type) {
  return type == kPasteAll || type == kPasteValues || type == kPasteFormulas || type == kPasteFormats ||
         type == kPasteComments;
}

Clipboard take(const std::shared_ptr<Sheet> &sheet, const Box &box, bool cut) {
  Clipboard clip;
  clip.source = sheet;
  clip.box = box;
  clip.cut = cut;
  sheet->each(box, [&](int r, int c, Cell &cell) {
    clip.cells[{r - box.r1, c - box.c1}] = {cell, sheet->value(r, c)};
  });
  return clip;
}

bool paste(Sheet &dest, int r, int c, Clipboard &clip, int32_t type) {
  const Box to{r, c, r + clip.box.rows() - 1, c + clip.box.cols() - 1};
  if (r < 1 || c < 1 || to.r2 > kMaxRows || to.c2 > kMaxCols) return false;
  const int dr = r - clip.box.r1, dc = c - clip.box.c1;
  auto moved = [&](const std::wstring &formula) {
    return rewrite_references(formula, [&](Reference &ref) {
      if (!ref.abs_row) ref.row += dr;
      if (!ref.abs_col) ref.column += dc;
      return ref.row >= 1 && ref.row <= kMaxRows && ref.column >= 1 && ref.column <= kMaxCols;
    });
  };
  if (clip.cut && clip.source) {
    // The source cells leave first: a move onto an overlapping area keeps them.
    Sheet &from = *clip.source;
    from.each(clip.box, [&](int rr, int cc, Cell &) { from.cells.erase({rr, cc}); });
    from.touch();
  }
  const bool contents = type == kPasteAll || type == kPasteValues || type == kPasteFormulas;
  const bool formats = type == kPasteAll || type == kPasteFormats;
  const bool comments = type == kPasteAll || type == kPasteComments;
  // Destination cells the source leaves blank lose what is pasted over them.
  dest.each(to, [&](int rr, int cc, Cell &cell) {
    if (clip.cells.count({rr - r, cc - c})) return;
    if (contents) cell.value = {}, cell.formula.clear();
    if (formats) cell.format = L"General", cell.style = Style{};
    if (comments) cell.comment.reset();
    dest.tidy(rr, cc);
  });
  for (const auto &[at, clipped] : clip.cells) {
    Cell &cell = dest.at(r + at.first, c + at.second);
    const Cell &src = clipped.cell;
    if (type == kPasteValues) {
      cell.formula.clear();
      cell.value = clipped.value;
    } else if (contents) {
      cell.value = src.value;
      cell.formula = src.formula.empty() || clip.cut ? src.formula : moved(src.formula);
    }
    if (formats) cell.format = src.format, cell.style = src.style;
    if (comments) cell.comment = src.comment;
    dest.tidy(r + at.first, c + at.second);
  }
  // A move on one sheet takes the references to the moved cells along.
  if (clip.cut && clip.source.get() == &dest && dest.book)
    dest.book->move_references(dest, [&](int &rr, int &cc) {
      if (clip.box.contains(rr, cc)) rr += dr, cc += dc;
      return true;
    });
  dest.touch();
  if (clip.cut) clip = Clipboard{};
  return true;
}

// ---- Book ----

std::wstring Book::path() const {
  const size_t slash = full_name.find_last_of(L"\\/");
  return slash == std::wstring::npos ? L"" : full_name.substr(0, slash);
}

int Book::index_of(const Sheet *sheet) const { return position_of(sheets, sheet); }
std::shared_ptr<Sheet> Book::shared(const Sheet *sheet) const { return owner_of(sheets, sheet); }

std::shared_ptr<Sheet> Book::find(const std::wstring &n) const {
  for (const auto &s : sheets)
    if (_wcsicmp(s->name.c_str(), n.c_str()) == 0) return s;
  return nullptr;
}

std::shared_ptr<Sheet> Book::new_sheet() {
  std::wstring n;
  do n = L"Sheet" + std::to_wstring(next_sheet++);
  while (find(n));
  return std::make_shared<Sheet>(n);
}

void Book::insert(std::shared_ptr<Sheet> sheet, size_t position) {
  sheet->book = this;
  sheets.insert(sheets.begin() + static_cast<ptrdiff_t>(std::min(position, sheets.size())), std::move(sheet));
  ++changes;
}

void Book::detach(Sheet *sheet) {
  const int i = index_of(sheet);
  if (!i) return;
  sheets.erase(sheets.begin() + (i - 1));
  sheet->book = nullptr;
  if (active == sheet) active = sheets.empty() ? nullptr : sheets[std::min<size_t>(i - 1, sheets.size() - 1)].get();
  ++changes;
}

bool Book::name_allowed(const std::wstring &n, const Sheet *renamed) const {
  if (n.empty() || n.size() > 31 || n.find_first_of(L"[]:*?/\\") != std::wstring::npos) return false;
  auto other = find(n);
  return !other || other.get() == renamed;
}

std::wstring Book::copy_name(const std::wstring &of) const {
  for (int i = 2;; ++i) {
    std::wstring suffix = L" (" + std::to_wstring(i) + L")";
    std::wstring n = of.substr(0, 31 - suffix.size()) + suffix;
    if (!find(n)) return n;
  }
}

void Book::move_references(const Sheet &moved, const std::function<bool(int &, int &)> &map) {
  for (const auto &sheet : sheets)
    for (auto &[at, cell] : sheet->cells) {
      if (cell.formula.empty()) continue;
      cell.formula = rewrite_references(cell.formula, [&](Reference &ref) {
        const bool same = ref.sheet.empty() ? sheet.get() == &moved : _wcsicmp(ref.sheet.c_str(), moved.name.c_str()) == 0;
        return !same || map(ref.row, ref.column);
      });
    }
}

// ---- App ----

App::~App() {
  for (auto &book : books) book->app = nullptr;
}

int App::index_of(const Book *book) const { return position_of(books, book); }
std::shared_ptr<Book> App::shared(const Book *book) const { return owner_of(books, book); }

std::shared_ptr<Book> App::new_book(int sheet_count) {
  auto book = std::make_shared<Book>();
  book->app = this;
  book->name = book->full_name = L"Book" + std::to_wstring(next_book++);
  for (int i = 0; i < std::max(1, sheet_count); ++i) book->insert(book->new_sheet(), book->sheets.size());
  book->active = book->sheets.front().get();
  book->changes = 0;
  books.push_back(book);
  active = book.get();
  return book;
}

void App::close(Book *book) {
  const int i = index_of(book);
  if (!i) return;
  auto keep = books[i - 1];
  books.erase(books.begin() + (i - 1));
  book->app = nullptr;
  for (auto &sheet : book->sheets) sheet->book = nullptr;
  if (active == book) active = books.empty() ? nullptr : books.back().get();
}

}  // namespace standin::excel
