#include "objects.hpp"

#include "arguments.hpp"
#include "file_text.hpp"
#include "journal.hpp"
#include "model.hpp"
#include "outlook_standin.hpp"
#include "server.hpp"

#include <algorithm>
#include <atomic>
#include <optional>

namespace standin::outlook {
namespace {

std::atomic<int> g_started{0};
std::atomic<bool> g_refuse_start{false};

HRESULT refuse(Invocation &call, const std::wstring &what) {
  return call.raise(kRefused, L"Mail client stand-in", what.c_str());
}

void set_date(Invocation &call, double date) {
  VARIANT &r = call.result();
  VariantClear(&r);
  r.vt = VT_DATE;
  r.date = date;
}

// The 0-based place of the 1-based index `i` in a list of `n`, if there is one.
std::optional<size_t> position(int32_t i, size_t n) {
  if (i < 1 || static_cast<size_t>(i) > n) return std::nullopt;
  return static_cast<size_t>(i - 1);
}

HRESULT out_of_bounds(Invocation &call) { return refuse(call, L"Array index out of bounds."); }

// A collection: Count, and Item(index) as its default member; a derived
// table adds its own members to list_members().
class ListView : public Object {
 public:
  static const Members &list_members() {
    static const Members m{
        getter<ListView>(L"Count", &ListView::count),
        as_default(method<ListView>(L"Item", {{VT_I4}}, &ListView::item)),
    };
    return m;
  }
  const Members &members() const override { return list_members(); }

 protected:
  virtual size_t size() const = 0;
  virtual HRESULT answer_at(Invocation &call, size_t at) = 0;

 private:
  HRESULT count(Invocation &call) {
    call.set_i4(static_cast<int32_t>(size()));
    return S_OK;
  }
  HRESULT item(Invocation &call) {
    const auto at = position(call.i4(0), size());
    return at ? answer_at(call, *at) : DISP_E_BADINDEX;
  }
};

class FolderView;

// ---- Recipients ----

class RecipientView final : public Object {
 public:
  explicit RecipientView(RecipientPtr r) : r_(std::move(r)) {}
  std::wstring journal_name() const override { return L"Recipient(" + r_->name + L")"; }
  const Members &members() const override {
    static const Members m{
        as_default(getter<RecipientView>(L"Name", &RecipientView::name)),
        getter<RecipientView>(L"Address", &RecipientView::address),
        property<RecipientView>(L"Type", VT_I4, &RecipientView::type, &RecipientView::put_type),
        getter<RecipientView>(L"Resolved", &RecipientView::resolved),
        method<RecipientView>(L"Resolve", {}, &RecipientView::resolve),
        getter<RecipientView>(L"Class", &RecipientView::item_class),
    };
    return m;
  }

 private:
  HRESULT name(Invocation &call) { call.set_text(r_->name); return S_OK; }
  HRESULT address(Invocation &call) { call.set_text(r_->address); return S_OK; }
  HRESULT type(Invocation &call) { call.set_i4(r_->type); return S_OK; }
  HRESULT put_type(Invocation &call) {
    const int32_t t = call.value().lVal;
    if (t < kTo || t > kBcc) return refuse(call, L"The recipient type is not valid.");
    r_->type = t;
    return S_OK;
  }
  HRESULT resolved(Invocation &call) { call.set_bool(r_->resolved); return S_OK; }
  HRESULT resolve(Invocation &call) { call.set_bool(mailbox().resolve(*r_)); return S_OK; }
  HRESULT item_class(Invocation &call) { call.set_i4(kRecipientClass); return S_OK; }
  RecipientPtr r_;
};

// The recipients of an item, or its reply recipients. Like the client's,
// the collection has no value of its own: its default member is Item.
class RecipientsView final : public ListView {
 public:
  RecipientsView(ItemPtr item, Recipients Item::*list, int generation)
      : item_(std::move(item)), list_(list), generation_(generation) {}
  HRESULT usable() const override { return item_->generation == generation_ ? S_OK : kItemGone; }
  const Members &members() const override {
    static const Members m(
        {
            method<RecipientsView>(L"Add", {{VT_BSTR}}, &RecipientsView::add),
            method<RecipientsView>(L"Remove", {{VT_I4}}, &RecipientsView::remove),
            method<RecipientsView>(L"ResolveAll", {}, &RecipientsView::resolve_all),
        },
        &list_members());
    return m;
  }

