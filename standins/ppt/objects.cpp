#include "objects.hpp"

#include "app_view.hpp"
#include "arguments.hpp"
#include "journal.hpp"
#include "ppt_standin.hpp"
#include "server.hpp"
#include "show_model.hpp"

#include <cmath>
#include <functional>
#include <optional>

namespace standin::ppt {
namespace {

using AppPtr = std::shared_ptr<App>;
using ShowPtr = std::shared_ptr<Presentation>;
using SlidePtr = std::shared_ptr<SlideModel>;
using ShapePtr = std::shared_ptr<ShapeModel>;

const Param kI4{VT_I4};
const Param kR8{VT_R8};
const Param kOptI4{VT_I4, true};
const Param kOptR8{VT_R8, true};

// A member the program refuses: its exception, described the way the program
// writes its own ("Slides.Add : Index out of range.").
HRESULT refuse(Invocation &call, const std::wstring &what) {
  return call.raise(kRefused, L"PowerPoint stand-in", what.c_str());
}

// Item(index or name) of a collection of named items: 1-based, names
// compared case-insensitively. The item, or null with the refusal in `hr`.
template <class T>
std::shared_ptr<T> item_by_key(Invocation &call, const std::vector<std::shared_ptr<T>> &items,
                               const wchar_t *collection, HRESULT &hr) {
  if (auto found = find_item(call.arg(0), items, named_as<T>)) return found;
  hr = refuse(call, std::wstring(collection) + (is_text(call.arg(0)) ? L".Item : Item " + std::wstring(call.text(0)) + L" not found."
                                                                    : std::wstring(L".Item : Integer out of range.")));
  return nullptr;
}

int32_t tri_state(bool b) { return b ? -1 : 0; }  // msoTrue, msoFalse

// ---- Base of the views ----

using View = AppView<App>;

// A view of something on a slide: answers while the slide is part of an
// open presentation of a running application.
class OnSlide : public View {
 public:
  OnSlide(AppPtr app, SlidePtr slide) : View(std::move(app)), slide_(std::move(slide)) {}
  HRESULT usable() const override {
    return !app_->quit && slide_->owner && slide_->owner->app ? S_OK : RPC_E_DISCONNECTED;
  }

 protected:
  void touch() { ++slide_->owner->changes; }
  SlidePtr slide_;
};

// An integer property of the model that takes the values from `low` to
// `high` (an enumeration of the program), refused otherwise.
template <class V>
Member ranged(const wchar_t *name, std::function<int32_t &(V &)> slot, int32_t low, int32_t high) {
  Handler get = [slot](Object &self, Invocation &call) {
    call.set_i4(slot(static_cast<V &>(self)));
    return S_OK;
  };
  Handler put = [slot, low, high, name](Object &self, Invocation &call) {
    const int32_t v = call.value().lVal;
    if (v < low || v > high) return refuse(call, std::wstring(name) + L" : The specified value is out of range.");
    slot(static_cast<V &>(self)) = v;
    static_cast<V &>(self).changed();
    return S_OK;
  };
  return Member{name, {}, VT_I4, get, put, false};
}

// A number property of the model, refused outside [low, high].
template <class V>
Member ranged_number(const wchar_t *name, std::function<double &(V &)> slot, double low, double high) {
  Handler get = [slot](Object &self, Invocation &call) {
    call.result().vt = VT_R8;
    call.result().dblVal = slot(static_cast<V &>(self));
    return S_OK;
  };
  Handler put = [slot, low, high, name](Object &self, Invocation &call) {
    const double v = call.value().dblVal;
    if (!(v >= low && v <= high)) return refuse(call, std::wstring(name) + L" : The specified value is out of range.");
    slot(static_cast<V &>(self)) = v;
    static_cast<V &>(self).changed();
    return S_OK;
  };
  return Member{name, {}, VT_R8, get, put, false};
}

// A text property of the model.
template <class V>
Member text_member(const wchar_t *name, std::function<std::wstring &(V &)> slot) {
  Handler get = [slot](Object &self, Invocation &call) {
    call.set_text(slot(static_cast<V &>(self)));
    return S_OK;
  };
  Handler put = [slot](Object &self, Invocation &call) {
    const BSTR v = call.value().bstrVal;
    slot(static_cast<V &>(self)) = v ? std::wstring(v, SysStringLen(v)) : std::wstring();
    static_cast<V &>(self).changed();
    return S_OK;
  };
  return Member{name, {}, VT_BSTR, get, put, false};
}

// ---- ColorFormat: the RGB of one colour of a shape ----

using ColorSlot = int32_t &(*)(ShapeModel &);

class ColorFormat final : public OnSlide {
 public:
  ColorFormat(AppPtr app, SlidePtr slide, ShapePtr shape, ColorSlot slot)
      : OnSlide(std::move(app), std::move(slide)), shape_(std::move(shape)), slot_(slot) {}
  const Members &members() const override {
    static const Members m{
        as_default(ranged<ColorFormat>(L"RGB", [](ColorFormat &c) -> int32_t & { return c.slot_(*c.shape_); }, 0,
                                       0xFFFFFF)),
        getter<ColorFormat>(L"Type", &ColorFormat::type),
    };
    return m;
  }
  void changed() { touch(); }

