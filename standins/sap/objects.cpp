#include "objects.hpp"

#include "arguments.hpp"
#include "journal.hpp"
#include "sap_standin.hpp"
#include "screen.hpp"

#include <algorithm>
#include <cstdio>
#include <string>

namespace standin::sap {
namespace {

using NodePtr = std::shared_ptr<Node>;

HRESULT refuse(Invocation &call, const std::wstring &what) {
  return call.raise(kRefused, L"Stand-in GUI", what.c_str());
}

// The id below the session ("wnd[0]/usr/btnGO"), or the whole id above it.
std::wstring short_id(const Node &n) {
  const std::wstring id = n.id();
  const size_t ses = id.find(L"/ses[");
  const size_t slash = ses == std::wstring::npos ? ses : id.find(L'/', ses + 1);
  return slash == std::wstring::npos ? id : id.substr(slash + 1);
}

std::wstring utf16(const std::string &s) {
  std::wstring w(s.size(), L'\0');
  w.resize(static_cast<size_t>(
      MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), w.data(), static_cast<int>(w.size()))));
  return w;
}

class Element;
HRESULT answer(Invocation &call, const NodePtr &node);

// The children of a node, from 0.
class ChildList : public Object {
 public:
  explicit ChildList(NodePtr node) : node_(std::move(node)) {}
  const Members &members() const override {
    static const Members m{
        getter<ChildList>(L"Count", &ChildList::count),
        getter<ChildList>(L"Length", &ChildList::count),
        as_default(method<ChildList>(L"Item", {{VT_I4}}, &ChildList::item)),
        method<ChildList>(L"ElementAt", {{VT_I4}}, &ChildList::item),
    };
    return m;
  }
  HRESULT usable() const override { return node_->attached() ? S_OK : RPC_E_DISCONNECTED; }
  HRESULT count(Invocation &call) {
    call.set_i4(static_cast<int32_t>(node_->children.size()));
    return S_OK;
  }
  HRESULT item(Invocation &call) {
    const int32_t i = call.i4(0);
    if (i < 0 || static_cast<size_t>(i) >= node_->children.size()) return DISP_E_BADINDEX;
    return answer(call, node_->children[i]);
  }

 private:
  NodePtr node_;
};

class ScrollbarView : public Object {
 public:
  ScrollbarView(NodePtr node, bool vertical) : node_(std::move(node)), vertical_(vertical) {}
  const Members &members() const override {
    static const Members m{
        property<ScrollbarView>(L"Position", VT_I4, &ScrollbarView::position, &ScrollbarView::set_position),
        getter<ScrollbarView>(L"Minimum", &ScrollbarView::minimum),
        getter<ScrollbarView>(L"Maximum", &ScrollbarView::maximum),
    };
    return m;
  }
  HRESULT usable() const override { return node_->attached() ? S_OK : RPC_E_DISCONNECTED; }
  Scrollbar &bar() const { return *(vertical_ ? node_->vscroll : node_->hscroll); }
  HRESULT position(Invocation &call) { return call.set_i4(bar().position), S_OK; }
  HRESULT minimum(Invocation &call) { return call.set_i4(bar().minimum), S_OK; }
  HRESULT maximum(Invocation &call) { return call.set_i4(bar().maximum), S_OK; }
  HRESULT set_position(Invocation &call) {
    const int32_t p = call.value().lVal;
    if (p < bar().minimum || p > bar().maximum) return refuse(call, L"Scroll position out of range");
    bar().position = p;
    node_->event((vertical_ ? L"vscroll " : L"hscroll ") + short_id(*node_) + L" " + std::to_wstring(p));
    return S_OK;
  }

 private:
  NodePtr node_;
  bool vertical_;
};

class Element : public Object {
 public:
  explicit Element(NodePtr node) : node_(std::move(node)) {}
  const Members &members() const override;
  HRESULT usable() const override { return node_->attached() ? S_OK : RPC_E_DISCONNECTED; }
  std::wstring journal_name() const override { return node_->type + L"(" + short_id(*node_) + L")"; }