 private:
  Recipients &list() const { return (*item_).*list_; }
  size_t size() const override { return list().size(); }
  HRESULT answer_at(Invocation &call, size_t at) override { return answer<RecipientView>(call, list()[at]); }
  HRESULT add(Invocation &call) {
    const std::wstring name = call.text(0);
    if (name.find_first_not_of(L" ;") == std::wstring::npos) return refuse(call, L"The recipient name is empty.");
    auto r = std::make_shared<Recipient>(Recipient{name, L"", kTo, false});
    list().push_back(r);
    return answer<RecipientView>(call, r);
  }
  HRESULT remove(Invocation &call) {
    const auto at = position(call.i4(0), list().size());
    if (!at) return out_of_bounds(call);
    list().erase(list().begin() + static_cast<ptrdiff_t>(*at));
    return S_OK;
  }
  HRESULT resolve_all(Invocation &call) {
    bool all = true;
    for (RecipientPtr &r : list()) all = mailbox().resolve(*r) && all;
    call.set_bool(all);
    return S_OK;
  }
  ItemPtr item_;
  Recipients Item::*list_;
  int generation_;
};

// ---- Attachments ----

class AttachmentView final : public Object {
 public:
  AttachmentView(ItemPtr item, AttachmentPtr a) : item_(std::move(item)), a_(std::move(a)) {}
  std::wstring journal_name() const override { return L"Attachment(" + a_->display_name + L")"; }
  const Members &members() const override {
    static const Members m{
        property<AttachmentView>(L"DisplayName", VT_BSTR, &AttachmentView::display_name, &AttachmentView::put_display_name),
        getter<AttachmentView>(L"FileName", &AttachmentView::file_name),
        getter<AttachmentView>(L"PathName", &AttachmentView::path_name),
        getter<AttachmentView>(L"Size", &AttachmentView::size),
        getter<AttachmentView>(L"Type", &AttachmentView::type),
        getter<AttachmentView>(L"Class", &AttachmentView::item_class),
        getter<AttachmentView>(L"Index", &AttachmentView::index),
        method<AttachmentView>(L"SaveAsFile", {{VT_BSTR}}, &AttachmentView::save_as_file),
        method<AttachmentView>(L"Delete", {}, &AttachmentView::remove),
    };
    return m;
  }

 private:
  HRESULT display_name(Invocation &call) { call.set_text(a_->display_name); return S_OK; }
  HRESULT put_display_name(Invocation &call) { a_->display_name = call.value().bstrVal ? call.value().bstrVal : L""; return S_OK; }
  HRESULT file_name(Invocation &call) { call.set_text(a_->file_name); return S_OK; }
  HRESULT path_name(Invocation &call) { call.set_text(L""); return S_OK; }  // attached by value: no linked path
  HRESULT size(Invocation &call) { call.set_i4(static_cast<int32_t>(a_->bytes.size())); return S_OK; }
  HRESULT type(Invocation &call) { call.set_i4(1); return S_OK; }  // olByValue
  HRESULT item_class(Invocation &call) { call.set_i4(kAttachmentClass); return S_OK; }
  HRESULT index(Invocation &call) {
    int32_t i = 0;
    for (size_t k = 0; k < item_->attachments.size(); ++k)
      if (item_->attachments[k] == a_) i = static_cast<int32_t>(k + 1);
    call.set_i4(i);
    return S_OK;
  }
  HRESULT save_as_file(Invocation &call) {
    const std::wstring path = call.text(0);
    if (path.empty() || !write_file(path, a_->bytes)) return refuse(call, L"Cannot save the attachment. " + path);
    return S_OK;
  }
  HRESULT remove(Invocation &) {
    auto &all = item_->attachments;
    all.erase(std::remove(all.begin(), all.end(), a_), all.end());
    return S_OK;
  }
  ItemPtr item_;
  AttachmentPtr a_;
};

class AttachmentsView final : public ListView {
 public:
  AttachmentsView(ItemPtr item, int generation) : item_(std::move(item)), generation_(generation) {}
  HRESULT usable() const override { return item_->generation == generation_ ? S_OK : kItemGone; }
  const Members &members() const override {
    static const Members m(
        {
            method<AttachmentsView>(L"Add", {{VT_BSTR}, kOpt, kOpt, kOpt}, &AttachmentsView::add),
            method<AttachmentsView>(L"Remove", {{VT_I4}}, &AttachmentsView::remove),
        },
        &list_members());
    return m;
  }

