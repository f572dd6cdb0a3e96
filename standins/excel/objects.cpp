#include "objects.hpp"

#include "book_file.hpp"
#include "excel_standin.hpp"
#include "arguments.hpp"
#include "journal.hpp"
#include "model.hpp"
#include "server.hpp"

#include <cmath>
#include <optional>

namespace standin::excel {
namespace {

using AppPtr = std::shared_ptr<App>;
using BookPtr = std::shared_ptr<Book>;
using SheetPtr = std::shared_ptr<Sheet>;

// Most cells one call fills or returns; whole columns of a sheet are more
// than a stand-in needs to materialise.
constexpr long long kMostCells = 1 << 22;
constexpr long long kMostFilled = 1 << 16;

HRESULT refuse(Invocation &call, const std::wstring &what) {
  return call.raise(kRefused, L"Spreadsheet stand-in", what.c_str());
}

// ---- Values between the model and VARIANTs ----

int32_t error_number(const std::wstring &e) {
  static const std::pair<const wchar_t *, int32_t> codes[] = {
      {L"#NULL!", 2000}, {L"#DIV/0!", 2007}, {L"#VALUE!", 2015}, {L"#REF!", 2023},
      {L"#NAME?", 2029}, {L"#NUM!", 2036},   {L"#N/A", 2042}};
  for (const auto &[text, code] : codes)
    if (e == text) return code;
  return 2015;
}

void to_variant(const Value &v, VARIANT &out) {
  VariantClear(&out);
  switch (v.kind) {
    case Kind::empty: break;
    case Kind::number:
      out.vt = VT_R8;
      out.dblVal = v.number;
      break;
    case Kind::boolean:
      out.vt = VT_BOOL;
      out.boolVal = v.number ? VARIANT_TRUE : VARIANT_FALSE;
      break;
    case Kind::text:
      out.vt = VT_BSTR;
      out.bstrVal = SysAllocStringLen(v.text.data(), static_cast<UINT>(v.text.size()));
      break;
    case Kind::error:
      out.vt = VT_ERROR;
      out.scode = static_cast<SCODE>(0x800A0000u | static_cast<uint32_t>(error_number(v.text)));
      break;
  }
}

void to_variant(const std::wstring &s, VARIANT &out) { to_variant(Value::of_text(s), out); }
void to_variant(double d, VARIANT &out) { to_variant(Value::of_number(d), out); }
void to_variant(bool b, VARIANT &out) { to_variant(Value::of_bool(b), out); }
void to_variant(int32_t i, VARIANT &out) {
  VariantClear(&out);
  out.vt = VT_I4;
  out.lVal = i;
}

// Stores a client's value in a cell as Excel takes an assignment: text as
// typed input, numbers and dates as numbers, flags, empty clears.
bool store(Sheet &sheet, int r, int c, const VARIANT &v) {
  switch (v.vt) {
    case VT_BSTR:
      sheet.enter(r, c, v.bstrVal ? std::wstring(v.bstrVal, SysStringLen(v.bstrVal)) : std::wstring());
      return true;
    case VT_EMPTY:
    case VT_NULL:
      sheet.set_value(r, c, {});
      return true;
    case VT_BOOL:
      sheet.set_value(r, c, Value::of_bool(v.boolVal != VARIANT_FALSE));
      return true;
    case VT_DISPATCH:
    case VT_UNKNOWN:
      return false;
    default:
      if (auto d = real_of(v); d && std::isfinite(*d)) {
        sheet.set_value(r, c, Value::of_number(*d));
        return true;
      }
      return false;
  }
}

const Cell &blank_cell() {
  static const Cell blank;
  return blank;
}

// ---- Base of the views ----

class View : public Object {
 public:
  explicit View(AppPtr app) : app_(std::move(app)) {}

 protected:
  // A view answers while what it looks at is still part of a running
  // application: not closed, deleted or quit.
  HRESULT alive() const { return app_->quit ? RPC_E_DISCONNECTED : S_OK; }
  HRESULT alive(const Book &book) const { return book.app ? alive() : RPC_E_DISCONNECTED; }
  HRESULT alive(const Sheet &sheet) const { return sheet.book ? alive(*sheet.book) : RPC_E_DISCONNECTED; }
  // A sheet or book as a new view, or Nothing.
  template <class T, class P>
  HRESULT answer_or_nothing(Invocation &call, const P &shared) {
    if (shared) return answer<T>(call, app_, shared);
    call.set_object(nullptr);
    return S_OK;
  }
  // Application: the application object, Nothing once it is gone.
  HRESULT application(Invocation &call) {
    call.set_object(app_->object);
    return S_OK;
  }

  AppPtr app_;
};

class Workbook;
class Worksheet;
class Range;

// ---- Style views: Font, Interior, Borders ----

enum class RangeMode { cells, rows, columns };

class Cells : public View {
 public:
  Cells(AppPtr app, SheetPtr sheet, Box box) : View(std::move(app)), sheet_(std::move(sheet)), box_(box) {}
  HRESULT usable() const override { return alive(*sheet_); }
  long long area() const { return static_cast<long long>(box_.rows()) * box_.cols(); }

  // The common value of a cell property over the box, or Null when cells differ.
  template <class F>
  void uniform(Invocation &call, F get) const {
    std::optional<decltype(get(blank_cell()))> common;
    bool mixed = false;
    long long seen = 0;
    sheet_->each(box_, [&](int, int, Cell &cell) {
      ++seen;
      auto v = get(cell);
      if (common && !(*common == v)) mixed = true;
      common = v;
    });
    if (seen < area()) {
      auto v = get(blank_cell());
      if (common && !(*common == v)) mixed = true;
      common = v;
    }
    if (mixed) {
      call.result().vt = VT_NULL;
      return;
    }
    to_variant(*common, call.result());
  }
  // Applies a change to every cell of the box (only the existing ones in a
  // box larger than a stand-in fills).
  template <class F>
  void every(F change) {
    if (area() <= kMostFilled) {
      for (int r = box_.r1; r <= box_.r2; ++r)
        for (int c = box_.c1; c <= box_.c2; ++c) {
          change(sheet_->at(r, c));
          sheet_->tidy(r, c);
        }
    } else {
      sheet_->each(box_, [&](int r, int c, Cell &cell) {
        change(cell);
        sheet_->tidy(r, c);
      });
    }
    sheet_->touch();
  }