 private:
  HRESULT type(Invocation &call) {
    call.set_i4(1);  // msoColorTypeRGB
    return S_OK;
  }
  ShapePtr shape_;
  ColorSlot slot_;
};

int32_t &font_color(ShapeModel &s) { return s.text.color; }
int32_t &line_fore(ShapeModel &s) { return s.line.fore; }
int32_t &line_back(ShapeModel &s) { return s.line.back; }

// ---- Views of one shape: text frame, range, font, paragraphs, line ----

class OfShape : public OnSlide {
 public:
  OfShape(AppPtr app, SlidePtr slide, ShapePtr shape)
      : OnSlide(std::move(app), std::move(slide)), shape_(std::move(shape)) {}
  void changed() { touch(); }
  TextModel &text() { return shape_->text; }
  LineModel &line() { return shape_->line; }

 protected:
  template <class T, class... A>
  HRESULT part(Invocation &call, A &&...args) {
    return answer<T>(call, app_, slide_, shape_, std::forward<A>(args)...);
  }
  ShapePtr shape_;
};

class Font final : public OfShape {
 public:
  using OfShape::OfShape;
  const Members &members() const override {
    static const Members m{
        text_member<Font>(L"Name", [](Font &f) -> std::wstring & { return f.text().font_name; }),
        text_member<Font>(L"NameFarEast", [](Font &f) -> std::wstring & { return f.text().far_east_name; }),
        ranged_number<Font>(L"Size", [](Font &f) -> double & { return f.text().size; }, 1, 4000),
        getter<Font>(L"Color", &Font::color),
    };
    return m;
  }

 private:
  HRESULT color(Invocation &call) { return part<ColorFormat>(call, &font_color); }
};

class ParagraphFormat final : public OfShape {
 public:
  using OfShape::OfShape;
  const Members &members() const override {
    // ppAlignLeft 1 to ppAlignJustifyLow 7
    static const Members m{
        ranged<ParagraphFormat>(L"Alignment", [](ParagraphFormat &p) -> int32_t & { return p.text().alignment; }, 1, 7),
    };
    return m;
  }
};

class TextRange final : public OfShape {
 public:
  using OfShape::OfShape;
  const Members &members() const override {
    static const Members m{
        as_default(text_member<TextRange>(L"Text", [](TextRange &r) -> std::wstring & { return r.text().text; })),
        getter<TextRange>(L"Length", &TextRange::length),
        getter<TextRange>(L"Font", &TextRange::font),
        getter<TextRange>(L"ParagraphFormat", &TextRange::paragraphs),
    };
    return m;
  }

 private:
  HRESULT length(Invocation &call) {
    call.set_i4(static_cast<int32_t>(text().text.size()));
    return S_OK;
  }
  HRESULT font(Invocation &call) { return part<Font>(call); }
  HRESULT paragraphs(Invocation &call) { return part<ParagraphFormat>(call); }
};

class TextFrame final : public OfShape {
 public:
  using OfShape::OfShape;
  const Members &members() const override {
    static const Members m{
        getter<TextFrame>(L"TextRange", &TextFrame::range),
        getter<TextFrame>(L"HasText", &TextFrame::has_text),
        // msoTextOrientationHorizontal 1 to msoTextOrientationVerticalFarEast 6
        ranged<TextFrame>(L"Orientation", [](TextFrame &f) -> int32_t & { return f.shape_->orientation; }, 1, 6),
    };
    return m;
  }

 private:
  HRESULT range(Invocation &call) { return part<TextRange>(call); }
  HRESULT has_text(Invocation &call) {
    call.set_i4(tri_state(!text().text.empty()));
    return S_OK;
  }
};

class LineFormat final : public OfShape {
 public:
  using OfShape::OfShape;
  const Members &members() const override {
    static const Members m{
        ranged_number<LineFormat>(L"Weight", [](LineFormat &l) -> double & { return l.line().weight; }, 0, 1584),
        getter<LineFormat>(L"ForeColor", &LineFormat::fore),
        getter<LineFormat>(L"BackColor", &LineFormat::back),
        ranged<LineFormat>(L"DashStyle", [](LineFormat &l) -> int32_t & { return l.line().dash; }, 1, 12),
        ranged<LineFormat>(L"Style", [](LineFormat &l) -> int32_t & { return l.line().style; }, 1, 5),
        ranged<LineFormat>(L"Pattern", [](LineFormat &l) -> int32_t & { return l.line().pattern; }, 1, 62),
        ranged_number<LineFormat>(L"Transparency", [](LineFormat &l) -> double & { return l.line().transparency; }, 0,
                                  1),
        ranged<LineFormat>(L"BeginArrowheadLength", [](LineFormat &l) -> int32_t & { return l.line().begin[0]; }, 1, 3),
        ranged<LineFormat>(L"BeginArrowheadWidth", [](LineFormat &l) -> int32_t & { return l.line().begin[1]; }, 1, 3),
        ranged<LineFormat>(L"BeginArrowheadStyle", [](LineFormat &l) -> int32_t & { return l.line().begin[2]; }, 1, 6),
        ranged<LineFormat>(L"EndArrowheadLength", [](LineFormat &l) -> int32_t & { return l.line().end[0]; }, 1, 3),
        ranged<LineFormat>(L"EndArrowheadWidth", [](LineFormat &l) -> int32_t & { return l.line().end[1]; }, 1, 3),
        ranged<LineFormat>(L"EndArrowheadStyle", [](LineFormat &l) -> int32_t & { return l.line().end[2]; }, 1, 6),
    };
    return m;
  }

