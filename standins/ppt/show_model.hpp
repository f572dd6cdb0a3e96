// The model behind the stand-in presentation program: an application with
// its presentations, each with slides in order, each slide with shapes
// (placeholders, text boxes, tables, lines). The automation objects of
// objects.cpp are views on it. The presentation file format is described in
// standins/ppt/README.md.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace standin::ppt {

// Shape types as the program numbers them (MsoShapeType).
enum ShapeType : int32_t { kAutoShape = 1, kLine = 9, kPlaceholder = 14, kTextBox = 17, kTable = 19 };

// The text of a frame with the font and alignment of its whole range.
struct TextModel {
  std::wstring text;
  std::wstring font_name = L"Calibri";
  std::wstring far_east_name = L"Calibri";
  double size = 18;
  int32_t color = 0;
  int32_t alignment = 1;  // ppAlignLeft
};

// A line's format (LineFormat); colours are RGB values.
struct LineModel {
  double weight = 0.75;
  int32_t fore = 0;
  int32_t back = 0xFFFFFF;
  int32_t dash = 1;     // msoLineSolid
  int32_t style = 1;    // msoLineSingle
  int32_t pattern = 1;
  double transparency = 0;
  int32_t begin[3] = {2, 2, 1};  // length, width, style: medium, medium, none
  int32_t end[3] = {2, 2, 1};
};

struct ShapeModel {
  int32_t id = 0;
  std::wstring name;
  int32_t type = kAutoShape;
  double left = 0, top = 0, width = 0, height = 0, rotation = 0;
  int32_t orientation = 1;  // msoTextOrientationHorizontal
  bool has_text_frame = false;
  TextModel text;
  // A table's cells, row by row (rows * cols of them), each a shape of its own.
  int32_t rows = 0, cols = 0;
  std::vector<std::shared_ptr<ShapeModel>> cells;
  LineModel line;

  std::shared_ptr<ShapeModel> cell(int32_t r, int32_t c) const {
    return r >= 1 && r <= rows && c >= 1 && c <= cols ? cells[(r - 1) * cols + (c - 1)] : nullptr;
  }
  // A deep copy (a slide copied or inserted from a file owns its shapes).
  std::shared_ptr<ShapeModel> clone() const;
};

struct Presentation;

struct SlideModel {
  Presentation *owner = nullptr;  // null once deleted or closed
  int32_t id = 0;                 // SlideID, unique in its presentation
  int32_t layout = 12;            // ppLayoutBlank
  std::wstring name;
  std::vector<std::shared_ptr<ShapeModel>> shapes;
  int32_t next_shape_id = 2;

  std::shared_ptr<ShapeModel> add_shape(int32_t type, const std::wstring &base_name);
  std::shared_ptr<SlideModel> clone() const;
};

struct App;

struct Presentation {
  App *app = nullptr;  // null once closed
  std::wstring name, full_name;  // full_name empty until saved or opened
  std::vector<std::shared_ptr<SlideModel>> slides;
  int32_t next_slide_id = 256;
  long changes = 0;
  bool read_only = false;
  bool has_window = true;

  std::wstring path() const;
  // A slide of this presentation at `at` (0-based), with a new SlideID.
  std::shared_ptr<SlideModel> insert_slide(size_t at, std::shared_ptr<SlideModel> slide);
  int32_t index_of(const SlideModel *slide) const;  // 1-based, 0 when not here
};

struct App {
  std::vector<std::shared_ptr<Presentation>> presentations;
  Presentation *active = nullptr;
  std::vector<std::shared_ptr<SlideModel>> clipboard;  // copied slides
  int32_t next_untitled = 1;
  bool quit = false;

  std::shared_ptr<Presentation> new_presentation();
  std::shared_ptr<Presentation> shared(const Presentation *p) const;
  void close(Presentation *p);
};

// Makes `shape` a table of rows x cols empty cells.
void make_table(ShapeModel &shape, int32_t rows, int32_t cols);

// Writes the presentation's slides and shapes to `path`; false with a reason.
bool save_show(const Presentation &show, const std::wstring &path, std::wstring &error);
// Reads the slides of a file of ours into `show` (which owns them); false
// with a reason when the file is missing or not ours.
bool load_show(Presentation &show, const std::wstring &path, std::wstring &error);

}  // namespace standin::ppt
