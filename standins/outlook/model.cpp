#include "model.hpp"

#include <algorithm>

namespace standin::outlook {
namespace {

// The address book beyond the accounts: who a name resolves to.
struct Contact {
  const wchar_t *name, *address;
};
constexpr Contact kAddressBook[] = {
    {L"Anna Berg", L"anna.berg@example.com"},
    {L"Li Wei", L"li.wei@example.cn"},
    {L"\u738b\u82b3", L"wang.fang@example.cn"},
    {L"Jonas M\u00fcller", L"jonas.mueller@example.de"},
};

std::wstring trim(const std::wstring &s) {
  const size_t a = s.find_first_not_of(L" \t\r\n");
  if (a == std::wstring::npos) return {};
  return s.substr(a, s.find_last_not_of(L" \t\r\n") - a + 1);
}

std::wstring join(const std::vector<std::wstring> &parts) {
  std::wstring all;
  for (const std::wstring &p : parts) all += (all.empty() ? L"" : L"; ") + p;
  return all;
}

StorePtr make_store(const std::wstring &name) {
  auto store = std::make_shared<Store>();
  store->display_name = name;
  store->root = std::make_shared<Folder>();
  store->root->name = name;
  store->root->store = store.get();
  // In the order the client lists them under the root.
  for (auto [folder, type] : {std::pair{L"Inbox", 0}, {L"Drafts", 0}, {L"Sent Items", 0}, {L"Deleted Items", 0},
                              {L"Outbox", 0}, {L"Calendar", 1}, {L"Contacts", 2}})
    store->root->add(folder, type);
  return store;
}

void remember_outside(const ItemPtr &item) {
  if (item->folder) {
    auto &items = item->folder->items;
    items.erase(std::remove(items.begin(), items.end(), item), items.end());
    item->folder = nullptr;
  }
}

}  // namespace

bool same_text(const std::wstring &a, const std::wstring &b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
         CSTR_EQUAL;
}

std::wstring Item::names_of(int32_t type) const {
  std::vector<std::wstring> names;
  for (const RecipientPtr &r : recipients)
    if (r->type == type) names.push_back(r->name);
  return join(names);
}

void Item::set_names(int32_t type, const std::wstring &text) {
  recipients.erase(std::remove_if(recipients.begin(), recipients.end(),
                                  [type](const RecipientPtr &r) { return r->type == type; }),
                   recipients.end());
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find_first_of(L";,", start);
    if (end == std::wstring::npos) end = text.size();
    const std::wstring name = trim(text.substr(start, end - start));
    if (!name.empty()) recipients.push_back(std::make_shared<Recipient>(Recipient{name, L"", type, false}));
    start = end + 1;
  }
}

// The client keeps both bodies: a plain body becomes a simple HTML page, an
// HTML body's text (tags dropped) the plain one.
void Item::set_body(const std::wstring &text) {
  body = text;
  std::wstring html = L"<html><body>";
  for (wchar_t c : text) {
    switch (c) {
      case L'<': html += L"&lt;"; break;
      case L'>': html += L"&gt;"; break;
      case L'&': html += L"&amp;"; break;
      case L'\n': html += L"<br>"; break;
      case L'\r': break;
      default: html += c;
    }
  }
  html_body = html + L"</body></html>";
}

void Item::set_html_body(const std::wstring &html) {
  html_body = html;
  body.clear();
  bool in_tag = false;
  for (wchar_t c : html) {
    if (c == L'<') in_tag = true;
    else if (c == L'>') in_tag = false;
    else if (!in_tag) body += c;
  }
}

std::wstring Folder::path() const { return (parent ? parent->path() : L"\\") + L"\\" + name; }

FolderPtr Folder::add(const std::wstring &folder_name, int32_t item_type) {
  auto folder = std::make_shared<Folder>();
  folder->name = folder_name;
  folder->default_item_type = item_type;
  folder->parent = this;
  folder->store = store;
  folders.push_back(folder);
  return folder;
}

Folder *Folder::child(const std::wstring &folder_name) const {
  for (const FolderPtr &f : folders)
    if (same_text(f->name, folder_name)) return f.get();
  return nullptr;
}

void Folder::take(const ItemPtr &item) {
  remember_outside(item);
  item->folder = this;
  items.push_back(item);
}

Folder *Store::default_folder(int32_t kind) const {
  const wchar_t *name = nullptr;
  switch (kind) {
    case kDeletedItems: name = L"Deleted Items"; break;
    case kOutbox: name = L"Outbox"; break;
    case kSentMail: name = L"Sent Items"; break;
    case kInbox: name = L"Inbox"; break;
    case kCalendar: name = L"Calendar"; break;
    case kContacts: name = L"Contacts"; break;
    case kDrafts: name = L"Drafts"; break;
    default: return nullptr;
  }
  return root->child(name);
}