 private:
  HRESULT fore(Invocation &call) { return part<ColorFormat>(call, &line_fore); }
  HRESULT back(Invocation &call) { return part<ColorFormat>(call, &line_back); }
};

class Shape;

// ---- Table: rows, columns and cells (each cell has a shape of its own) ----

class TableLines final : public OfShape {
 public:
  TableLines(AppPtr app, SlidePtr slide, ShapePtr shape, bool rows)
      : OfShape(std::move(app), std::move(slide), std::move(shape)), rows_(rows) {}
  const Members &members() const override {
    static const Members m{getter<TableLines>(L"Count", &TableLines::count)};
    return m;
  }

 private:
  HRESULT count(Invocation &call) {
    call.set_i4(rows_ ? shape_->rows : shape_->cols);
    return S_OK;
  }
  bool rows_;
};

class Cell final : public OfShape {
 public:
  Cell(AppPtr app, SlidePtr slide, ShapePtr table, ShapePtr cell)
      : OfShape(std::move(app), std::move(slide), std::move(table)), cell_(std::move(cell)) {}
  const Members &members() const override {
    static const Members m{getter<Cell>(L"Shape", &Cell::shape)};
    return m;
  }

 private:
  HRESULT shape(Invocation &call);
  ShapePtr cell_;
};

class Table final : public OfShape {
 public:
  using OfShape::OfShape;
  const Members &members() const override {
    static const Members m{
        getter<Table>(L"Rows", &Table::rows),
        getter<Table>(L"Columns", &Table::columns),
        method<Table>(L"Cell", {kI4, kI4}, &Table::cell),
    };
    return m;
  }

 private:
  HRESULT rows(Invocation &call) { return part<TableLines>(call, true); }
  HRESULT columns(Invocation &call) { return part<TableLines>(call, false); }
  HRESULT cell(Invocation &call) {
    ShapePtr c = shape_->cell(call.i4(0), call.i4(1));
    if (!c) return refuse(call, L"Table.Cell : The specified value is out of range.");
    return part<Cell>(call, c);
  }
};

// ---- Shape ----

class Shape final : public OfShape {
 public:
  using OfShape::OfShape;
  std::wstring journal_name() const override { return L"Shape(" + shape_->name + L")"; }
  const Members &members() const override {
    static const Members m{
        text_member<Shape>(L"Name", [](Shape &s) -> std::wstring & { return s.shape_->name; }),
        getter<Shape>(L"Id", &Shape::id),
        getter<Shape>(L"Type", &Shape::type),
        ranged_number<Shape>(L"Left", [](Shape &s) -> double & { return s.shape_->left; }, -169056, 169056),
        ranged_number<Shape>(L"Top", [](Shape &s) -> double & { return s.shape_->top; }, -169056, 169056),
        ranged_number<Shape>(L"Width", [](Shape &s) -> double & { return s.shape_->width; }, 0, 169056),
        ranged_number<Shape>(L"Height", [](Shape &s) -> double & { return s.shape_->height; }, 0, 169056),
        property<Shape>(L"Rotation", VT_R8, &Shape::get_rotation, &Shape::put_rotation),
        method<Shape>(L"IncrementRotation", {kR8}, &Shape::increment_rotation),
        getter<Shape>(L"HasTextFrame", &Shape::has_text_frame),
        getter<Shape>(L"TextFrame", &Shape::text_frame),
        getter<Shape>(L"HasTable", &Shape::has_table),
        getter<Shape>(L"Table", &Shape::table),
        getter<Shape>(L"Line", &Shape::line_format),
    };
    return m;
  }

