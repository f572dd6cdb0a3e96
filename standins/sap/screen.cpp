#include "screen.hpp"

#include <atomic>
#include <cwchar>
#include <cwctype>

namespace standin::sap {
namespace {

std::atomic<int> g_engines{0};

constexpr const wchar_t *kDefaultScreen =
    L"wnd[0] | GuiMainWindow | text=Stand-in GUI\n"
    L"wnd[0]/tbar[0]/okcd | GuiOkCodeField\n"
    L"wnd[0]/usr | GuiUserArea\n";

std::wstring trim(const std::wstring &s) {
  size_t b = 0, e = s.size();
  while (b < e && iswspace(s[b])) ++b;
  while (e > b && iswspace(s[e - 1])) --e;
  return s.substr(b, e - b);
}

std::vector<std::wstring> split(const std::wstring &s, wchar_t by) {
  std::vector<std::wstring> parts;
  size_t start = 0;
  for (size_t at; (at = s.find(by, start)) != std::wstring::npos; start = at + 1) parts.push_back(s.substr(start, at - start));
  parts.push_back(s.substr(start));
  return parts;
}

std::optional<int> number(const std::wstring &s) {
  if (s.empty()) return std::nullopt;
  wchar_t *end = nullptr;
  const long v = std::wcstol(s.c_str(), &end, 10);
  if (*end || v < -1000000000 || v > 1000000000) return std::nullopt;
  return static_cast<int>(v);
}

std::optional<Scrollbar> range_of(const std::wstring &s) {
  const size_t dots = s.find(L"..");
  if (dots == std::wstring::npos) return std::nullopt;
  auto lo = number(s.substr(0, dots)), hi = number(s.substr(dots + 2));
  if (!lo || !hi || *lo > *hi) return std::nullopt;
  return Scrollbar{*lo, *hi, *lo};
}

std::wstring with_row(const std::wstring &pattern, int row) {
  std::wstring out = pattern;
  for (size_t at; (at = out.find(L"{row}")) != std::wstring::npos;) out.replace(at, 5, std::to_wstring(row));
  return out;
}

// A cell's own text, else its column's template for the row.
std::wstring cell_text(const std::map<std::pair<int, std::wstring>, std::wstring> &own,
                       const std::map<std::wstring, std::wstring> &templates, int row, const std::wstring &column) {
  if (auto it = own.find({row, column}); it != own.end()) return it->second;
  auto t = templates.find(column);
  return t == templates.end() ? std::wstring() : with_row(t->second, row);
}

// "row,column:text"
bool one_cell(const std::wstring &v, std::map<std::pair<int, std::wstring>, std::wstring> &into) {
  const size_t comma = v.find(L','), colon = v.find(L':');
  if (comma == std::wstring::npos || colon == std::wstring::npos || colon < comma) return false;
  auto row = number(v.substr(0, comma));
  if (!row) return false;
  into[{*row, v.substr(comma + 1, colon - comma - 1)}] = v.substr(colon + 1);
  return true;
}

// "column:text"
bool template_of(const std::wstring &v, std::map<std::wstring, std::wstring> &into) {
  const size_t colon = v.find(L':');
  if (colon == std::wstring::npos) return false;
  into[v.substr(0, colon)] = v.substr(colon + 1);
  return true;
}

bool grid_field(Grid &g, const std::wstring &key, const std::wstring &v) {
  if (key == L"columns") return !(g.columns = split(v, L',')).empty();
  if (key == L"rows" || key == L"visible") {
    auto n = number(v);
    if (!n || *n < 0) return false;
    (key == L"rows" ? g.rows : g.visible) = *n;
    return true;
  }
  if (key == L"column") return template_of(v, g.column_text);
  if (key == L"icons") return template_of(v, g.column_icon);
  if (key == L"cell") return one_cell(v, g.cells);
  if (key == L"icon") return one_cell(v, g.icons);
  if (key == L"toolbar") return !(g.toolbar = split(v, L',')).empty();
  if (key == L"context") return !(g.context = split(v, L',')).empty();
  return false;
}

bool field(Node &n, const std::wstring &key, const std::wstring &v) {
  if (key == L"text") {
    n.text = v;
    return true;
  }
  if (key == L"selected") {
    n.selected = v == L"1";
    return v == L"0" || v == L"1";
  }
  if (key == L"hscroll") return (n.hscroll = range_of(v)).has_value();
  if (key == L"vscroll") return (n.vscroll = range_of(v)).has_value();
  return n.grid && grid_field(*n.grid, key, v);
}

}  // namespace

bool Grid::has_column(const std::wstring &c) const {
  for (const auto &name : columns)
    if (name == c) return true;
  return false;
}

std::wstring Grid::cell(int row, const std::wstring &column) const {
  return cell_text(cells, column_text, row, column);
}

std::wstring Grid::icon(int row, const std::wstring &column) const {
  return cell_text(icons, column_icon, row, column);
}

std::optional<Kind> kind_of(const std::wstring &type) {
  static const std::pair<const wchar_t *, Kind> kinds[] = {
      {L"GuiApplication", Kind::engine},     {L"GuiConnection", Kind::connection},
      {L"GuiSession", Kind::session},        {L"GuiMainWindow", Kind::window},
      {L"GuiModalWindow", Kind::window},     {L"GuiTextField", Kind::text_field},
      {L"GuiCTextField", Kind::text_field},  {L"GuiPasswordField", Kind::text_field},
      {L"GuiOkCodeField", Kind::text_field}, {L"GuiButton", Kind::button},
      {L"GuiRadioButton", Kind::selectable}, {L"GuiTab", Kind::selectable},
      {L"GuiMenu", Kind::selectable},        {L"GuiCheckBox", Kind::check_box},
      {L"GuiGridView", Kind::grid},          {L"GuiUserArea", Kind::area},
      {L"GuiTableControl", Kind::area},      {L"GuiLabel", Kind::label},
      {L"GuiContainer", Kind::container},    {L"GuiContainerShell", Kind::container},
      {L"GuiToolbar", Kind::container},      {L"GuiTitlebar", Kind::container},
      {L"GuiStatusbar", Kind::label}};
  for (const auto &[name, kind] : kinds)
    if (type == name) return kind;
  return std::nullopt;
}

Node::~Node() {
  if (kind == Kind::engine) --g_engines;
}

std::wstring Node::id() const {
  auto up = parent.lock();
  return (up ? up->id() : std::wstring()) + L"/" + name;
}

Node &Node::root() {
  auto up = parent.lock();
  return up ? up->root() : *this;
}

bool Node::attached() const {
  if (removed) return false;
  auto up = parent.lock();
  return up ? up->attached() : kind == Kind::engine;
}

std::shared_ptr<Node> Node::child(const std::wstring &n) const {
  for (const auto &c : children)
    if (c->name == n) return c;
  return nullptr;
}

std::shared_ptr<Node> Node::add(std::wstring n, std::wstring t, Kind k) {
  auto c = std::make_shared<Node>();
  c->name = std::move(n);
  c->type = std::move(t);
  c->kind = k;
  c->parent = weak_from_this();
  if (k == Kind::grid) c->grid = std::make_unique<Grid>();
  children.push_back(c);
  return c;
}

void Node::remove(Node &c) {
  c.removed = true;
  std::erase_if(children, [&](const auto &p) { return p.get() == &c; });
}

std::shared_ptr<Node> Node::find(const std::wstring &id) {
  std::shared_ptr<Node> at = shared_from_this();
  std::wstring rest = id;
  if (rest.rfind(L"/app", 0) == 0 && (rest.size() == 4 || rest[4] == L'/')) {
    at = root().shared_from_this();
    rest = rest.substr(rest.size() > 4 ? 5 : 4);
  }
  if (rest.empty()) return id.empty() ? nullptr : at;
  for (const std::wstring &segment : split(rest, L'/')) {
    at = at->child(segment);
    if (!at) return nullptr;
  }
  return at;
}

void Node::event(const std::wstring &what) { root().events.push_back(what); }

std::shared_ptr<Node> new_engine() {
  auto e = std::make_shared<Node>();
  e->name = L"app";
  e->type = L"GuiApplication";
  e->kind = Kind::engine;
  e->screen = kDefaultScreen;
  ++g_engines;
  return e;
}

int engines_alive() { return g_engines; }

std::optional<std::wstring> build_screen(Node &session, const std::wstring &fixture) {
  Node scratch;  // built apart, moved in only when the whole fixture is sound
  int line_number = 0;
  for (const std::wstring &raw : split(fixture, L'\n')) {
    ++line_number;
    const std::wstring line = trim(raw);
    if (line.empty() || line[0] == L'#') continue;
    auto error = [&](const std::wstring &what) { return L"line " + std::to_wstring(line_number) + L": " + what; };
    const auto fields = split(line, L'|');
    if (fields.size() < 2) return error(L"no type");
    const std::wstring path = trim(fields[0]), type = trim(fields[1]);
    const auto kind = kind_of(type);
    if (!kind || *kind == Kind::engine || *kind == Kind::connection || *kind == Kind::session)
      return error(L"unknown type " + type);
    const auto segments = split(path, L'/');
    Node *at = &scratch;
    for (size_t i = 0; i < segments.size(); ++i) {
      if (segments[i].empty()) return error(L"empty id segment");
      auto next = at->child(segments[i]);
      const bool last = i + 1 == segments.size();
      if (!next) next = at->add(segments[i], last ? type : L"GuiContainer", last ? *kind : Kind::container);
      if (last && next->type != type) {
        next->type = type;
        next->kind = *kind;
        if (*kind == Kind::grid && !next->grid) next->grid = std::make_unique<Grid>();
      }
      at = next.get();
    }
    for (size_t f = 2; f < fields.size(); ++f) {
      const std::wstring item = trim(fields[f]);
      const size_t eq = item.find(L'=');
      if (eq == std::wstring::npos || !field(*at, item.substr(0, eq), item.substr(eq + 1)))
        return error(L"bad field " + item);
    }
  }
  for (auto &c : scratch.children) {
    c->parent = session.weak_from_this();
    session.children.push_back(std::move(c));
  }
  return std::nullopt;
}

}  // namespace standin::sap