 protected:
  SheetPtr sheet_;
  Box box_;
};

// A style property of the cells as a member: Font.Bold, Interior.Color, ...
template <class F>
Member style_member(const wchar_t *name, VARTYPE type, F Style::*field) {
  Handler get = [field](Object &self, Invocation &call) {
    static_cast<Cells &>(self).uniform(call, [field](const Cell &c) { return c.style.*field; });
    return S_OK;
  };
  Handler put = [field, type](Object &self, Invocation &call) {
    const VARIANT &v = call.value();
    F value{};
    if constexpr (std::is_same_v<F, std::wstring>) value = v.bstrVal ? v.bstrVal : L"";
    else if constexpr (std::is_same_v<F, bool>) value = v.boolVal != VARIANT_FALSE;
    else if constexpr (std::is_same_v<F, double>) value = v.dblVal;
    else value = v.lVal;
    if constexpr (std::is_same_v<F, double>)
      if (!(value > 0 && value < 410)) return refuse(call, L"Unable to set the font size");
    static_cast<Cells &>(self).every([&](Cell &c) { c.style.*field = value; });
    return S_OK;
  };
  return Member{name, {}, type, get, put, false};
}

class Font final : public Cells {
 public:
  using Cells::Cells;
  const Members &members() const override {
    static const Members m{
        style_member(L"Name", VT_BSTR, &Style::font_name),
        style_member(L"Size", VT_R8, &Style::font_size),
        style_member(L"Bold", VT_BOOL, &Style::bold),
        style_member(L"Italic", VT_BOOL, &Style::italic),
        property<Font>(L"Underline", VT_VARIANT, &Font::get_underline, &Font::put_underline),
        style_member(L"Strikethrough", VT_BOOL, &Style::strikethrough),
        style_member(L"Color", VT_I4, &Style::font_color),
    };
    return m;
  }

 private:
  HRESULT get_underline(Invocation &call) {
    uniform(call, [](const Cell &c) { return c.style.underline; });
    return S_OK;
  }
  // True is a single underline, False none, as the application takes them.
  HRESULT put_underline(Invocation &call) {
    const VARIANT &v = call.value();
    std::optional<int32_t> style = v.vt == VT_BOOL ? std::optional<int32_t>(v.boolVal ? 2 : -4142) : int_of(v);
    if (!style) return DISP_E_TYPEMISMATCH;
    every([&](Cell &c) { c.style.underline = *style; });
    return S_OK;
  }
};

// Interior and Borders: one colour of the cells.
template <int32_t Style::*Field>
class ColorView final : public Cells {
 public:
  using Cells::Cells;
  const Members &members() const override {
    static const Members m{style_member(L"Color", VT_I4, Field)};
    return m;
  }
};
using Interior = ColorView<&Style::interior_color>;
using Borders = ColorView<&Style::border_color>;

// ---- Comment ----

class Comment final : public Cells {
 public:
  using Cells::Cells;
  const Members &members() const override {
    static const Members m{
        method<Comment>(L"Text", optional_params(3), &Comment::text),
        method<Comment>(L"Delete", {}, &Comment::remove),
    };
    return m;
  }
  HRESULT usable() const override {
    if (HRESULT hr = Cells::usable(); FAILED(hr)) return hr;
    const Cell *cell = sheet_->find(box_.r1, box_.c1);
    return cell && cell->comment ? S_OK : RPC_E_DISCONNECTED;
  }

 private:
  HRESULT text(Invocation &call) {
    Cell &cell = sheet_->at(box_.r1, box_.c1);
    if (call.given(0) && is_text(call.arg(0))) {
      cell.comment = call.text(0);
      sheet_->touch();
    }
    call.set_text(*cell.comment);
    return S_OK;
  }
  HRESULT remove(Invocation &) {
    sheet_->at(box_.r1, box_.c1).comment.reset();
    sheet_->tidy(box_.r1, box_.c1);
    sheet_->touch();
    return S_OK;
  }
};

// ---- PageSetup ----

class PageSetupView final : public View {
 public:
  PageSetupView(AppPtr app, SheetPtr sheet) : View(std::move(app)), sheet_(std::move(sheet)) {}
  HRESULT usable() const override { return alive(*sheet_); }
  const Members &members() const override {
    static const Members m{
        page(L"TopMargin"), page(L"BottomMargin"), page(L"LeftMargin"), page(L"RightMargin"),
        page(L"HeaderMargin"), page(L"FooterMargin"), page(L"CenterHorizontally"), page(L"CenterVertically"),
        page(L"LeftHeader"), page(L"CenterHeader"), page(L"RightHeader"), page(L"LeftFooter"),
        page(L"CenterFooter"), page(L"RightFooter"), page(L"PrintArea"), page(L"Orientation"), page(L"Zoom"),
    };
    return m;
  }

 private:
  // One page-setup property, typed by its default: margins in points
  // (0 to 1584), flags, texts, orientation 1 or 2, zoom 10 to 400.
  static Member page(const wchar_t *name) {
    const std::wstring key = name;
    const Value &d = page_setup_defaults().at(key);
    const VARTYPE type = d.kind == Kind::number ? VT_R8 : d.kind == Kind::boolean ? VT_BOOL : VT_BSTR;
    Handler get = [key](Object &self, Invocation &call) {
      to_variant(static_cast<PageSetupView &>(self).sheet_->page.at(key), call.result());
      return S_OK;
    };
    Handler put = [key, type](Object &self, Invocation &call) {
      Sheet &sheet = *static_cast<PageSetupView &>(self).sheet_;
      const VARIANT &v = call.value();
      Value value;
      if (type == VT_R8) {
        const double d = v.dblVal;
        const bool margin = key.find(L"Margin") != std::wstring::npos;
        const bool ok = margin ? d >= 0 && d <= 1584 : key == L"Zoom" ? d >= 10 && d <= 400 : d == 1 || d == 2;
        if (!std::isfinite(d) || !ok) return refuse(call, L"Unable to set the " + key + L" property of the PageSetup class");
        value = Value::of_number(d);
      } else if (type == VT_BOOL) {
        value = Value::of_bool(v.boolVal != VARIANT_FALSE);
      } else {
        value = Value::of_text(v.bstrVal ? v.bstrVal : L"");
      }
      sheet.page[key] = value;
      sheet.touch();
      return S_OK;
    };
    return Member{name, {}, type, get, put, false};
  }
  SheetPtr sheet_;
};

// ---- Range ----

class Range final : public Cells {
 public:
  Range(AppPtr app, SheetPtr sheet, Box box, RangeMode mode = RangeMode::cells)
      : Cells(std::move(app), std::move(sheet), box), mode_(mode) {}
  const Members &members() const override;
  std::wstring journal_name() const override { return L"Range(" + sheet_->name + L"!" + address_of(box_) + L")"; }
  const Box &box() const { return box_; }
  const SheetPtr &sheet() const { return sheet_; }

 private:
  HRESULT same(Invocation &call, RangeMode mode, Box box) { return answer<Range>(call, app_, sheet_, box, mode); }
  HRESULT rows(Invocation &call) { return same(call, RangeMode::rows, box_); }
  HRESULT columns(Invocation &call) { return same(call, RangeMode::columns, box_); }
  HRESULT cells(Invocation &call) { return same(call, RangeMode::cells, box_); }
  HRESULT entire_row(Invocation &call) { return same(call, RangeMode::rows, {box_.r1, 1, box_.r2, kMaxCols}); }
  HRESULT entire_column(Invocation &call) { return same(call, RangeMode::columns, {1, box_.c1, kMaxRows, box_.c2}); }
  HRESULT row(Invocation &call) { call.set_i4(box_.r1); return S_OK; }
  HRESULT column(Invocation &call) { call.set_i4(box_.c1); return S_OK; }
  HRESULT address(Invocation &call) { call.set_text(address_of(box_)); return S_OK; }
  HRESULT worksheet(Invocation &call);