  // ---- every object ----
  HRESULT id(Invocation &call) { return call.set_text(node_->id()), S_OK; }
  HRESULT name(Invocation &call) { return call.set_text(node_->name), S_OK; }
  HRESULT type(Invocation &call) { return call.set_text(node_->type), S_OK; }
  HRESULT children(Invocation &call) { return standin::answer<ChildList>(call, node_); }
  // findById(id, raise): a missing element raises, or is Nothing when the
  // flag is false.
  HRESULT find_by_id(Invocation &call) {
    const std::wstring id = call.text(0);
    bool raise = true;
    if (call.given(1)) {
      Variant flag;
      if (FAILED(VariantChangeType(flag.get(), const_cast<VARIANT *>(&call.arg(1)), 0, VT_BOOL)))
        return DISP_E_TYPEMISMATCH;
      raise = flag->boolVal != VARIANT_FALSE;
    }
    NodePtr found = node_->find(id);
    if (found) return answer(call, found);
    if (raise) return refuse(call, L"No element with id " + id);
    call.set_object(nullptr);
    return S_OK;
  }
  HRESULT text(Invocation &call) { return call.set_text(node_->text), S_OK; }
  HRESULT set_text(Invocation &call) {
    node_->text = call.value().bstrVal ? call.value().bstrVal : L"";
    if (static_cast<size_t>(node_->caret) > node_->text.size()) node_->caret = static_cast<int>(node_->text.size());
    return S_OK;
  }
  HRESULT set_focus(Invocation &call) {
    node_->root().focus = node_;
    node_->event(L"focus " + short_id(*node_));
    return S_OK;
  }

  // ---- engine ----
  HRESULT open_connection(Invocation &call) {
    const std::wstring description = call.text(0);
    if (description.empty()) return refuse(call, L"No connection description");
    Node &engine = *node_;
    auto connection = engine.add(L"con[" + std::to_wstring(engine.next_connection++) + L"]", L"GuiConnection",
                                 Kind::connection);
    connection->text = description;
    auto session = connection->add(L"ses[0]", L"GuiSession", Kind::session);
    if (auto error = build_screen(*session, engine.screen)) {
      engine.remove(*connection);
      return refuse(call, *error);
    }
    engine.event(L"open " + description);
    return answer(call, connection);
  }
  HRESULT engine(Invocation &call) { return answer(call, node_); }
  HRESULT load_screen(Invocation &call) {
    FILE *file = _wfopen(call.text(0), L"rb");
    if (!file) return refuse(call, L"Cannot read the screen file");
    std::string bytes;
    char chunk[4096];
    for (size_t n; (n = fread(chunk, 1, sizeof chunk, file)) > 0;) bytes.append(chunk, n);
    fclose(file);
    return use_screen(call, utf16(bytes));
  }
  HRESULT screen(Invocation &call) { return call.set_text(node_->screen), S_OK; }
  HRESULT set_screen(Invocation &call) { return use_screen(call, call.value().bstrVal ? call.value().bstrVal : L""); }
  HRESULT events(Invocation &call) {
    std::wstring all;
    for (const auto &e : node_->events) all += e + L"\n";
    node_->events.clear();
    return call.set_text(all), S_OK;
  }

  // ---- connection, session ----
  HRESULT close_connection(Invocation &call) {
    node_->event(L"close " + node_->name);
    if (auto up = node_->parent.lock()) up->remove(*node_);
    return S_OK;
  }
  HRESULT send_command(Invocation &call) {
    node_->event(L"command " + std::wstring(call.text(0)));
    return S_OK;
  }
  HRESULT active_window(Invocation &call) {
    if (node_->children.empty()) return call.set_object(nullptr), S_OK;
    return answer(call, node_->children.back());
  }

