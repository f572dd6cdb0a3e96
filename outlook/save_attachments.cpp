// Saving every attachment of a mail into one folder. The names come from
// whoever sent the mail, so each is made into a plain file name of that
// folder first: no path, no character a file name may not hold, no device
// name, and no second attachment of the same call over an earlier one.
#include "forms.hpp"
#include "outlook_session.hpp"

#include <cwchar>
#include <string>
#include <string_view>
#include <vector>

namespace tarvo::outlook {
namespace {

bool is_separator(wchar_t c) { return c == L'\\' || c == L'/'; }

bool same_name(std::wstring_view a, std::wstring_view b) {
  return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
         CSTR_EQUAL;
}

// CON, PRN, AUX, NUL, COM1-9 and LPT1-9, with any extension, open devices.
bool is_device_name(std::wstring_view name) {
  const std::wstring_view stem = name.substr(0, name.find(L'.'));
  for (const wchar_t *device : {L"CON", L"PRN", L"AUX", L"NUL"})
    if (same_name(stem, device)) return true;
  if (stem.size() == 4 && stem[3] >= L'1' && stem[3] <= L'9')
    for (const wchar_t *device : {L"COM", L"LPT"})
      if (same_name(stem.substr(0, 3), device)) return true;
  return false;
}

// The last component of the name, with what a file name may not hold turned
// into "_" (also trailing dots and blanks, which the system would drop).
std::wstring file_name_of(std::wstring_view name) {
  size_t start = name.size();
  while (start > 0 && !is_separator(name[start - 1])) --start;
  std::wstring file(name.substr(start));
  for (wchar_t &c : file)
    if (c < 32 || std::wstring_view(L"<>:\"|?*").find(c) != std::wstring_view::npos) c = L'_';
  for (size_t i = file.size(); i > 0 && (file[i - 1] == L'.' || file[i - 1] == L' '); --i) file[i - 1] = L'_';
  if (file.empty()) file = L"_";
  if (is_device_name(file)) file.insert(0, 1, L'_');
  return file;
}

// The name, or "stem (2).ext", "stem (3).ext", ... when this call has
// already saved a file of that name.
std::wstring unused_name(const std::wstring &file, const std::vector<std::wstring> &taken) {
  const auto is_taken = [&](const std::wstring &candidate) {
    for (const std::wstring &t : taken)
      if (same_name(t, candidate)) return true;
    return false;
  };
  if (!is_taken(file)) return file;
  const size_t dot = file.rfind(L'.');
  const size_t cut = dot == std::wstring::npos || dot == 0 ? file.size() : dot;
  for (unsigned n = 2;; ++n) {
    std::wstring candidate = file.substr(0, cut) + L" (" + std::to_wstring(n) + L")" + file.substr(cut);
    if (!is_taken(candidate)) return candidate;
  }
}

std::wstring target_folder(const wchar_t *folder) {
  std::wstring dir;
  if (folder && *folder) {
    dir = folder;
  } else {
    // The program's own folder; none to be had leaves `dir` empty, and the
    // caller saves nothing rather than into the working folder.
    if (wchar_t *own = xCore_AppPathW()) {
      dir = own;
      xCore_free(own);
    }
  }
  if (!dir.empty() && !is_separator(dir.back())) dir += L'\\';
  return dir;
}

wchar_t *library_copy(const std::wstring &s) {
  wchar_t *copy = alloc_result<wchar_t>(s.size() + 1);
  if (copy) std::wmemcpy(copy, s.c_str(), s.size() + 1);
  return copy;
}

// The saved paths in a zero-ended array (the record's allocator), and their number.
Sized<wchar_t *> save_all(IDispatch *mail, const wchar_t *folder, int32_t use_display_name) {
  const std::wstring dir = target_folder(folder);
  if (dir.empty()) return {nullptr, 0};
  int32_t count = 0;
  if (FAILED(disp::GetValue(L"%d", &count, mail, L".Attachments.Count")) || count < 0) count = 0;
  auto **paths = static_cast<wchar_t **>(xCore.calloc(static_cast<size_t>(count) + 1, sizeof(wchar_t *)));
  if (!paths) return {nullptr, 0};
  const wchar_t *reader = use_display_name ? L".Attachments.Item(%d).DisplayName" : L".Attachments.Item(%d).FileName";
  std::vector<std::wstring> taken;
  size_t saved = 0;
  for (int32_t i = 1; i <= count; ++i) {
    Bstr name;
    disp::GetValue(L"%S", name.put(), mail, reader, i);  // unreadable: saved as "_"
    const std::wstring file = unused_name(file_name_of({name.c_str(), name.length()}), taken);
    const std::wstring path = dir + file;
    if (FAILED(disp::CallMethod(mail, L".Attachments.Item(%d).SaveAsFile(%S)", i, path.c_str()))) continue;
    taken.push_back(file);
    if (wchar_t *copy = library_copy(path)) paths[saved++] = copy;
  }
  return {paths, saved};
}

void release_list(wchar_t **paths) {
  for (size_t i = 0; paths && paths[i]; ++i) release(paths[i]);
  release(paths);
}

}  // namespace
}  // namespace tarvo::outlook

using namespace tarvo;

wchar_t **Outlook_MailItem_Attachments_SaveAllW(xComObject mail, const wchar_t *folder, int32_t useDisplayName) {
  const Sized<wchar_t *> r = guarded(
      [&] { return outlook::save_all(reinterpret_cast<IDispatch *>(mail), folder, useDisplayName); },
      Sized<wchar_t *>{nullptr, 0});
  return publish(r);
}

namespace {

// The ANSI form of a saved path; a name the ANSI code page cannot spell is
// given by the system's short form of the path, which it can.
char *ansi_path(const wchar_t *path) {
  BOOL lossy = FALSE;
  WideCharToMultiByte(CP_ACP, 0, path, -1, nullptr, 0, nullptr, &lossy);
  if (lossy) {
    const DWORD n = GetShortPathNameW(path, nullptr, 0);
    std::wstring short_path(n, L'\0');
    if (n && GetShortPathNameW(path, short_path.data(), n) == n - 1) {
      short_path.resize(n - 1);
      return w2m(short_path.c_str(), kCodePageA, 0).p;
    }
  }
  return w2m(path, kCodePageA, 0).p;
}

}  // namespace

char **Outlook_MailItem_Attachments_SaveAllA(xComObject mail, const char *folder, int32_t useDisplayName) {
  wchar_t **wide = Outlook_MailItem_Attachments_SaveAllW(mail, WideArg<kCodePageA>(folder), useDisplayName);
  if (!wide) return nullptr;
  size_t n = 0;
  while (wide[n]) ++n;
  auto **paths = static_cast<char **>(xCore.calloc(n + 1, sizeof(char *)));
  size_t kept = 0;
  for (size_t i = 0; paths && i < n; ++i) {
    char *a = guarded([&] { return ansi_path(wide[i]); }, static_cast<char *>(nullptr));
    if (a && !is_empty_result(a)) paths[kept++] = a;
  }
  outlook::release_list(wide);
  set_size(kept);
  return paths;
}