  long long items() const {
    return mode_ == RangeMode::rows ? box_.rows() : mode_ == RangeMode::columns ? box_.cols() : area();
  }
  // Count is a 32-bit number and overflows on a large range, as in the
  // application; CountLarge is the same count as a 64-bit one.
  HRESULT count(Invocation &call) {
    const long long n = items();
    if (n > INT32_MAX) return DISP_E_OVERFLOW;
    call.set_i4(static_cast<int32_t>(n));
    return S_OK;
  }
  HRESULT count_large(Invocation &call) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I8;
    v.llVal = items();
    call.set_variant(v);
    return S_OK;
  }

  // Item(row, column) relative to the corner; Item(n): the n-th row of a
  // Rows range, the n-th column (or column letters) of a Columns range, the
  // n-th cell (row by row) of a cell range.
  HRESULT item(Invocation &call) {
    if (!call.given(0)) return DISP_E_PARAMNOTFOUND;
    // In 64 bits: any 32-bit index stays countable before the bounds check.
    long long r1 = box_.r1, c1 = box_.c1, r2 = box_.r2, c2 = box_.c2;
    if (call.given(1)) {
      auto r = int_of(call.arg(0)), c = int_of(call.arg(1));
      if (!r || !c) return DISP_E_TYPEMISMATCH;
      r1 = r2 = box_.r1 + static_cast<long long>(*r) - 1;
      c1 = c2 = box_.c1 + static_cast<long long>(*c) - 1;
    } else if (mode_ == RangeMode::columns && is_text(call.arg(0))) {
      auto col = parse_address(std::wstring(call.text(0)) + L":" + call.text(0));
      if (!col || !col->whole_cols()) return refuse(call, L"Unable to get the Item property");
      c1 = box_.c1 + col->c1 - 1;
      c2 = box_.c1 + col->c2 - 1;
    } else {
      auto n = int_of(call.arg(0));
      if (!n) return DISP_E_TYPEMISMATCH;
      const long long i = static_cast<long long>(*n) - 1;
      if (mode_ == RangeMode::rows) {
        r1 = r2 = box_.r1 + i;
      } else if (mode_ == RangeMode::columns) {
        c1 = c2 = box_.c1 + i;
      } else {
        const long long w = box_.cols();
        r1 = r2 = box_.r1 + (i >= 0 ? i / w : -((-i + w - 1) / w));
        c1 = c2 = box_.c1 + ((i % w) + w) % w;
      }
    }
    if (r1 < 1 || c1 < 1 || r2 > kMaxRows || c2 > kMaxCols) return refuse(call, L"Unable to get the Item property");
    const Box b{static_cast<int>(r1), static_cast<int>(c1), static_cast<int>(r2), static_cast<int>(c2)};
    return same(call, mode_, b);
  }

  HRESULT default_get(Invocation &call) { return call.given(0) ? item(call) : get_value(call); }

  HRESULT get_value(Invocation &call) {
    if (area() == 1) {
      to_variant(sheet_->value(box_.r1, box_.c1), call.result());
      return S_OK;
    }
    return array_of(call, [this](int r, int c, VARIANT &out) { to_variant(sheet_->value(r, c), out); });
  }
  // A 2-D array (1-based both ways) of the cells' values, as the application
  // returns a multi-cell range.
  template <class F>
  HRESULT array_of(Invocation &call, F fill) {
    if (area() > kMostCells) return E_OUTOFMEMORY;
    SAFEARRAYBOUND bounds[2] = {{static_cast<ULONG>(box_.rows()), 1}, {static_cast<ULONG>(box_.cols()), 1}};
    SAFEARRAY *array = SafeArrayCreate(VT_VARIANT, 2, bounds);
    if (!array) return E_OUTOFMEMORY;
    call.result_holder().clear();
    call.result().vt = VT_ARRAY | VT_VARIANT;
    call.result().parray = array;  // the result owns it from here on
    VARIANT *data = nullptr;
    if (FAILED(SafeArrayAccessData(array, reinterpret_cast<void **>(&data)))) return E_OUTOFMEMORY;
    // Column-major, the first dimension (rows) varying fastest.
    for (int c = 0; c < box_.cols(); ++c)
      for (int r = 0; r < box_.rows(); ++r) fill(box_.r1 + r, box_.c1 + c, data[static_cast<size_t>(c) * box_.rows() + r]);
    SafeArrayUnaccessData(array);
    return S_OK;
  }

  HRESULT put_value(Invocation &call) { return assign(call, false); }
  HRESULT put_formula(Invocation &call) { return assign(call, true); }

  // One value into every cell, or an array laid over the range (2-D, or 1-D
  // along the first row). Formula assignments take the same inputs.
  HRESULT assign(Invocation &call, bool) {
    const VARIANT &v = call.value();
    if (v.vt & VT_ARRAY) {
      SAFEARRAY *a = (v.vt & VT_BYREF) ? *v.pparray : v.parray;
      if (!a || (a->cDims != 1 && a->cDims != 2) || (v.vt & VT_TYPEMASK) != VT_VARIANT) return DISP_E_TYPEMISMATCH;
      const long rows = a->cDims == 2 ? static_cast<long>(a->rgsabound[1].cElements) : 1;
      const long cols = static_cast<long>(a->rgsabound[0].cElements);
      // rgsabound is stored in reverse order of the dimensions.
      const long lo_r = a->cDims == 2 ? a->rgsabound[1].lLbound : 0, lo_c = a->rgsabound[0].lLbound;
      for (long r = 0; r < std::min<long>(rows, box_.rows()); ++r)
        for (long c = 0; c < std::min<long>(cols, box_.cols()); ++c) {
          LONG index[2];
          Variant cell;
          if (a->cDims == 2) {
            index[0] = lo_r + r;
            index[1] = lo_c + c;
          } else {
            index[0] = lo_c + c;
          }
          if (FAILED(SafeArrayGetElement(a, index, cell.get())) || !store(*sheet_, box_.r1 + r, box_.c1 + c, *cell.get()))
            return DISP_E_TYPEMISMATCH;
        }
      return S_OK;
    }
    if (is_object(v)) return DISP_E_TYPEMISMATCH;
    if (area() > kMostFilled) return refuse(call, L"The stand-in fills at most 65536 cells at once");
    for (int r = box_.r1; r <= box_.r2; ++r)
      for (int c = box_.c1; c <= box_.c2; ++c)
        if (!store(*sheet_, r, c, v)) return DISP_E_TYPEMISMATCH;
    return S_OK;
  }