 private:
  HRESULT id(Invocation &call) {
    call.set_i4(shape_->id);
    return S_OK;
  }
  HRESULT type(Invocation &call) {
    call.set_i4(shape_->type);
    return S_OK;
  }
  HRESULT get_rotation(Invocation &call) {
    call.result().vt = VT_R8;
    call.result().dblVal = shape_->rotation;
    return S_OK;
  }
  // The angle is kept from 0 up to 360 degrees.
  HRESULT set_rotation(Invocation &call, double degrees) {
    if (!std::isfinite(degrees)) return refuse(call, L"Shape.Rotation : The specified value is out of range.");
    degrees = std::fmod(degrees, 360.0);
    shape_->rotation = degrees < 0 ? degrees + 360.0 : degrees;
    touch();
    return S_OK;
  }
  HRESULT put_rotation(Invocation &call) { return set_rotation(call, call.value().dblVal); }
  HRESULT increment_rotation(Invocation &call) { return set_rotation(call, shape_->rotation + call.r8(0)); }
  HRESULT has_text_frame(Invocation &call) {
    call.set_i4(tri_state(shape_->has_text_frame));
    return S_OK;
  }
  HRESULT text_frame(Invocation &call) {
    if (!shape_->has_text_frame) return refuse(call, L"Shape.TextFrame : This type of shape cannot have text.");
    return part<TextFrame>(call);
  }
  HRESULT has_table(Invocation &call) {
    call.set_i4(tri_state(shape_->type == kTable));
    return S_OK;
  }
  HRESULT table(Invocation &call) {
    if (shape_->type != kTable) return refuse(call, L"Shape.Table : This shape does not have a table.");
    return part<Table>(call);
  }
  HRESULT line_format(Invocation &call) { return part<LineFormat>(call); }
};

HRESULT Cell::shape(Invocation &call) { return answer<Shape>(call, app_, slide_, cell_); }

// ---- Shapes ----

class Shapes final : public OnSlide {
 public:
  using OnSlide::OnSlide;
  const Members &members() const override {
    static const Members m{
        getter<Shapes>(L"Count", &Shapes::count),
        as_default(method<Shapes>(L"Item", {{VT_VARIANT}}, &Shapes::item)),
        method<Shapes>(L"AddTextbox", {kI4, kR8, kR8, kR8, kR8}, &Shapes::add_textbox),
        method<Shapes>(L"AddTable", {kI4, kI4, kOptR8, kOptR8, kOptR8, kOptR8}, &Shapes::add_table),
        method<Shapes>(L"AddLine", {kR8, kR8, kR8, kR8}, &Shapes::add_line),
    };
    return m;
  }

 private:
  HRESULT count(Invocation &call) {
    call.set_i4(static_cast<int32_t>(slide_->shapes.size()));
    return S_OK;
  }
  HRESULT item(Invocation &call) {
    HRESULT hr = S_OK;
    const ShapePtr found = item_by_key(call, slide_->shapes, L"Shapes", hr);
    return found ? answer<Shape>(call, app_, slide_, found) : hr;
  }
  static bool finite(std::initializer_list<double> values) {
    for (double v : values)
      if (!std::isfinite(v) || std::fabs(v) > 169056) return false;
    return true;
  }
  ShapePtr placed(int32_t type, const wchar_t *name, double left, double top, double width, double height) {
    ShapePtr s = slide_->add_shape(type, name);
    s->left = left;
    s->top = top;
    s->width = width;
    s->height = height;
    touch();
    return s;
  }
  // AddTextbox(Orientation, Left, Top, Width, Height)
  HRESULT add_textbox(Invocation &call) {
    const int32_t orientation = call.i4(0);
    if (orientation < 1 || orientation > 6 || !finite({call.r8(1), call.r8(2), call.r8(3), call.r8(4)}) ||
        call.r8(3) < 0 || call.r8(4) < 0)
      return refuse(call, L"Shapes.AddTextbox : The specified value is out of range.");
    ShapePtr s = placed(kTextBox, L"TextBox", call.r8(1), call.r8(2), call.r8(3), call.r8(4));
    s->orientation = orientation;
    s->has_text_frame = true;
    return answer<Shape>(call, app_, slide_, s);
  }
  // AddTable(NumRows, NumColumns, Left, Top, Width, Height): up to 75 by 75;
  // without a size, 100 points a column and 40 a row.
  HRESULT add_table(Invocation &call) {
    const int32_t rows = call.i4(0), cols = call.i4(1);
    const double left = call.given(2) ? call.r8(2) : 0, top = call.given(3) ? call.r8(3) : 0;
    const double width = call.given(4) ? call.r8(4) : 100.0 * cols, height = call.given(5) ? call.r8(5) : 40.0 * rows;
    if (rows < 1 || rows > 75 || cols < 1 || cols > 75 || !finite({left, top, width, height}) || width < 0 ||
        height < 0)
      return refuse(call, L"Shapes.AddTable : The specified value is out of range.");
    ShapePtr s = placed(kTable, L"Table", left, top, width, height);
    make_table(*s, rows, cols);
    return answer<Shape>(call, app_, slide_, s);
  }
  // AddLine(BeginX, BeginY, EndX, EndY): the line's box spans both ends.
  HRESULT add_line(Invocation &call) {
    const double x1 = call.r8(0), y1 = call.r8(1), x2 = call.r8(2), y2 = call.r8(3);
    if (!finite({x1, y1, x2, y2})) return refuse(call, L"Shapes.AddLine : The specified value is out of range.");
    ShapePtr s = placed(kLine, L"Straight Connector", std::min(x1, x2), std::min(y1, y2), std::fabs(x2 - x1),
                        std::fabs(y2 - y1));
    return answer<Shape>(call, app_, slide_, s);
  }
};

// ---- Slide and SlideRange ----

// One slide (Slide), or the slides a paste made (SlideRange): the members of
// a single slide answer for a range of exactly one.
class Slide final : public View {
 public:
  Slide(AppPtr app, std::vector<SlidePtr> slides, bool range)
      : View(std::move(app)), slides_(std::move(slides)), range_(range) {}
  std::wstring journal_name() const override {
    return (range_ ? L"SlideRange(" : L"Slide(") + (slides_.empty() ? L"" : slides_[0]->name) + L")";
  }
  HRESULT usable() const override {
    for (const auto &s : slides_)
      if (!s->owner || !s->owner->app) return RPC_E_DISCONNECTED;
    return View::usable();
  }
  const Members &members() const override {
    static const Members m{
        property<Slide>(L"Name", VT_BSTR, &Slide::get_name, &Slide::put_name),
        getter<Slide>(L"SlideID", &Slide::slide_id),
        getter<Slide>(L"SlideIndex", &Slide::slide_index),
        getter<Slide>(L"Layout", &Slide::layout),
        getter<Slide>(L"Shapes", &Slide::shapes),
        method<Slide>(L"Copy", {}, &Slide::copy),
        method<Slide>(L"Delete", {}, &Slide::remove),
        getter<Slide>(L"Count", &Slide::count),
        method<Slide>(L"Item", {kI4}, &Slide::item),
    };
    return m;
  }

