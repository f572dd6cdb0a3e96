// The model of the stand-in GUI: one tree from the engine ("/app") through
// connections, sessions and windows down to the screen elements, and the
// screen fixture that describes what a new session shows.
//
// Fixture: UTF-8 text, one element per line, fields separated by "|" and
// trimmed, "#" starting a comment line:
//
//   wnd[0]                          | GuiMainWindow | text=Start
//   wnd[0]/usr                      | GuiUserArea   | hscroll=0..40 | vscroll=0..200
//   wnd[0]/usr/txtNAME              | GuiTextField  | text=Ann
//   wnd[0]/usr/chkDONE              | GuiCheckBox   | selected=1
//   wnd[0]/usr/cntlGRID/shellcont/shell | GuiGridView | columns=MATNR,MAKTX | rows=1000
//       | visible=20 | column=MATNR:M{row} | cell=3,MAKTX:odd one | icon=2,MATNR:@0A@
//       | icons=MAKTX:@{row}@ | toolbar=&PRINT,&MB_EXPORT | context=&MB_VARIANT
//
// (a grid's fields on one line). The path is relative to the session; parents
// that are not described are plain containers. Fields: text, selected (0/1),
// hscroll and vscroll (minimum..maximum, the position starting at the
// minimum), and for grids: columns, rows, visible (rows shown), column (a
// column's text for every row, "{row}" replaced by the row number),
// cell (one cell: row,column:text), icons / icon (the same for icons),
// toolbar and context (the ids of the toolbar's buttons and of its context
// buttons). An unknown type or field, or a line without a type, is an error.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace standin::sap {

struct Scrollbar {
  int minimum = 0, maximum = 0, position = 0;
};

struct Grid {
  std::vector<std::wstring> columns;
  int rows = 0, visible = 0, first_visible = 0;
  std::map<std::wstring, std::wstring> column_text, column_icon;  // templates by column
  std::map<std::pair<int, std::wstring>, std::wstring> cells, icons;
  std::vector<std::wstring> toolbar, context;
  int current_row = -1;
  std::wstring current_column;
  std::wstring selected_rows;

  bool has_column(const std::wstring &c) const;
  std::wstring cell(int row, const std::wstring &column) const;
  std::wstring icon(int row, const std::wstring &column) const;
};

// What the kind of an element lets a client do.
enum class Kind { engine, connection, session, window, text_field, button, selectable, check_box, grid, area, label,
                  container };
// The kind of a type name; nullopt for a type the stand-in does not know.
std::optional<Kind> kind_of(const std::wstring &type);

struct Node : std::enable_shared_from_this<Node> {
  std::wstring name;  // the id's last segment: "txtNAME", "wnd[0]", "con[2]"
  std::wstring type;
  Kind kind = Kind::container;
  std::wstring text;
  bool selected = false;
  int caret = 0;
  std::optional<Scrollbar> hscroll, vscroll;
  std::unique_ptr<Grid> grid;
  std::weak_ptr<Node> parent;
  std::vector<std::shared_ptr<Node>> children;
  bool removed = false;

  // Only the engine's: what clients made the GUI do, the fixture of new
  // sessions, the next connection number and the focused element.
  std::vector<std::wstring> events;
  std::wstring screen;
  int next_connection = 0;
  std::weak_ptr<Node> focus;

  ~Node();
  std::wstring id() const;  // absolute: "/app/con[0]/ses[0]/wnd[0]/usr/txtNAME"
  Node &root();
  bool attached() const;  // neither it nor a parent was closed
  std::shared_ptr<Node> child(const std::wstring &name) const;
  std::shared_ptr<Node> add(std::wstring name, std::wstring type, Kind kind);
  void remove(Node &child);
  // An id relative to this node, or absolute ("/app/..."); null when missing.
  std::shared_ptr<Node> find(const std::wstring &id);
  void event(const std::wstring &what);
};

// A new engine (GuiApplication) with the default screen.
std::shared_ptr<Node> new_engine();
// Engines alive in this process.
int engines_alive();

// Builds a session's windows and elements from a fixture; on an error its
// text ("line 3: unknown type GuiFoo") and nothing is built.
std::optional<std::wstring> build_screen(Node &session, const std::wstring &fixture);

}  // namespace standin::sap