  HRESULT get_value2(Invocation &call) { return get_value(call); }
  HRESULT text(Invocation &call) {
    uniform_text(call, [this](int r, int c) { return sheet_->text(r, c); });
    return S_OK;
  }
  HRESULT formula(Invocation &call) {
    if (area() == 1) {
      call.set_text(sheet_->formula(box_.r1, box_.c1));
      return S_OK;
    }
    return array_of(call, [this](int r, int c, VARIANT &out) { to_variant(sheet_->formula(r, c), out); });
  }
  // Texts over a range: the common one, or Null.
  template <class F>
  void uniform_text(Invocation &call, F get) {
    std::optional<std::wstring> common;
    bool mixed = false;
    long long seen = 0;
    sheet_->each(box_, [&](int r, int c, Cell &) {
      ++seen;
      std::wstring t = get(r, c);
      if (common && *common != t) mixed = true;
      common = std::move(t);
    });
    if (seen < area()) {
      if (common && !common->empty()) mixed = true;
      if (!common) common = L"";
    }
    if (mixed) call.result().vt = VT_NULL;
    else call.set_text(*common);
  }
  HRESULT has_formula(Invocation &call) {
    uniform(call, [](const Cell &c) { return !c.formula.empty(); });
    return S_OK;
  }
  HRESULT number_format(Invocation &call) {
    uniform(call, [](const Cell &c) { return c.format; });
    return S_OK;
  }
  HRESULT put_number_format(Invocation &call) {
    std::wstring f = call.value().bstrVal ? call.value().bstrVal : L"";
    if (f.empty()) f = L"General";
    every([&](Cell &c) { c.format = f; });
    return S_OK;
  }
  HRESULT get_row_height(Invocation &call) {
    sizes(call, sheet_->row_heights, box_.r1, box_.r2, 15.0);
    return S_OK;
  }
  HRESULT get_column_width(Invocation &call) {
    sizes(call, sheet_->col_widths, box_.c1, box_.c2, 8.43);
    return S_OK;
  }
  void sizes(Invocation &call, const std::map<int, double> &m, int from, int to, double fallback) {
    std::optional<double> common;
    for (int i = from; i <= to; ++i) {
      auto it = m.find(i);
      const double v = it == m.end() ? fallback : it->second;
      if (common && *common != v) {
        call.result().vt = VT_NULL;
        return;
      }
      common = v;
      if (i - from > 20000 && m.empty()) break;  // all at the default
    }
    to_variant(*common, call.result());
  }
  HRESULT put_row_height(Invocation &call) { return put_size(call, sheet_->row_heights, box_.r1, box_.r2, 409); }
  HRESULT put_column_width(Invocation &call) { return put_size(call, sheet_->col_widths, box_.c1, box_.c2, 255); }
  HRESULT put_size(Invocation &call, std::map<int, double> &m, int from, int to, double most) {
    auto v = real_of(call.value());
    if (!v) return DISP_E_TYPEMISMATCH;
    if (!(*v >= 0 && *v <= most)) return refuse(call, L"Unable to set the size property of the Range class");
    if (to - from > 20000) return refuse(call, L"The stand-in sizes at most 20000 rows or columns at once");
    for (int i = from; i <= to; ++i) m[i] = *v;
    sheet_->touch();
    return S_OK;
  }

  // Insert(Shift): whole rows move down, whole columns right; otherwise
  // xlShiftDown (-4121) or xlShiftToRight (-4161), by default down when the
  // range is at least as wide as it is tall.
  HRESULT insert(Invocation &call) {
    if (box_.whole_rows() && box_.whole_cols()) return refuse(call, L"Insert method of Range class failed");
    const auto down = shifts_vertically(call, -4121, -4161);
    if (!down) return refuse(call, L"Insert method of Range class failed");
    if (!sheet_->insert(box_, *down))
      return refuse(call, L"To prevent possible loss of data, cells cannot be shifted off the sheet");
    call.set_bool(true);
    return S_OK;
  }
  // Delete(Shift): whole rows up, whole columns left; otherwise xlShiftUp
  // (-4162) or xlShiftToLeft (-4159), by default up when the range is at
  // least as wide as it is tall. The shift of whole rows or columns is not
  // looked at.
  HRESULT remove(Invocation &call) {
    if (box_.whole_rows() && box_.whole_cols()) {
      sheet_->cells.clear();
      sheet_->touch();
      return S_OK;
    }
    const auto up = shifts_vertically(call, -4162, -4159);
    if (!up) return refuse(call, L"Delete method of Range class failed");
    sheet_->remove(box_, *up);
    call.set_bool(true);
    return S_OK;
  }
  // Whether Insert's or Delete's Shift argument moves cells vertically: the
  // code `vertical`, or `horizontal`; nullopt for any other.
  std::optional<bool> shifts_vertically(Invocation &call, int32_t vertical, int32_t horizontal) const {
    if (box_.whole_rows() || box_.whole_cols()) return box_.whole_rows();
    if (!call.given(0)) return box_.cols() >= box_.rows();
    const auto shift = int_of(call.arg(0));
    if (!shift || (*shift != vertical && *shift != horizontal)) return std::nullopt;
    return *shift == vertical;
  }

  HRESULT clear(Invocation &) {
    return wipe([](Cell &c) { c = blank_cell(); });
  }
  HRESULT clear_contents(Invocation &) {
    return wipe([](Cell &c) { c.value = {}, c.formula.clear(); });
  }
  HRESULT clear_formats(Invocation &) {
    return wipe([](Cell &c) { c.format = L"General", c.style = Style{}; });
  }
  HRESULT clear_comments(Invocation &) {
    return wipe([](Cell &c) { c.comment.reset(); });
  }
  template <class F>
  HRESULT wipe(F change) {
    sheet_->each(box_, [&](int r, int c, Cell &cell) {
      change(cell);
      sheet_->tidy(r, c);
    });
    sheet_->touch();
    return S_OK;
  }

  HRESULT add_comment(Invocation &call) {
    Cell &cell = sheet_->at(box_.r1, box_.c1);
    if (cell.comment) {
      sheet_->tidy(box_.r1, box_.c1);
      return refuse(call, L"AddComment method of Range class failed");
    }
    cell.comment = call.given(0) && is_text(call.arg(0)) ? call.text(0) : L"";
    sheet_->touch();
    return answer<Comment>(call, app_, sheet_, Box{box_.r1, box_.c1, box_.r1, box_.c1});
  }
  HRESULT comment(Invocation &call) {
    const Cell *cell = sheet_->find(box_.r1, box_.c1);
    if (!cell || !cell->comment) {
      call.set_object(nullptr);
      return S_OK;
    }
    return answer<Comment>(call, app_, sheet_, Box{box_.r1, box_.c1, box_.r1, box_.c1});
  }

