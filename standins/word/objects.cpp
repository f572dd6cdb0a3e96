#include "objects.hpp"

#include "app_view.hpp"
#include "arguments.hpp"
#include "journal.hpp"
#include "model.hpp"
#include "server.hpp"
#include "word_standin.hpp"

#include <algorithm>
#include <cmath>
#include <optional>

namespace standin::word {
namespace {

// The word processor's own error numbers, raised as scodes 0x800Axxxx.
constexpr HRESULT kNoDocument = static_cast<HRESULT>(0x800A1098);   // 4248
constexpr HRESULT kNotAvailable = static_cast<HRESULT>(0x800A11FD); // 4605
constexpr HRESULT kOutOfRange = static_cast<HRESULT>(0x800A1200);   // 4608
constexpr HRESULT kFileNotFound = static_cast<HRESULT>(0x800A1436); // 5174
constexpr HRESULT kNoMember = static_cast<HRESULT>(0x800A1735);     // 5941
constexpr HRESULT kTypeMismatch = static_cast<HRESULT>(0x800A000D); // 13
constexpr int32_t kUndefined = 9999999;  // wdUndefined: characters differ

HRESULT refuse(Invocation &call, HRESULT code, const std::wstring &what) {
  return call.raise(code, L"Word stand-in", what.c_str());
}

std::wstring folder_part(const std::wstring &path) {
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? L"" : path.substr(0, slash);
}
bool file_exists(const std::wstring &path) {
  const DWORD a = GetFileAttributesW(path.c_str());
  return !path.empty() && a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

// ---- The application's state ----

struct App {
  std::vector<DocumentPtr> docs;
  DocumentPtr active;
  int next_number = 1;
  bool quit = false;
  FindState find;  // the find settings persist from one search to the next

  DocumentPtr add() {
    auto doc = std::make_shared<Document>();
    doc->name = L"Document" + std::to_wstring(next_number++);
    docs.push_back(doc);
    active = doc;
    return doc;
  }
  void close(const DocumentPtr &doc) {
    doc->open = false;
    docs.erase(std::remove(docs.begin(), docs.end(), doc), docs.end());
    if (active == doc) active = docs.empty() ? nullptr : docs.back();
  }
};
using AppPtr = std::shared_ptr<App>;

// ---- Base of the views ----

using View = AppView<App>;

// A view on one open document.
class DocView : public View {
 public:
  DocView(AppPtr app, DocumentPtr doc) : View(std::move(app)), doc_(std::move(doc)) {}
  HRESULT usable() const override { return doc_->open ? View::usable() : RPC_E_DISCONNECTED; }
  const DocumentPtr &doc() const { return doc_; }

 protected:
  DocumentPtr doc_;
};

// ---- Font: the characters of a span, or of the selection at each call ----

class ColorFormat final : public DocView {
 public:
  ColorFormat(AppPtr app, DocumentPtr doc, int32_t rgb) : DocView(std::move(app), std::move(doc)) {
    fields_[L"RGB"]->vt = VT_I4;
    fields_[L"RGB"]->lVal = rgb;
  }
  const Members &members() const override {
    static const Members m{field(L"RGB", VT_I4)};
    return m;
  }
};

class Font final : public DocView {
 public:
  // A negative start follows the selection.
  Font(AppPtr app, DocumentPtr doc, long start = -1, long end = -1)
      : DocView(std::move(app), std::move(doc)), start_(start), end_(end) {}
  const Members &members() const override {
    static const Members m{
        property<Font>(L"Name", VT_BSTR, &Font::get_name, &Font::put_name),
        property<Font>(L"Size", VT_R8, &Font::get_size, &Font::put_size),
        property<Font>(L"Color", VT_I4, &Font::get_color, &Font::put_color),
        property<Font>(L"Bold", VT_I4, &Font::get_bold, &Font::put_bold),
        property<Font>(L"Italic", VT_I4, &Font::get_italic, &Font::put_italic),
        // A colour object that cannot be assigned: its RGB can.
        getter<Font>(L"TextColor", &Font::text_color),
    };
    return m;
  }

 private:
  std::pair<long, long> span() const {
    return start_ < 0 ? std::pair{doc_->sel_start, doc_->sel_end} : std::pair{start_, end_};
  }
  // The common value over the span, or `mixed`.
  template <class T, class F>
  T common(F get, T mixed) const {
    auto [s, e] = span();
    if (s == e) return get(doc_->format_at(s));
    const T first = get(doc_->attrs[static_cast<size_t>(s)].format);
    for (long i = s + 1; i < e; ++i)
      if (!(get(doc_->attrs[static_cast<size_t>(i)].format) == first)) return mixed;
    return first;
  }
  template <class F>
  HRESULT change(F f) {
    auto [s, e] = span();
    doc_->change_format(s, e, f);
    return S_OK;
  }
  HRESULT get_name(Invocation &call) { call.set_text(common<std::wstring>([](const Format &f) { return f.name; }, L"")); return S_OK; }
  HRESULT put_name(Invocation &call) {
    const std::wstring name = call.value().bstrVal ? call.value().bstrVal : L"";
    return change([&](Format &f) { f.name = name; });
  }
  HRESULT get_size(Invocation &call) {
    call.result().vt = VT_R8;
    call.result().dblVal = common<double>([](const Format &f) { return f.size; }, kUndefined);
    return S_OK;
  }
  HRESULT put_size(Invocation &call) {
    const double size = call.value().dblVal;
    if (!(size >= 1 && size <= 1638)) return refuse(call, kOutOfRange, L"The number must be between 1 and 1638.");
    return change([&](Format &f) { f.size = size; });
  }
  HRESULT get_color(Invocation &call) { call.set_i4(common<int32_t>([](const Format &f) { return f.color; }, kUndefined)); return S_OK; }
  HRESULT put_color(Invocation &call) {
    const int32_t color = call.value().lVal;
    return change([&](Format &f) { f.color = color; });
  }
  HRESULT get_bold(Invocation &call) { call.set_i4(common<int32_t>([](const Format &f) { return f.bold ? -1 : 0; }, kUndefined)); return S_OK; }
  HRESULT put_bold(Invocation &call) {
    const bool on = call.value().lVal != 0;
    return change([&](Format &f) { f.bold = on; });
  }
  HRESULT get_italic(Invocation &call) { call.set_i4(common<int32_t>([](const Format &f) { return f.italic ? -1 : 0; }, kUndefined)); return S_OK; }
  HRESULT put_italic(Invocation &call) {
    const bool on = call.value().lVal != 0;
    return change([&](Format &f) { f.italic = on; });
  }
  HRESULT text_color(Invocation &call) {
    const int32_t color = common<int32_t>([](const Format &f) { return f.color; }, kUndefined);
    return answer<ColorFormat>(call, app_, doc_, color == kColorAutomatic ? 0 : color);
  }

  long start_, end_;
};

// ---- Range: a span of the story ----

class Range final : public DocView {
 public:
  Range(AppPtr app, DocumentPtr doc, long start, long end)
      : DocView(std::move(app), std::move(doc)), start_(start), end_(end) {
    const long size = static_cast<long>(doc_->text.size());
    start_ = std::clamp(start_, 0L, size);
    end_ = std::clamp(end_, start_, size);
  }
  const Members &members() const override {
    static const Members m{
        getter<Range>(L"Start", &Range::start),
        getter<Range>(L"End", &Range::end),
        as_default(property<Range>(L"Text", VT_BSTR, &Range::get_text, &Range::put_text)),
        method<Range>(L"Information", {{VT_I4}}, &Range::information),
        method<Range>(L"InsertAfter", {{VT_BSTR}}, &Range::insert_after),
        method<Range>(L"Select", {}, &Range::select),
        getter<Range>(L"Font", &Range::font),
    };
    return m;
  }
  std::wstring journal_name() const override {
    return L"Range(" + std::to_wstring(start_) + L"," + std::to_wstring(end_) + L")";
  }
  long start_at() const { return start_; }

 private:
  HRESULT start(Invocation &call) { call.set_i4(start_); return S_OK; }
  HRESULT end(Invocation &call) { call.set_i4(end_); return S_OK; }
  long clamped_end() const { return std::min(end_, static_cast<long>(doc_->text.size())); }
  HRESULT get_text(Invocation &call) {
    call.set_text(doc_->text.substr(static_cast<size_t>(std::min(start_, clamped_end())), static_cast<size_t>(clamped_end() - std::min(start_, clamped_end()))));
    return S_OK;
  }
  // The text replaces the span, which then covers the new text; the final
  // paragraph mark stays.
  HRESULT put_text(Invocation &call) {
    const std::wstring s = call.value().bstrVal ? call.value().bstrVal : L"";
    const long last = doc_->story_end();
    const long s0 = std::min(start_, last), e0 = std::min(end_, last);
    doc_->replace(s0, e0, s);
    start_ = s0;
    end_ = s0 + static_cast<long>(s.size());
    return S_OK;
  }
  HRESULT insert_after(Invocation &call) {
    const std::wstring s = call.text(0);
    const long at = std::min(end_, doc_->story_end());
    doc_->replace(at, at, s);
    end_ = at + static_cast<long>(s.size());
    return S_OK;
  }
  // wdActiveEndAdjustedPageNumber 1, wdActiveEndPageNumber 3,
  // wdNumberOfPagesInDocument 4, wdFirstCharacterLineNumber 10,
  // wdWithInTable 12 (tables stand beside the story here: false).
  HRESULT information(Invocation &call) {
    const int32_t type = call.i4(0);
    const auto lines = doc_->lines();
    const auto line_of = [&](long pos) {
      size_t l = 0;
      while (l + 1 < lines.size() && lines[l + 1].first <= pos) ++l;
      return static_cast<int32_t>(l);
    };
    switch (type) {
      case 1:
      case 3: call.set_i4(line_of(end_) / kLinesPerPage + 1); return S_OK;
      case 4: call.set_i4(doc_->pages()); return S_OK;
      case 10: call.set_i4(line_of(start_) % kLinesPerPage + 1); return S_OK;
      case 12: call.set_bool(false); return S_OK;
      default: return refuse(call, kOutOfRange, L"Value out of range");
    }
  }
  HRESULT select(Invocation &) {
    doc_->select(start_, end_);
    return S_OK;
  }
  HRESULT font(Invocation &call) { return answer<Font>(call, app_, doc_, start_, end_); }

  long start_, end_;
};

// The anchor position a Range argument names (of this document), the
// default when omitted; none for another object.
std::optional<long> anchor_arg(const Invocation &call, size_t i, const DocumentPtr &doc, long fallback) {
  if (!call.given(i)) return fallback;
  const VARIANT &v = call.arg(i);
  if (v.vt == VT_ERROR) return fallback;
  Range *range = call.object<Range>(i);
  if (!range || range->doc() != doc) return std::nullopt;
  return range->start_at();
}

// ---- Find ----

class Replacement final : public View {
 public:
  using View::View;
  const Members &members() const override {
    static const Members m{
        property<Replacement>(L"Text", VT_BSTR, &Replacement::get_text, &Replacement::put_text),
        method<Replacement>(L"ClearFormatting", {}, &Replacement::clear),
    };
    return m;
  }

 private:
  HRESULT get_text(Invocation &call) { call.set_text(app_->find.replacement); return S_OK; }
  HRESULT put_text(Invocation &call) { app_->find.replacement = call.value().bstrVal ? call.value().bstrVal : L""; return S_OK; }
  HRESULT clear(Invocation &) { return S_OK; }
};

// The find object of a document's selection: searches there (see
// Document::execute_find); its settings are the application's.
class Find final : public DocView {
 public:
  using DocView::DocView;
  const Members &members() const override {
    static const Members m{
        property<Find>(L"Text", VT_BSTR, &Find::get_text, &Find::put_text),
        getter<Find>(L"Replacement", &Find::replacement),
        flag(L"Forward", &FindState::forward),
        flag(L"MatchCase", &FindState::match_case),
        flag(L"MatchWholeWord", &FindState::whole_word),
        property<Find>(L"Wrap", VT_I4, &Find::get_wrap, &Find::put_wrap),
        method<Find>(L"ClearFormatting", {}, &Find::clear),
        method<Find>(L"Execute", optional_params(15), &Find::execute),
    };
    return m;
  }

 private:
  static Member flag(const wchar_t *name, bool FindState::*field) {
    Handler get = [field](Object &self, Invocation &call) {
      call.set_bool(static_cast<Find &>(self).app_->find.*field);
      return S_OK;
    };
    Handler put = [field](Object &self, Invocation &call) {
      static_cast<Find &>(self).app_->find.*field = call.value().boolVal != VARIANT_FALSE;
      return S_OK;
    };
    return Member{name, {}, VT_BOOL, get, put, false};
  }
  HRESULT get_text(Invocation &call) { call.set_text(app_->find.text); return S_OK; }
  HRESULT put_text(Invocation &call) { app_->find.text = call.value().bstrVal ? call.value().bstrVal : L""; return S_OK; }
  HRESULT replacement(Invocation &call) { return answer<Replacement>(call, app_); }
  HRESULT get_wrap(Invocation &call) { call.set_i4(app_->find.wrap); return S_OK; }
  HRESULT put_wrap(Invocation &call) {
    const int32_t wrap = call.value().lVal;
    if (wrap < 0 || wrap > 2) return refuse(call, kOutOfRange, L"Value out of range");
    app_->find.wrap = wrap;
    return S_OK;
  }
  HRESULT clear(Invocation &) { return S_OK; }
  // Execute(FindText, MatchCase, MatchWholeWord, MatchWildcards,
  // MatchSoundsLike, MatchAllWordForms, Forward, Wrap, Format, ReplaceWith,
  // Replace, ...): the arguments given become the find's settings.
  HRESULT execute(Invocation &call) {
    FindState &f = app_->find;
    if (call.given(0)) f.text = text_arg(call, 0);
    f.match_case = flag_arg(call, 1, f.match_case);
    f.whole_word = flag_arg(call, 2, f.whole_word);
    if (flag_arg(call, 3, false)) return refuse(call, kNotAvailable, L"Wildcard searches are not modelled.");
    f.forward = flag_arg(call, 6, f.forward);
    const int32_t wrap = int_arg(call, 7, f.wrap);
    if (wrap < 0 || wrap > 2) return refuse(call, kOutOfRange, L"Value out of range");
    f.wrap = wrap;
    if (call.given(9)) f.replacement = text_arg(call, 9);
    const int32_t replace = int_arg(call, 10, 0);
    if (replace < 0 || replace > 2) return refuse(call, kOutOfRange, L"Value out of range");
    call.set_bool(doc_->execute_find(f, replace));
    return S_OK;
  }
};

// ---- Selection ----

// Built-in styles by their WdBuiltinStyle numbers.
std::optional<std::wstring> style_name(const VARIANT &v) {
  if (is_text(v)) {
    std::wstring name = v.bstrVal ? v.bstrVal : L"";
    return known_style(name) ? std::optional(name) : std::nullopt;
  }
  switch (int_of(v).value_or(0)) {
    case -1: return L"Normal";
    case -63: return L"Title";
    case -75: return L"Subtitle";
    default: {
      const int32_t n = int_of(v).value_or(0);
      if (n <= -2 && n >= -10) return L"Heading " + std::to_wstring(-n - 1);
      return std::nullopt;
    }
  }
}

class Selection final : public DocView {
 public:
  using DocView::DocView;
  const Members &members() const override {
    static const Members m{
        getter<Selection>(L"Start", &Selection::start),
        getter<Selection>(L"End", &Selection::end),
        as_default(getter<Selection>(L"Text", &Selection::text)),
        getter<Selection>(L"Type", &Selection::type),
        method<Selection>(L"MoveLeft", optional_params(3), &Selection::move_left),
        method<Selection>(L"MoveRight", optional_params(3), &Selection::move_right),
        method<Selection>(L"MoveUp", optional_params(3), &Selection::move_up),
        method<Selection>(L"MoveDown", optional_params(3), &Selection::move_down),
        method<Selection>(L"HomeKey", optional_params(2), &Selection::home_key),
        method<Selection>(L"EndKey", optional_params(2), &Selection::end_key),
        method<Selection>(L"SetRange", {{VT_I4}, {VT_I4}}, &Selection::set_range),
        method<Selection>(L"TypeText", {{VT_BSTR}}, &Selection::type_text),
        method<Selection>(L"TypeParagraph", {}, &Selection::type_paragraph),
        getter<Selection>(L"Font", &Selection::font),
        property<Selection>(L"Style", VT_VARIANT, &Selection::get_style, &Selection::put_style),
        getter<Selection>(L"Find", &Selection::find),
        getter<Selection>(L"Range", &Selection::range),
    };
    return m;
  }
  std::wstring journal_name() const override { return L"Selection"; }

 private:
  HRESULT start(Invocation &call) { call.set_i4(doc_->sel_start); return S_OK; }
  HRESULT end(Invocation &call) { call.set_i4(doc_->sel_end); return S_OK; }
  HRESULT text(Invocation &call) {
    // A collapsed selection reads the character after the caret, as the application does.
    const long e = doc_->sel_start == doc_->sel_end ? doc_->sel_start + 1 : doc_->sel_end;
    call.set_text(doc_->text.substr(static_cast<size_t>(doc_->sel_start), static_cast<size_t>(e - doc_->sel_start)));
    return S_OK;
  }
  HRESULT type(Invocation &call) { call.set_i4(doc_->sel_start == doc_->sel_end ? 1 : 2); return S_OK; }
  // Move(Unit, Count, Extend): characters (wdCharacter 1) sideways, lines
  // (wdLine 5) up and down; Extend 1 (wdExtend) moves the active end only.
  HRESULT move(Invocation &call, int direction, bool vertical) {
    const int32_t unit = int_arg(call, 0, vertical ? 5 : 1);
    if (unit != (vertical ? 5 : 1)) return refuse(call, kNotAvailable, L"Only characters and lines are modelled.");
    const int32_t count = int_arg(call, 1, 1);
    const bool extend = int_arg(call, 2, 0) == 1;
    if (count < 0) direction = -direction;
    const int32_t n = std::abs(count);
    call.set_i4(vertical ? doc_->move_vertical(direction, n, extend) : doc_->move_horizontal(direction, n, extend));
    return S_OK;
  }
  HRESULT move_left(Invocation &call) { return move(call, -1, false); }
  HRESULT move_right(Invocation &call) { return move(call, 1, false); }
  HRESULT move_up(Invocation &call) { return move(call, -1, true); }
  HRESULT move_down(Invocation &call) { return move(call, 1, true); }
  // HomeKey/EndKey(Unit, Extend): the story (wdStory 6) or the line (wdLine 5).
  HRESULT key(Invocation &call, bool home) {
    const int32_t unit = int_arg(call, 0, 5);
    const bool extend = int_arg(call, 1, 0) == 1;
    long to = home ? 0 : doc_->story_end();
    if (unit == 5) {
      for (auto [s, e] : doc_->lines())
        if (doc_->sel_end >= s && doc_->sel_end <= e) to = home ? s : e;
    } else if (unit != 6) {
      return refuse(call, kNotAvailable, L"Only lines and the story are modelled.");
    }
    const long before = extend ? doc_->sel_start : to;
    extend ? doc_->select(before, to) : doc_->select(to, to);
    call.set_i4(1);
    return S_OK;
  }
  HRESULT home_key(Invocation &call) { return key(call, true); }
  HRESULT end_key(Invocation &call) { return key(call, false); }
  HRESULT set_range(Invocation &call) {
    doc_->select(call.i4(0), call.i4(1));
    return S_OK;
  }
  HRESULT type_text(Invocation &call) {
    doc_->type(call.text(0));
    return S_OK;
  }
  HRESULT type_paragraph(Invocation &) {
    doc_->type(std::wstring(1, kParagraphMark));
    return S_OK;
  }
  HRESULT font(Invocation &call) { return answer<Font>(call, app_, doc_); }
  HRESULT get_style(Invocation &call) { call.set_text(doc_->style_at(doc_->sel_start)); return S_OK; }
  HRESULT put_style(Invocation &call) {
    const auto name = style_name(call.value());
    if (!name) return refuse(call, kNoMember, L"The requested member of the collection does not exist.");
    doc_->set_style(doc_->sel_start, doc_->sel_end, *name);
    return S_OK;
  }
  HRESULT find(Invocation &call) { return answer<Find>(call, app_, doc_); }
  HRESULT range(Invocation &call) { return answer<Range>(call, app_, doc_, doc_->sel_start, doc_->sel_end); }
};

class Window final : public DocView {
 public:
  using DocView::DocView;
  const Members &members() const override {
    static const Members m{getter<Window>(L"Selection", &Window::selection)};
    return m;
  }

 private:
  HRESULT selection(Invocation &call) { return answer<Selection>(call, app_, doc_); }
};

// ---- Tables ----

using TablePtr = std::shared_ptr<Table>;

class TableView : public DocView {
 public:
  TableView(AppPtr app, DocumentPtr doc, TablePtr table)
      : DocView(std::move(app), std::move(doc)), table_(std::move(table)) {}
  HRESULT usable() const override {
    if (HRESULT hr = DocView::usable(); FAILED(hr)) return hr;
    return std::find(doc_->tables.begin(), doc_->tables.end(), table_) != doc_->tables.end() ? S_OK : RPC_E_DISCONNECTED;
  }

 protected:
  TablePtr table_;
};

// The text of a cell as the application gives it: the end-of-cell mark
// (CR and BEL) after it.
class CellRange final : public TableView {
 public:
  CellRange(AppPtr app, DocumentPtr doc, TablePtr table, int r, int c)
      : TableView(std::move(app), std::move(doc), std::move(table)), r_(r), c_(c) {}
  const Members &members() const override {
    static const Members m{as_default(property<CellRange>(L"Text", VT_BSTR, &CellRange::get_text, &CellRange::put_text))};
    return m;
  }
  std::wstring journal_name() const override { return L"CellRange(" + std::to_wstring(r_) + L"," + std::to_wstring(c_) + L")"; }

 private:
  HRESULT get_text(Invocation &call) { call.set_text(table_->cell(r_, c_) + L"\r\a"); return S_OK; }
  HRESULT put_text(Invocation &call) {
    std::wstring s = call.value().bstrVal ? std::wstring(call.value().bstrVal, SysStringLen(call.value().bstrVal)) : L"";
    if (s.ends_with(L"\r\a")) s.resize(s.size() - 2);  // the mark is the cell's, never its text
    table_->cell(r_, c_) = std::move(s);
    doc_->changed();
    return S_OK;
  }
  int r_, c_;
};

class Cell final : public TableView {
 public:
  Cell(AppPtr app, DocumentPtr doc, TablePtr table, int r, int c)
      : TableView(std::move(app), std::move(doc), std::move(table)), r_(r), c_(c) {}
  const Members &members() const override {
    static const Members m{
        getter<Cell>(L"Range", &Cell::range),
        method<Cell>(L"Select", {}, &Cell::select),
        getter<Cell>(L"RowIndex", &Cell::row_index),
        getter<Cell>(L"ColumnIndex", &Cell::column_index),
    };
    return m;
  }

 private:
  HRESULT range(Invocation &call) { return answer<CellRange>(call, app_, doc_, table_, r_, c_); }
  // The caret goes to the table's place in the story.
  HRESULT select(Invocation &) {
    doc_->select(table_->anchor, table_->anchor);
    return S_OK;
  }
  HRESULT row_index(Invocation &call) { call.set_i4(r_); return S_OK; }
  HRESULT column_index(Invocation &call) { call.set_i4(c_); return S_OK; }
  int r_, c_;
};

class TableObject final : public TableView {
 public:
  using TableView::TableView;
  const Members &members() const override {
    static const Members m{
        method<TableObject>(L"Cell", {{VT_I4}, {VT_I4}}, &TableObject::cell),
        getter<TableObject>(L"RowsCount", &TableObject::rows),
        getter<TableObject>(L"ColumnsCount", &TableObject::columns),
        method<TableObject>(L"Delete", {}, &TableObject::remove),
    };
    return m;
  }
  std::wstring journal_name() const override { return L"Table"; }

 private:
  HRESULT cell(Invocation &call) {
    const int32_t r = call.i4(0), c = call.i4(1);
    if (r < 1 || r > table_->rows || c < 1 || c > table_->cols)
      return refuse(call, kNoMember, L"The requested member of the collection does not exist.");
    return answer<Cell>(call, app_, doc_, table_, r, c);
  }
  HRESULT rows(Invocation &call) { call.set_i4(table_->rows); return S_OK; }
  HRESULT columns(Invocation &call) { call.set_i4(table_->cols); return S_OK; }
  HRESULT remove(Invocation &) {
    doc_->tables.erase(std::find(doc_->tables.begin(), doc_->tables.end(), table_));
    doc_->changed();
    return S_OK;
  }
};

class Tables final : public DocView {
 public:
  using DocView::DocView;
  const Members &members() const override {
    static const Members m{
        getter<Tables>(L"Count", &Tables::count),
        as_default(method<Tables>(L"Item", {{VT_I4}}, &Tables::item)),
        method<Tables>(L"Add", {{VT_VARIANT}, {VT_I4}, {VT_I4}, kOpt, kOpt}, &Tables::add),
    };
    return m;
  }

 private:
  HRESULT count(Invocation &call) { call.set_i4(static_cast<int32_t>(doc_->tables.size())); return S_OK; }
  HRESULT item(Invocation &call) {
    const int32_t i = call.i4(0);
    if (i < 1 || static_cast<size_t>(i) > doc_->tables.size())
      return refuse(call, kNoMember, L"The requested member of the collection does not exist.");
    return answer<TableObject>(call, app_, doc_, doc_->tables[static_cast<size_t>(i - 1)]);
  }
  // Add(Range, NumRows, NumColumns, ...): the range must be one of this
  // document's (a null object is a type mismatch).
  HRESULT add(Invocation &call) {
    Range *range = call.object<Range>(0);
    if (!range || range->doc() != doc_) return refuse(call, kTypeMismatch, L"Type mismatch");
    const int32_t rows = call.i4(1), cols = call.i4(2);
    if (rows < 1 || rows > 32767) return refuse(call, kOutOfRange, L"The number must be between 1 and 32767.");
    if (cols < 1 || cols > 63) return refuse(call, kOutOfRange, L"The number must be between 1 and 63.");
    auto table = std::make_shared<Table>();
    table->rows = rows;
    table->cols = cols;
    table->cells.resize(static_cast<size_t>(rows) * static_cast<size_t>(cols));
    table->anchor = range->start_at();
    doc_->insert_table(table);
    return answer<TableObject>(call, app_, doc_, table);
  }
};

// ---- Charts and OLE objects ----

class ChartWorkbook final : public View {
 public:
  using View::View;
  const Members &members() const override {
    static const Members m{getter<ChartWorkbook>(L"Name", &ChartWorkbook::name), method<ChartWorkbook>(L"Close", optional_params(1), &ChartWorkbook::close)};
    return m;
  }
  std::wstring journal_name() const override { return L"Workbook(Chart in Microsoft Word)"; }

 private:
  HRESULT name(Invocation &call) { call.set_text(L"Chart in Microsoft Word"); return S_OK; }
  HRESULT close(Invocation &) { return S_OK; }
};

class ShapeView : public DocView {
 public:
  ShapeView(AppPtr app, DocumentPtr doc, ShapePtr shape, bool is_inline)
      : DocView(std::move(app), std::move(doc)), shape_(std::move(shape)), inline_(is_inline) {}
  // A deleted shape, or one converted to the other kind, answers no more.
  HRESULT usable() const override {
    if (HRESULT hr = DocView::usable(); FAILED(hr)) return hr;
    return !shape_->gone && shape_->is_inline == inline_ ? S_OK : RPC_E_DISCONNECTED;
  }

 protected:
  ShapePtr shape_;
  bool inline_;
};

class ChartData final : public ShapeView {
 public:
  using ShapeView::ShapeView;
  const Members &members() const override {
    static const Members m{
        method<ChartData>(L"Activate", {}, &ChartData::activate),
        getter<ChartData>(L"Workbook", &ChartData::workbook),
        getter<ChartData>(L"IsLinked", &ChartData::is_linked),
    };
    return m;
  }

 private:
  HRESULT activate(Invocation &) { shape_->chart_activated = true; return S_OK; }
  // The data's workbook is there once the data was activated.
  HRESULT workbook(Invocation &call) {
    if (!shape_->chart_activated) return refuse(call, kNotAvailable, L"The chart data has not been activated.");
    return answer<ChartWorkbook>(call, app_);
  }
  HRESULT is_linked(Invocation &call) { call.set_bool(false); return S_OK; }
};

class Chart final : public ShapeView {
 public:
  using ShapeView::ShapeView;
  const Members &members() const override {
    static const Members m{
        getter<Chart>(L"ChartData", &Chart::data),
        getter<Chart>(L"ChartType", &Chart::type),
        getter<Chart>(L"ChartStyle", &Chart::style),
    };
    return m;
  }

 private:
  HRESULT data(Invocation &call) { return answer<ChartData>(call, app_, doc_, shape_, inline_); }
  HRESULT type(Invocation &call) { call.set_i4(shape_->chart_type); return S_OK; }
  HRESULT style(Invocation &call) { call.set_i4(shape_->chart_style); return S_OK; }
};

class OleObject final : public View {
 public:
  OleObject(AppPtr app, std::wstring prog_id) : View(std::move(app)), prog_id_(std::move(prog_id)) {}
  const Members &members() const override {
    static const Members m{getter<OleObject>(L"Name", &OleObject::name)};
    return m;
  }
  std::wstring journal_name() const override { return L"OLEObject(" + prog_id_ + L")"; }

 private:
  HRESULT name(Invocation &call) { call.set_text(prog_id_); return S_OK; }
  std::wstring prog_id_;
};

class OleFormat final : public ShapeView {
 public:
  using ShapeView::ShapeView;
  const Members &members() const override {
    static const Members m{
        property<OleFormat>(L"ClassType", VT_BSTR, &OleFormat::get_class, &OleFormat::put_class),
        getter<OleFormat>(L"Label", &OleFormat::label),
        getter<OleFormat>(L"ProgID", &OleFormat::prog_id),
        method<OleFormat>(L"Activate", {}, &OleFormat::activate),
        getter<OleFormat>(L"Object", &OleFormat::object),
        method<OleFormat>(L"Edit", {}, &OleFormat::edit),
        method<OleFormat>(L"Open", {}, &OleFormat::open),
    };
    return m;
  }

 private:
  HRESULT get_class(Invocation &call) { call.set_text(shape_->class_type); return S_OK; }
  HRESULT put_class(Invocation &call) { shape_->class_type = call.value().bstrVal ? call.value().bstrVal : L""; return S_OK; }
  HRESULT label(Invocation &call) { call.set_text(shape_->label); return S_OK; }
  HRESULT prog_id(Invocation &call) { call.set_text(shape_->prog_id); return S_OK; }
  HRESULT activate(Invocation &) { shape_->ole_activated = true; return S_OK; }
  HRESULT object(Invocation &call) { return answer<OleObject>(call, app_, shape_->prog_id); }
  HRESULT edit(Invocation &) { ++shape_->ole_edits; return S_OK; }
  HRESULT open(Invocation &) { ++shape_->ole_opens; return S_OK; }
};

// An inline shape or a floating shape: the two member tables differ as the
// application's do (Range and ScaleWidth inline only, Anchor floating only).
class ShapeObject final : public ShapeView {
 public:
  using ShapeView::ShapeView;
  const Members &members() const override { return inline_ ? inline_members() : floating_members(); }
  std::wstring journal_name() const override {
    return std::wstring(inline_ ? L"InlineShape(" : L"Shape(") + std::to_wstring(shape_->type) + L")";
  }

 private:
  // What inline and floating shapes both answer.
#define WORD_SHAPE_MEMBERS                                                                            \
  getter<ShapeObject>(L"Type", &ShapeObject::type),                                                   \
      property<ShapeObject>(L"Width", VT_R8, &ShapeObject::get_width, &ShapeObject::put_width),       \
      property<ShapeObject>(L"Height", VT_R8, &ShapeObject::get_height, &ShapeObject::put_height),    \
      getter<ShapeObject>(L"HasChart", &ShapeObject::has_chart),                                      \
      getter<ShapeObject>(L"HasSmartArt", &ShapeObject::has_smart_art),                               \
      property<ShapeObject>(L"Title", VT_BSTR, &ShapeObject::get_title, &ShapeObject::put_title),     \
      method<ShapeObject>(L"Select", optional_params(1), &ShapeObject::select),                       \
      method<ShapeObject>(L"Delete", {}, &ShapeObject::remove),                                       \
      getter<ShapeObject>(L"Chart", &ShapeObject::chart), getter<ShapeObject>(L"OLEFormat", &ShapeObject::ole_format)
  static const Members &inline_members() {
    static const Members m{
        WORD_SHAPE_MEMBERS,
        getter<ShapeObject>(L"Range", &ShapeObject::range),
        property<ShapeObject>(L"ScaleWidth", VT_R8, &ShapeObject::get_scale_width, &ShapeObject::put_scale_width),
        property<ShapeObject>(L"ScaleHeight", VT_R8, &ShapeObject::get_scale_height, &ShapeObject::put_scale_height),
        method<ShapeObject>(L"ConvertToShape", {}, &ShapeObject::convert),
    };
    return m;
  }
  static const Members &floating_members() {
    static const Members m{
        WORD_SHAPE_MEMBERS,
        getter<ShapeObject>(L"Anchor", &ShapeObject::range),
        property<ShapeObject>(L"Left", VT_R8, &ShapeObject::get_left, &ShapeObject::put_left),
        property<ShapeObject>(L"Top", VT_R8, &ShapeObject::get_top, &ShapeObject::put_top),
        method<ShapeObject>(L"ConvertToInlineShape", {}, &ShapeObject::convert),
    };
    return m;
  }
#undef WORD_SHAPE_MEMBERS

  HRESULT set_real(Invocation &call, double v) {
    call.result().vt = VT_R8;
    call.result().dblVal = v;
    return S_OK;
  }
  HRESULT put_size(Invocation &call, double &target) {
    const double v = call.value().dblVal;
    if (!(v >= 0 && v <= 1584)) return refuse(call, kOutOfRange, L"The measurement must be between 0 pt and 1584 pt.");
    target = v;
    doc_->changed();
    return S_OK;
  }
  HRESULT type(Invocation &call) { call.set_i4(shape_->type); return S_OK; }
  HRESULT get_width(Invocation &call) { return set_real(call, shape_->width); }
  HRESULT put_width(Invocation &call) { return put_size(call, shape_->width); }
  HRESULT get_height(Invocation &call) { return set_real(call, shape_->height); }
  HRESULT put_height(Invocation &call) { return put_size(call, shape_->height); }
  HRESULT get_left(Invocation &call) { return set_real(call, shape_->left); }
  HRESULT put_left(Invocation &call) { shape_->left = call.value().dblVal; return S_OK; }
  HRESULT get_top(Invocation &call) { return set_real(call, shape_->top); }
  HRESULT put_top(Invocation &call) { shape_->top = call.value().dblVal; return S_OK; }
  // Percent of the natural size.
  HRESULT get_scale_width(Invocation &call) { return set_real(call, shape_->width * 100 / shape_->natural_width); }
  HRESULT put_scale_width(Invocation &call) { shape_->width = shape_->natural_width * call.value().dblVal / 100; return S_OK; }
  HRESULT get_scale_height(Invocation &call) { return set_real(call, shape_->height * 100 / shape_->natural_height); }
  HRESULT put_scale_height(Invocation &call) { shape_->height = shape_->natural_height * call.value().dblVal / 100; return S_OK; }
  HRESULT has_chart(Invocation &call) { call.set_i4(shape_->chart() ? -1 : 0); return S_OK; }
  HRESULT has_smart_art(Invocation &call) { call.set_i4(shape_->smart_art() ? -1 : 0); return S_OK; }
  HRESULT get_title(Invocation &call) { call.set_text(shape_->title); return S_OK; }
  HRESULT put_title(Invocation &call) {
    shape_->title = call.value().bstrVal ? call.value().bstrVal : L"";
    doc_->changed();
    return S_OK;
  }
  HRESULT select(Invocation &) {
    doc_->select(shape_->anchor, shape_->anchor);
    return S_OK;
  }
  HRESULT remove(Invocation &) {
    auto &list = inline_ ? doc_->inline_shapes : doc_->shapes;
    list.erase(std::find(list.begin(), list.end(), shape_));
    shape_->gone = true;
    doc_->changed();
    return S_OK;
  }
  HRESULT range(Invocation &call) { return answer<Range>(call, app_, doc_, shape_->anchor, shape_->anchor); }
  HRESULT chart(Invocation &call) {
    if (!shape_->chart()) return refuse(call, kNotAvailable, L"This member can only be accessed for a chart object.");
    return answer<Chart>(call, app_, doc_, shape_, inline_);
  }
  HRESULT ole_format(Invocation &call) {
    if (!shape_->ole()) return refuse(call, kNotAvailable, L"This property is not available on this object.");
    return answer<OleFormat>(call, app_, doc_, shape_, inline_);
  }
  // The shape moves to the other collection; this handle answers no more.
  HRESULT convert(Invocation &call) {
    const int32_t type = inline_ ? floating_type_of(shape_->type) : inline_type_of(shape_->type);
    if (!type) return refuse(call, kNotAvailable, L"This method or property is not available on this object.");
    auto &from = inline_ ? doc_->inline_shapes : doc_->shapes;
    from.erase(std::find(from.begin(), from.end(), shape_));
    shape_->is_inline = !inline_;
    shape_->type = type;
    if (inline_) {
      doc_->shapes.push_back(shape_);
    } else {
      auto &to = doc_->inline_shapes;
      to.insert(std::find_if(to.begin(), to.end(), [&](const ShapePtr &s) { return s->anchor > shape_->anchor; }), shape_);
    }
    doc_->changed();
    return answer<ShapeObject>(call, app_, doc_, shape_, !inline_);
  }
};

// What the Add members of both collections share.
struct NewShape {
  int32_t type;
  double width, height;
};

class ShapeCollection : public DocView {
 public:
  ShapeCollection(AppPtr app, DocumentPtr doc, bool is_inline) : DocView(std::move(app), std::move(doc)), inline_(is_inline) {}

 protected:
  std::vector<ShapePtr> &list() const { return inline_ ? doc_->inline_shapes : doc_->shapes; }
  HRESULT count(Invocation &call) { call.set_i4(static_cast<int32_t>(list().size())); return S_OK; }
  HRESULT item(Invocation &call) {
    const int32_t i = call.i4(0);
    if (i < 1 || static_cast<size_t>(i) > list().size())
      return refuse(call, kNoMember, L"The requested member of the collection does not exist.");
    return answer<ShapeObject>(call, app_, doc_, list()[static_cast<size_t>(i - 1)], inline_);
  }
  // Adds a shape at `anchor` (inline shapes in story order, floating ones
  // on top of the others) and answers it.
  HRESULT add(Invocation &call, const ShapePtr &shape, std::optional<long> anchor) {
    if (!anchor) return refuse(call, kTypeMismatch, L"Type mismatch");
    shape->is_inline = inline_;
    shape->anchor = std::clamp(*anchor, 0L, doc_->story_end());
    if (shape->natural_width <= 0) shape->natural_width = shape->width > 0 ? shape->width : 1;
    if (shape->natural_height <= 0) shape->natural_height = shape->height > 0 ? shape->height : 1;
    auto &to = list();
    if (inline_)
      to.insert(std::find_if(to.begin(), to.end(), [&](const ShapePtr &s) { return s->anchor > shape->anchor; }), shape);
    else
      to.push_back(shape);
    doc_->changed();
    return answer<ShapeObject>(call, app_, doc_, shape, inline_);
  }
  static ShapePtr shape_of(int32_t type, double width, double height) {
    auto s = std::make_shared<Shape>();
    s->type = type;
    s->width = s->natural_width = width;
    s->height = s->natural_height = height;
    return s;
  }
  // A picture file must be there.
  HRESULT picture(Invocation &call, size_t file, int32_t type, int32_t linked_type, double w, double h, ShapePtr &out) {
    const std::wstring path = text_arg(call, file);
    if (!file_exists(path)) return refuse(call, kFileNotFound, L"This file could not be found.");
    out = shape_of(flag_arg(call, file + 1, false) ? linked_type : type, w, h);
    out->picture = full_path(path);
    return S_OK;
  }
  HRESULT ole(Invocation &call, int32_t embedded, int32_t linked, ShapePtr &out) {
    std::wstring class_type = text_arg(call, 0);
    const std::wstring file = text_arg(call, 1);
    const bool link = flag_arg(call, 2, false);
    if (class_type.empty() && file.empty()) return refuse(call, kNotAvailable, L"A class type or a file name is needed.");
    if (!file.empty() && !file_exists(file)) return refuse(call, kFileNotFound, L"This file could not be found.");
    if (class_type.empty()) {
      const std::wstring ext = file.substr(std::min(file.size(), file.find_last_of(L'.')));
      class_type = _wcsicmp(ext.c_str(), L".xlsx") == 0 ? L"Excel.Sheet.12"
                   : _wcsicmp(ext.c_str(), L".docx") == 0 ? L"Word.Document.12" : L"Package";
    }
    out = shape_of(link ? linked : embedded, 144, 108);
    out->class_type = out->prog_id = class_type;
    out->label = link ? full_path(file) : class_type;
    return S_OK;
  }
  HRESULT chart(Invocation &call, int32_t type, double w, double h, ShapePtr &out) {
    out = shape_of(type, w, h);
    out->chart_style = int_arg(call, 0, -1);
    out->chart_type = int_arg(call, 1, 51);  // xlColumnClustered
    return S_OK;
  }

  bool inline_;
};

class InlineShapes final : public ShapeCollection {
 public:
  InlineShapes(AppPtr app, DocumentPtr doc) : ShapeCollection(std::move(app), std::move(doc), true) {}
  const Members &members() const override {
    static const Members m{
        getter<InlineShapes>(L"Count", &InlineShapes::count),
        as_default(method<InlineShapes>(L"Item", {{VT_I4}}, &InlineShapes::item)),
        method<InlineShapes>(L"New", optional_params(1), &InlineShapes::add_new),
        method<InlineShapes>(L"AddPicture", {{VT_BSTR}, kOpt, kOpt, kOpt}, &InlineShapes::add_picture),
        method<InlineShapes>(L"AddChart2", optional_params(4), &InlineShapes::add_chart),
        method<InlineShapes>(L"AddHorizontalLine", {{VT_BSTR}, kOpt}, &InlineShapes::add_line),
        method<InlineShapes>(L"AddHorizontalLineStandard", optional_params(1), &InlineShapes::add_standard_line),
        method<InlineShapes>(L"AddOLEObject", optional_params(8), &InlineShapes::add_ole),
        method<InlineShapes>(L"AddOLEControl", optional_params(2), &InlineShapes::add_control),
        method<InlineShapes>(L"AddSmartArt", optional_params(2), &InlineShapes::add_smart_art),
    };
    return m;
  }

 private:
  // Without a Range the shape goes where the selection starts.
  std::optional<long> at(Invocation &call, size_t i) { return anchor_arg(call, i, doc_, doc_->sel_start); }
  // New: an empty one-inch picture.
  HRESULT add_new(Invocation &call) { return add(call, shape_of(kInlinePicture, 72, 72), at(call, 0)); }
  HRESULT add_picture(Invocation &call) {
    ShapePtr s;
    if (HRESULT hr = picture(call, 0, kInlinePicture, kInlineLinkedPicture, 144, 108, s); FAILED(hr)) return hr;
    return add(call, s, at(call, 3));
  }
  HRESULT add_chart(Invocation &call) {
    ShapePtr s;
    chart(call, kInlineChart, 432, 252, s);
    return add(call, s, at(call, 2));
  }
  HRESULT add_line(Invocation &call) {
    ShapePtr s;
    if (HRESULT hr = picture(call, 0, kInlinePictureHorizontalLine, kInlinePictureHorizontalLine, 468, 3, s); FAILED(hr)) return hr;
    return add(call, s, at(call, 1));
  }
  HRESULT add_standard_line(Invocation &call) { return add(call, shape_of(kInlineHorizontalLine, 468, 1.5), at(call, 0)); }
  HRESULT add_ole(Invocation &call) {
    ShapePtr s;
    if (HRESULT hr = ole(call, kInlineEmbeddedOle, kInlineLinkedOle, s); FAILED(hr)) return hr;
    return add(call, s, at(call, 7));
  }
  HRESULT add_control(Invocation &call) {
    const std::wstring class_type = text_arg(call, 0);
    if (class_type.empty()) return refuse(call, kNotAvailable, L"A class type is needed.");
    auto s = shape_of(kInlineOleControl, 72, 24);
    s->class_type = s->prog_id = class_type;
    return add(call, s, at(call, 1));
  }
  HRESULT add_smart_art(Invocation &call) { return add(call, shape_of(kInlineSmartArt, 432, 252), at(call, 1)); }
};

class Shapes final : public ShapeCollection {
 public:
  Shapes(AppPtr app, DocumentPtr doc) : ShapeCollection(std::move(app), std::move(doc), false) {}
  const Members &members() const override {
    static const Members m{
        getter<Shapes>(L"Count", &Shapes::count),
        as_default(method<Shapes>(L"Item", {{VT_I4}}, &Shapes::item)),
        method<Shapes>(L"AddShape", {{VT_I4}, {VT_R8}, {VT_R8}, {VT_R8}, {VT_R8}, kOpt}, &Shapes::add_shape),
        method<Shapes>(L"AddTextbox", {{VT_I4}, {VT_R8}, {VT_R8}, {VT_R8}, {VT_R8}, kOpt}, &Shapes::add_textbox),
        method<Shapes>(L"AddPicture", {{VT_BSTR}, kOpt, kOpt, kOpt, kOpt, kOpt, kOpt, kOpt}, &Shapes::add_picture),
        method<Shapes>(L"AddChart2", optional_params(8), &Shapes::add_chart),
        method<Shapes>(L"AddOLEObject", optional_params(12), &Shapes::add_ole),
        method<Shapes>(L"AddSmartArt", optional_params(6), &Shapes::add_smart_art),
    };
    return m;
  }

 private:
  // Left, Top, Width, Height from argument `first` on (the defaults where omitted).
  HRESULT place(Invocation &call, const ShapePtr &s, size_t first, size_t anchor) {
    s->left = real_arg(call, first, 0);
    s->top = real_arg(call, first + 1, 0);
    s->width = real_arg(call, first + 2, s->width);
    s->height = real_arg(call, first + 3, s->height);
    if (!(s->width >= 0 && s->height >= 0 && s->width <= 1584 && s->height <= 1584))
      return refuse(call, kOutOfRange, L"The measurement must be between 0 pt and 1584 pt.");
    s->natural_width = s->width;
    s->natural_height = s->height;
    return add(call, s, anchor_arg(call, anchor, doc_, doc_->sel_start));
  }
  HRESULT add_shape(Invocation &call) {
    auto s = shape_of(kShapeAutoShape, 0, 0);
    s->auto_shape = call.i4(0);
    return place(call, s, 1, 5);
  }
  HRESULT add_textbox(Invocation &call) { return place(call, shape_of(kShapeTextBox, 0, 0), 1, 5); }
  HRESULT add_picture(Invocation &call) {
    ShapePtr s;
    if (HRESULT hr = picture(call, 0, kShapePicture, kShapeLinkedPicture, 144, 108, s); FAILED(hr)) return hr;
    return place(call, s, 3, 7);
  }
  HRESULT add_chart(Invocation &call) {
    ShapePtr s;
    chart(call, kShapeChart, 432, 252, s);
    return place(call, s, 2, 6);
  }
  HRESULT add_ole(Invocation &call) {
    ShapePtr s;
    if (HRESULT hr = ole(call, kShapeEmbeddedOle, kShapeLinkedOle, s); FAILED(hr)) return hr;
    return place(call, s, 7, 11);
  }
  HRESULT add_smart_art(Invocation &call) { return place(call, shape_of(kShapeSmartArt, 432, 252), 1, 5); }
};

// ---- Documents ----

class DocumentObject final : public DocView {
 public:
  using DocView::DocView;
  const Members &members() const override {
    static const Members m{
        getter<DocumentObject>(L"Name", &DocumentObject::name),
        getter<DocumentObject>(L"FullName", &DocumentObject::full_name),
        getter<DocumentObject>(L"Path", &DocumentObject::path),
        property<DocumentObject>(L"Saved", VT_BOOL, &DocumentObject::get_saved, &DocumentObject::put_saved),
        getter<DocumentObject>(L"ReadOnly", &DocumentObject::read_only),
        method<DocumentObject>(L"Save", {}, &DocumentObject::save),
        method<DocumentObject>(L"SaveAs", std::vector<Param>(16, kOpt), &DocumentObject::save_as),
        method<DocumentObject>(L"SaveAs2", std::vector<Param>(17, kOpt), &DocumentObject::save_as),
        method<DocumentObject>(L"Close", optional_params(3), &DocumentObject::close),
        method<DocumentObject>(L"Activate", {}, &DocumentObject::activate),
        getter<DocumentObject>(L"ActiveWindow", &DocumentObject::active_window),
        method<DocumentObject>(L"Range", optional_params(2), &DocumentObject::range),
        getter<DocumentObject>(L"Content", &DocumentObject::content),
        method<DocumentObject>(L"ComputeStatistics", {{VT_I4}, kOpt}, &DocumentObject::statistics),
        getter<DocumentObject>(L"Tables", &DocumentObject::tables),
        getter<DocumentObject>(L"InlineShapes", &DocumentObject::inline_shapes),
        getter<DocumentObject>(L"Shapes", &DocumentObject::shapes),
    };
    return m;
  }
  std::wstring journal_name() const override { return L"Document(" + doc_->name + L")"; }

 private:
  HRESULT name(Invocation &call) { call.set_text(doc_->name); return S_OK; }
  HRESULT full_name(Invocation &call) { call.set_text(doc_->full_name.empty() ? doc_->name : doc_->full_name); return S_OK; }
  HRESULT path(Invocation &call) { call.set_text(folder_part(doc_->full_name)); return S_OK; }
  HRESULT get_saved(Invocation &call) { call.set_bool(doc_->saved); return S_OK; }
  HRESULT put_saved(Invocation &call) { doc_->saved = call.value().boolVal != VARIANT_FALSE; return S_OK; }
  HRESULT read_only(Invocation &call) { call.set_bool(doc_->read_only); return S_OK; }
  HRESULT write(Invocation &call, const std::wstring &path) {
    std::wstring error;
    if (!save_document(*doc_, path, error)) return refuse(call, kFileNotFound, error);
    doc_->full_name = path;
    doc_->name = file_part(path);
    doc_->saved = true;
    doc_->read_only = false;
    return S_OK;
  }
  // Save: a document never saved would need a name, one opened read-only a new one.
  HRESULT save(Invocation &call) {
    if (doc_->full_name.empty()) return refuse(call, kNotAvailable, L"The document has never been saved: it needs a name (SaveAs).");
    if (doc_->read_only) return refuse(call, kNotAvailable, L"This file is read-only.");
    return write(call, doc_->full_name);
  }
  HRESULT save_as(Invocation &call) {
    const std::wstring path = text_arg(call, 0);
    if (path.empty() || path.find_first_of(L"?*<>|\"") != std::wstring::npos)
      return refuse(call, kFileNotFound, L"The file name or path is not valid.");
    return write(call, full_path(path));
  }
  // Close(SaveChanges): -1 (or true) saves first, 0 does not; -2 (ask)
  // cannot ask here and closes unsaved.
  HRESULT close(Invocation &call) {
    if (int_arg(call, 0, 0) == -1) {
      if (HRESULT hr = save(call); FAILED(hr)) return hr;
    }
    app_->close(doc_);
    return S_OK;
  }
  HRESULT activate(Invocation &) { app_->active = doc_; return S_OK; }
  HRESULT active_window(Invocation &call) { return answer<Window>(call, app_, doc_); }
  HRESULT range(Invocation &call) {
    const long size = static_cast<long>(doc_->text.size());
    return answer<Range>(call, app_, doc_, int_arg(call, 0, 0), int_arg(call, 1, size));
  }
  HRESULT content(Invocation &call) { return answer<Range>(call, app_, doc_, 0, static_cast<long>(doc_->text.size())); }
  HRESULT statistics(Invocation &call) {
    const int32_t n = doc_->statistic(call.i4(0));
    if (n < 0) return refuse(call, kOutOfRange, L"Value out of range");
    call.set_i4(n);
    return S_OK;
  }
  HRESULT tables(Invocation &call) { return answer<Tables>(call, app_, doc_); }
  HRESULT inline_shapes(Invocation &call) { return answer<InlineShapes>(call, app_, doc_); }
  HRESULT shapes(Invocation &call) { return answer<Shapes>(call, app_, doc_); }
};

class Documents final : public View {
 public:
  using View::View;
  const Members &members() const override {
    static const Members m{
        getter<Documents>(L"Count", &Documents::count),
        as_default(method<Documents>(L"Item", {{VT_VARIANT}}, &Documents::item)),
        method<Documents>(L"Add", optional_params(4), &Documents::add),
        method<Documents>(L"Open", std::vector<Param>{{VT_BSTR}, kOpt, kOpt, kOpt, kOpt, kOpt, kOpt, kOpt, kOpt, kOpt,
                                                      kOpt, kOpt, kOpt, kOpt, kOpt, kOpt},
                          &Documents::open),
        method<Documents>(L"Close", optional_params(3), &Documents::close),
    };
    return m;
  }

 private:
  HRESULT count(Invocation &call) { call.set_i4(static_cast<int32_t>(app_->docs.size())); return S_OK; }
  // Item(index or name): 1-based; a name matches Name or FullName, case-insensitively.
  HRESULT item(Invocation &call) {
    const auto named = [](const Document &d, const wchar_t *name) {
      return named_as(d, name) || _wcsicmp(d.full_name.c_str(), name) == 0;
    };
    const DocumentPtr doc = find_item(call.arg(0), app_->docs, named, Pick::last);
    if (!doc) return refuse(call, kNoMember, L"The requested member of the collection does not exist.");
    return answer<DocumentObject>(call, app_, doc);
  }
  HRESULT add(Invocation &call) { return answer<DocumentObject>(call, app_, app_->add()); }
  // Open(FileName, ConfirmConversions, ReadOnly, ...): a document file of
  // ours; one already open from that file is returned as it is.
  HRESULT open(Invocation &call) {
    const std::wstring path = full_path(call.text(0));
    for (const auto &d : app_->docs)
      if (_wcsicmp(d->full_name.c_str(), path.c_str()) == 0) {
        app_->active = d;
        return answer<DocumentObject>(call, app_, d);
      }
    auto doc = std::make_shared<Document>();
    std::wstring error;
    if (!load_document(*doc, path, error)) return refuse(call, kFileNotFound, error);
    doc->full_name = path;
    doc->name = file_part(path);
    doc->read_only = flag_arg(call, 2, false);
    app_->docs.push_back(doc);
    app_->active = doc;
    return answer<DocumentObject>(call, app_, doc);
  }
  // Close(SaveChanges): every document, unsaved unless -1 asks to save.
  HRESULT close(Invocation &call) {
    const bool save = int_arg(call, 0, 0) == -1;
    for (const auto &d : app_->docs)
      if (save && !d->saved && (d->full_name.empty() || d->read_only))
        return refuse(call, kNotAvailable, L"A document has never been saved: it needs a name (SaveAs).");
    while (!app_->docs.empty()) {
      const DocumentPtr d = app_->docs.back();
      std::wstring error;
      if (save && !d->saved && !save_document(*d, d->full_name, error)) return refuse(call, kFileNotFound, error);
      app_->close(d);
    }
    return S_OK;
  }
};

// ---- Application ----

class Application final : public View {
 public:
  Application() : View(std::make_shared<App>()) {
    fields_[L"Visible"]->vt = VT_BOOL;
    fields_[L"Visible"]->boolVal = VARIANT_FALSE;
    fields_[L"DisplayAlerts"]->vt = VT_I4;
    fields_[L"DisplayAlerts"]->lVal = -1;  // wdAlertsAll
    fields_[L"ScreenUpdating"]->vt = VT_BOOL;
    fields_[L"ScreenUpdating"]->boolVal = VARIANT_TRUE;
    fields_[L"Caption"]->vt = VT_BSTR;
    fields_[L"Caption"]->bstrVal = SysAllocString(L"Word");
  }
  const Members &members() const override {
    static const Members m(
        {
            getter<Application>(L"Name", &Application::name),
            getter<Application>(L"Version", &Application::version),
            field(L"Visible", VT_BOOL),
            field(L"DisplayAlerts", VT_I4),
            field(L"ScreenUpdating", VT_BOOL),
            field(L"Caption", VT_BSTR),
            getter<Application>(L"Documents", &Application::documents),
            getter<Application>(L"ActiveDocument", &Application::active_document),
            getter<Application>(L"Selection", &Application::selection),
            method<Application>(L"Quit", optional_params(3), &Application::quit),
        },
        &control_members());
    return m;
  }

 private:
  HRESULT name(Invocation &call) { call.set_text(L"Microsoft Word"); return S_OK; }
  HRESULT version(Invocation &call) { call.set_text(L"16.0"); return S_OK; }
  HRESULT documents(Invocation &call) { return answer<Documents>(call, app_); }
  HRESULT no_document(Invocation &call) {
    return refuse(call, kNoDocument, L"This command is not available because no document is open.");
  }
  HRESULT active_document(Invocation &call) {
    return app_->active ? answer<DocumentObject>(call, app_, app_->active) : no_document(call);
  }
  HRESULT selection(Invocation &call) { return app_->active ? answer<Selection>(call, app_, app_->active) : no_document(call); }
  // Quit: every document closes unsaved and the application leaves the
  // running-object table; the objects a client still holds answer no more.
  HRESULT quit(Invocation &) {
    while (!app_->docs.empty()) app_->close(app_->docs.back());
    app_->quit = true;
    presence_.revoke();
    return S_OK;
  }

  ApplicationPresence presence_{static_cast<IDispatch *>(this)};
};

}  // namespace

HRESULT create_word(REFIID iid, void **out) { return make_as<Application>(iid, out); }

}  // namespace standin::word
