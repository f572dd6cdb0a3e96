// The stand-in spreadsheet server in-process: both classes from one DLL.
#include "excel_standin.hpp"
#include "objects.hpp"
#include "server.hpp"

std::span<standin::ServedClass> standin::served_classes() {
  static ServedClass classes[] = {{&excel::kExcelClsid, ClassFactory(excel::create_excel)},
                                  {&excel::kWpsClsid, ClassFactory(excel::create_wps)}};
  return classes;
}