  // ---- windows ----
  HRESULT close(Invocation &call) {
    node_->event(L"close " + short_id(*node_));
    if (auto up = node_->parent.lock()) up->remove(*node_);
    return S_OK;
  }
  HRESULT send_vkey(Invocation &call) {
    const int32_t key = call.i4(0);
    if (key < 0 || key > 99) return refuse(call, L"No such virtual key");
    node_->event(L"vkey " + short_id(*node_) + L" " + std::to_wstring(key));
    return S_OK;
  }
  HRESULT focused(Invocation &call) {
    NodePtr f = node_->root().focus.lock();
    if (!f || !f->attached()) return call.set_object(nullptr), S_OK;
    return answer(call, f);
  }

  // ---- fields, buttons, selections, check boxes ----
  HRESULT caret(Invocation &call) { return call.set_i4(node_->caret), S_OK; }
  HRESULT set_caret(Invocation &call) {
    const int32_t p = call.value().lVal;
    if (p < 0 || static_cast<size_t>(p) > node_->text.size()) return refuse(call, L"Caret position out of range");
    node_->caret = p;
    return S_OK;
  }
  HRESULT press(Invocation &call) {
    node_->event(L"press " + short_id(*node_));
    return S_OK;
  }
  HRESULT select(Invocation &call) {
    if (node_->type == L"GuiRadioButton")
      if (auto up = node_->parent.lock())
        for (auto &sibling : up->children)
          if (sibling->type == L"GuiRadioButton") sibling->selected = false;
    node_->selected = true;
    node_->event(L"select " + short_id(*node_));
    return S_OK;
  }
  HRESULT selected(Invocation &call) { return call.set_bool(node_->selected), S_OK; }
  HRESULT set_selected(Invocation &call) {
    node_->selected = call.value().boolVal != VARIANT_FALSE;
    return S_OK;
  }

  // ---- grids ----
  Grid &grid() { return *node_->grid; }
  HRESULT row_count(Invocation &call) { return call.set_i4(grid().rows), S_OK; }
  HRESULT column_count(Invocation &call) { return call.set_i4(static_cast<int32_t>(grid().columns.size())), S_OK; }
  HRESULT visible_row_count(Invocation &call) {
    return call.set_i4(std::max(0, std::min(grid().visible, grid().rows - grid().first_visible))), S_OK;
  }
  HRESULT first_visible(Invocation &call) { return call.set_i4(grid().first_visible), S_OK; }
  HRESULT set_first_visible(Invocation &call) {
    const int32_t row = call.value().lVal;
    if (row < 0 || (row >= grid().rows && row != 0)) return refuse(call, L"Row out of range");
    grid().first_visible = row;
    return S_OK;
  }
  // The row and column arguments of a cell member; an error to return, or S_OK.
  HRESULT cell_at(Invocation &call, int32_t &row, std::wstring &column) {
    row = call.i4(0);
    column = call.text(1);
    if (row < 0 || row >= grid().rows) return refuse(call, L"Row out of range");
    if (!grid().has_column(column)) return refuse(call, L"No column " + column);
    return S_OK;
  }
  template <class F>
  HRESULT on_cell(Invocation &call, F then) {
    int32_t row = 0;
    std::wstring column;
    if (HRESULT hr = cell_at(call, row, column); FAILED(hr)) return hr;
    then(row, column);
    return S_OK;
  }
  HRESULT cell_value(Invocation &call) {
    return on_cell(call, [&](int32_t r, const std::wstring &c) { call.set_text(grid().cell(r, c)); });
  }
  HRESULT cell_icon(Invocation &call) {
    return on_cell(call, [&](int32_t r, const std::wstring &c) { call.set_text(grid().icon(r, c)); });
  }
  HRESULT cell_event(Invocation &call, const wchar_t *what) {
    return on_cell(call, [&](int32_t r, const std::wstring &c) {
      grid().current_row = r;
      grid().current_column = c;
      node_->event(std::wstring(what) + L" " + short_id(*node_) + L" " + std::to_wstring(r) + L" " + c);
    });
  }
  HRESULT click(Invocation &call) { return cell_event(call, L"click"); }
  HRESULT double_click(Invocation &call) { return cell_event(call, L"doubleclick"); }
  HRESULT set_current_cell(Invocation &call) { return cell_event(call, L"current"); }
  HRESULT current_row(Invocation &call) { return call.set_i4(grid().current_row), S_OK; }
  HRESULT current_column(Invocation &call) { return call.set_text(grid().current_column), S_OK; }
  HRESULT select_all(Invocation &call) {
    grid().selected_rows = grid().rows ? L"0-" + std::to_wstring(grid().rows - 1) : L"";
    node_->event(L"selectall " + short_id(*node_));
    return S_OK;
  }
  HRESULT selected_rows(Invocation &call) { return call.set_text(grid().selected_rows), S_OK; }
  HRESULT press_button(Invocation &call, const std::vector<std::wstring> &buttons, const wchar_t *what) {
    const std::wstring id = call.text(0);
    for (const auto &b : buttons)
      if (b == id) {
        node_->event(std::wstring(what) + L" " + short_id(*node_) + L" " + id);
        return S_OK;
      }
    return refuse(call, L"No toolbar button " + id);
  }
  HRESULT press_toolbar(Invocation &call) { return press_button(call, grid().toolbar, L"toolbar"); }
  HRESULT press_context(Invocation &call) { return press_button(call, grid().context, L"context"); }