 private:
  // The slide of a single-slide member, or null (a refusal is then given).
  SlideModel *single(Invocation &call, HRESULT &hr) {
    if (slides_.size() == 1) return slides_[0].get();
    hr = refuse(call, L"SlideRange : This member can only be accessed for a single slide.");
    return nullptr;
  }
  template <class F>
  HRESULT on_single(Invocation &call, F f) {
    HRESULT hr = S_OK;
    SlideModel *s = single(call, hr);
    return s ? f(*s) : hr;
  }
  HRESULT get_name(Invocation &call) {
    return on_single(call, [&](SlideModel &s) { call.set_text(s.name); return S_OK; });
  }
  HRESULT put_name(Invocation &call) {
    return on_single(call, [&](SlideModel &s) {
      const BSTR v = call.value().bstrVal;
      if (!v || !*v) return refuse(call, L"Slide.Name : Invalid request.");
      s.name = v;
      return S_OK;
    });
  }
  HRESULT slide_id(Invocation &call) {
    return on_single(call, [&](SlideModel &s) { call.set_i4(s.id); return S_OK; });
  }
  HRESULT slide_index(Invocation &call) {
    return on_single(call, [&](SlideModel &s) { call.set_i4(s.owner->index_of(&s)); return S_OK; });
  }
  HRESULT layout(Invocation &call) {
    return on_single(call, [&](SlideModel &s) { call.set_i4(s.layout); return S_OK; });
  }
  HRESULT shapes(Invocation &call) {
    return on_single(call, [&](SlideModel &) { return answer<Shapes>(call, app_, slides_[0]); });
  }
  HRESULT copy(Invocation &) {
    app_->clipboard.clear();
    for (const auto &s : slides_) app_->clipboard.push_back(s->clone());
    return S_OK;
  }
  HRESULT remove(Invocation &) {
    for (const auto &s : slides_) {
      Presentation *owner = s->owner;
      std::erase(owner->slides, s);
      s->owner = nullptr;
      ++owner->changes;
    }
    return S_OK;
  }
  HRESULT count(Invocation &call) {
    if (!range_) return DISP_E_MEMBERNOTFOUND;  // a Slide has no Count
    call.set_i4(static_cast<int32_t>(slides_.size()));
    return S_OK;
  }
  HRESULT item(Invocation &call) {
    const int32_t i = call.i4(0);
    if (!range_) return DISP_E_MEMBERNOTFOUND;
    if (i < 1 || static_cast<size_t>(i) > slides_.size()) return refuse(call, L"SlideRange.Item : Integer out of range.");
    return answer<Slide>(call, app_, std::vector<SlidePtr>{slides_[i - 1]}, false);
  }

  std::vector<SlidePtr> slides_;
  bool range_;
};

// A view of a presentation: answers while it is open in a running
// application.
class OfShow : public View {
 public:
  OfShow(AppPtr app, ShowPtr show) : View(std::move(app)), show_(std::move(show)) {}
  HRESULT usable() const override { return show_->app ? View::usable() : RPC_E_DISCONNECTED; }

