// The Excel and WPS functions of the module: one per row of xexcel.h that
// has a Lua result, and the few no row can express.
#include "excel_file.hpp"
#include "lua_members.hpp"
#include "registry.hpp"
#include "sheet_source.hpp"
#include "xexcel.h"

#include <string>

namespace tarvo::lua {
namespace {

int32_t check_file(const char *path, int32_t allow_html) {
  return office::check_spreadsheet_file(WideArg<kCodePageU>(path), allow_html);
}

// Column letters to the column number (office::column_number); a value
// that is not a string gives 0.
lua_Integer field_index(lua_State *L) {
  if (api.lua_type(L, 1) != LUA_TSTRING) return 0;
  size_t n = 0;
  const char *s = api.lua_tolstring(L, 1, &n);
  return office::column_number(s, n);
}

int get_field_index(lua_State *L) {
  if (!count_ok(L, 1, 1)) return param_count_error(L);
  api.lua_pushinteger(L, field_index(L));
  return 1;
}

// The column number as letters (bijective base 26); 0 or less gives "".
int get_field_title(lua_State *L) {
  if (!count_ok(L, 1, 1)) return param_count_error(L);
  lua_Integer number = integer_at(L, 1);
  char letters[16];
  int at = sizeof letters - 1;
  letters[at] = 0;
  while (number > 0) {
    lua_Integer digit = number % 26;
    if (digit == 0) digit = 26;
    number = (number - digit) / 26;
    letters[--at] = static_cast<char>('@' + digit);
  }
  api.lua_pushstring(L, letters + at);
  return 1;
}

const luaL_Reg kExcelFunctions[] = {
    XEXCEL_MEMBERS(TARVO_MEMBER_LUA)
    // Excel_SetActiveBook(app, name or index): activates the book; false for any other value, without a call.
    {"Excel_SetActiveBook", name_or_index<&Excel_SetActiveBook_Index, &Excel_SetActiveBookW>},
    // The kind of spreadsheet file by its first bytes: 1 xlsx, 2 xls, 3 XML, 4 HTML (only with allow_html), else 0.
    {"Excel_CheckFile", wrap<check_file, Ret::Integer, Text, AnyFlagOr<0>>},
    // Excel_GetFieldIndex(letters): the column number ("AB" gives 28); 0 for a value that is not letters.
    {"Excel_GetFieldIndex", get_field_index},
    // Excel_GetFieldTitle(column): the column number as letters (28 gives "AB"); "" for 0 or less.
    {"Excel_GetFieldTitle", get_field_title},
};
const LuaFamily excel_family(kExcelFunctions);

}  // namespace
}  // namespace tarvo::lua