 private:
  std::vector<AttachmentPtr> &all() const { return item_->attachments; }
  size_t size() const override { return all().size(); }
  HRESULT answer_at(Invocation &call, size_t at) override { return answer<AttachmentView>(call, item_, all()[at]); }
  // Add(Source, Type, Position, DisplayName): the file's bytes, attached by value.
  HRESULT add(Invocation &call) {
    const std::wstring path = call.text(0);
    std::string bytes;
    if (path.empty() || read_file(path, bytes, 64 << 20) != FileRead::done) return refuse(call, L"Cannot find this file. Verify the path and file name are correct.");
    const std::wstring file = file_part(path);
    std::wstring shown = file;
    if (call.given(3) && call.arg(3).vt == VT_BSTR && call.arg(3).bstrVal) shown = call.arg(3).bstrVal;
    auto a = std::make_shared<Attachment>(Attachment{shown, file, std::move(bytes)});
    all().push_back(a);
    return answer<AttachmentView>(call, item_, a);
  }
  HRESULT remove(Invocation &call) {
    const auto at = position(call.i4(0), all().size());
    if (!at) return out_of_bounds(call);
    all().erase(all().begin() + static_cast<ptrdiff_t>(*at));
    return S_OK;
  }
  ItemPtr item_;
  int generation_;
};

// ---- Items ----

class ItemView;
HRESULT answer_item(Invocation &call, const ItemPtr &item);
HRESULT answer_folder(Invocation &call, Folder *folder);
FolderPtr shared_folder(Folder *folder);

// What every item answers; a mail item adds its addresses, sender and
// replies (mail_members), items of other classes have no CC, BCC or To.
class ItemView : public Object {
 public:
  explicit ItemView(ItemPtr item) : item_(std::move(item)), generation_(item_->generation) {}
  HRESULT usable() const override { return item_->generation == generation_ ? S_OK : kItemGone; }
  std::wstring journal_name() const override { return L"Item(" + item_->subject + L")"; }
  const ItemPtr &item() const { return item_; }

 protected:
  static const Members &common_members() {
    static const Members m{
        getter<ItemView>(L"Class", &ItemView::item_class),
        property<ItemView>(L"Subject", VT_BSTR, &ItemView::subject, &ItemView::put_subject),
        property<ItemView>(L"Body", VT_BSTR, &ItemView::body, &ItemView::put_body),
        property<ItemView>(L"UnRead", VT_BOOL, &ItemView::unread, &ItemView::put_unread),
        property<ItemView>(L"Importance", VT_I4, &ItemView::importance, &ItemView::put_importance),
        getter<ItemView>(L"CreationTime", &ItemView::creation_time),
        getter<ItemView>(L"Recipients", &ItemView::recipients),
        getter<ItemView>(L"Attachments", &ItemView::attachments),
        getter<ItemView>(L"Parent", &ItemView::parent),
        method<ItemView>(L"Save", {}, &ItemView::save),
        method<ItemView>(L"SaveAs", {{VT_BSTR}, kOpt}, &ItemView::save_as),
        method<ItemView>(L"Close", {{VT_I4}}, &ItemView::close),
        method<ItemView>(L"Display", {kOpt}, &ItemView::display),
        method<ItemView>(L"Delete", {}, &ItemView::remove),
        method<ItemView>(L"Move", {{VT_DISPATCH}}, &ItemView::move),
        method<ItemView>(L"Copy", {}, &ItemView::copy),
    };
    return m;
  }