 protected:
  ShowPtr show_;
};

// ---- Slides ----

class Slides final : public OfShow {
 public:
  using OfShow::OfShow;
  const Members &members() const override {
    static const Members m{
        getter<Slides>(L"Count", &Slides::count),
        as_default(method<Slides>(L"Item", {{VT_VARIANT}}, &Slides::item)),
        method<Slides>(L"Add", {kI4, kI4}, &Slides::add),
        method<Slides>(L"InsertFromFile", {{VT_BSTR}, kI4, kOptI4, kOptI4}, &Slides::insert_from_file),
        method<Slides>(L"Paste", {kOptI4}, &Slides::paste),
        method<Slides>(L"FindBySlideID", {kI4}, &Slides::find_by_id),
    };
    return m;
  }

 private:
  HRESULT one(Invocation &call, const SlidePtr &s) { return answer<Slide>(call, app_, std::vector<SlidePtr>{s}, false); }
  HRESULT count(Invocation &call) {
    call.set_i4(static_cast<int32_t>(show_->slides.size()));
    return S_OK;
  }
  HRESULT item(Invocation &call) {
    HRESULT hr = S_OK;
    const SlidePtr found = item_by_key(call, show_->slides, L"Slides", hr);
    return found ? one(call, found) : hr;
  }
  HRESULT find_by_id(Invocation &call) {
    for (const auto &s : show_->slides)
      if (s->id == call.i4(0)) return one(call, s);
    return refuse(call, L"Slides.FindBySlideID : Item not found.");
  }
  // Add(Index, Layout): the layout's placeholders come with the slide
  // (title only for ppLayoutTitleOnly 11, none for ppLayoutBlank 12, a title
  // and a body for the others).
  HRESULT add(Invocation &call) {
    const int32_t index = call.i4(0), layout = call.i4(1);
    if (index < 1 || static_cast<size_t>(index) > show_->slides.size() + 1)
      return refuse(call, L"Slides.Add : Index out of range.");
    if (layout < 1 || layout > 36) return refuse(call, L"Slides.Add : Invalid enumeration value.");
    auto slide = std::make_shared<SlideModel>();
    slide->layout = layout;
    if (layout != 12) add_placeholder(*slide, L"Title", 50, 40, 860, 100);
    if (layout != 12 && layout != 11) add_placeholder(*slide, layout == 1 ? L"Subtitle" : L"Content Placeholder", 50, 160, 860, 340);
    return one(call, show_->insert_slide(static_cast<size_t>(index - 1), slide));
  }
  static void add_placeholder(SlideModel &slide, const wchar_t *name, double l, double t, double w, double h) {
    ShapePtr s = slide.add_shape(kPlaceholder, name);
    s->left = l, s->top = t, s->width = w, s->height = h;
    s->has_text_frame = true;
  }
  // InsertFromFile(FileName, Index, SlideStart = 1, SlideEnd = the last):
  // the slides of a file of ours after slide Index; gives how many.
  HRESULT insert_from_file(Invocation &call) {
    const int32_t index = call.i4(1);
    if (index < 0 || static_cast<size_t>(index) > show_->slides.size())
      return refuse(call, L"Slides.InsertFromFile : Index out of range.");
    Presentation source;
    std::wstring error;
    if (!load_show(source, full_path(call.text(0)), error)) return refuse(call, L"Slides.InsertFromFile : " + error);
    const int32_t n = static_cast<int32_t>(source.slides.size());
    const int32_t first = call.i4(2, 1), last = call.i4(3, n);
    if (first < 1 || last > n || first > last)
      return refuse(call, L"Slides.InsertFromFile : The specified value is out of range.");
    for (int32_t i = first; i <= last; ++i)
      show_->insert_slide(static_cast<size_t>(index + i - first), source.slides[i - 1]->clone());
    call.set_i4(last - first + 1);
    return S_OK;
  }
  // Paste(Index = after the last): the copied slides, as a SlideRange.
  HRESULT paste(Invocation &call) {
    if (app_->clipboard.empty())
      return refuse(call, L"Slides.Paste : Clipboard is empty or contains data which may not be pasted here.");
    const int32_t index = call.i4(0, static_cast<int32_t>(show_->slides.size()) + 1);
    if (index < 1 || static_cast<size_t>(index) > show_->slides.size() + 1)
      return refuse(call, L"Slides.Paste : Index out of range.");
    std::vector<SlidePtr> pasted;
    for (const auto &copied : app_->clipboard)
      pasted.push_back(show_->insert_slide(static_cast<size_t>(index - 1) + pasted.size(), copied->clone()));
    return answer<Slide>(call, app_, pasted, true);
  }
};

// ---- Presentation, its windows ----

class DocumentWindow final : public OfShow {
 public:
  using OfShow::OfShow;
  const Members &members() const override {
    static const Members m{method<DocumentWindow>(L"Activate", {}, &DocumentWindow::activate)};
    return m;
  }