  // Copy(Destination) / Cut(Destination): straight to a destination range,
  // or onto the application's clipboard.
  HRESULT copy(Invocation &call) { return take_cells(call, false); }
  HRESULT cut(Invocation &call) { return take_cells(call, true); }
  HRESULT take_cells(Invocation &call, bool cut) {
    if (area() > kMostCells) return refuse(call, L"The stand-in copies at most 4194304 cells");
    Clipboard clip = take(sheet_, box_, cut);
    if (call.given(0)) {
      Range *to = call.object<Range>(0);
      if (!to) return refuse(call, L"Copy method of Range class failed");
      if (!paste(*to->sheet_, to->box_.r1, to->box_.c1, clip, kPasteAll))
        return refuse(call, L"Copy method of Range class failed");
      return S_OK;
    }
    app_->clipboard = std::move(clip);
    call.set_bool(true);
    return S_OK;
  }
  // PasteSpecial(Paste): xlPasteAll (the default), values, formulas, formats
  // or comments of the clipboard, at the range's top-left cell. After a cut
  // it moves the cells.
  HRESULT paste_special(Invocation &call) {
    int32_t type = kPasteAll;
    if (call.given(0)) {
      auto t = int_of(call.arg(0));
      if (!t || !known_paste_type(*t)) return refuse(call, L"PasteSpecial method of Range class failed");
      type = *t;
    }
    if (app_->clipboard.empty() || !paste(*sheet_, box_.r1, box_.c1, app_->clipboard, type))
      return refuse(call, L"PasteSpecial method of Range class failed");
    call.set_bool(true);
    return S_OK;
  }
  HRESULT select(Invocation &call) {
    sheet_->selection = box_;
    call.set_bool(true);
    return S_OK;
  }
  HRESULT print(Invocation &call) {
    call.set_bool(true);
    return S_OK;
  }
  HRESULT font(Invocation &call) { return answer<Font>(call, app_, sheet_, box_); }
  HRESULT interior(Invocation &call) { return answer<Interior>(call, app_, sheet_, box_); }
  HRESULT borders(Invocation &call) { return answer<Borders>(call, app_, sheet_, box_); }

  RangeMode mode_;
};

const Members &Range::members() const {
  static const Members m{
      as_default(property<Range>(L"_Default", VT_VARIANT, &Range::default_get, &Range::put_value, optional_params(2))),
      getter<Range>(L"Item", &Range::item, optional_params(2)),
      property<Range>(L"Value", VT_VARIANT, &Range::get_value, &Range::put_value, optional_params(1)),
      property<Range>(L"Value2", VT_VARIANT, &Range::get_value2, &Range::put_value),
      getter<Range>(L"Text", &Range::text),
      property<Range>(L"Formula", VT_VARIANT, &Range::formula, &Range::put_formula),
      property<Range>(L"FormulaLocal", VT_VARIANT, &Range::formula, &Range::put_formula),
      getter<Range>(L"HasFormula", &Range::has_formula),
      property<Range>(L"NumberFormat", VT_BSTR, &Range::number_format, &Range::put_number_format),
      property<Range>(L"NumberFormatLocal", VT_BSTR, &Range::number_format, &Range::put_number_format),
      getter<Range>(L"Address", &Range::address, optional_params(5)),
      getter<Range>(L"Row", &Range::row),
      getter<Range>(L"Column", &Range::column),
      getter<Range>(L"Count", &Range::count),
      getter<Range>(L"CountLarge", &Range::count_large),
      getter<Range>(L"Rows", &Range::rows),
      getter<Range>(L"Columns", &Range::columns),
      getter<Range>(L"Cells", &Range::cells),
      getter<Range>(L"EntireRow", &Range::entire_row),
      getter<Range>(L"EntireColumn", &Range::entire_column),
      method<Range>(L"Insert", optional_params(2), &Range::insert),
      method<Range>(L"Delete", optional_params(1), &Range::remove),
      method<Range>(L"Clear", {}, &Range::clear),
      method<Range>(L"ClearContents", {}, &Range::clear_contents),
      method<Range>(L"ClearFormats", {}, &Range::clear_formats),
      method<Range>(L"ClearComments", {}, &Range::clear_comments),
      method<Range>(L"AddComment", optional_params(1), &Range::add_comment),
      getter<Range>(L"Comment", &Range::comment),
      method<Range>(L"Copy", optional_params(1), &Range::copy),
      method<Range>(L"Cut", optional_params(1), &Range::cut),
      method<Range>(L"PasteSpecial", optional_params(4), &Range::paste_special),
      method<Range>(L"Select", {}, &Range::select),
      method<Range>(L"Activate", {}, &Range::select),
      getter<Range>(L"Font", &Range::font),
      getter<Range>(L"Interior", &Range::interior),
      getter<Range>(L"Borders", &Range::borders),
      style_member(L"WrapText", VT_BOOL, &Style::wrap),
      property<Range>(L"RowHeight", VT_VARIANT, &Range::get_row_height, &Range::put_row_height),
      property<Range>(L"ColumnWidth", VT_VARIANT, &Range::get_column_width, &Range::put_column_width),
      method<Range>(L"PrintPreview", optional_params(1), &Range::print),
      method<Range>(L"PrintOut", optional_params(8), &Range::print),
      getter<Range>(L"Worksheet", &Range::worksheet),
      getter<Range>(L"Parent", &Range::worksheet),
      getter<Range>(L"Application", &Range::application),
  };
  return m;
}

// ---- Worksheet ----

class Worksheet final : public View {
 public:
  Worksheet(AppPtr app, SheetPtr sheet) : View(std::move(app)), sheet_(std::move(sheet)) {}
  const Members &members() const override;
  std::wstring journal_name() const override { return L"Worksheet(" + sheet_->name + L")"; }
  HRESULT usable() const override { return alive(*sheet_); }
  const SheetPtr &sheet() const { return sheet_; }

 private:
  HRESULT get_name(Invocation &call) { call.set_text(sheet_->name); return S_OK; }
  HRESULT put_name(Invocation &call) {
    const std::wstring n = call.value().bstrVal ? call.value().bstrVal : L"";
    if (!sheet_->book->name_allowed(n, sheet_.get()))
      return refuse(call, L"That name is already taken or not allowed: " + n);
    sheet_->name = n;
    sheet_->touch();
    return S_OK;
  }
  HRESULT index(Invocation &call) { call.set_i4(sheet_->book->index_of(sheet_.get())); return S_OK; }
  HRESULT parent(Invocation &call);
  HRESULT activate(Invocation &call) {
    sheet_->book->active = sheet_.get();
    sheet_->book->app->active = sheet_->book;
    return S_OK;
  }