  HRESULT item_class(Invocation &call) { call.set_i4(item_->item_class); return S_OK; }
  HRESULT subject(Invocation &call) { call.set_text(item_->subject); return S_OK; }
  HRESULT put_subject(Invocation &call) { item_->subject = text_value(call); return S_OK; }
  HRESULT body(Invocation &call) { call.set_text(item_->body); return S_OK; }
  HRESULT put_body(Invocation &call) { item_->set_body(text_value(call)); return S_OK; }
  HRESULT unread(Invocation &call) { call.set_bool(item_->unread); return S_OK; }
  HRESULT put_unread(Invocation &call) { item_->unread = call.value().boolVal != VARIANT_FALSE; return S_OK; }
  HRESULT importance(Invocation &call) { call.set_i4(item_->importance); return S_OK; }
  HRESULT put_importance(Invocation &call) {
    const int32_t level = call.value().lVal;
    if (level < 0 || level > 2) return refuse(call, L"The value of the Importance property is not valid.");
    item_->importance = level;
    return S_OK;
  }
  HRESULT creation_time(Invocation &call) { set_date(call, item_->created); return S_OK; }
  HRESULT recipients(Invocation &call) { return answer<RecipientsView>(call, item_, &Item::recipients, generation_); }
  HRESULT attachments(Invocation &call) { return answer<AttachmentsView>(call, item_, generation_); }
  HRESULT parent(Invocation &call) {
    if (!item_->folder) return refuse(call, L"The item has not been saved.");
    return answer_folder(call, item_->folder);
  }
  // An item saved for the first time goes into the Drafts of the first account.
  HRESULT save(Invocation &) {
    if (!item_->folder) mailbox().accounts.front().store->default_folder(kDrafts)->take(item_);
    return S_OK;
  }
  // SaveAs(Path, Type): a text file of the stand-in's own.
  HRESULT save_as(Invocation &call) {
    const std::wstring path = call.text(0);
    const std::string text = "tarvo-mail\t1\nsubject\t" + utf8(item_->subject) + "\nto\t" + utf8(item_->names_of(kTo)) +
                             "\nbody\t" + utf8(item_->body) + "\n";
    if (path.empty() || !write_file(path, text)) return refuse(call, L"Cannot save the item. " + path);
    return S_OK;
  }
  // Close(SaveMode): olSave 0 and olPromptForSave 2 (no one to ask) save, olDiscard 1 does not.
  HRESULT close(Invocation &call) {
    const int32_t mode = call.i4(0);
    if (mode < 0 || mode > 2) return refuse(call, L"The save option is not valid.");
    return mode == 1 ? S_OK : save(call);
  }
  HRESULT display(Invocation &) { return S_OK; }
  // Delete: into Deleted Items, or gone for good from there; the handle answers no more.
  HRESULT remove(Invocation &) {
    Folder *folder = item_->folder;
    Folder *bin = folder ? folder->store->default_folder(kDeletedItems) : nullptr;
    if (folder && folder != bin) {
      bin->take(item_);
    } else if (folder) {
      auto &items = folder->items;
      items.erase(std::remove(items.begin(), items.end(), item_), items.end());
      item_->folder = nullptr;
    }
    ++item_->generation;
    return S_OK;
  }
  // Move(DestFldr): the item, now in that folder.
  HRESULT move(Invocation &call);
  HRESULT copy(Invocation &call) {
    ItemPtr copy = mailbox().copy(*item_);
    copy->created = mailbox().now();
    if (item_->folder) item_->folder->take(copy);
    return answer_item(call, copy);
  }

  static std::wstring text_value(Invocation &call) {
    const VARIANT &v = call.value();
    return v.bstrVal ? std::wstring(v.bstrVal, SysStringLen(v.bstrVal)) : std::wstring();
  }

  ItemPtr item_;
  int generation_;
};

class OtherItemView final : public ItemView {
 public:
  using ItemView::ItemView;
  const Members &members() const override { return common_members(); }
};

class MailItemView final : public ItemView {
 public:
  using ItemView::ItemView;
  const Members &members() const override { return table(); }
  static const Members &table();

