// File and folder functions of the module, and the two file searches.
#include "registry.hpp"
#include "scan.hpp"
#include "text_codec.hpp"
#include "transcode.hpp"
#include "wrap.hpp"
#include "xfile.h"
#include "xstring.h"

#include <windows.h>

#include <string>
#include <vector>

namespace tarvo::lua {
namespace {

constexpr int32_t kScriptCharset = 65001;

std::string to_utf8(const std::wstring &w) {
  int n = tarvo::wide_to_multibyte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
  std::string s(n > 0 ? static_cast<size_t>(n) : 0, '\0');
  if (n > 0) tarvo::wide_to_multibyte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr, nullptr);
  return s;
}

// The full names of the files matching argument 2 in the folder of argument
// 1, in walk order (top folder first); only the first when `first_only`. The
// walk calls nothing of Lua: the names are collected and pushed after it.
// Out of memory ends the list where it got.
std::vector<std::string> find_files(const char *folder, const char *pattern, bool recurse, bool first_only) {
  std::vector<std::string> found;
  tarvo::guarded([&] {
    WideArg<kCodePageU> f(folder), p(pattern);
    files::walk(f.get(), p.get(), 0, XFILE_SCAN_NODIRS, recurse,
                [&](const std::wstring &dir, const WIN32_FIND_DATAW &d) -> intptr_t {
                  found.push_back(to_utf8(dir + d.cFileName));
                  return first_only ? 1 : 0;
                });
    return 0;
  }, 0);
  return found;
}

// File_Find(folder, pattern): the first matching file, top folder first;
// "" when there is none. The text register ends empty, as it always has
// after a search.
int file_find(lua_State *L) {
  if (!count_ok(L, 2, 2)) return param_count_error(L);
  const char *folder = api.lua_tolstring(L, 1, nullptr), *pattern = api.lua_tolstring(L, 2, nullptr);
  char *first;
  {
    std::vector<std::string> found = find_files(folder, pattern, true, true);
    first = found.empty() ? empty_a() : xCore_CopyStringA(found[0].c_str(), 0);
  }
  xCore.sRet = const_cast<char *>(xCore.EmptyString);
  return Ret::Text::push(L, first);  // released also when the push raises
}

// File_FindAll(folder, pattern [, recurse = true]): a list of every matching
// file in walk order. The table comes first, while nothing is held; it is
// filled under a protected call, so an error of a store meets no C++ object.
int file_find_all(lua_State *L) {
  if (!count_ok(L, 2, 3)) return param_count_error(L);
  bool recurse = api.lua_gettop(L) < 3 || api.lua_toboolean(L, 3);
  const char *folder = api.lua_tolstring(L, 1, nullptr), *pattern = api.lua_tolstring(L, 2, nullptr);
  push_new_table_or_raise(L, TableKind::List);
  int status;
  {
    std::vector<std::string> found = find_files(folder, pattern, recurse, false);
    auto fill = [&found](lua_State *S) {
      TableWriter list(S);
      for (const std::string &name : found) list.add(name.c_str());
    };
    status = fill_protected(L, fill);
  }
  if (status != LUA_OK) return api.lua_error(L);
  return 1;
}

// Whole files take the text's bytes with an optional length that never
// reaches beyond them; the read gives every byte of the result.
const luaL_Reg kFileFunctions[] = {
    {"File_ReadAll", wrap<files::read_all_utf8, Ret::Bytes, Text, IntOr<XFILE_CHARSET_AUTO>>},
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
