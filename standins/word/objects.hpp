// The automation objects of the stand-in word processor, views on the model
// of model.hpp: Application, Documents, Document, Window, Selection, Range,
// Font, Find, Tables, Table, Cell, InlineShapes, Shapes, the shapes
// themselves, Chart, ChartData, OLEFormat.
#pragma once

#include <windows.h>

namespace standin::word {

// A new application object ("Word.Application"), carrying one reference,
// asked for `iid`.
HRESULT create_word(REFIID iid, void **out);

}  // namespace standin::word