 private:
  HRESULT html_body(Invocation &call) { call.set_text(item_->html_body); return S_OK; }
  HRESULT put_html_body(Invocation &call) { item_->set_html_body(text_value(call)); return S_OK; }
  HRESULT body_format(Invocation &call) { call.set_i4(item_->body_format); return S_OK; }
  HRESULT put_body_format(Invocation &call) {
    const int32_t format = call.value().lVal;
    if (format < 1 || format > 3) return refuse(call, L"The value of the BodyFormat property is not valid.");
    item_->body_format = format;
    return S_OK;
  }
  template <int32_t Type>
  HRESULT names(Invocation &call) { call.set_text(item_->names_of(Type)); return S_OK; }
  template <int32_t Type>
  HRESULT put_names(Invocation &call) { item_->set_names(Type, text_value(call)); return S_OK; }
  HRESULT sender_name(Invocation &call) { call.set_text(item_->sender_name); return S_OK; }
  HRESULT sender_address(Invocation &call) { call.set_text(item_->sender_address); return S_OK; }
  HRESULT received_time(Invocation &call) { set_date(call, item_->received); return S_OK; }
  HRESULT reply_recipients(Invocation &call) {
    return answer<RecipientsView>(call, item_, &Item::reply_recipients, generation_);
  }
  HRESULT reply_recipient_names(Invocation &call) {
    std::wstring all;
    for (const RecipientPtr &r : item_->reply_recipients) all += (all.empty() ? L"" : L"; ") + r->name;
    call.set_text(all);
    return S_OK;
  }
  // Send: every recipient must resolve; the item leaves for Sent Items.
  HRESULT send(Invocation &call) {
    if (item_->recipients.empty()) return refuse(call, L"There must be at least one name or contact group in the To, Cc, or Bcc box.");
    bool all = true;
    for (RecipientPtr &r : item_->recipients) all = mailbox().resolve(*r) && all;
    if (!all) return refuse(call, L"Outlook does not recognize one or more names.");
    mailbox().send(item_);
    return S_OK;
  }
  HRESULT made(Invocation &call, ItemPtr item) {
    item->created = mailbox().now();
    return answer_item(call, item);
  }
  HRESULT reply(Invocation &call) { return made(call, mailbox().reply(*item_, false)); }
  HRESULT reply_all(Invocation &call) { return made(call, mailbox().reply(*item_, true)); }
  HRESULT forward(Invocation &call) { return made(call, mailbox().forward(*item_)); }
  // _Attach(DisplayName, FileName, Content): an attachment as a sender made it,
  // whatever its names (a test's control member).
  HRESULT attach(Invocation &call) {
    item_->attachments.push_back(
        std::make_shared<Attachment>(Attachment{call.text(0), call.text(1), utf8(call.text(2))}));
    return S_OK;
  }
};

const Members &MailItemView::table() {
  static const Members m(
      {
          property<MailItemView>(L"HTMLBody", VT_BSTR, &MailItemView::html_body, &MailItemView::put_html_body),
          property<MailItemView>(L"BodyFormat", VT_I4, &MailItemView::body_format, &MailItemView::put_body_format),
          property<MailItemView>(L"To", VT_BSTR, &MailItemView::names<kTo>, &MailItemView::put_names<kTo>),
          property<MailItemView>(L"CC", VT_BSTR, &MailItemView::names<kCc>, &MailItemView::put_names<kCc>),
          property<MailItemView>(L"BCC", VT_BSTR, &MailItemView::names<kBcc>, &MailItemView::put_names<kBcc>),
          getter<MailItemView>(L"SenderName", &MailItemView::sender_name),
          getter<MailItemView>(L"SenderEmailAddress", &MailItemView::sender_address),
          getter<MailItemView>(L"ReceivedTime", &MailItemView::received_time),
          getter<MailItemView>(L"ReplyRecipients", &MailItemView::reply_recipients),
          getter<MailItemView>(L"ReplyRecipientNames", &MailItemView::reply_recipient_names),
          method<MailItemView>(L"Send", {}, &MailItemView::send),
          method<MailItemView>(L"Reply", {}, &MailItemView::reply),
          method<MailItemView>(L"ReplyAll", {}, &MailItemView::reply_all),
          method<MailItemView>(L"Forward", {}, &MailItemView::forward),
          control(method<MailItemView>(L"_Attach", {{VT_BSTR}, {VT_BSTR}, {VT_BSTR}}, &MailItemView::attach)),
      },
      &common_members());
  return m;
}

HRESULT answer_item(Invocation &call, const ItemPtr &item) {
  if (item->item_class == kMailClass) return answer<MailItemView>(call, item);
  return answer<OtherItemView>(call, item);
}

// ---- Folders ----

class FolderView final : public Object {
 public:
  explicit FolderView(FolderPtr folder) : folder_(std::move(folder)) {}
  HRESULT usable() const override { return folder_->removed ? kItemGone : S_OK; }
  std::wstring journal_name() const override { return L"Folder(" + folder_->name + L")"; }
  Folder *folder() const { return folder_.get(); }
  const Members &members() const override;

 private:
  HRESULT name(Invocation &call) { call.set_text(folder_->name); return S_OK; }
  HRESULT put_name(Invocation &call);
  HRESULT folder_path(Invocation &call) { call.set_text(folder_->path()); return S_OK; }
  HRESULT default_item_type(Invocation &call) { call.set_i4(folder_->default_item_type); return S_OK; }
  HRESULT item_class(Invocation &call) { call.set_i4(kFolderClass); return S_OK; }
  HRESULT items(Invocation &call);
  HRESULT folders(Invocation &call);
  HRESULT parent(Invocation &call);
  HRESULT store(Invocation &call);
  FolderPtr folder_;
};

bool is_default_folder(const Folder &f) {
  if (!f.parent || f.parent != f.store->root.get()) return !f.parent;
  for (int32_t kind : {kDeletedItems, kOutbox, kSentMail, kInbox, kCalendar, kContacts, kDrafts})
    if (f.store->default_folder(kind) == &f) return true;
  return false;
}

bool folder_name_ok(const std::wstring &name) {
  return !name.empty() && name.find(L'\\') == std::wstring::npos && name.size() <= 255;
}

HRESULT FolderView::put_name(Invocation &call) {
  const std::wstring name = call.value().bstrVal ? call.value().bstrVal : L"";
  if (is_default_folder(*folder_)) return refuse(call, L"Cannot rename a default folder.");
  if (!folder_name_ok(name)) return refuse(call, L"The folder name is not valid.");
  Folder *other = folder_->parent ? folder_->parent->child(name) : nullptr;
  if (other && other != folder_.get()) return refuse(call, L"Cannot rename the folder: a folder of that name exists.");
  folder_->name = name;
  return S_OK;
}

class ItemsView final : public ListView {
 public:
  explicit ItemsView(FolderPtr folder) : folder_(std::move(folder)) {}
  HRESULT usable() const override { return folder_->removed ? kItemGone : S_OK; }

