// The automation objects of the stand-in presentation program, views on the
// model of show_model.hpp: Application, Presentations, Presentation,
// DocumentWindows, DocumentWindow, Slides, Slide and SlideRange, Shapes,
// Shape, TextFrame, TextRange, Font, ColorFormat, ParagraphFormat, Table,
// Rows, Columns, Cell and LineFormat.
#pragma once

#include <windows.h>

namespace standin::ppt {

// A new application object carrying one reference, asked for `iid`.
HRESULT create_application(REFIID iid, void **out);

}  // namespace standin::ppt
