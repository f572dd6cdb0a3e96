// From the mail client to one folder: the lookup both searches share.
#include "outlook_session.hpp"

#include <algorithm>
#include <string_view>

namespace tarvo::outlook {
namespace {

constexpr const wchar_t *kProgId = L"Outlook.Application";

wchar_t fold(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + (L'a' - L'A')) : c; }

bool same_char(wchar_t a, wchar_t b, bool fold_case) { return a == b || (fold_case && fold(a) == fold(b)); }

// The first item of a collection whose text (`reader`) matches `wanted`, or
// the first item when `wanted` is empty; every other item is released.
Ref<IDispatch> pick(IDispatch *collection, const wchar_t *reader, const wchar_t *wanted, bool equal, int32_t flags) {
  int32_t count = 0;
  if (FAILED(disp::GetValue(L"%d", &count, collection, L".Count"))) return {};
  Ref<IDispatch> item;
  if (count < 1) return item;
  if (!wanted || !*wanted) {
    disp::GetValue(L"%o", item.put(), collection, L".Item(%d)", 1);
    return item;
  }
  for (int32_t i = 1; i <= count; ++i) {
    if (FAILED(disp::GetValue(L"%o", item.put(), collection, L".Item(%d)", i)) || !item) continue;
    Bstr text;
    const bool hit = SUCCEEDED(disp::GetValue(L"%S", text.put(), item.get(), reader)) &&
                     text_matches(text.c_str(), wanted, equal, flags);
    xCore.iRet = hit ? 1 : 0;
    if (hit) return item;
  }
  item.reset();
  return item;
}

}  // namespace

bool text_matches(const wchar_t *text, const wchar_t *wanted, bool equal, int32_t flags) {
  const std::wstring_view t(text ? text : L""), w(wanted ? wanted : L"");
  const bool fold_case = !(flags & OUTLOOK_CASE_SENSITIVE);
  const auto same = [fold_case](wchar_t a, wchar_t b) { return same_char(a, b, fold_case); };
  if (equal) return t.size() == w.size() && std::equal(t.begin(), t.end(), w.begin(), same);
  return std::search(t.begin(), t.end(), w.begin(), w.end(), same) != t.end();
}

Lookup find_folder(FolderPath &path, int32_t flags, const wchar_t *account, const wchar_t *folder) {
  if (FAILED(disp::GetObject(nullptr, kProgId, path.app.put())) || !path.app) {
    if (FAILED(disp::CreateObject(kProgId, nullptr, path.app.put())) || !path.app) {
      report_failure(kClientFailed);
      return Lookup::failed;
    }
  }
  if (FAILED(disp::GetValue(L"%o", path.ns.put(), path.app.get(), L".GetNamespace(%S)", L"MAPI")) || !path.ns) {
    report_failure(kNamespaceFailed);
    return Lookup::failed;
  }
  disp::CallMethod(path.ns.get(), L".Logon(%S, %S, %b, %b)", L"", L"", 0, 0);  // already logged on is fine
  if (SUCCEEDED(disp::GetValue(L"%o", path.accounts.put(), path.ns.get(), L".Accounts")) && path.accounts)
    path.account = pick(path.accounts.get(), L".SmtpAddress", account, flags & OUTLOOK_ACCOUNT_EQUALS, flags);
  if (!path.account) {
    report_failure(kNoAccount);
    return Lookup::failed;
  }
  if (FAILED(disp::GetValue(L"%o", path.root.put(), path.account.get(), L".DeliveryStore.GetRootFolder()")) ||
      !path.root || FAILED(disp::GetValue(L"%o", path.folders.put(), path.root.get(), L".Folders")) || !path.folders)
    return Lookup::no_folder;
  path.folder = pick(path.folders.get(), L".Name", folder, flags & OUTLOOK_FOLDER_EQUALS, flags);
  return path.folder ? Lookup::found : Lookup::no_folder;
}

}  // namespace tarvo::outlook