 private:
  size_t size() const override { return folder_->items.size(); }
  HRESULT answer_at(Invocation &call, size_t at) override { return answer_item(call, folder_->items[at]); }
  FolderPtr folder_;
};

// The subfolders of a folder, or (owner null) the root folders of every store.
class FoldersView final : public Object {
 public:
  explicit FoldersView(FolderPtr owner) : owner_(std::move(owner)) {}
  HRESULT usable() const override { return owner_ && owner_->removed ? kItemGone : S_OK; }
  const Members &members() const override {
    static const Members m{
        getter<FoldersView>(L"Count", &FoldersView::count),
        as_default(method<FoldersView>(L"Item", {{VT_VARIANT}}, &FoldersView::item)),
        method<FoldersView>(L"Add", {{VT_BSTR}, kOpt}, &FoldersView::add),
        method<FoldersView>(L"Remove", {{VT_I4}}, &FoldersView::remove),
    };
    return m;
  }

 private:
  std::vector<FolderPtr> list() const {
    if (owner_) return owner_->folders;
    std::vector<FolderPtr> roots;
    for (const Account &a : mailbox().accounts) roots.push_back(a.store->root);
    return roots;
  }
  HRESULT count(Invocation &call) { call.set_i4(static_cast<int32_t>(list().size())); return S_OK; }
  // Item(Index or Name).
  HRESULT item(Invocation &call) {
    const auto all = list();
    const VARIANT &key = call.arg(0);
    if (key.vt == VT_BSTR) {
      for (const FolderPtr &f : all)
        if (same_text(f->name, key.bstrVal ? key.bstrVal : L"")) return answer<FolderView>(call, f);
      return refuse(call, L"The attempted operation failed. An object could not be found.");
    }
    Variant index;
    if (FAILED(VariantChangeType(index.get(), const_cast<VARIANT *>(&key), 0, VT_I4))) return DISP_E_TYPEMISMATCH;
    const auto at = position(index->lVal, all.size());
    return at ? answer<FolderView>(call, all[*at]) : DISP_E_BADINDEX;
  }
  // Add(Name, Type): a new subfolder; the type defaults to the owner's.
  HRESULT add(Invocation &call) {
    if (!owner_) return refuse(call, L"Cannot create a store here.");
    const std::wstring name = call.text(0);
    if (!folder_name_ok(name)) return refuse(call, L"The folder name is not valid.");
    if (owner_->child(name)) return refuse(call, L"Cannot create the folder. A folder of that name exists.");
    int32_t type = owner_->default_item_type;
    if (call.given(1)) {
      Variant t;
      if (FAILED(VariantChangeType(t.get(), const_cast<VARIANT *>(&call.arg(1)), 0, VT_I4))) return DISP_E_TYPEMISMATCH;
      type = t->lVal;
      if (type < 0 || type > 7) return refuse(call, L"The folder type is not valid.");
    }
    return answer<FolderView>(call, owner_->add(name, type));
  }
  // Remove(Index): into Deleted Items, or gone for good from there; the
  // default folders stay.
  HRESULT remove(Invocation &call) {
    const auto at = owner_ ? position(call.i4(0), owner_->folders.size()) : std::nullopt;
    if (!at) return out_of_bounds(call);
    FolderPtr f = owner_->folders[*at];
    if (is_default_folder(*f)) return refuse(call, L"Cannot delete this folder.");
    owner_->folders.erase(owner_->folders.begin() + static_cast<ptrdiff_t>(*at));
    Folder *bin = f->store->default_folder(kDeletedItems);
    bool in_bin = false;
    for (Folder *p = owner_.get(); p; p = p->parent) in_bin = in_bin || p == bin;
    if (!in_bin) {
      f->parent = bin;
      bin->folders.push_back(f);
      return S_OK;
    }
    forget(*f);
    return S_OK;
  }
  static void forget(Folder &f) {
    f.removed = true;
    for (ItemPtr &item : f.items) {
      item->folder = nullptr;
      ++item->generation;
    }
    for (FolderPtr &sub : f.folders) forget(*sub);
  }
  FolderPtr owner_;
};

HRESULT FolderView::items(Invocation &call) { return answer<ItemsView>(call, folder_); }
HRESULT FolderView::folders(Invocation &call) { return answer<FoldersView>(call, folder_); }

class NamespaceView;

HRESULT ItemView::move(Invocation &call) {
  FolderView *to = call.object<FolderView>(0);
  if (!to || to->folder()->removed) return refuse(call, L"The destination folder is not valid.");
  to->folder()->take(item_);
  return answer_item(call, item_);
}

FolderPtr shared_folder(Folder *folder) {
  if (!folder->parent) return folder->store->root;
  for (const FolderPtr &f : folder->parent->folders)
    if (f.get() == folder) return f;
  return {};
}

HRESULT answer_folder(Invocation &call, Folder *folder) {
  FolderPtr shared = shared_folder(folder);
  if (!shared) return refuse(call, L"The folder cannot be found.");
  return answer<FolderView>(call, shared);
}

// ---- Stores, accounts, namespace ----

class StoreView final : public Object {
 public:
  explicit StoreView(StorePtr store) : store_(std::move(store)) {}
  std::wstring journal_name() const override { return L"Store(" + store_->display_name + L")"; }
  const Members &members() const override {
    static const Members m{
        getter<StoreView>(L"DisplayName", &StoreView::display_name),
        method<StoreView>(L"GetRootFolder", {}, &StoreView::root_folder),
        method<StoreView>(L"GetDefaultFolder", {{VT_I4}}, &StoreView::default_folder),
    };
    return m;
  }

