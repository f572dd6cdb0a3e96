// The automation objects of the stand-in spreadsheet server, views on the
// model of model.hpp: Application, Workbooks, Workbook, Sheets, Worksheet,
// Range, Font, Interior, Borders, PageSetup and Comment.
#pragma once

#include <windows.h>

namespace standin::excel {

// A new application object ("Excel.Application", or "KET.Application"),
// carrying one reference, asked for `iid`.
HRESULT create_excel(REFIID iid, void **out);
HRESULT create_wps(REFIID iid, void **out);

}  // namespace standin::excel
