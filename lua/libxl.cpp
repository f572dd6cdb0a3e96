// The spreadsheet-file library's functions: bind a DLL, make, load and
// release books. Before a binding succeeded they do nothing and give 0.
#include "libxl.hpp"
#include "registry.hpp"
#include "wrap.hpp"

namespace tarvo::lua {
namespace {

int32_t init(const wchar_t *dll_path) { return libxl::bind(dll_path); }

intptr_t new_book(int32_t format) { return reinterpret_cast<intptr_t>(libxl::create_book(format != 0)); }

int32_t book_load(intptr_t book, const wchar_t *path) {
  return libxl::book_load(reinterpret_cast<libxl::Book>(book), path);
}

void release(intptr_t book) { libxl::book_release(reinterpret_cast<libxl::Book>(book)); }

const luaL_Reg kLibXLFunctions[] = {
    // Binds the spreadsheet-file library DLL at the path; true when bound.
    {"LibXL_Init", wrap<init, Ret::Boolean, Text>},
    // A new empty book (format 1: xlsx, 0: xls); 0 before a binding succeeded.
    {"LibXL_NewBook", wrap<new_book, Ret::Integer, IntOr<1>>},
    // Loads the file into the book; non-zero when loaded.
    {"LibXL_BookLoad", wrap<book_load, Ret::Integer, Int, Text>},
    // Releases a book.
    {"LibXL_Release", wrap<release, Ret::None, Int>},
};
const LuaFamily libxl_family(kLibXLFunctions);

}  // namespace
}  // namespace tarvo::lua
