// The two searches: a folder under an account's root folder, and the mail
// items of that folder holding a keyword. Each item is asked field by field
// through the automation object; every object is released on every path.
#include "forms.hpp"
#include "outlook_session.hpp"

#include <cstdint>

namespace tarvo::outlook {
namespace {

// Asks one item: class, unread state, then the fields in their fixed order.
class MailTest {
 public:
  MailTest(int32_t flags, const wchar_t *keyword) : flags_(flags), keyword_(keyword) {}

  bool accepts(IDispatch *item) const {
    int32_t item_class = 0;
    if (FAILED(disp::GetValue(L"%d", &item_class, item, L".Class")) || item_class != kMailClass) return false;
    if (flags_ & OUTLOOK_ONLY_UNREAD) {
      int32_t unread = 0;
      if (FAILED(disp::GetValue(L"%b", &unread, item, L".UnRead")) || !unread) return false;
    }
    if (!keyword_ || !*keyword_) return true;
    return (searched(OUTLOOK_SKIP_SUBJECT) && holds(item, L".SubJect")) ||
           (searched(OUTLOOK_SKIP_SENDER_ADDRESS) && holds(item, L".SenderEmailAddress")) ||
           (searched(OUTLOOK_SKIP_SENDER_NAME) && holds(item, L".SenderName")) ||
           (searched(OUTLOOK_SKIP_CC) && holds(item, L".CC")) ||
           (searched(OUTLOOK_SKIP_BCC) && holds(item, L".BCC")) ||
           (searched(OUTLOOK_SKIP_RECIPIENTS) && recipients_hold(item)) ||
           (searched(OUTLOOK_SKIP_REPLY_ALL) && reply_all_holds(item)) ||
           (searched(OUTLOOK_SKIP_BODY) && holds(item, flags_ & OUTLOOK_PLAIN_BODY ? L".Body" : L".HTMLBody"));
  }

 private:
  bool searched(int32_t skip_bit) const { return !(flags_ & skip_bit); }

  // One field's test; iRet keeps its outcome.
  template <class... A>
  bool holds(IDispatch *item, const wchar_t *reader, A... index) const {
    Bstr text;
    const bool hit = SUCCEEDED(disp::GetValue(L"%S", text.put(), item, reader, index...)) &&
                     text_matches(text.c_str(), keyword_, false, flags_);
    xCore.iRet = hit ? 1 : 0;
    return hit;
  }

  // The recipients' addresses, once resolved.
  bool recipients_hold(IDispatch *item) const {
    disp::CallMethod(item, L".Recipients.ResolveAll()");  // unresolved names keep their addresses
    int32_t count = 0;
    if (FAILED(disp::GetValue(L"%d", &count, item, L".Recipients.Count"))) return false;
    for (int32_t i = 1; i <= count; ++i)
      if (holds(item, L".Recipients.Item(%d).Address", i)) return true;
    return false;
  }

  // The recipients a reply to all would have; the reply made for the test
  // is released afterwards, never sent or saved.
  bool reply_all_holds(IDispatch *item) const {
    Ref<IDispatch> reply;
    if (FAILED(disp::GetValue(L"%o", reply.put(), item, L".ReplyAll()")) || !reply) return false;
    return recipients_hold(reply.get());
  }

  int32_t flags_;
  const wchar_t *keyword_;
};

xComObject find_folder_only(int32_t flags, const wchar_t *account, const wchar_t *folder) {
  FolderPath path;
  if (find_folder(path, flags, account, folder) != Lookup::found) return 0;
  return reinterpret_cast<xComObject>(path.folder.detach());
}

// The accepted items of the folder, up to the maximum, into `found`.
size_t collect(IDispatch *folder, const MailTest &test, xComObject *found, size_t maximum) {
  Ref<IDispatch> items;
  int32_t count = 0;
  if (FAILED(disp::GetValue(L"%o", items.put(), folder, L".Items")) || !items ||
      FAILED(disp::GetValue(L"%d", &count, items.get(), L".Count")))
    return 0;
  size_t n = 0;
  for (int32_t i = 1; i <= count && n < maximum; ++i) {
    Ref<IDispatch> item;
    if (FAILED(disp::GetValue(L"%o", item.put(), items.get(), L".Item(%d)", i)) || !item) continue;
    if (test.accepts(item.get())) found[n++] = reinterpret_cast<xComObject>(item.detach());
  }
  return n;
}

xComObject *find_mails(int32_t flags, const wchar_t *account, const wchar_t *folder, const wchar_t *keyword,
                       int32_t maximum) {
  if (maximum < 1) {
    report_failure(kMaximumBelowOne);
    return nullptr;
  }
  FolderPath path;
  const Lookup lookup = find_folder(path, flags, account, folder);
  if (lookup == Lookup::failed) return nullptr;
  if (lookup == Lookup::no_folder) {
    report_failure(kNoFolder);
    return nullptr;
  }
  // One slot more than the maximum, counted in 64 bits: the last one stays null.
  const uint64_t slots = static_cast<uint64_t>(maximum) + 1;
  xComObject *found = nullptr;
  if (slots <= SIZE_MAX / sizeof(xComObject))
    found = static_cast<xComObject *>(xCore.calloc(static_cast<size_t>(slots), sizeof(xComObject)));
  if (!found) {
    report_failure(kNoMemory);
    return nullptr;
  }
  const size_t n = collect(path.folder.get(), MailTest(flags, keyword), found, static_cast<size_t>(maximum));
  set_size(n);
  if (n == 0) {
    release(found);
    return nullptr;
  }
  return found;
}

}  // namespace
}  // namespace tarvo::outlook

using namespace tarvo;

xComObject Outlook_FindFolderW(int32_t flags, const wchar_t *account, const wchar_t *folder) {
  return outlook::find_folder_only(flags, account, folder);
}

xComObject Outlook_FindFolderA(int32_t flags, const char *account, const char *folder) {
  return via_w<kCodePageA, Outlook_FindFolderW>(flags, account, folder);
}

xComObject *Outlook_FindMailsW(int32_t flags, const wchar_t *account, const wchar_t *folder, const wchar_t *keyword,
                               int32_t, int32_t maxCount) {
  return outlook::find_mails(flags, account, folder, keyword, maxCount);
}

xComObject *Outlook_FindMailsA(int32_t flags, const char *account, const char *folder, const char *keyword,
                               int32_t ignored, int32_t maxCount) {
  return via_w<kCodePageA, Outlook_FindMailsW>(flags, account, folder, keyword, ignored, maxCount);
}