 private:
  HRESULT display_name(Invocation &call) { call.set_text(store_->display_name); return S_OK; }
  HRESULT root_folder(Invocation &call) { return answer<FolderView>(call, store_->root); }
  HRESULT default_folder(Invocation &call) {
    Folder *f = store_->default_folder(call.i4(0));
    if (!f) return refuse(call, L"The default folder kind is not valid.");
    return answer_folder(call, f);
  }
  StorePtr store_;
};

HRESULT FolderView::store(Invocation &call) {
  for (const Account &a : mailbox().accounts)
    if (a.store.get() == folder_->store) return answer<StoreView>(call, a.store);
  return refuse(call, L"The store is no longer available.");
}

class AccountView final : public Object {
 public:
  explicit AccountView(size_t index) : account_(mailbox().accounts.at(index)) {}
  std::wstring journal_name() const override { return L"Account(" + account_.smtp_address + L")"; }
  const Members &members() const override {
    static const Members m{
        getter<AccountView>(L"DisplayName", &AccountView::display_name),
        getter<AccountView>(L"UserName", &AccountView::user_name),
        getter<AccountView>(L"SmtpAddress", &AccountView::smtp_address),
        getter<AccountView>(L"DeliveryStore", &AccountView::delivery_store),
    };
    return m;
  }

 private:
  HRESULT display_name(Invocation &call) { call.set_text(account_.display_name); return S_OK; }
  HRESULT user_name(Invocation &call) { call.set_text(account_.user_name); return S_OK; }
  HRESULT smtp_address(Invocation &call) { call.set_text(account_.smtp_address); return S_OK; }
  HRESULT delivery_store(Invocation &call) { return answer<StoreView>(call, account_.store); }
  Account account_;
};

class AccountsView final : public ListView {
  size_t size() const override { return mailbox().accounts.size(); }
  HRESULT answer_at(Invocation &call, size_t at) override { return answer<AccountView>(call, at); }
};

class NamespaceView final : public Object {
 public:
  const Members &members() const override {
    static const Members m{
        getter<NamespaceView>(L"Type", &NamespaceView::type),
        method<NamespaceView>(L"Logon", {kOpt, kOpt, kOpt, kOpt}, &NamespaceView::logon),
        method<NamespaceView>(L"Logoff", {}, &NamespaceView::logoff),
        getter<NamespaceView>(L"Accounts", &NamespaceView::accounts),
        getter<NamespaceView>(L"CurrentUser", &NamespaceView::current_user),
        method<NamespaceView>(L"GetDefaultFolder", {{VT_I4}}, &NamespaceView::default_folder),
        getter<NamespaceView>(L"Folders", &NamespaceView::folders),
    };
    return m;
  }

