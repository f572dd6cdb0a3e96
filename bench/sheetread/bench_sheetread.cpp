// Excel_ReadSheet of a 100 x 100 sheet with a header row (10 000 cells plus
// the header and key scans) into script tables, called from a script state,
// against doing the same by hand in C++: the same cells read in the same
// order, the texts converted to UTF-8 and stored into tables made by the same
// BasicLib.NewTable. Through the application the baseline sends the dispatch
// calls itself (GetIDsOfNames + Invoke of Cells and Text); through the file
// library it calls the reader's entry points directly.
#include "by_hand.hpp"
#include "com_ref.hpp"
#include "excel_standin.hpp"
#include "lua_api.hpp"
#include "standin_server.hpp"
#include "timing.hpp"
#include "xcore.h"
#include "xexcel.h"

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>

extern "C" int luaopen_TARVO(lua_State *L);

namespace {

using namespace tarvo::lua;
using tarvo::com::Ref;
using tarvo::com::Variant;
using tarvo::bench::invoke_by_hand;

constexpr WORD kGet = DISPATCH_METHOD | DISPATCH_PROPERTYGET;
constexpr int kSize = 100;  // data rows and columns; row 1 is the header

// A cell reader of the baseline: the text as UTF-8 into `out`, false when empty.
using Reader = bool (*)(void *sheet, int row, int column, std::string &out);

bool utf8_of(const wchar_t *w, size_t n, std::string &out) {
  if (!w || !n) return false;
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, w, static_cast<int>(n), nullptr, 0, nullptr, nullptr);
  out.resize(static_cast<size_t>(bytes));
  WideCharToMultiByte(CP_UTF8, 0, w, static_cast<int>(n), out.data(), bytes, nullptr, nullptr);
  return bytes > 0;
}

bool dispatch_cell(void *sheet, int row, int column, std::string &out) {
  VARIANT args[2];
  args[1].vt = args[0].vt = VT_I4;
  args[1].lVal = row;
  args[0].lVal = column;
  Variant range, text;
  if (FAILED(invoke_by_hand(static_cast<IDispatch *>(sheet), L"Cells", kGet, args, 2, range.get())) ||
      range->vt != VT_DISPATCH)
    return false;
  if (FAILED(invoke_by_hand(range->pdispVal, L"Text", kGet, nullptr, 0, text.get())) || text->vt != VT_BSTR)
    return false;
  return utf8_of(text->bstrVal, SysStringLen(text->bstrVal), out);
}

using ReadStr = const wchar_t *(*)(void *, int, int, void **);
ReadStr g_read_str = nullptr;

bool library_cell(void *sheet, int row, int column, std::string &out) {
  const wchar_t *w = g_read_str(sheet, row - 1, column - 1, nullptr);
  return w && utf8_of(w, wcslen(w), out);
}

// The tables of Excel_ReadSheet(sheet, 1) without field names, by hand.
void read_by_hand(lua_State *L, void *sheet, Reader cell) {
  std::string text;
  int columns = 0, rows = 0;
  while (cell(sheet, 1, columns + 1, text)) ++columns;
  while (cell(sheet, rows + 2, 1, text)) ++rows;
  const int base = api.lua_gettop(L);
  api.lua_getglobal(L, "BasicLib");
  api.lua_getfield(L, -1, "NewTable");  // base + 2
  auto new_table = [&](int kind) {
    api.lua_pushvalue(L, base + 2);
    api.lua_pushinteger(L, kind);
    api.lua_callk(L, 1, 1, 0, nullptr);
  };
  new_table(2);
  api.lua_pushinteger(L, columns);
  api.lua_setfield(L, -2, "ColCount");
  api.lua_pushinteger(L, rows);
  api.lua_setfield(L, -2, "RowCount");
  new_table(1);
  for (int r = 0; r < rows; ++r) {
    new_table(1);
    for (int c = 1; c <= columns; ++c) {
      api.lua_pushinteger(L, c);
      api.lua_pushstring(L, cell(sheet, r + 2, c, text) ? text.c_str() : "");
      api.lua_settable(L, -3);
    }
    api.lua_rawseti(L, -2, r + 1);
  }
  api.lua_setfield(L, -2, "Data");
  api.lua_pushboolean(L, 1);
  api.lua_setfield(L, -2, "Success");
  api.lua_pushstring(L, "");
  api.lua_setfield(L, -2, "LastError");
  api.lua_settop(L, base);
}

