// File and folder functions of the module, and the two file searches.
#include "registry.hpp"
#include "wrap.hpp"
#include "xfile.h"
#include "xstring.h"

#include <windows.h>

#include <string>

namespace tarvo::lua {
namespace {

constexpr int32_t kScriptCharset = 65001;

// Each search carries its state through the walk's user value, so searches
// on several script states never meet.
struct FirstFile {
  std::wstring path;
};

intptr_t take_first(const wchar_t *folder, const WIN32_FIND_DATAW *entry, intptr_t user) {
  reinterpret_cast<FirstFile *>(user)->path = std::wstring(folder) + entry->cFileName;
  return 1;
}

struct AllFiles {
  lua_State *L;
  TableWriter table;
};

intptr_t add_file(const wchar_t *folder, const WIN32_FIND_DATAW *entry, intptr_t user) {
  auto *all = reinterpret_cast<AllFiles *>(user);
  char *u = xCore_W2U((std::wstring(folder) + entry->cFileName).c_str(), 0);
  all->table.add(static_cast<const char *>(u));
  xCore_free(u);
  return 0;
}

// File_Find(folder, pattern): the first matching file, top folder first;
// "" when there is none. The text register ends empty, as it always has
// after a search.
int file_find(lua_State *L) {
  if (!count_ok(L, 2, 2)) return param_count_error(L);
  {
    WideArg<kCodePageU> folder(api.lua_tolstring(L, 1, nullptr));
    WideArg<kCodePageU> pattern(api.lua_tolstring(L, 2, nullptr));
    FirstFile found;
    xFile_ScanW(folder, pattern, 0, XFILE_SCAN_NODIRS, 1, take_first, reinterpret_cast<intptr_t>(&found));
    char *u = xCore_W2U(found.path.c_str(), 0);
    api.lua_pushstring(L, u);
    xCore_free(u);
  }
  xCore.sRet = const_cast<char *>(xCore.EmptyString);
  return 1;
}

// File_FindAll(folder, pattern [, recurse = true]): a list of every matching
// file in walk order. The table comes first, while nothing is held.
int file_find_all(lua_State *L) {
  if (!count_ok(L, 2, 3)) return param_count_error(L);
  bool recurse = api.lua_gettop(L) < 3 || api.lua_toboolean(L, 3);
  push_new_table_or_raise(L, TableKind::List);
  WideArg<kCodePageU> folder(api.lua_tolstring(L, 1, nullptr));
  WideArg<kCodePageU> pattern(api.lua_tolstring(L, 2, nullptr));
  AllFiles all{L, TableWriter(L)};
  xFile_ScanW(folder, pattern, 0, XFILE_SCAN_NODIRS, recurse ? 1 : 0, add_file, reinterpret_cast<intptr_t>(&all));
  return 1;
}

// Whole files take the text's bytes with an optional length that never
// reaches beyond them; the read gives every byte of the result.
const luaL_Reg kFileFunctions[] = {
    {"File_ReadAll", wrap<xFile_ReadAllU, Ret::Bytes, Text, IntOr<XFILE_CHARSET_AUTO>>},
    {"File_WriteAll", wrap<xFile_WriteAllU, Ret::Integer, Text, Text, LengthOf<2>, IntOr<kScriptCharset>>},
    {"File_Append", wrap<xFile_AppendU, Ret::Integer, Text, Text, LengthOf<2>, IntOr<kScriptCharset>>},
    {"File_Exists", wrap<xFile_ExistsW, Ret::Boolean, Text>},
    {"Folder_Exists", wrap<xFile_FolderExistsW, Ret::Boolean, Text>},
    {"Path_Exists", wrap<xFile_PathExistsW, Ret::Boolean, Text>},
    {"File_Copy", wrap<xFile_CopyW, Ret::None, Text, Text, FlagOr<true>>},
    {"File_Move", wrap<xFile_MoveW, Ret::None, Text, Text, FlagOr<true>>},
    {"File_Delete", wrap<xFile_DeleteW, Ret::None, Text>},
    {"Folder_Create", wrap<xFile_CreateDirW, Ret::None, Text>},
    {"Folder_Copy", wrap<xFile_CopyDirW, Ret::Integer, Text, Text, TextOr<"*">, FlagOr<true>>},
    {"Folder_Move", wrap<xFile_MoveDirW, Ret::Integer, Text, Text, TextOr<"*">, FlagOr<true>>},
    {"Folder_Delete", wrap<xFile_DeleteDirW, Ret::Integer, Text, TextOr<"*">>},
    {"File_Find", file_find},
    {"File_FindAll", file_find_all},
};

const LuaFamily files_family(kFileFunctions);

}  // namespace
}  // namespace tarvo::lua