  // The position a Copy or Move names: Before or After another worksheet
  // of this application; absent: none (a new workbook).
  struct Target {
    Book *book = nullptr;
    size_t position = 0;
  };
  HRESULT target(Invocation &call, std::optional<Target> &out) {
    for (size_t i = 0; i < 2; ++i) {
      if (!call.given(i)) continue;
      Worksheet *at = call.object<Worksheet>(i);
      if (!at || !at->sheet_->book || at->sheet_->book->app != sheet_->book->app) return E_INVALIDARG;
      Book *book = at->sheet_->book;
      out = Target{book, static_cast<size_t>(book->index_of(at->sheet_.get()) - 1 + i)};
      return S_OK;
    }
    return S_OK;
  }
  // Copy(Before, After): the copy goes before or after that sheet, taking
  // "Name (2)" when its name is taken; without a position into a new
  // workbook. Like the application it returns nothing; the copy becomes the
  // active sheet.
  HRESULT copy(Invocation &call) {
    std::optional<Target> to;
    if (FAILED(target(call, to))) return refuse(call, L"Copy method of Worksheet class failed");
    auto twin = std::make_shared<Sheet>(*sheet_);
    twin->book = nullptr;
    Book *book = to ? to->book : new_book_for(twin);
    if (to) {
      if (book->find(twin->name)) twin->name = book->copy_name(sheet_->name);
      book->insert(twin, to->position);
    }
    book->active = twin.get();
    app_->active = book;
    return S_OK;
  }
  // Move(Before, After): within its workbook, into another one, or without
  // a position into a new workbook; the last sheet of a workbook stays.
  HRESULT move(Invocation &call) {
    std::optional<Target> to;
    if (FAILED(target(call, to))) return refuse(call, L"Move method of Worksheet class failed");
    Book *from = sheet_->book;
    if ((!to || to->book != from) && from->sheets.size() == 1)
      return refuse(call, L"A workbook must contain at least one visible worksheet");
    size_t position = to ? to->position : 0;
    if (to && to->book == from && static_cast<size_t>(from->index_of(sheet_.get())) <= position) --position;
    from->detach(sheet_.get());
    Book *book = to ? to->book : new_book_for(sheet_);
    if (to) {
      if (book != from && book->find(sheet_->name)) sheet_->name = book->copy_name(sheet_->name);
      book->insert(sheet_, position);
    }
    book->active = sheet_.get();
    app_->active = book;
    return S_OK;
  }
  Book *new_book_for(const SheetPtr &sheet) {
    auto book = app_->new_book(1);
    book->sheets.clear();
    book->insert(sheet, 0);
    book->active = sheet.get();
    book->changes = 0;
    return book.get();
  }
  HRESULT remove(Invocation &call) {
    Book *book = sheet_->book;
    if (book->sheets.size() == 1) return refuse(call, L"A workbook must contain at least one visible worksheet");
    book->detach(sheet_.get());
    call.set_bool(true);
    return S_OK;
  }

  HRESULT whole(Invocation &call, RangeMode mode) {
    return answer<Range>(call, app_, sheet_, Box{1, 1, kMaxRows, kMaxCols}, mode);
  }
  HRESULT cells(Invocation &call) { return whole(call, RangeMode::cells); }
  HRESULT rows(Invocation &call) { return whole(call, RangeMode::rows); }
  HRESULT columns(Invocation &call) { return whole(call, RangeMode::columns); }
  // The area with contents or formats; A1 on an empty sheet.
  HRESULT used_range(Invocation &call) {
    return answer<Range>(call, app_, sheet_, sheet_->used().value_or(Box{}));
  }

  // One corner of Range(Cell1, Cell2): an address of this sheet
  // ("A1", "B2:C3", "Sheet1!A1") or a range of this sheet.
  std::optional<Box> corner(const VARIANT &v) {
    if (is_text(v)) {
      std::wstring text = v.bstrVal ? v.bstrVal : L"";
      const size_t bang = text.rfind(L'!');
      if (bang != std::wstring::npos) {
        std::wstring sheet = text.substr(0, bang);
        if (sheet.size() >= 2 && sheet.front() == L'\'' && sheet.back() == L'\'') sheet = sheet.substr(1, sheet.size() - 2);
        if (_wcsicmp(sheet.c_str(), sheet_->name.c_str()) != 0) return std::nullopt;
        text = text.substr(bang + 1);
      }
      return parse_address(text);
    }
    if (!is_object(v)) return std::nullopt;
    Range *r = standin_cast<Range>(v.punkVal);
    if (!r || r->sheet() != sheet_) return std::nullopt;
    return r->box();
  }
  // Range(Cell1[, Cell2]): the box spanning both. Cell1 is required, as in
  // the application.
  HRESULT range(Invocation &call) {
    if (!call.given(0)) return DISP_E_PARAMNOTOPTIONAL;
    auto a = corner(call.arg(0));
    auto b = call.given(1) ? corner(call.arg(1)) : a;
    if (!a || !b) return refuse(call, L"Method 'Range' of object '_Worksheet' failed");
    const Box box{std::min(a->r1, b->r1), std::min(a->c1, b->c1), std::max(a->r2, b->r2), std::max(a->c2, b->c2)};
    return answer<Range>(call, app_, sheet_, box);
  }
  HRESULT page_setup(Invocation &call) { return answer<PageSetupView>(call, app_, sheet_); }

  // PasteSpecial(Format): the clipboard at the selection; a text format
  // ("Text", "Unicode Text") takes the values only.
  HRESULT paste_special(Invocation &call) {
    const std::wstring format = call.given(0) && is_text(call.arg(0)) ? call.text(0) : L"";
    const int32_t type = format.find(L"Text") != std::wstring::npos ? kPasteValues : kPasteAll;
    if (app_->clipboard.empty() || !paste(*sheet_, sheet_->selection.r1, sheet_->selection.c1, app_->clipboard, type))
      return refuse(call, L"PasteSpecial method of Worksheet class failed");
    return S_OK;
  }
  // Paste(Destination): everything, at the destination or the selection.
  HRESULT paste_method(Invocation &call) {
    Box at = sheet_->selection;
    if (call.given(0)) {
      auto to = corner(call.arg(0));
      if (!to) return refuse(call, L"Paste method of Worksheet class failed");
      at = *to;
    }
    if (app_->clipboard.empty() || !paste(*sheet_, at.r1, at.c1, app_->clipboard, kPasteAll))
      return refuse(call, L"Paste method of Worksheet class failed");
    return S_OK;
  }
  HRESULT print(Invocation &) { return S_OK; }

  SheetPtr sheet_;
};

const Members &Worksheet::members() const {
  static const Members m{
      property<Worksheet>(L"Name", VT_BSTR, &Worksheet::get_name, &Worksheet::put_name),
      getter<Worksheet>(L"Index", &Worksheet::index),
      getter<Worksheet>(L"Parent", &Worksheet::parent),
      getter<Worksheet>(L"Application", &Worksheet::application),
      method<Worksheet>(L"Activate", {}, &Worksheet::activate),
      method<Worksheet>(L"Select", optional_params(1), &Worksheet::activate),
      method<Worksheet>(L"Copy", optional_params(2), &Worksheet::copy),
      method<Worksheet>(L"Move", optional_params(2), &Worksheet::move),
      method<Worksheet>(L"Delete", {}, &Worksheet::remove),
      getter<Worksheet>(L"UsedRange", &Worksheet::used_range),
      getter<Worksheet>(L"Cells", &Worksheet::cells),
      getter<Worksheet>(L"Rows", &Worksheet::rows),
      getter<Worksheet>(L"Columns", &Worksheet::columns),
      getter<Worksheet>(L"Range", &Worksheet::range, optional_params(2)),
      getter<Worksheet>(L"PageSetup", &Worksheet::page_setup),
      method<Worksheet>(L"PasteSpecial", optional_params(7), &Worksheet::paste_special),
      method<Worksheet>(L"Paste", optional_params(2), &Worksheet::paste_method),
      method<Worksheet>(L"PrintPreview", optional_params(1), &Worksheet::print),
      method<Worksheet>(L"PrintOut", optional_params(8), &Worksheet::print),
  };
  return m;
}

HRESULT Range::worksheet(Invocation &call) { return answer<Worksheet>(call, app_, sheet_); }

// ---- Sheets ----

class Sheets final : public View {
 public:
  Sheets(AppPtr app, BookPtr book) : View(std::move(app)), book_(std::move(book)) {}
  HRESULT usable() const override { return alive(*book_); }
  const Members &members() const override {
    static const Members m{
        getter<Sheets>(L"Count", &Sheets::count),
        as_default(getter<Sheets>(L"Item", &Sheets::item, {{VT_VARIANT}})),
        method<Sheets>(L"Add", optional_params(4), &Sheets::add),
    };
    return m;
  }