  // ---- areas ----
  HRESULT scrollbar(Invocation &call, bool vertical) {
    auto &bar = vertical ? node_->vscroll : node_->hscroll;
    if (!bar) bar = Scrollbar{};
    return standin::answer<ScrollbarView>(call, node_, vertical);
  }
  HRESULT horizontal(Invocation &call) { return scrollbar(call, false); }
  HRESULT vertical(Invocation &call) { return scrollbar(call, true); }

 private:
  HRESULT use_screen(Invocation &call, const std::wstring &fixture) {
    // A fixture is tried on a session of its own before it is kept.
    auto trial = std::make_shared<Node>();
    if (auto error = build_screen(*trial, fixture)) return refuse(call, *error);
    node_->screen = fixture;
    return S_OK;
  }

  NodePtr node_;
};

using E = Element;

Member text_get() { return getter<E>(L"text", &E::text); }
Member text_put() { return property<E>(L"text", VT_BSTR, &E::text, &E::set_text); }
Member focus() { return method<E>(L"setFocus", {}, &E::set_focus); }

// Every object also has the control members (journal, counters, faults).
const Members &common() {
  static const Members m(
      {getter<E>(L"Id", &E::id), getter<E>(L"Name", &E::name), getter<E>(L"Type", &E::type),
       getter<E>(L"Children", &E::children), method<E>(L"findById", {{VT_BSTR}, kOpt}, &E::find_by_id)},
      &control_members());
  return m;
}

const Members &engine_members() {
  static const Members m({getter<E>(L"Connections", &E::children),
                          method<E>(L"OpenConnection", {{VT_BSTR}, kOpt, kOpt}, &E::open_connection),
                          getter<E>(L"GetScriptingEngine", &E::engine),
                          control(method<E>(L"_LoadScreen", {{VT_BSTR}}, &E::load_screen)),
                          control(property<E>(L"_Screen", VT_BSTR, &E::screen, &E::set_screen)),
                          control(getter<E>(L"_Events", &E::events))},
                         &common());
  return m;
}