 private:
  HRESULT type(Invocation &call) { call.set_text(L"MAPI"); return S_OK; }
  // Logon(Profile, Password, ShowDialog, NewSession): the session is there already.
  HRESULT logon(Invocation &) { return S_OK; }
  HRESULT logoff(Invocation &) { return S_OK; }
  HRESULT accounts(Invocation &call) { return answer<AccountsView>(call); }
  // The current user is a recipient (whose default member is its name).
  HRESULT current_user(Invocation &call) {
    const Account &a = mailbox().accounts.front();
    return answer<RecipientView>(call, std::make_shared<Recipient>(Recipient{a.display_name, a.smtp_address, kTo, true}));
  }
  HRESULT default_folder(Invocation &call) {
    Folder *f = mailbox().accounts.front().store->default_folder(call.i4(0));
    if (!f) return refuse(call, L"The default folder kind is not valid.");
    return answer_folder(call, f);
  }
  HRESULT folders(Invocation &call) { return answer<FoldersView>(call, FolderPtr()); }
};

// A root folder's parent is the namespace.
HRESULT FolderView::parent(Invocation &call) {
  if (!folder_->parent) return answer<NamespaceView>(call);
  return answer_folder(call, folder_->parent);
}

const Members &FolderView::members() const {
  static const Members m{
      property<FolderView>(L"Name", VT_BSTR, &FolderView::name, &FolderView::put_name),
      getter<FolderView>(L"FolderPath", &FolderView::folder_path),
      getter<FolderView>(L"DefaultItemType", &FolderView::default_item_type),
      getter<FolderView>(L"Class", &FolderView::item_class),
      getter<FolderView>(L"Items", &FolderView::items),
      getter<FolderView>(L"Folders", &FolderView::folders),
      getter<FolderView>(L"Parent", &FolderView::parent),
      getter<FolderView>(L"Store", &FolderView::store),
  };
  return m;
}

// ---- Application ----

class Application final : public Object {
 public:
  Application() { ++g_started; }
  HRESULT usable() const override { return quit_ ? RPC_E_DISCONNECTED : S_OK; }
  const Members &members() const override {
    static const Members m(
        {
            getter<Application>(L"Name", &Application::name),
            getter<Application>(L"Version", &Application::version),
            method<Application>(L"GetNamespace", {{VT_BSTR}}, &Application::get_namespace),
            getter<Application>(L"Session", &Application::session),
            method<Application>(L"CreateItem", {{VT_I4}}, &Application::create_item),
            method<Application>(L"Quit", {}, &Application::quit),
            control(method<Application>(L"_Deliver", {{VT_DISPATCH}, {VT_BSTR}, {VT_BSTR}, {VT_I4, true}},
                                        &Application::deliver)),
            control(method<Application>(L"_Reset", {}, &Application::reset)),
            control(getter<Application>(L"_Started", &Application::started)),
            control(property<Application>(L"_RefuseStart", VT_BOOL, &Application::refusing, &Application::refuse_start)),
        },
        &control_members());
    return m;
  }

 private:
  HRESULT name(Invocation &call) { call.set_text(L"Outlook"); return S_OK; }
  HRESULT version(Invocation &call) { call.set_text(L"16.0.0.0"); return S_OK; }
  HRESULT get_namespace(Invocation &call) {
    if (!same_text(call.text(0), L"MAPI")) return refuse(call, L"The namespace type is not valid.");
    return answer<NamespaceView>(call);
  }
  HRESULT session(Invocation &call) { return answer<NamespaceView>(call); }
  // CreateItem(ItemType): olMailItem 0 a mail, olAppointmentItem 1 an
  // appointment; the other types are items of their own classes.
  HRESULT create_item(Invocation &call) {
    static const int32_t kClasses[] = {kMailClass, kAppointmentClass, 40, 48, 42, 44, 45, 69};
    const int32_t type = call.i4(0);
    if (type < 0 || type > 7) return refuse(call, L"The item type is not valid.");
    return answer_item(call, mailbox().new_item(kClasses[type]));
  }
  HRESULT quit(Invocation &) {
    quit_ = true;
    presence_.revoke();
    return S_OK;
  }
  // _Deliver(Folder, SenderName, SenderAddress [, Class]): a received item
  // (unread, class 43 unless given) in that folder, as if mail had come.
  HRESULT deliver(Invocation &call) {
    FolderView *to = call.object<FolderView>(0);
    if (!to) return refuse(call, L"The folder is not valid.");
    ItemPtr item = mailbox().new_item(call.i4(3, kMailClass));
    item->sender_name = call.text(1);
    item->sender_address = call.text(2);
    item->received = item->created;
    item->unread = true;
    to->folder()->take(item);
    return answer_item(call, item);
  }
  HRESULT reset(Invocation &) {
    reset_mailbox();
    return S_OK;
  }
  HRESULT started(Invocation &call) { call.set_i4(g_started); return S_OK; }
  // While set, no further application can be made (the client "fails to start").
  HRESULT refusing(Invocation &call) { call.set_bool(g_refuse_start); return S_OK; }
  HRESULT refuse_start(Invocation &call) {
    g_refuse_start = call.value().boolVal != VARIANT_FALSE;
    return S_OK;
  }

  bool quit_ = false;
  // The first application of the process starts a fresh mailbox too.
  ApplicationPresence presence_{static_cast<IDispatch *>(this), reset_mailbox};
};

}  // namespace

HRESULT create_outlook(REFIID iid, void **out) {
  if (g_refuse_start) {
    if (out) *out = nullptr;
    return CO_E_SERVER_EXEC_FAILURE;
  }
  return make_as<Application>(iid, out);
}

}  // namespace standin::outlook