 private:
  HRESULT count(Invocation &call) { call.set_i4(static_cast<int32_t>(book_->sheets.size())); return S_OK; }
  // Item(index or name): 1-based, names case-insensitive.
  HRESULT item(Invocation &call) {
    const SheetPtr sheet = find_item(call.arg(0), book_->sheets, named_as<Sheet>);
    if (!sheet) return DISP_E_BADINDEX;
    return answer<Worksheet>(call, app_, sheet);
  }
  // Add(Before, After, Count): new sheets before or after a sheet of this
  // workbook, by default before the active one; the last one added is
  // returned and active.
  HRESULT add(Invocation &call) {
    size_t position = static_cast<size_t>(std::max(0, book_->index_of(book_->active) - 1));
    for (size_t i = 0; i < 2; ++i) {
      if (!call.given(i)) continue;
      Worksheet *at = call.object<Worksheet>(i);
      if (!at || at->sheet()->book != book_.get()) return refuse(call, L"Add method of Sheets class failed");
      position = static_cast<size_t>(book_->index_of(at->sheet().get()) - 1 + i);
      break;
    }
    int n = 1;
    if (call.given(2)) {
      auto c = int_of(call.arg(2));
      if (!c || *c < 1 || *c > 255) return refuse(call, L"Add method of Sheets class failed");
      n = *c;
    }
    SheetPtr sheet;
    for (int i = 0; i < n; ++i) {
      sheet = book_->new_sheet();
      book_->insert(sheet, position + i);
    }
    book_->active = sheet.get();
    return answer<Worksheet>(call, app_, sheet);
  }

  BookPtr book_;
};

// ---- Workbook ----

class Workbook final : public View {
 public:
  Workbook(AppPtr app, BookPtr book) : View(std::move(app)), book_(std::move(book)) {}
  std::wstring journal_name() const override { return L"Workbook(" + book_->name + L")"; }
  HRESULT usable() const override { return alive(*book_); }
  const Members &members() const override {
    static const Members m{
        getter<Workbook>(L"Name", &Workbook::name),
        getter<Workbook>(L"FullName", &Workbook::full_name),
        getter<Workbook>(L"Path", &Workbook::path),
        getter<Workbook>(L"FileFormat", &Workbook::file_format),
        getter<Workbook>(L"ReadOnly", &Workbook::read_only),
        property<Workbook>(L"Saved", VT_BOOL, &Workbook::get_saved, &Workbook::put_saved),
        getter<Workbook>(L"Sheets", &Workbook::sheets),
        getter<Workbook>(L"Worksheets", &Workbook::sheets),
        getter<Workbook>(L"ActiveSheet", &Workbook::active_sheet),
        getter<Workbook>(L"Application", &Workbook::application),
        method<Workbook>(L"Activate", {}, &Workbook::activate),
        method<Workbook>(L"Save", {}, &Workbook::save),
        method<Workbook>(L"SaveAs", optional_params(12), &Workbook::save_as),
        method<Workbook>(L"Close", optional_params(3), &Workbook::close),
    };
    return m;
  }

 private:
  HRESULT name(Invocation &call) { call.set_text(book_->name); return S_OK; }
  HRESULT full_name(Invocation &call) { call.set_text(book_->full_name); return S_OK; }
  HRESULT path(Invocation &call) { call.set_text(book_->path()); return S_OK; }
  HRESULT file_format(Invocation &call) { call.set_i4(book_->file_format); return S_OK; }
  HRESULT read_only(Invocation &call) { call.set_bool(book_->read_only); return S_OK; }
  HRESULT get_saved(Invocation &call) { call.set_bool(book_->changes == 0); return S_OK; }
  HRESULT put_saved(Invocation &call) {
    book_->changes = call.value().boolVal != VARIANT_FALSE ? 0 : std::max(1L, book_->changes);
    return S_OK;
  }
  HRESULT sheets(Invocation &call) { return answer<Sheets>(call, app_, book_); }
  HRESULT active_sheet(Invocation &call) { return answer_or_nothing<Worksheet>(call, book_->shared(book_->active)); }
  HRESULT activate(Invocation &) {
    book_->app->active = book_.get();
    return S_OK;
  }
  // Save(): to the book's file; a book never saved, or opened read-only,
  // has none to save to.
  HRESULT save(Invocation &call) {
    if (book_->path().empty()) return refuse(call, L"The workbook has no file yet: use SaveAs");
    if (book_->read_only) return refuse(call, L"The workbook is read-only: " + book_->name);
    return write(call, book_->full_name);
  }
  // SaveAs(Filename, FileFormat, Password): the file name becomes the
  // book's; the format code is kept as given (the file is always our own
  // text format).
  HRESULT save_as(Invocation &call) {
    if (!call.given(0) || !is_text(call.arg(0)) || !*call.text(0)) return refuse(call, L"SaveAs method of Workbook class failed");
    const std::wstring path = full_path(call.text(0));
    for (const auto &other : book_->app->books)
      if (other != book_ && _wcsicmp(other->full_name.c_str(), path.c_str()) == 0)
        return refuse(call, L"A workbook of that name is open: " + path);
    int32_t format = book_->file_format;
    if (call.given(1)) {
      auto f = int_of(call.arg(1));
      if (!f) return refuse(call, L"SaveAs method of Workbook class failed");
      format = *f;
    }
    Book &b = *book_;
    const int32_t old_format = b.file_format;
    const std::wstring old_password = b.password;
    b.file_format = format;
    if (call.given(2) && is_text(call.arg(2))) b.password = call.text(2);
    if (HRESULT hr = write(call, path); FAILED(hr)) {
      b.file_format = old_format;
      b.password = old_password;
      return hr;
    }
    book_->full_name = path;
    book_->name = file_part(path);
    book_->read_only = false;
    return S_OK;
  }
  HRESULT write(Invocation &call, const std::wstring &path) {
    std::wstring error;
    if (!save_book(*book_, path, error)) return refuse(call, error);
    book_->changes = 0;
    return S_OK;
  }
  // Close(SaveChanges, Filename): saves first when asked (to Filename when
  // given); unsaved changes are otherwise dropped.
  HRESULT close(Invocation &call) {
    if (bool_arg(call, 0, false)) {
      HRESULT hr = call.given(1) ? save_as_from(call) : save(call);
      if (FAILED(hr)) return hr;
    }
    book_->app->close(book_.get());
    return S_OK;
  }
  HRESULT save_as_from(Invocation &call);

