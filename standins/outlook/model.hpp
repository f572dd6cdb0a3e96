// The mailbox of the stand-in mail client: accounts with their delivery
// stores, a folder tree under each store's root, items with their fields,
// recipients and attachments. One mailbox per process; the automation
// objects (objects.cpp) are views on it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace standin::outlook {

// Item classes (OlObjectClass) and item types (OlItemType) the model knows.
inline constexpr int32_t kMailClass = 43;
inline constexpr int32_t kAppointmentClass = 26;
inline constexpr int32_t kMeetingClass = 53;
inline constexpr int32_t kAttachmentClass = 5;
inline constexpr int32_t kRecipientClass = 4;
inline constexpr int32_t kFolderClass = 2;
// ReceivedTime of an item never received: 1 January 4501.
inline constexpr double kNoDate = 949998.0;

// Recipient types: To, CC, BCC.
enum RecipientType : int32_t { kTo = 1, kCc = 2, kBcc = 3 };

struct Recipient {
  std::wstring name;
  std::wstring address;  // empty until resolved
  int32_t type = kTo;
  bool resolved = false;
};
using RecipientPtr = std::shared_ptr<Recipient>;
using Recipients = std::vector<RecipientPtr>;

struct Attachment {
  std::wstring display_name, file_name;
  std::string bytes;
};
using AttachmentPtr = std::shared_ptr<Attachment>;

struct Folder;

struct Item {
  int32_t item_class = kMailClass;
  std::wstring subject, body, html_body;
  int32_t body_format = 2;  // olFormatHTML
  int32_t importance = 1;   // olImportanceNormal
  bool unread = false;
  std::wstring sender_name, sender_address;
  Recipients recipients, reply_recipients;
  std::vector<AttachmentPtr> attachments;
  double created = 0, received = kNoDate;
  Folder *folder = nullptr;  // null: not saved anywhere yet
  // Raised when the item leaves under its handles' feet (sent, deleted):
  // views made before answer no more.
  int generation = 0;

  // The names of the recipients of one type, "; " between them.
  std::wstring names_of(int32_t type) const;
  // Replaces the recipients of one type by the names in `text` ("a; b").
  void set_names(int32_t type, const std::wstring &text);
  void set_body(const std::wstring &text);
  void set_html_body(const std::wstring &html);
};
using ItemPtr = std::shared_ptr<Item>;

struct Store;

struct Folder {
  std::wstring name;
  int32_t default_item_type = 0;  // olMailItem
  std::vector<ItemPtr> items;
  std::vector<std::shared_ptr<Folder>> folders;
  Folder *parent = nullptr;
  Store *store = nullptr;
  bool removed = false;

  std::wstring path() const;  // "\\store\Inbox\sub"
  std::shared_ptr<Folder> add(const std::wstring &name, int32_t item_type);
  Folder *child(const std::wstring &name) const;  // case-insensitive
  void take(const ItemPtr &item);                 // moves the item here from where it was
};
using FolderPtr = std::shared_ptr<Folder>;

// Default folders by OlDefaultFolders number.
enum DefaultFolder : int32_t {
  kDeletedItems = 3, kOutbox = 4, kSentMail = 5, kInbox = 6, kCalendar = 9, kContacts = 10, kDrafts = 16
};

struct Store {
  std::wstring display_name;
  FolderPtr root;
  Folder *default_folder(int32_t kind) const;  // null for a kind the store lacks
};
using StorePtr = std::shared_ptr<Store>;

struct Account {
  std::wstring display_name, user_name, smtp_address;
  StorePtr store;
};

struct Mailbox {
  std::vector<Account> accounts;
  int minutes = 0;  // the model's clock: every new item a minute later

  // The two accounts with their stores and standard folders, no items.
  Mailbox();
  double now();
  ItemPtr new_item(int32_t item_class);
  // Resolves a recipient against the accounts and the address book; true
  // when it is (now) resolved.
  bool resolve(Recipient &r) const;
  // Sending: from the first account, a copy into its Sent Items and into
  // the Inbox of every account addressed; the item itself is gone.
  void send(const ItemPtr &item);
  ItemPtr reply(const Item &item, bool to_all) const;
  ItemPtr forward(const Item &item) const;
  ItemPtr copy(const Item &item) const;
  const Account *account_of(const Item &item) const;  // the account whose store holds it (first by default)
};

// This process's mailbox; reset() gives it its first state again.
Mailbox &mailbox();
void reset_mailbox();

bool same_text(const std::wstring &a, const std::wstring &b);  // case-insensitive

}  // namespace standin::outlook
