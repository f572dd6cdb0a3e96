#include "book_file.hpp"

#include "file_text.hpp"

#include <windows.h>

#include <cwchar>
#include <sstream>

namespace standin::excel {
namespace {

constexpr const wchar_t *kMagic = L"tarvo-book";

std::wstring cell_name(int r, int c) { return column_letters(c) + std::to_wstring(r); }

// A value as "<n|s|b|e>\t<payload>".
std::wstring typed(const Value &v) {
  switch (v.kind) {
    case Kind::number: return L"n\t" + number_text(v.number);
    case Kind::boolean: return std::wstring(L"b\t") + (v.number ? L"1" : L"0");
    case Kind::error: return L"e\t" + escaped(v.text);
    default: return L"s\t" + escaped(v.text);
  }
}

Value untyped(const std::wstring &kind, const std::wstring &payload) {
  if (kind == L"n") return Value::of_number(wcstod(payload.c_str(), nullptr));
  if (kind == L"b") return Value::of_bool(payload == L"1");
  if (kind == L"e") return Value::of_error(unescaped(payload).c_str());
  return Value::of_text(unescaped(payload));
}

void style_lines(std::wostringstream &out, const std::wstring &at, const Style &s) {
  const Style d;
  auto line = [&](const wchar_t *key, const std::wstring &value) {
    out << L"style\t" << at << L'\t' << key << L'\t' << value << L'\n';
  };
  if (s.font_name != d.font_name) line(L"font", escaped(s.font_name));
  if (s.font_size != d.font_size) line(L"size", number_text(s.font_size));
  if (s.bold) line(L"bold", L"1");
  if (s.italic) line(L"italic", L"1");
  if (s.strikethrough) line(L"strike", L"1");
  if (s.underline != d.underline) line(L"underline", std::to_wstring(s.underline));
  if (s.font_color != d.font_color) line(L"color", std::to_wstring(s.font_color));
  if (s.interior_color != d.interior_color) line(L"interior", std::to_wstring(s.interior_color));
  if (s.border_color != d.border_color) line(L"border", std::to_wstring(s.border_color));
  if (s.wrap) line(L"wrap", L"1");
}

void apply_style(Style &s, const std::wstring &key, const std::wstring &value) {
  const long n = wcstol(value.c_str(), nullptr, 10);
  if (key == L"font") s.font_name = unescaped(value);
  else if (key == L"size") s.font_size = wcstod(value.c_str(), nullptr);
  else if (key == L"bold") s.bold = n != 0;
  else if (key == L"italic") s.italic = n != 0;
  else if (key == L"strike") s.strikethrough = n != 0;
  else if (key == L"underline") s.underline = n;
  else if (key == L"color") s.font_color = n;
  else if (key == L"interior") s.interior_color = n;
  else if (key == L"border") s.border_color = n;
  else if (key == L"wrap") s.wrap = n != 0;
}

std::optional<std::pair<int, int>> cell_at(const std::wstring &name) {
  auto box = parse_address(name);
  if (!box || box->rows() != 1 || box->cols() != 1) return std::nullopt;
  return std::pair{box->r1, box->c1};
}

}  // namespace

bool save_book(const Book &book, const std::wstring &path, std::wstring &error) {
  std::wostringstream out;
  out << kMagic << L"\t1\n";
  out << L"format\t" << book.file_format << L'\n';
  if (!book.password.empty()) out << L"password\t" << escaped(book.password) << L'\n';
  out << L"active\t" << book.index_of(book.active) << L'\n';
  for (const auto &sheet : book.sheets) {
    out << L"sheet\t" << escaped(sheet->name) << L'\n';
    for (const auto &[at, cell] : sheet->cells) {
      const std::wstring name = cell_name(at.first, at.second);
      if (!cell.formula.empty()) out << L"cell\t" << name << L"\tf\t" << escaped(cell.formula) << L'\n';
      else if (cell.value.kind != Kind::empty) out << L"cell\t" << name << L'\t' << typed(cell.value) << L'\n';
      if (cell.format != L"General") out << L"numfmt\t" << name << L'\t' << escaped(cell.format) << L'\n';
      style_lines(out, name, cell.style);
      if (cell.comment) out << L"comment\t" << name << L'\t' << escaped(*cell.comment) << L'\n';
    }
    for (const auto &[row, height] : sheet->row_heights) out << L"rowheight\t" << row << L'\t' << number_text(height) << L'\n';
    for (const auto &[col, width] : sheet->col_widths) out << L"colwidth\t" << col << L'\t' << number_text(width) << L'\n';
    for (const auto &[key, value] : sheet->page)
      if (!(page_setup_defaults().at(key) == value)) out << L"page\t" << key << L'\t' << typed(value) << L'\n';
  }
  if (!write_file(path, utf8(out.str()))) {
    error = L"Cannot write the file " + path;
    return false;
  }
  return true;
}

bool load_book(Book &book, const std::wstring &path, std::wstring &error) {
  error = L"Cannot find the file " + path;
  std::string bytes;
  const FileRead read = read_file(path, bytes, 1ull << 30);
  if (read == FileRead::not_opened) return false;
  error = L"The file format or extension of " + path + L" is not valid";
  if (read != FileRead::done) return false;
  const std::wstring text = wide(bytes);

  std::wistringstream in(text);
  std::wstring line;
  if (!std::getline(in, line)) return false;
  if (!line.empty() && line.back() == L'\r') line.pop_back();
  if (tab_fields(line).front() != kMagic) return false;

  std::vector<std::shared_ptr<Sheet>> sheets;
  int active = 1;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == L'\r') line.pop_back();
    const auto f = tab_fields(line);
    const std::wstring &kind = f[0];
    if (kind == L"format" && f.size() > 1) book.file_format = _wtoi(f[1].c_str());
    else if (kind == L"password" && f.size() > 1) book.password = unescaped(f[1]);
    else if (kind == L"active" && f.size() > 1) active = _wtoi(f[1].c_str());
    else if (kind == L"sheet" && f.size() > 1) sheets.push_back(std::make_shared<Sheet>(unescaped(f[1])));
    if (sheets.empty() || f.size() < 3) continue;
    Sheet &sheet = *sheets.back();
    if (kind == L"rowheight") sheet.row_heights[_wtoi(f[1].c_str())] = wcstod(f[2].c_str(), nullptr);
    else if (kind == L"colwidth") sheet.col_widths[_wtoi(f[1].c_str())] = wcstod(f[2].c_str(), nullptr);
    else if (kind == L"page" && f.size() > 3 && page_setup_defaults().count(f[1])) sheet.page[f[1]] = untyped(f[2], f[3]);
    auto at = cell_at(f[1]);
    if (!at) continue;
    Cell &cell = sheet.at(at->first, at->second);
    if (kind == L"cell" && f.size() > 3) {
      if (f[2] == L"f") cell.formula = unescaped(f[3]);
      else cell.value = untyped(f[2], f[3]);
    } else if (kind == L"numfmt") {
      cell.format = unescaped(f[2]);
    } else if (kind == L"style" && f.size() > 3) {
      apply_style(cell.style, f[2], f[3]);
    } else if (kind == L"comment") {
      cell.comment = unescaped(f[2]);
    }
    sheet.tidy(at->first, at->second);
  }
  if (sheets.empty()) return false;
  book.sheets.clear();
  for (auto &sheet : sheets) book.insert(sheet, book.sheets.size());
  book.active = book.sheets[active >= 1 && static_cast<size_t>(active) <= sheets.size() ? active - 1 : 0].get();
  book.changes = 0;
  error.clear();
  return true;
}

}  // namespace standin::excel