Mailbox::Mailbox() {
  accounts.push_back({L"Tarvo Test", L"tarvo.test", L"tarvo.test@example.com", make_store(L"tarvo.test@example.com")});
  accounts.push_back({L"Ops Desk", L"ops.desk", L"ops.desk@example.org", make_store(L"ops.desk@example.org")});
}

// 5 January 2026, 09:00, and a minute per step.
double Mailbox::now() { return 46027.375 + (minutes++) / 1440.0; }

ItemPtr Mailbox::new_item(int32_t item_class) {
  auto item = std::make_shared<Item>();
  item->item_class = item_class;
  item->created = now();
  return item;
}

bool Mailbox::resolve(Recipient &r) const {
  if (r.resolved) return true;
  if (r.name.find(L'@') != std::wstring::npos && r.name.find(L' ') == std::wstring::npos) {
    r.address = r.name;
  } else {
    for (const Account &a : accounts)
      if (same_text(a.display_name, r.name)) r.address = a.smtp_address;
    for (const Contact &c : kAddressBook)
      if (same_text(c.name, r.name)) r.address = c.address;
  }
  r.resolved = !r.address.empty();
  return r.resolved;
}

const Account *Mailbox::account_of(const Item &item) const {
  for (const Account &a : accounts)
    if (item.folder && item.folder->store == a.store.get()) return &a;
  return &accounts.front();
}

void Mailbox::send(const ItemPtr &item) {
  const Account &from = accounts.front();
  const auto delivered = [&](Folder *to, bool unread) {
    ItemPtr copy = this->copy(*item);
    copy->sender_name = from.display_name;
    copy->sender_address = from.smtp_address;
    copy->received = now();
    copy->unread = unread;
    to->take(copy);
  };
  delivered(from.store->default_folder(kSentMail), false);
  for (const Account &a : accounts) {
    const bool addressed = std::any_of(item->recipients.begin(), item->recipients.end(),
                                       [&](const RecipientPtr &r) { return same_text(r->address, a.smtp_address); });
    if (addressed) delivered(a.store->default_folder(kInbox), true);
  }
  remember_outside(item);
  ++item->generation;
}

ItemPtr Mailbox::copy(const Item &item) const {
  auto copy = std::make_shared<Item>(item);
  copy->folder = nullptr;
  copy->generation = 0;
  for (auto *list : {&copy->recipients, &copy->reply_recipients})
    for (RecipientPtr &r : *list) r = std::make_shared<Recipient>(*r);
  for (AttachmentPtr &a : copy->attachments) a = std::make_shared<Attachment>(*a);
  return copy;
}

// A reply goes to the reply recipients when there are any, else to the
// sender; to all, also to every To and CC recipient but the account itself.
ItemPtr Mailbox::reply(const Item &item, bool to_all) const {
  auto reply = std::make_shared<Item>();
  reply->subject = L"RE: " + item.subject;
  reply->body_format = item.body_format;
  reply->set_body(L"\r\n\r\n-----Original Message-----\r\nFrom: " + item.sender_name + L"\r\nSubject: " +
                  item.subject + L"\r\n\r\n" + item.body);
  if (!item.reply_recipients.empty()) {
    for (const RecipientPtr &r : item.reply_recipients)
      reply->recipients.push_back(std::make_shared<Recipient>(Recipient{r->name, r->address, kTo, r->resolved}));
  } else if (!item.sender_address.empty()) {
    reply->recipients.push_back(
        std::make_shared<Recipient>(Recipient{item.sender_name, item.sender_address, kTo, true}));
  }
  if (to_all) {
    const std::wstring own = account_of(item)->smtp_address;
    for (const RecipientPtr &r : item.recipients) {
      if (r->type == kBcc || same_text(r->address, own)) continue;
      reply->recipients.push_back(std::make_shared<Recipient>(Recipient{r->name, r->address, r->type, r->resolved}));
    }
  }
  return reply;
}

ItemPtr Mailbox::forward(const Item &item) const {
  ItemPtr forward = copy(item);
  forward->subject = L"FW: " + item.subject;
  forward->recipients.clear();
  forward->reply_recipients.clear();
  forward->sender_name.clear();
  forward->sender_address.clear();
  forward->received = kNoDate;
  forward->unread = false;
  return forward;
}

// Earlier mailboxes are kept: a client may still hold views on them, whose
// folders point at their parents and stores.
std::vector<std::unique_ptr<Mailbox>> &mailboxes() {
  static std::vector<std::unique_ptr<Mailbox>> all;
  return all;
}

Mailbox &mailbox() {
  if (mailboxes().empty()) reset_mailbox();
  return *mailboxes().back();
}

void reset_mailbox() { mailboxes().push_back(std::make_unique<Mailbox>()); }

}  // namespace standin::outlook