  BookPtr book_;
};

HRESULT Worksheet::parent(Invocation &call) { return answer_or_nothing<Workbook>(call, app_->shared(sheet_->book)); }

// Close's Filename is SaveAs's first argument.
HRESULT Workbook::save_as_from(Invocation &call) {
  std::vector<Variant> args(12);
  std::vector<bool> given(12, false);
  VariantCopy(args[0].get(), const_cast<VARIANT *>(&call.arg(1)));
  given[0] = true;
  Invocation inner(args, given, nullptr, nullptr);
  HRESULT hr = save_as(inner);
  if (hr == DISP_E_EXCEPTION) return refuse(call, L"Close method of Workbook class failed");
  return hr;
}

// ---- Workbooks ----

class Workbooks final : public View {
 public:
  using View::View;
  HRESULT usable() const override { return alive(); }
  const Members &members() const override {
    static const Members m{
        getter<Workbooks>(L"Count", &Workbooks::count),
        as_default(getter<Workbooks>(L"Item", &Workbooks::item, {{VT_VARIANT}})),
        method<Workbooks>(L"Add", optional_params(1), &Workbooks::add),
        method<Workbooks>(L"Open", std::vector<Param>{{VT_BSTR}, kOpt, kOpt, kOpt, kOpt, kOpt, kOpt, kOpt, kOpt,
                                                      kOpt, kOpt, kOpt, kOpt, kOpt, kOpt},
                          &Workbooks::open),
        method<Workbooks>(L"Close", {}, &Workbooks::close),
    };
    return m;
  }
  int sheets_in_new_workbook = 3;

 private:
  HRESULT count(Invocation &call) { call.set_i4(static_cast<int32_t>(app_->books.size())); return S_OK; }
  // Item(index or name): 1-based, names case-insensitive.
  HRESULT item(Invocation &call) {
    const BookPtr book = find_item(call.arg(0), app_->books, named_as<Book>, Pick::last);
    if (!book) return DISP_E_BADINDEX;
    return answer<Workbook>(call, app_, book);
  }
  HRESULT add(Invocation &call);
  // Open(FileName, UpdateLinks, ReadOnly, Format, Password, ...): a book
  // file of ours; a book already open from that file is returned as it is.
  HRESULT open(Invocation &call) {
    const std::wstring path = full_path(call.text(0));
    for (const auto &b : app_->books)
      if (_wcsicmp(b->full_name.c_str(), path.c_str()) == 0) {
        app_->active = b.get();
        return answer<Workbook>(call, app_, b);
      }
    auto book = std::make_shared<Book>();
    std::wstring error;
    if (!load_book(*book, path, error)) return refuse(call, error);
    const std::wstring password = call.given(4) && is_text(call.arg(4)) ? call.text(4) : L"";
    if (!book->password.empty() && password != book->password)
      return refuse(call, L"The password you supplied is not correct");
    book->app = app_.get();
    book->full_name = path;
    book->name = file_part(path);
    book->read_only = bool_arg(call, 2, false);
    app_->books.push_back(book);
    app_->active = book.get();
    return answer<Workbook>(call, app_, book);
  }
  HRESULT close(Invocation &) {
    while (!app_->books.empty()) app_->close(app_->books.back().get());
    return S_OK;
  }
};

// ---- Application ----

class Application final : public View {
 public:
  explicit Application(bool wps) : View(std::make_shared<App>(wps)) {
    set(L"Visible", Value::of_bool(false));
    set(L"DisplayAlerts", Value::of_bool(true));
    set(L"ScreenUpdating", Value::of_bool(true));
    set(L"Caption", Value::of_text(wps ? L"WPS Spreadsheets (stand-in)" : L"Microsoft Excel (stand-in)"));
    set(L"SheetsInNewWorkbook", Value::of_number(3));
    app_->object = static_cast<IDispatch *>(this);
  }
  ~Application() override { app_->object = nullptr; }
  HRESULT usable() const override { return alive(); }
  const Members &members() const override {
    static const Members m(
        {
            getter<Application>(L"Name", &Application::name),
            getter<Application>(L"Version", &Application::version),
            field(L"Visible", VT_BOOL),
            field(L"DisplayAlerts", VT_BOOL),
            field(L"ScreenUpdating", VT_BOOL),
            field(L"Caption", VT_BSTR),
            property<Application>(L"SheetsInNewWorkbook", VT_I4, &Application::get_sheets_in_new,
                                  &Application::put_sheets_in_new),
            getter<Application>(L"Workbooks", &Application::workbooks),
            getter<Application>(L"ActiveWorkbook", &Application::active_workbook),
            getter<Application>(L"ActiveSheet", &Application::active_sheet),
            method<Application>(L"Quit", {}, &Application::quit),
        },
        &control_members());
    return m;
  }
  int sheets_in_new() const { return static_cast<int>(fields_.at(L"SheetsInNewWorkbook")->lVal); }

 private:
  void set(const wchar_t *name, const Value &v) {
    Variant &slot = fields_[name];
    to_variant(v, *slot.get());
    if (v.kind == Kind::number) to_variant(static_cast<int32_t>(v.number), *slot.get());
  }
  HRESULT name(Invocation &call) {
    call.set_text(app_->wps ? L"WPS Spreadsheets" : L"Microsoft Excel");
    return S_OK;
  }
  HRESULT version(Invocation &call) { call.set_text(L"16.0"); return S_OK; }
  HRESULT get_sheets_in_new(Invocation &call) { call.set_i4(sheets_in_new()); return S_OK; }
  HRESULT put_sheets_in_new(Invocation &call) {
    const int32_t n = call.value().lVal;
    if (n < 1 || n > 255) return refuse(call, L"Unable to set the SheetsInNewWorkbook property");
    fields_[L"SheetsInNewWorkbook"]->lVal = n;
    return S_OK;
  }
  HRESULT workbooks(Invocation &call);
  HRESULT active_workbook(Invocation &call) { return answer_or_nothing<Workbook>(call, app_->shared(app_->active)); }
  HRESULT active_sheet(Invocation &call) {
    return answer_or_nothing<Worksheet>(call, app_->active ? app_->active->shared(app_->active->active) : SheetPtr());
  }
  // Quit: every workbook closes unsaved and the application leaves the
  // running-object table; the objects a client still holds answer no more.
  HRESULT quit(Invocation &) {
    while (!app_->books.empty()) app_->close(app_->books.back().get());
    app_->clipboard = Clipboard{};
    app_->quit = true;
    presence_.revoke();
    return S_OK;
  }

  ApplicationPresence presence_{static_cast<IDispatch *>(this)};
  friend class Workbooks;
};

HRESULT Application::workbooks(Invocation &call) {
  auto books = make<Workbooks>(app_);
  books->sheets_in_new_workbook = sheets_in_new();
  call.set_object(books.get());
  return S_OK;
}

// Add(Template): a new workbook of SheetsInNewWorkbook empty sheets, active.
HRESULT Workbooks::add(Invocation &call) {
  if (call.given(0) && !is_text(call.arg(0)) && !int_of(call.arg(0))) return refuse(call, L"Add method of Workbooks class failed");
  auto book = app_->new_book(sheets_in_new_workbook);
  return answer<Workbook>(call, app_, book);
}

}  // namespace

HRESULT create_excel(REFIID iid, void **out) { return make_as<Application>(iid, out, false); }
HRESULT create_wps(REFIID iid, void **out) { return make_as<Application>(iid, out, true); }

}  // namespace standin::excel