void run(lua_State *L, const char *chunk) {
  if (api.luaL_loadstring(L, chunk) || api.lua_pcallk(L, 0, 1, 0, 0, nullptr)) {
    std::printf("script failed: %s\n", api.lua_tolstring(L, -1, nullptr));
    std::exit(1);
  }
  api.lua_settop(L, 0);
}

}  // namespace

int main() {
  CoInitialize(nullptr);
  LoadLibraryW(L"Lunhost.dll");
  if (!resolve_lua_api()) return std::puts("Lunhost.dll must sit beside the benchmark"), 1;
  lua_State *L = api.luaL_newstate();
  api.luaL_openlibs(L);
  luaopen_TARVO(L);
  api.lua_setglobal(L, "T");
  run(L, "BasicLib = {NewTable = function(kind) return {} end}");

  // The application: one sheet filled in the stand-in, header row included.
  Ref<IDispatch> app = tarvo::bench::load_inproc_server(L"tarvo_excel_standin.dll", standin::excel::kExcelClsid);
  if (!app) return std::puts("tarvo_excel_standin.dll must sit beside the benchmark"), 1;
  const xComObject book = Excel_NewBook(reinterpret_cast<xComObject>(app.get()));
  const xComObject sheet = Excel_Book_GetSheet_Index(book, 1);
  std::wstring file = L"tarvo-book\t1\nsheet\tData\n";
  for (int r = 1; r <= kSize + 1; ++r)
    for (int c = 1; c <= kSize; ++c) {
      const std::wstring text = L"r" + std::to_wstring(r) + L"c" + std::to_wstring(c);
      Excel_Sheet_SetCellTextW(sheet, r, c, text.c_str());
      std::wstring name;
      if (c > 26) name += static_cast<wchar_t>(L'A' + (c - 1) / 26 - 1);
      name += static_cast<wchar_t>(L'A' + (c - 1) % 26);
      file += L"cell\t" + name + std::to_wstring(r) + L"\ts\t" + text + L"\n";
    }
  api.lua_pushinteger(L, book);
  api.lua_setglobal(L, "B");
  auto by_library = [&] { run(L, "return T.Excel_ReadSheet(B, 1)"); };
  double app_ratio = tarvo::bench::compare("ReadSheet 100x100, application", 3, 2, by_library,
                                           [&] { read_by_hand(L, reinterpret_cast<void *>(sheet), dispatch_cell); }, 2.0);

  // The file library: the same cells in a book file, loaded once.
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring path = std::wstring(temp) + L"tarvo_bench_sheetread.xlsx";
  {
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    const std::string bytes = [&] {
      std::string out;
      utf8_of(file.c_str(), file.size(), out);
      return out;
    }();
    DWORD written = 0;
    WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(f);
  }
  std::string path_utf8;
  utf8_of(path.c_str(), path.size(), path_utf8);
  run(L, ("assert(T.LibXL_Init('tarvo_libxl_standin.dll')) X = T.LibXL_NewBook() assert(T.LibXL_BookLoad(X, [[" +
          path_utf8 + "]]) == 1)")
             .c_str());
  HMODULE standin = GetModuleHandleW(L"tarvo_libxl_standin.dll");
  g_read_str = reinterpret_cast<ReadStr>(GetProcAddress(standin, "xlSheetReadStrW"));
  using GetSheet = void *(*)(void *, int);
  auto get_sheet = reinterpret_cast<GetSheet>(GetProcAddress(standin, "xlBookGetSheetW"));
  api.lua_getglobal(L, "X");
  void *xl_book = reinterpret_cast<void *>(static_cast<intptr_t>(api.lua_tointegerx(L, -1, nullptr)));
  api.lua_settop(L, 0);
  void *xl_sheet = get_sheet(xl_book, 0);
  double file_ratio =
      tarvo::bench::compare("ReadSheet 100x100, file library", 5, 5,
                            [&] { run(L, "return T.Excel_ReadSheet(X, 1, 'A', 1, false, true)"); },
                            [&] { read_by_hand(L, xl_sheet, library_cell); }, 1.5);
  run(L, "T.LibXL_Release(X)");
  DeleteFileW(path.c_str());

  std::printf("application %.2fx (at most 2x), file library %.2fx (at most 1.5x)\n", app_ratio, file_ratio);
  reinterpret_cast<IDispatch *>(sheet)->Release();
  Excel_Book_Close(book, 0);
  reinterpret_cast<IDispatch *>(book)->Release();
  Excel_Quit(reinterpret_cast<xComObject>(app.get()));
  api.lua_close(L);
  return 0;
}
