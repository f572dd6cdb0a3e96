// The word-processing model behind the stand-in server, free of COM:
// documents as one story of text (paragraphs ending in a paragraph mark,
// the last always present) with character formats and paragraph styles, a
// selection that typing and moving change, statistics, find and replace,
// tables of cells and shapes (inline and floating), and the document file
// of our own. standins/word/README.md states the rules.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace standin::word {

inline constexpr wchar_t kParagraphMark = L'\r';
inline constexpr int32_t kColorAutomatic = -16777216;
// A layout line holds at most this many characters; a page this many lines.
inline constexpr int kLineWidth = 80;
inline constexpr int kLinesPerPage = 45;

struct Format {
  std::wstring name = L"Calibri";
  double size = 11;
  int32_t color = kColorAutomatic;
  bool bold = false, italic = false;
  bool operator==(const Format &) const = default;
};

// What each character of the story carries: its format, and for a
// paragraph mark the style of the paragraph it ends.
struct Attr {
  Format format;
  std::wstring style = L"Normal";
};

struct Table {
  int rows = 0, cols = 0;
  std::vector<std::wstring> cells;  // row by row, without the end-of-cell mark
  long anchor = 0;
  std::wstring &cell(int r, int c) { return cells[static_cast<size_t>((r - 1) * cols + (c - 1))]; }
};

// Inline shape types (WdInlineShapeType) and floating ones (MsoShapeType).
inline constexpr int32_t kInlineEmbeddedOle = 1, kInlineLinkedOle = 2, kInlinePicture = 3, kInlineLinkedPicture = 4,
                          kInlineOleControl = 5, kInlineHorizontalLine = 6, kInlinePictureHorizontalLine = 7,
                          kInlineChart = 12, kInlineSmartArt = 15;
inline constexpr int32_t kShapeAutoShape = 1, kShapeChart = 3, kShapeEmbeddedOle = 7, kShapeLinkedOle = 10,
                          kShapeLinkedPicture = 11, kShapeOleControl = 12, kShapePicture = 13, kShapeTextBox = 17,
                          kShapeSmartArt = 24;
// The other side's type of a conversion; 0 when the shape cannot change sides.
int32_t floating_type_of(int32_t inline_type);
int32_t inline_type_of(int32_t floating_type);

struct Shape {
  bool is_inline = true;
  int32_t type = kInlinePicture;
  int32_t auto_shape = 0;  // AddShape's MsoAutoShapeType
  double left = 0, top = 0, width = 72, height = 72;
  double natural_width = 72, natural_height = 72;  // what ScaleWidth/ScaleHeight compare with
  std::wstring title, picture;
  int32_t chart_style = 0, chart_type = 0;
  std::wstring class_type, prog_id, label;
  bool chart_activated = false, ole_activated = false;
  int ole_edits = 0, ole_opens = 0;
  long anchor = 0;
  bool gone = false;  // deleted or converted: its handles answer no more
  bool chart() const { return type == (is_inline ? kInlineChart : kShapeChart); }
  bool smart_art() const { return type == (is_inline ? kInlineSmartArt : kShapeSmartArt); }
  bool ole() const;
};
using ShapePtr = std::shared_ptr<Shape>;

struct FindState {
  std::wstring text, replacement;
  bool forward = true, match_case = false, whole_word = false;
  int32_t wrap = 0;  // wdFindStop
};

struct Document {
  std::wstring name, full_name;  // full_name empty until saved or opened
  bool saved = true, read_only = false, open = true;
  std::wstring text{kParagraphMark};
  std::vector<Attr> attrs{Attr{}};
  long sel_start = 0, sel_end = 0;
  std::optional<Format> pending;  // a collapsed selection's format for what is typed next
  std::vector<std::shared_ptr<Table>> tables;  // in document order
  std::vector<ShapePtr> inline_shapes, shapes;

  long story_end() const { return static_cast<long>(text.size()) - 1; }  // before the final mark
  void select(long start, long end);
  // Replaces [start, end) with `s` (the formats of the character before it,
  // or the pending one); anchors and the selection after it move.
  void replace(long start, long end, const std::wstring &s);
  // The caret at the end of what was typed.
  void type(const std::wstring &s);

  // A format property over [start, end): the common value, or none when
  // characters differ; a collapsed range reads the pending format or the
  // character before.
  const Format &format_at(long pos) const;
  template <class F>
  void change_format(long start, long end, F change) {
    if (start == end) {
      Format f = format_at(start);
      change(f);
      pending = f;
      return;
    }
    for (long i = start; i < end; ++i) change(attrs[static_cast<size_t>(i)].format);
    changed();
  }
  std::wstring style_at(long pos) const;
  void set_style(long start, long end, const std::wstring &style);

  // Layout lines (start, end) of the story, kLineWidth characters at most.
  std::vector<std::pair<long, long>> lines() const;
  // ComputeStatistics codes: 0 words, 1 lines, 2 pages, 3 characters, 4
  // paragraphs, 5 characters with spaces; -1 for another code.
  int32_t statistic(int32_t code) const;
  int32_t pages() const;

  // Moves: the number of units moved.
  int32_t move_horizontal(int direction, int32_t count, bool extend);
  int32_t move_vertical(int direction, int32_t count, bool extend);

  // Find over the selection as Word's Selection.Find does: `replace` 0
  // finds and selects the next match, 1 replaces it, 2 replaces every match.
  bool execute_find(const FindState &find, int32_t replace);

  void insert_table(const std::shared_ptr<Table> &table);
  void changed() { saved = false; }
};
using DocumentPtr = std::shared_ptr<Document>;

// Paragraph styles a document knows.
bool known_style(const std::wstring &name);

// The document file: false with a reason on failure.
bool save_document(const Document &doc, const std::wstring &path, std::wstring &error);
bool load_document(Document &doc, const std::wstring &path, std::wstring &error);

}  // namespace standin::word