 private:
  HRESULT activate(Invocation &) {
    app_->active = show_.get();
    return S_OK;
  }
};

class DocumentWindows final : public OfShow {
 public:
  using OfShow::OfShow;
  const Members &members() const override {
    static const Members m{
        getter<DocumentWindows>(L"Count", &DocumentWindows::count),
        as_default(method<DocumentWindows>(L"Item", {kI4}, &DocumentWindows::item)),
    };
    return m;
  }

 private:
  HRESULT count(Invocation &call) {
    call.set_i4(show_->has_window ? 1 : 0);
    return S_OK;
  }
  HRESULT item(Invocation &call) {
    if (!show_->has_window || call.i4(0) != 1) return refuse(call, L"DocumentWindows.Item : Integer out of range.");
    return answer<DocumentWindow>(call, app_, show_);
  }
};

class PresentationView final : public OfShow {
 public:
  using OfShow::OfShow;
  std::wstring journal_name() const override { return L"Presentation(" + show_->name + L")"; }
  const Members &members() const override {
    static const Members m{
        getter<PresentationView>(L"Name", &PresentationView::name),
        getter<PresentationView>(L"FullName", &PresentationView::full_name),
        getter<PresentationView>(L"Path", &PresentationView::path),
        getter<PresentationView>(L"ReadOnly", &PresentationView::read_only),
        property<PresentationView>(L"Saved", VT_I4, &PresentationView::get_saved, &PresentationView::put_saved),
        getter<PresentationView>(L"Slides", &PresentationView::slides),
        getter<PresentationView>(L"Windows", &PresentationView::windows),
        method<PresentationView>(L"Save", {}, &PresentationView::save),
        method<PresentationView>(L"SaveAs", {{VT_BSTR}, kOpt, kOpt}, &PresentationView::save_as),
        method<PresentationView>(L"Close", {}, &PresentationView::close),
    };
    return m;
  }

 private:
  HRESULT name(Invocation &call) {
    call.set_text(show_->name);
    return S_OK;
  }
  HRESULT full_name(Invocation &call) {
    call.set_text(show_->full_name.empty() ? show_->name : show_->full_name);
    return S_OK;
  }
  HRESULT path(Invocation &call) {
    call.set_text(show_->path());
    return S_OK;
  }
  HRESULT read_only(Invocation &call) {
    call.set_i4(tri_state(show_->read_only));
    return S_OK;
  }
  HRESULT get_saved(Invocation &call) {
    call.set_i4(tri_state(show_->changes == 0));
    return S_OK;
  }
  HRESULT put_saved(Invocation &call) {
    show_->changes = call.value().lVal ? 0 : std::max(1L, show_->changes);
    return S_OK;
  }
  HRESULT slides(Invocation &call) { return answer<Slides>(call, app_, show_); }
  HRESULT windows(Invocation &call) { return answer<DocumentWindows>(call, app_, show_); }
  // Save(): to the presentation's file; one never saved, or opened
  // read-only, has none to save to.
  HRESULT save(Invocation &call) {
    if (show_->full_name.empty()) return refuse(call, L"Presentation.Save : The presentation has no file yet.");
    if (show_->read_only) return refuse(call, L"Presentation.Save : The presentation is read-only.");
    return write(call, show_->full_name);
  }
  // SaveAs(FileName, FileFormat, EmbedTrueTypeFonts): a name without an
  // extension gets ".pptx", as the program gives it.
  HRESULT save_as(Invocation &call) {
    std::wstring path = call.text(0);
    if (path.empty()) return refuse(call, L"Presentation.SaveAs : Invalid request.");
    if (file_part(path).find(L'.') == std::wstring::npos) path += L".pptx";
    path = full_path(path);
    for (const auto &other : app_->presentations)
      if (other != show_ && _wcsicmp(other->full_name.c_str(), path.c_str()) == 0)
        return refuse(call, L"Presentation.SaveAs : A presentation of that name is open.");
    if (HRESULT hr = write(call, path); FAILED(hr)) return hr;
    show_->full_name = path;
    show_->name = file_part(path);
    show_->read_only = false;
    return S_OK;
  }
  HRESULT write(Invocation &call, const std::wstring &path) {
    std::wstring error;
    if (!save_show(*show_, path, error)) return refuse(call, L"Presentation.Save : " + error);
    show_->changes = 0;
    return S_OK;
  }
  // Close(): unsaved changes are dropped.
  HRESULT close(Invocation &) {
    app_->close(show_.get());
    return S_OK;
  }
};

// ---- Presentations ----

class Presentations final : public View {
 public:
  using View::View;
  const Members &members() const override {
    static const Members m{
        getter<Presentations>(L"Count", &Presentations::count),
        as_default(method<Presentations>(L"Item", {{VT_VARIANT}}, &Presentations::item)),
        method<Presentations>(L"Add", {kOpt}, &Presentations::add),
        method<Presentations>(L"Open", {{VT_BSTR}, kOpt, kOpt, kOpt}, &Presentations::open),
    };
    return m;
  }

