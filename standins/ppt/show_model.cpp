#include "show_model.hpp"

#include "file_text.hpp"

#include <windows.h>

#include <algorithm>
#include <cwchar>
#include <sstream>

namespace standin::ppt {

// ---- the model ----

std::shared_ptr<ShapeModel> ShapeModel::clone() const {
  auto copy = std::make_shared<ShapeModel>(*this);
  for (auto &c : copy->cells) c = c->clone();
  return copy;
}

std::shared_ptr<ShapeModel> SlideModel::add_shape(int32_t type, const std::wstring &base_name) {
  auto shape = std::make_shared<ShapeModel>();
  shape->id = next_shape_id++;
  shape->type = type;
  shape->name = base_name + L" " + std::to_wstring(shape->id);
  shapes.push_back(shape);
  return shape;
}

std::shared_ptr<SlideModel> SlideModel::clone() const {
  auto copy = std::make_shared<SlideModel>(*this);
  copy->owner = nullptr;
  for (auto &s : copy->shapes) s = s->clone();
  return copy;
}

std::wstring Presentation::path() const {
  const size_t slash = full_name.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : full_name.substr(0, slash);
}

std::shared_ptr<SlideModel> Presentation::insert_slide(size_t at, std::shared_ptr<SlideModel> slide) {
  slide->owner = this;
  slide->id = next_slide_id++;
  slide->name = L"Slide" + std::to_wstring(slide->id);
  slides.insert(slides.begin() + static_cast<std::ptrdiff_t>(std::min(at, slides.size())), slide);
  ++changes;
  return slide;
}

int32_t Presentation::index_of(const SlideModel *slide) const {
  for (size_t i = 0; i < slides.size(); ++i)
    if (slides[i].get() == slide) return static_cast<int32_t>(i + 1);
  return 0;
}

std::shared_ptr<Presentation> App::new_presentation() {
  auto p = std::make_shared<Presentation>();
  p->app = this;
  p->name = L"Presentation" + std::to_wstring(next_untitled++);
  presentations.push_back(p);
  active = p.get();
  return p;
}

std::shared_ptr<Presentation> App::shared(const Presentation *p) const {
  for (const auto &each : presentations)
    if (each.get() == p) return each;
  return nullptr;
}

void App::close(Presentation *p) {
  auto it = std::find_if(presentations.begin(), presentations.end(), [p](const auto &e) { return e.get() == p; });
  if (it == presentations.end()) return;
  for (auto &slide : p->slides) slide->owner = nullptr;
  p->app = nullptr;
  presentations.erase(it);
  if (active == p) active = presentations.empty() ? nullptr : presentations.back().get();
}

// ---- the file ----

namespace {

constexpr const wchar_t *kMagic = L"tarvo-show\t1";

std::wstring text_fields(const TextModel &t) {
  return escaped(t.text) + L"\t" + escaped(t.font_name) + L"\t" + escaped(t.far_east_name) + L"\t" + number_text(t.size) +
         L"\t" + std::to_wstring(t.color) + L"\t" + std::to_wstring(t.alignment);
}

// The text fields from `at` on; false when some are missing.
bool read_text(const std::vector<std::wstring> &f, size_t at, TextModel &t) {
  if (f.size() < at + 6) return false;
  t.text = unescaped(f[at]);
  t.font_name = unescaped(f[at + 1]);
  t.far_east_name = unescaped(f[at + 2]);
  t.size = wcstod(f[at + 3].c_str(), nullptr);
  t.color = static_cast<int32_t>(wcstol(f[at + 4].c_str(), nullptr, 10));
  t.alignment = static_cast<int32_t>(wcstol(f[at + 5].c_str(), nullptr, 10));
  return true;
}

void write_shape(std::wostringstream &out, const ShapeModel &s) {
  out << L"shape\t" << s.type << L'\t' << escaped(s.name) << L'\t' << number_text(s.left) << L'\t' << number_text(s.top) << L'\t'
      << number_text(s.width) << L'\t' << number_text(s.height) << L'\t' << number_text(s.rotation) << L'\t' << s.orientation << L'\t'
      << (s.has_text_frame ? 1 : 0) << L'\n';
  if (s.has_text_frame) out << L"text\t" << text_fields(s.text) << L'\n';
  const LineModel &l = s.line;
  out << L"line\t" << number_text(l.weight) << L'\t' << l.fore << L'\t' << l.back << L'\t' << l.dash << L'\t' << l.style
      << L'\t' << l.pattern << L'\t' << number_text(l.transparency);
  for (int32_t v : l.begin) out << L'\t' << v;
  for (int32_t v : l.end) out << L'\t' << v;
  out << L'\n';
  if (s.type == kTable) {
    out << L"table\t" << s.rows << L'\t' << s.cols << L'\n';
    for (int32_t r = 1; r <= s.rows; ++r)
      for (int32_t c = 1; c <= s.cols; ++c) out << L"cell\t" << r << L'\t' << c << L'\t' << text_fields(s.cell(r, c)->text) << L'\n';
  }
}

bool read_line_format(const std::vector<std::wstring> &f, LineModel &l) {
  if (f.size() < 14) return false;
  l.weight = wcstod(f[1].c_str(), nullptr);
  int32_t *ints[] = {&l.fore, &l.back, &l.dash, &l.style, &l.pattern};
  for (size_t i = 0; i < 5; ++i) *ints[i] = static_cast<int32_t>(wcstol(f[2 + i].c_str(), nullptr, 10));
  l.transparency = wcstod(f[7].c_str(), nullptr);
  for (size_t i = 0; i < 3; ++i) {
    l.begin[i] = static_cast<int32_t>(wcstol(f[8 + i].c_str(), nullptr, 10));
    l.end[i] = static_cast<int32_t>(wcstol(f[11 + i].c_str(), nullptr, 10));
  }
  return true;
}

}  // namespace

void make_table(ShapeModel &s, int32_t rows, int32_t cols) {
  s.rows = rows;
  s.cols = cols;
  s.cells.clear();
  for (int32_t i = 0; i < rows * cols; ++i) {
    auto cell = std::make_shared<ShapeModel>();
    cell->has_text_frame = true;
    s.cells.push_back(cell);
  }
}

bool save_show(const Presentation &show, const std::wstring &path, std::wstring &error) {
  std::wostringstream out;
  out << kMagic << L'\n';
  for (const auto &slide : show.slides) {
    out << L"slide\t" << slide->layout << L'\t' << escaped(slide->name) << L'\n';
    for (const auto &shape : slide->shapes) write_shape(out, *shape);
  }
  if (!write_file(path, utf8(out.str()))) {
    error = L"PowerPoint could not save the file: " + path;
    return false;
  }
  return true;
}

bool load_show(Presentation &show, const std::wstring &path, std::wstring &error) {
  std::string bytes;
  if (read_file(path, bytes, 1ull << 30) == FileRead::not_opened) {
    error = L"PowerPoint could not open the file: " + path;
    return false;
  }
  std::wistringstream in(wide(bytes));
  std::wstring line;
  auto next = [&] {
    if (!std::getline(in, line)) return false;
    if (!line.empty() && line.back() == L'\r') line.pop_back();
    return true;
  };
  if (!next() || line != kMagic) {
    error = L"PowerPoint cannot read this file: " + path;
    return false;
  }
  std::vector<std::shared_ptr<SlideModel>> slides;
  std::shared_ptr<ShapeModel> shape;
  while (next()) {
    const auto f = tab_fields(line);
    if (f[0] == L"slide" && f.size() >= 3) {
      auto slide = std::make_shared<SlideModel>();
      slide->layout = static_cast<int32_t>(wcstol(f[1].c_str(), nullptr, 10));
      slide->name = unescaped(f[2]);
      slides.push_back(slide);
      shape.reset();
    } else if (f[0] == L"shape" && f.size() >= 10 && !slides.empty()) {
      const int32_t type = static_cast<int32_t>(wcstol(f[1].c_str(), nullptr, 10));
      shape = slides.back()->add_shape(type, L"");
      shape->name = unescaped(f[2]);
      double *geometry[] = {&shape->left, &shape->top, &shape->width, &shape->height, &shape->rotation};
      for (size_t i = 0; i < 5; ++i) *geometry[i] = wcstod(f[3 + i].c_str(), nullptr);
      shape->orientation = static_cast<int32_t>(wcstol(f[8].c_str(), nullptr, 10));
      shape->has_text_frame = f[9] == L"1";
    } else if (f[0] == L"text" && shape) {
      read_text(f, 1, shape->text);
    } else if (f[0] == L"line" && shape) {
      read_line_format(f, shape->line);
    } else if (f[0] == L"table" && shape && f.size() >= 3) {
      const int32_t rows = static_cast<int32_t>(wcstol(f[1].c_str(), nullptr, 10));
      const int32_t cols = static_cast<int32_t>(wcstol(f[2].c_str(), nullptr, 10));
      if (rows >= 1 && cols >= 1 && rows <= 75 && cols <= 75) make_table(*shape, rows, cols);
    } else if (f[0] == L"cell" && shape && f.size() >= 4) {
      const auto cell = shape->cell(static_cast<int32_t>(wcstol(f[1].c_str(), nullptr, 10)),
                                    static_cast<int32_t>(wcstol(f[2].c_str(), nullptr, 10)));
      if (cell) read_text(f, 3, cell->text);
    }
  }
  for (auto &slide : slides) {
    const std::wstring name = slide->name;
    show.insert_slide(show.slides.size(), slide)->name = name;
  }
  show.changes = 0;
  return true;
}

}  // namespace standin::ppt
