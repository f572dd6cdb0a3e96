// What the composite members share: the mail class, the last-error texts, a
// failure report, text comparison by the search flags, and the way from the
// running (or a newly started) mail client to one folder under an account's
// root folder, written once for both searches.
#pragma once

#include "com_ref.hpp"
#include "disphelper.h"
#include "runtime.hpp"
#include "xoutlook.h"

#include <cstdint>

namespace tarvo::outlook {

using com::Bstr;
using com::Ref;

// The class code of a mail item.
inline constexpr int32_t kMailClass = 43;

// The last-error texts of the searches (UTF-8, constant).
inline constexpr const char *kClientFailed = "Outlook_Create 失败";
inline constexpr const char *kNamespaceFailed = "Outlook_GetNamespace 失败";
inline constexpr const char *kNoAccount = "账号匹配失败";
inline constexpr const char *kNoFolder = "文件夹匹配失败";
inline constexpr const char *kMaximumBelowOne = "获取邮件数量不能小于 1";
inline constexpr const char *kNoMemory = "内存申请失败";

// A search that failed for a named reason: the text, iRetSize 0.
inline void report_failure(const char *message) {
  xCore.LastError = message;
  set_size(0);
}

// Whether `text` holds `wanted` (equal: is it) under the search flags' case
// rule; case is folded for ASCII letters only, as the library's InStr does.
bool text_matches(const wchar_t *text, const wchar_t *wanted, bool equal, int32_t flags);

// The objects between the client and the folder, released in reverse order
// of their making on every path (the folder itself is the caller's to take).
struct FolderPath {
  Ref<IDispatch> app, ns, accounts, account, root, folders, folder;
};

enum class Lookup { found, no_folder, failed };

// Attaches to the running client (or starts one), logs on, picks the account
// by its SMTP address and the folder among the root folder's direct
// subfolders by its name (empty texts: the first of each). `failed` has
// reported its reason; `no_folder` leaves the last-error text alone. iRet
// holds the outcome of the latest comparison.
Lookup find_folder(FolderPath &path, int32_t flags, const wchar_t *account, const wchar_t *folder);

}  // namespace tarvo::outlook