 private:
  HRESULT one(Invocation &call, const ShowPtr &p) { return answer<PresentationView>(call, app_, p); }
  HRESULT count(Invocation &call) {
    call.set_i4(static_cast<int32_t>(app_->presentations.size()));
    return S_OK;
  }
  HRESULT item(Invocation &call) {
    HRESULT hr = S_OK;
    const ShowPtr found = item_by_key(call, app_->presentations, L"Presentations", hr);
    return found ? one(call, found) : hr;
  }
  // Add(WithWindow = msoTrue)
  HRESULT add(Invocation &call) {
    ShowPtr p = app_->new_presentation();
    p->has_window = flag_arg(call, 0, true);
    return one(call, p);
  }
  // Open(FileName, ReadOnly, Untitled, WithWindow): a file of ours; one
  // already open from that file is returned as it is; Untitled opens a
  // copy without a file.
  HRESULT open(Invocation &call) {
    const std::wstring path = full_path(call.text(0));
    const bool untitled = flag_arg(call, 2, false);
    if (!untitled)
      for (const auto &p : app_->presentations)
        if (_wcsicmp(p->full_name.c_str(), path.c_str()) == 0) return one(call, p);
    auto loaded = std::make_shared<Presentation>();
    std::wstring error;
    if (!load_show(*loaded, path, error)) return refuse(call, L"Presentations.Open : " + error);
    ShowPtr p = app_->new_presentation();
    p->slides = std::move(loaded->slides);
    for (auto &s : p->slides) s->owner = p.get();
    p->next_slide_id = loaded->next_slide_id;
    if (!untitled) {
      p->full_name = path;
      p->name = file_part(path);
      --app_->next_untitled;
    }
    p->read_only = flag_arg(call, 1, false);
    p->has_window = flag_arg(call, 3, true);
    return one(call, p);
  }
};

// ---- Application ----

class Application final : public View {
 public:
  Application() : View(std::make_shared<App>()) {
    Variant &caption = fields_[L"Caption"];
    caption->vt = VT_BSTR;
    caption->bstrVal = SysAllocString(L"PowerPoint (stand-in)");
  }
  const Members &members() const override {
    static const Members m(
        {
            getter<Application>(L"Name", &Application::name),
            getter<Application>(L"Version", &Application::version),
            property<Application>(L"Visible", VT_I4, &Application::get_visible, &Application::put_visible),
            property<Application>(L"DisplayAlerts", VT_I4, &Application::get_alerts, &Application::put_alerts),
            field(L"Caption", VT_BSTR),
            getter<Application>(L"Presentations", &Application::presentations),
            getter<Application>(L"ActivePresentation", &Application::active_presentation),
            method<Application>(L"Quit", {}, &Application::quit),
        },
        &control_members());
    return m;
  }

 private:
  HRESULT name(Invocation &call) {
    call.set_text(L"Microsoft PowerPoint");
    return S_OK;
  }
  HRESULT version(Invocation &call) {
    call.set_text(L"16.0");
    return S_OK;
  }
  HRESULT get_visible(Invocation &call) {
    call.set_i4(tri_state(visible_));
    return S_OK;
  }
  // The program cannot hide its window once shown, nor be hidden at all
  // through automation.
  HRESULT put_visible(Invocation &call) {
    if (!call.value().lVal)
      return refuse(call, L"Application.Visible : Invalid request.  Hiding the application window is not allowed.");
    visible_ = true;
    return S_OK;
  }
  HRESULT get_alerts(Invocation &call) {
    call.set_i4(alerts_);
    return S_OK;
  }
  // ppAlertsNone 1, ppAlertsAll 2
  HRESULT put_alerts(Invocation &call) {
    const int32_t v = call.value().lVal;
    if (v != 1 && v != 2) return refuse(call, L"Application.DisplayAlerts : Invalid enumeration value.");
    alerts_ = v;
    return S_OK;
  }
  HRESULT presentations(Invocation &call) { return answer<Presentations>(call, app_); }
  HRESULT active_presentation(Invocation &call) {
    ShowPtr p = app_->shared(app_->active);
    if (!p) return refuse(call, L"Application.ActivePresentation : Invalid request.  There is no active presentation.");
    return answer<PresentationView>(call, app_, p);
  }
  // Quit: every presentation closes unsaved and the application leaves the
  // running-object table; the objects a client still holds answer no more.
  HRESULT quit(Invocation &) {
    while (!app_->presentations.empty()) app_->close(app_->presentations.back().get());
    app_->clipboard.clear();
    app_->quit = true;
    presence_.revoke();
    return S_OK;
  }

  bool visible_ = false;
  int32_t alerts_ = 2;
  ApplicationPresence presence_{static_cast<IDispatch *>(this)};
};

}  // namespace

HRESULT create_application(REFIID iid, void **out) { return make_as<Application>(iid, out); }

}  // namespace standin::ppt
