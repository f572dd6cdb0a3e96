// The Outlook functions of the module: one per row of xoutlook.h that has a
// Lua result, the namespace's second name, and the composite members.
#include "forms.hpp"
#include "lua_members.hpp"
#include "registry.hpp"
#include "xoutlook.h"

#include <unknwn.h>

namespace tarvo::lua {
namespace {

// Outlook_MAPI_GetCurrentUser(namespace, any): the second argument is
// required and not read.
wchar_t *current_user(xComObject ns, lua_Integer) { return Outlook_MAPI_GetCurrentUserW(ns); }

// Outlook_MailItem_Attachments_SaveAll(mail, folder, name choice): a list of
// the saved paths. The table is filled under a protected call, so every path
// is released also when filling it raises.
int save_all(lua_State *L) {
  if (!count_ok(L, 3, 3)) return param_count_error(L);
  push_new_table_or_raise(L, TableKind::List);
  const xComObject mail = integer_at(L, 1);
  const auto choice = read::FlagOrNumber::get<int32_t>(L, 3);  // an integer; a boolean reads as one too
  wchar_t **paths;
  {
    WideArg<kCodePageU> folder(api.lua_tolstring(L, 2, nullptr));
    paths = Outlook_MailItem_Attachments_SaveAllW(mail, folder, choice);
  }
  auto fill = [paths](lua_State *S) {
    for (size_t i = 0; paths && paths[i]; ++i) {
      api.lua_pushinteger(S, static_cast<lua_Integer>(i + 1));
      detail::push_text(S, paths[i]);
      api.lua_settable(S, -3);
    }
  };
  const int status = fill_protected(L, fill);
  size_t saved = 0;
  for (; paths && paths[saved]; ++saved) release(paths[saved]);
  release(paths);
  set_size(saved);  // the texts' conversions wrote the register: it is the number of files again
  if (status != LUA_OK) return api.lua_error(L);
  return 1;
}

// Outlook_FindMails(flags, account, folder, keyword, number, maximum): a
// list of the found items' handles, which are the script's to release. When
// filling the table raises, no handle has reached the script: each is
// released here.
int find_mails(lua_State *L) {
  if (!count_ok(L, 6, 6)) return param_count_error(L);
  push_new_table_or_raise(L, TableKind::List);
  xComObject *found;
  {
    WideArg<kCodePageU> account(api.lua_tolstring(L, 2, nullptr)), folder(api.lua_tolstring(L, 3, nullptr)),
        keyword(api.lua_tolstring(L, 4, nullptr));
    found = Outlook_FindMailsW(static_cast<int32_t>(integer_at(L, 1)), account, folder, keyword,
                               static_cast<int32_t>(integer_at(L, 5)), static_cast<int32_t>(integer_at(L, 6)));
  }
  auto fill = [found](lua_State *S) {
    TableWriter table(S);
    for (size_t i = 0; found && found[i]; ++i) table.add(static_cast<lua_Integer>(found[i]));
  };
  const int status = fill_protected(L, fill);
  if (status != LUA_OK)
    for (size_t i = 0; found && found[i]; ++i) reinterpret_cast<IUnknown *>(found[i])->Release();
  release(found);
  if (status != LUA_OK) return api.lua_error(L);
  return 1;
}

const luaL_Reg kOutlookFunctions[] = {
    XOUTLOOK_MEMBERS(TARVO_MEMBER_LUA)
    {"Outlook_GetMAPI", wrap<&Outlook_GetNamespace, Ret::Integer, Int>},
    {"Outlook_MAPI_GetCurrentUser", wrap<current_user, Ret::Text, Int, Int>},
    {"Outlook_SendMail", wrap<&Outlook_SendMailW, Ret::Boolean, Int, Text, Text, Text>},
    {"Outlook_MailItem_Attachments_SaveAll", save_all},
    {"Outlook_FindFolder", wrap<&Outlook_FindFolderW, Ret::Integer, Int, Text, Text>},
    {"Outlook_FindMails", find_mails},
};
const LuaFamily outlook_family(kOutlookFunctions);

}  // namespace
}  // namespace tarvo::lua