const Members &members_of(Kind kind) {
  static const Members connection({method<E>(L"CloseConnection", {}, &E::close_connection),
                                   getter<E>(L"Description", &E::text), getter<E>(L"Sessions", &E::children)},
                                  &common());
  static const Members session({method<E>(L"sendCommand", {{VT_BSTR}}, &E::send_command),
                                getter<E>(L"ActiveWindow", &E::active_window)},
                               &common());
  static const Members window({text_get(), method<E>(L"close", {}, &E::close),
                               method<E>(L"sendVKey", {{VT_I4}}, &E::send_vkey), focus(),
                               getter<E>(L"GuiFocus", &E::focused)},
                              &common());
  static const Members text_field(
      {text_put(), property<E>(L"caretPosition", VT_I4, &E::caret, &E::set_caret), focus()}, &common());
  static const Members button({text_get(), method<E>(L"press", {}, &E::press), focus()}, &common());
  static const Members selectable({text_get(), method<E>(L"select", {}, &E::select),
                                   getter<E>(L"selected", &E::selected), focus()},
                                  &common());
  static const Members check_box({text_get(), property<E>(L"selected", VT_BOOL, &E::selected, &E::set_selected),
                                  focus()},
                                 &common());
  static const Members grid(
      {getter<E>(L"RowCount", &E::row_count), getter<E>(L"ColumnCount", &E::column_count),
       getter<E>(L"VisibleRowCount", &E::visible_row_count),
       property<E>(L"firstVisibleRow", VT_I4, &E::first_visible, &E::set_first_visible),
       method<E>(L"GetCellValue", {{VT_I4}, {VT_BSTR}}, &E::cell_value),
       method<E>(L"GetCellIcon", {{VT_I4}, {VT_BSTR}}, &E::cell_icon),
       method<E>(L"SelectAll", {}, &E::select_all), getter<E>(L"SelectedRows", &E::selected_rows),
       method<E>(L"Click", {{VT_I4}, {VT_BSTR}}, &E::click),
       method<E>(L"DoubleClick", {{VT_I4}, {VT_BSTR}}, &E::double_click),
       method<E>(L"SetCurrentCell", {{VT_I4}, {VT_BSTR}}, &E::set_current_cell),
       getter<E>(L"CurrentCellRow", &E::current_row), getter<E>(L"CurrentCellColumn", &E::current_column),
       method<E>(L"PressToolbarButton", {{VT_BSTR}}, &E::press_toolbar),
       method<E>(L"PressToolbarContextButton", {{VT_BSTR}}, &E::press_context), focus()},
      &common());
  static const Members area({getter<E>(L"HorizontalScrollbar", &E::horizontal),
                             getter<E>(L"VerticalScrollbar", &E::vertical)},
                            &common());
  static const Members label({text_get()}, &common());
  switch (kind) {
    case Kind::engine: return engine_members();
    case Kind::connection: return connection;
    case Kind::session: return session;
    case Kind::window: return window;
    case Kind::text_field: return text_field;
    case Kind::button: return button;
    case Kind::selectable: return selectable;
    case Kind::check_box: return check_box;
    case Kind::grid: return grid;
    case Kind::area: return area;
    case Kind::label: return label;
    default: return common();
  }
}

const Members &Element::members() const { return members_of(node_->kind); }

HRESULT answer(Invocation &call, const NodePtr &node) { return standin::answer<Element>(call, node); }

// ---- the running GUI of the server program ----

NodePtr &process_engine() {
  static NodePtr engine = new_engine();
  return engine;
}

void (*g_quit)() = nullptr;

class RunningGui : public Object {
 public:
  const Members &members() const override {
    static const Members m({getter<RunningGui>(L"GetScriptingEngine", &RunningGui::engine),
                            control(method<RunningGui>(L"_Quit", {}, &RunningGui::quit))},
                           &control_members());
    return m;
  }
  HRESULT engine(Invocation &call) { return answer(call, process_engine()); }
  HRESULT quit(Invocation &) {
    if (g_quit) g_quit();
    return S_OK;
  }
};

}  // namespace

HRESULT create_engine(REFIID iid, void **out) {
  // A client that starts afresh finds nothing of the last one armed.
  if (engines_alive() == 0) reset_observations();
  return make_as<Element>(iid, out, new_engine());
}

IDispatch *new_running_gui(void (*quit)()) {
  g_quit = quit;
  return make<RunningGui>().detach();
}

}  // namespace standin::sap
