// The Outlook family on the stand-in mail client: the member table in every form, sending in one call,
// saving every attachment, the folder and mail searches (flags, texts, last-error texts, registers), and
// every object released on every path.
#include "member_test.hpp"
#include "outlook_standin.hpp"
#include "temp_dir.hpp"
#include "xoutlook.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

namespace outlooktest {
namespace {

using namespace membertest;
using tarvo::test::raw_read;
using tarvo::test::raw_write;
using tarvo::test::TempDir;

void release(xComObject h) {
  if (h) reinterpret_cast<IDispatch *>(h)->Release();
}
IDispatch *d(xComObject h) { return reinterpret_cast<IDispatch *>(h); }

// A received mail in `folder` from the sender, with a subject (the test's own control member).
xComObject deliver(xComObject app, xComObject folder, const wchar_t *sender, const wchar_t *address,
                   const wchar_t *subject, int32_t item_class = 43) {
  IDispatch *item = nullptr;
  EXPECT_EQ(disp::GetValue(L"%o", &item, d(app), L"._Deliver(%o, %S, %S, %d)", d(folder), sender, address, item_class),
            S_OK);
  EXPECT_EQ(disp::PutValue(item, L".Subject = %S", subject), S_OK);
  return reinterpret_cast<xComObject>(item);
}

// The probe is an application; the mailbox starts afresh for every test.
class OutlookTest : public ProbedTest {
 protected:
  void SetUp() override {
    LeakCheckedTest::SetUp();
    ASSERT_TRUE(take_probe(Outlook_Create())) << "is the stand-in mail client registered?";
    EXPECT_EQ(disp::CallMethod(d(probe_), L"._Reset()"), S_OK);
  }
  // Objects of the search tests: the first account's Inbox and the second's.
  xComObject folder_of(int32_t account, const wchar_t *name) {
    xComObject ns = Outlook_GetNamespace(probe_), accounts = Outlook_MAPI_GetAccounts(ns),
               a = Outlook_Accounts_GetItem(accounts, account), root = Outlook_Account_GetRootFolder(a),
               folders = Outlook_Folder_GetFolders(root), folder = 0;
    EXPECT_EQ(disp::GetValue(L"%o", reinterpret_cast<IDispatch **>(&folder), d(folders), L".Item(%S)", name), S_OK);
    for (xComObject h : {folders, root, a, accounts, ns}) release(h);
    return folder;
  }
};

// Every handle a member may take: the first account with its store, its root
// folder's subfolders (Inbox 1, Drafts 2, a Projects folder 8), and in the
// Inbox a received mail (recipients resolved, two reply recipients, one
// attachment) and a meeting request.
struct Objects {
  xComObject app = 0, ns = 0, accounts = 0, account = 0, store = 0, root = 0, folders = 0, inbox = 0, drafts = 0,
             projects = 0, items = 0, mail = 0, meeting = 0;
  static Objects make() {
    Objects o{Outlook_Create()};
    EXPECT_EQ(disp::CallMethod(d(o.app), L"._Reset()"), S_OK);
    o.ns = Outlook_GetNamespace(o.app);
    o.accounts = Outlook_MAPI_GetAccounts(o.ns);
    o.account = Outlook_Accounts_GetItem(o.accounts, 1);
    o.store = Outlook_Account_DeliveryStore(o.account);
    o.root = Outlook_Store_GetRootFolder(o.store);
    o.folders = Outlook_Folder_GetFolders(o.root);
    EXPECT_EQ(Outlook_Folders_AddW(o.folders, L"Projects", 0), 1);
    o.inbox = Outlook_Folders_GetItem(o.folders, 1);
    o.drafts = Outlook_Folders_GetItem(o.folders, 2);
    o.projects = Outlook_Folders_GetItem(o.folders, 8);
    o.items = Outlook_Folder_GetItems(o.inbox);
    o.mail = deliver(o.app, o.inbox, L"Anna Berg", L"anna.berg@example.com", L"Quarterly report");
    o.meeting = deliver(o.app, o.inbox, L"Li Wei", L"li.wei@example.cn", L"Review", 53);
    IDispatch *mail = d(o.mail);
    EXPECT_EQ(Outlook_MailItem_SetBodyW(o.mail, L"Figures attached."), 1);
    EXPECT_EQ(Outlook_MailItem_SetToW(o.mail, L"tarvo.test@example.com; Li Wei"), 1);
    EXPECT_EQ(Outlook_MailItem_SetCCW(o.mail, L"ops.desk@example.org"), 1);
    EXPECT_EQ(Outlook_MailItem_SetBCCW(o.mail, L"Jonas M\u00fcller"), 1);
    EXPECT_EQ(Outlook_MailItem_Recipients_ResolveAll(o.mail), 1);
    EXPECT_EQ(disp::CallMethod(mail, L".ReplyRecipients.Add(%S)", L"Li Wei"), S_OK);
    EXPECT_EQ(disp::CallMethod(mail, L".ReplyRecipients.Add(%S)", L"ops.desk@example.org"), S_OK);
    EXPECT_EQ(disp::CallMethod(mail, L".ReplyRecipients.ResolveAll()"), S_OK);
    EXPECT_EQ(disp::CallMethod(mail, L"._Attach(%S, %S, %S)", L"report.pdf", L"report.pdf", L"PDF bytes"), S_OK);
    EXPECT_TRUE(o.items && o.mail && o.meeting && o.projects);
    return o;
  }
  std::vector<std::pair<const char *, xComObject>> globals() const {
    return {{"app", app},         {"ns", ns},           {"accounts", accounts}, {"account", account},
            {"store", store},     {"root", root},       {"folders", folders},   {"inbox", inbox},
            {"drafts", drafts},   {"projects", projects}, {"items", items},     {"mail", mail},
            {"meeting", meeting}};
  }
  void release() {
    for (xComObject h : {meeting, mail, items, projects, drafts, inbox, folders, root, store, account, accounts, ns, app})
      outlooktest::release(h);
    *this = {};
  }
};

using Row = MemberRow<Objects>;

// A row whose Lua function takes a surplus argument the C form lacks.
#define WA_LUA(name, lua_args, result, journal, ...) \
  ROW(name, name##W, A_FORM(name, __VA_ARGS__), lua_args, result, journal, __VA_ARGS__)

#define ITEM(n) L"get Item(I4:" n L")\n"
#define REPLY_ADDRESS(n) L"get ReplyRecipients()\n" ITEM(n) L"get Address()\n"

const Row kRows[] = {
    ONE(Outlook_Create, "o:obj", L""),
    ONE(Outlook_GetObject, "*", L""),
    WA(Outlook_Version, "t:16.0.0.0", L"get Version()\n", o.app),
    ONE(Outlook_Quit, "n:1", L"call Quit()\n", o.app),
    ONE(Outlook_CreateMail, "o:obj", L"get CreateItem(I4:0)\n", o.app),
    ONE(Outlook_MailItem_Delete, "n:1", L"call Delete()\n", o.mail),
    ONE(Outlook_MailItem_Move, "n:1", L"call Move(DISPATCH:Folder(Drafts))\n", o.mail, o.drafts),
    ONE(Outlook_MailItem_Copy, "o:obj", L"get Copy()\n", o.mail),
    ONE(Outlook_MailItem_GetClass, "n:43", L"get Class()\n", o.mail),
    WA(Outlook_MailItem_SetSubJect, "n:1", L"put Subject()=BSTR:\u00e91\n", o.mail, kE1),
    WA(Outlook_MailItem_GetSubJect, "t:Quarterly report", L"get Subject()\n", o.mail),
    ONE(Outlook_MailItem_SetBodyFormat, "n:1", L"put BodyFormat()=I4:1\n", o.mail, 1),
    ONE(Outlook_MailItem_GetBodyFormat, "n:2", L"get BodyFormat()\n", o.mail),
    WA(Outlook_MailItem_SetBody, "n:1", L"put Body()=BSTR:\u00e91\n", o.mail, kE1),
    WA(Outlook_MailItem_GetBody, "t:Figures attached.", L"get Body()\n", o.mail),
    WA(Outlook_MailItem_SetHTMLBody, "n:1", L"put HTMLBody()=BSTR:\u00e91\n", o.mail, kE1),
    WA(Outlook_MailItem_GetHTMLBody, "t:<html><body>Figures attached.</body></html>", L"get HTMLBody()\n", o.mail),
    WA(Outlook_MailItem_SetTo, "n:1", L"put To()=BSTR:\u00e91\n", o.mail, kE1),
    WA(Outlook_MailItem_GetTo, "t:tarvo.test@example.com; Li Wei", L"get To()\n", o.mail),
    WA(Outlook_MailItem_GetSenderEmailAddress, "t:anna.berg@example.com", L"get SenderEmailAddress()\n", o.mail),
    WA(Outlook_MailItem_GetSenderName, "t:Anna Berg", L"get SenderName()\n", o.mail),
    WA(Outlook_MailItem_SetCC, "n:1", L"put CC()=BSTR:\u00e91\n", o.mail, kE1),
    WA(Outlook_MailItem_GetCC, "t:ops.desk@example.org", L"get Class()\nget CC()\n", o.mail),
    WA(Outlook_MailItem_GetCC, "t:", L"get Class()\n", o.meeting),  // no CC asked of a meeting request
    WA(Outlook_MailItem_SetBCC, "n:1", L"put BCC()=BSTR:\u00e91\n", o.mail, kE1),
    WA(Outlook_MailItem_GetBCC, "t:Jonas M\xc3\xbcller", L"get Class()\nget BCC()\n", o.mail),
    WA(Outlook_MailItem_GetBCC, "t:", L"get Class()\n", o.meeting),
    WA(Outlook_MailItem_GetReceivedTime, "t:1/5/2026 9:00:00 AM", L"get ReceivedTime()\n", o.mail),
    WA(Outlook_MailItem_GetCreationTime, "t:1/5/2026 9:00:00 AM", L"get CreationTime()\n", o.mail),
    WA(Outlook_MailItem_Recipients_Add, "n:1", L"get Recipients()\ncall Add(BSTR:\u00e91)\n", o.mail, kE1),
    ONE(Outlook_MailItem_Recipients_ResolveAll, "n:1", L"get Recipients()\ncall ResolveAll()\n", o.mail),
    WA(Outlook_MailItem_Recipients_GetName, "t:Li Wei", L"get Recipients()\n" ITEM("2") L"get Name()\n", o.mail, 2),
    WA(Outlook_MailItem_Recipients_GetMail, "t:li.wei@example.cn", L"get Recipients()\n" ITEM("2") L"get Address()\n",
       o.mail, 2),
    ONE(Outlook_MailItem_Recipients_Remove, "n:1", L"get Recipients()\ncall Remove(I4:1)\n", o.mail, 1),
    ONE(Outlook_MailItem_Recipients_Count, "n:4", L"get Recipients()\nget Count()\n", o.mail),
    ONE(Outlook_MailItem_SetImportance, "n:1", L"put Importance()=I4:2\n", o.mail, 2),
    ONE(Outlook_MailItem_GetImportance, "n:1", L"get Importance()\n", o.mail),
    WA(Outlook_MailItem_Attachments_Add, "n:1", L"get Attachments()\ncall Add(BSTR:\u00e91)\n", o.mail, kE1),
    ONE(Outlook_MailItem_Attachments_Remove, "n:1", L"get Attachments()\ncall Remove(I4:1)\n", o.mail, 1),
    ONE(Outlook_MailItem_Attachments_Count, "n:1", L"get Attachments()\nget Count()\n", o.mail),
    WA(Outlook_MailItem_Attachments_GetDisplayName, "t:report.pdf", L"get Attachments()\n" ITEM("1") L"get DisplayName()\n",
       o.mail, 1),
    WA(Outlook_MailItem_Attachments_GetFileName, "t:report.pdf", L"get Attachments()\n" ITEM("1") L"get FileName()\n",
       o.mail, 1),
    WA(Outlook_MailItem_Attachments_GetPathName, "t:", L"get Attachments()\n" ITEM("1") L"get PathName()\n", o.mail, 1),
    ONE(Outlook_MailItem_Attachments_GetSize, "n:9", L"get Attachments()\n" ITEM("1") L"get Size()\n", o.mail, 1),
    ONE(Outlook_MailItem_Attachments_GetType, "n:1", L"get Attachments()\n" ITEM("1") L"get Type()\n", o.mail, 1),
    ONE(Outlook_MailItem_Attachments_GetClass, "n:5", L"get Attachments()\n" ITEM("1") L"get Class()\n", o.mail, 1),
    WA(Outlook_MailItem_Attachments_SaveAsFile, "n:1",
       L"get Attachments()\n" ITEM("1") L"call SaveAsFile(BSTR:\u00e92)\n", o.mail, 1, kE2),
    ONE(Outlook_MailItem_Send, "n:1", L"call Send()\n", o.mail),
    ONE(Outlook_MailItem_Close, "n:1", L"call Close(I4:1)\n", o.mail, 1),
    ONE(Outlook_MailItem_Display, "n:1", L"call Display(BOOL:0)\n", o.mail, 0),
    ONE(Outlook_MailItem_Forward, "o:obj", L"get Forward()\n", o.mail),
    ONE(Outlook_MailItem_Reply, "o:obj", L"get Reply()\n", o.mail),
    ONE(Outlook_MailItem_ReplyAll, "o:obj", L"get ReplyAll()\n", o.mail),
    WA(Outlook_MailItem_ReplyRecipientNames, "t:Li Wei; ops.desk@example.org", L"get ReplyRecipientNames()\n", o.mail),
    WA(Outlook_MailItem_ReplyRecipients, "t:li.wei@example.cn; ops.desk@example.org",
       L"get ReplyRecipients()\nget Count()\n" REPLY_ADDRESS("1") REPLY_ADDRESS("2"), o.mail),
    WA(Outlook_MailItem_ReplyRecipients_GetName, "t:Li Wei", L"get ReplyRecipients()\n" ITEM("1") L"get Name()\n",
       o.mail, 1),
    WA(Outlook_MailItem_ReplyRecipients_GetMail, "t:ops.desk@example.org", REPLY_ADDRESS("2"), o.mail, 2),
    ONE(Outlook_MailItem_ReplyRecipients_Count, "n:2", L"get ReplyRecipients()\nget Count()\n", o.mail),
    ONE(Outlook_MailItem_GetUnRead, "n:-1", L"get UnRead()\n", o.mail),
    ONE(Outlook_MailItem_SetUnRead, "n:1", L"put UnRead()=BOOL:0\n", o.mail, 0),
    ONE(Outlook_MailItem_Save, "n:1", L"call Save()\n", o.mail),
    WA(Outlook_MailItem_SaveAs, "n:0", L"call SaveAs(BSTR:?\u00e91)\n", o.mail, kBadPath),
    ONE(Outlook_GetNamespace, "o:obj", L"get GetNamespace(BSTR:MAPI)\n", o.app),
    WA(Outlook_MAPI_Logon, "n:1", L"call Logon(BSTR:\u00e91,BSTR:\u00e92,BOOL:0,BOOL:-1)\n", o.ns, kE1, kE2, 0, 1),
    ONE(Outlook_MAPI_GetAccounts, "o:obj", L"get Accounts()\n", o.ns),
    WA_LUA(Outlook_MAPI_GetCurrentUser, "o.ns, {}", "t:Tarvo Test", L"get CurrentUser()\nprop Name()\n", o.ns),
    ONE(Outlook_MAPI_GetDefaultFolder, "o:obj", L"get GetDefaultFolder(I4:6)\n", o.ns, 6),
    ONE(Outlook_MAPI_GetFolders, "o:obj", L"get Folders()\n", o.ns),
    ONE(Outlook_Folders_GetCount, "n:8", L"get Count()\n", o.folders),
    WA(Outlook_Folders_Add, "n:1", L"call Add(BSTR:\u00e91,I4:0)\n", o.folders, kE1, 0),
    ONE(Outlook_Folders_Remove, "n:1", L"call Remove(I4:8)\n", o.folders, 8),
    ONE(Outlook_Folders_GetItem, "o:obj", ITEM("1"), o.folders, 1),
    ONE(Outlook_Folder_GetFolders, "o:obj", L"get Folders()\n", o.inbox),
    ONE(Outlook_Folder_GetParent, "o:obj", L"get Parent()\n", o.inbox),
    WA(Outlook_Folder_GetName, "t:Inbox", L"get Name()\n", o.inbox),
    WA(Outlook_Folder_SetName, "n:1", L"put Name()=BSTR:\u00e91\n", o.projects, kE1),
    WA(Outlook_Folder_GetFolderPath, "t:\\\\tarvo.test@example.com\\Inbox", L"get FolderPath()\n", o.inbox),
    ONE(Outlook_Folder_DefaultItemType, "n:0", L"get DefaultItemType()\n", o.inbox),
    ONE(Outlook_Folder_GetItems, "o:obj", L"get Items()\n", o.inbox),
    ONE(Outlook_Items_GetCount, "n:2", L"get Count()\n", o.items),
    ONE(Outlook_Items_GetItem, "o:obj", ITEM("2"), o.items, 2),
    ONE(Outlook_Accounts_GetCount, "n:2", L"get Count()\n", o.accounts),
    ONE(Outlook_Accounts_GetItem, "o:obj", ITEM("2"), o.accounts, 2),
    WA(Outlook_Account_SmtpAddress, "t:tarvo.test@example.com", L"get SmtpAddress()\n", o.account),
    WA(Outlook_Account_UserName, "t:tarvo.test", L"get UserName()\n", o.account),
    WA(Outlook_Account_DisplayName, "t:Tarvo Test", L"get DisplayName()\n", o.account),
    ONE(Outlook_Account_DeliveryStore, "o:obj", L"get DeliveryStore()\n", o.account),
    ONE(Outlook_Account_GetRootFolder, "o:obj", L"get DeliveryStore()\nget GetRootFolder()\n", o.account),
    ONE_C(Outlook_Account_GetDefaultFolder, "o:obj", L"get DeliveryStore()\nget GetDefaultFolder(I4:6)\n", o.account, 6),
    ONE(Outlook_Store_GetRootFolder, "o:obj", L"get GetRootFolder()\n", o.store),
    ONE(Outlook_Store_GetDefaultFolder, "o:obj", L"get GetDefaultFolder(I4:5)\n", o.store, 5),
};

// The raising server and an unknown member; a file the attachment rows read and write.
TEST_F(OutlookTest, EveryRowInEveryFormAndItsFailureValues) {
  raw_write(L"\u00e91", "attached");
  check_member_table(kRows, Objects::make, control(), script_, LuaKinds{XOUTLOOK_MEMBERS(MEMBERTEST_LUA_KIND)},
                     {L"raise", L"fail"});
  EXPECT_EQ(script_.run("return T.Outlook_GetMAPI(0)"), "n:0");
  EXPECT_TRUE(script_.run("return T.Outlook_MAPI_GetCurrentUser(0)").ends_with("param count error !"));
  for (const wchar_t *f : {L"\u00e91", L"\u00e92"}) DeleteFileW(f);
}

// Reply recipients as the client has them: a collection without a text of its own, read item by item.
TEST_F(OutlookTest, ReplyRecipientsAreTheirAddressesNotTheCollectionsText) {
  Objects o = Objects::make();
  tarvo::com::Bstr text;
  EXPECT_NE(disp::GetValue(L"%S", text.put(), d(o.mail), L".ReplyRecipients"), S_OK);
  EXPECT_EQ(describe(Outlook_MailItem_ReplyRecipientsW(o.meeting)), "t:") << "a meeting request has none";
  EXPECT_EQ(disp::CallMethod(d(o.mail), L".ReplyRecipients.Remove(%d)", 1), S_OK);
  EXPECT_EQ(disp::CallMethod(d(o.mail), L".ReplyRecipients.Remove(%d)", 1), S_OK);
  EXPECT_EQ(describe(Outlook_MailItem_ReplyRecipientsW(o.mail)), "t:");
  xComObject reply = Outlook_MailItem_ReplyAll(o.mail);
  EXPECT_EQ(describe(Outlook_MailItem_GetToW(reply)), "t:Anna Berg; Li Wei") << "all but ourself";
  release(reply);
  o.release();
}

// What the client refuses (never a crash), and items that are gone after Send or Delete.
TEST_F(OutlookTest, WhatTheClientRefusesAndItemsThatAreGone) {
  const std::pair<const char *, std::function<int32_t(const Objects &)>> kRefused[] = {
      {"move nowhere", [](const Objects &o) { return Outlook_MailItem_Move(o.mail, 0); }},
      {"move into an application", [](const Objects &o) { return Outlook_MailItem_Move(o.mail, o.app); }},
      {"a folder name taken", [](const Objects &o) { return Outlook_Folders_AddW(o.folders, L"inbox", 0); }},
      {"a folder name with a separator", [](const Objects &o) { return Outlook_Folders_AddW(o.folders, L"a\\b", 0); }},
      {"a default folder renamed", [](const Objects &o) { return Outlook_Folder_SetNameW(o.inbox, L"In"); }},
      {"a default folder removed", [](const Objects &o) { return Outlook_Folders_Remove(o.folders, 1); }},
      {"a missing file attached", [](const Objects &o) { return Outlook_MailItem_Attachments_AddW(o.mail, L"no such file"); }},
      {"a recipient past the end", [](const Objects &o) { return Outlook_MailItem_Recipients_Remove(o.mail, 99); }},
      {"an importance of 7", [](const Objects &o) { return Outlook_MailItem_SetImportance(o.mail, 7); }},
      {"a body format of 9", [](const Objects &o) { return Outlook_MailItem_SetBodyFormat(o.mail, 9); }},
      {"a default folder of kind 99", [](const Objects &o) {
         xComObject f = Outlook_Store_GetDefaultFolder(o.store, 99);
         release(f);
         return static_cast<int32_t>(f != 0);
       }},
      {"a close mode of 5", [](const Objects &o) { return Outlook_MailItem_Close(o.mail, 5); }},
      {"a meeting request sent", [](const Objects &o) { return Outlook_MailItem_Send(o.meeting); }},
  };
  for (const auto &[what, member] : kRefused) {
    SCOPED_TRACE(what);
    Objects o = Objects::make();
    EXPECT_EQ(member(o), 0);
    o.release();
  }
  Objects o = Objects::make();
  xComObject copy = Outlook_MailItem_Copy(o.mail);
  EXPECT_EQ(Outlook_MailItem_Send(o.mail), 1);
  EXPECT_EQ(describe(Outlook_MailItem_GetSubJectW(o.mail)), "t:") << "a sent item answers no more";
  EXPECT_EQ(Outlook_MailItem_Delete(copy), 1);
  EXPECT_EQ(Outlook_MailItem_GetClass(copy), 0) << "nor a deleted one";
  xComObject bin = Outlook_Store_GetDefaultFolder(o.store, 3), items = Outlook_Folder_GetItems(bin);
  EXPECT_EQ(Outlook_Items_GetCount(items), 1) << "the copy went to Deleted Items";
  for (xComObject h : {items, bin, copy}) release(h);
  o.release();
}

// ---- sending in one call ----

TEST_F(OutlookTest, SendMailStopsAtTheFirstFailureAndReleasesTheItem) {
  const wchar_t *kSent = L"get CreateItem(I4:0)\nput To()=BSTR:Li Wei\nput Subject()=BSTR:\u00e9t\u00e9\n"
                         L"put Body()=BSTR:Hi\ncall Send()\n";
  struct Case {
    const wchar_t *fault;  // null: nothing fails
    int32_t result;
    size_t lines;  // of kSent sent
  };
  const Case cases[] = {{nullptr, 1, 5},      {L"CreateItem", 0, 1}, {L"put To", 0, 2},
                        {L"put Subject", 0, 3}, {L"put Body", 0, 4},   {L"Send", 0, 5}};
  const int32_t start = control().live();
  for (const Case &c : cases) {
    for (const char *form : {"W", "A", "Lua"}) {
      SCOPED_TRACE(std::string(form) + " " + (c.fault ? utf8(c.fault) : "none"));
      control().clear();
      if (c.fault) control().fault(c.fault, L"raise");
      int32_t result = 0;
      if (form[0] == 'W') result = Outlook_SendMailW(probe_, L"Li Wei", L"\u00e9t\u00e9", L"Hi");
      if (form[0] == 'A') result = Outlook_SendMailA(probe_, "Li Wei", "\xe9t\xe9", "Hi");
      if (form[0] == 'L') {
        script_.set("app", probe_);
        result = script_.run("return T.Outlook_SendMail(app, 'Li Wei', '\xc3\xa9t\xc3\xa9', 'Hi')") == "n:1";
      }
      EXPECT_EQ(result, c.result);
      std::wstring expected;
      for (size_t i = 0, at = 0; i < c.lines; ++i) {
        const size_t end = std::wstring_view(kSent).find(L'\n', at) + 1;
        expected.append(kSent + at, kSent + end);
        at = end;
      }
      EXPECT_EQ(utf8(control().journal()), utf8(expected));
      control().clear_faults();
      EXPECT_EQ(control().live(), start) << "the item was released";
    }
  }
  // No application, no texts, a wrong count.
  EXPECT_EQ(Outlook_SendMailW(0, L"Li Wei", L"s", L"b"), 0);
  EXPECT_EQ(Outlook_SendMailA(0, nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(Outlook_SendMailW(probe_, nullptr, nullptr, nullptr), 0) << "no recipient";
  EXPECT_TRUE(script_.run("return T.Outlook_SendMail(app, 'a', 'b')").ends_with("param count error !"));
  EXPECT_EQ(control().live(), start);
  // A name no one knows: Send is refused, nothing reaches Sent Items.
  EXPECT_EQ(Outlook_SendMailW(probe_, L"Nobody Known", L"s", L"b"), 0);
  xComObject sent = folder_of(1, L"Sent Items");
  xComObject items = Outlook_Folder_GetItems(sent);
  EXPECT_EQ(Outlook_Items_GetCount(items), 3) << "one sent mail per form";
  xComObject first = Outlook_Items_GetItem(items, 1);
  EXPECT_EQ(describe(Outlook_MailItem_GetSubJectW(first)), "t:\u00e9t\u00e9");
  EXPECT_EQ(describe(Outlook_MailItem_GetSenderEmailAddressW(first)), "t:tarvo.test@example.com");
  for (xComObject h : {first, items, sent}) release(h);
  EXPECT_EQ(control().live(), start);
}

// ---- saving every attachment ----

struct Saved {
  std::vector<std::string> paths;  // UTF-8
  uint32_t size;
};

Saved save_w(xComObject mail, const std::wstring &folder, int32_t by_display) {
  wchar_t **list = Outlook_MailItem_Attachments_SaveAllW(mail, folder.c_str(), by_display);
  Saved s{{}, xCore.iRetSize};
  for (size_t i = 0; list && list[i]; ++i) {
    s.paths.push_back(utf8(list[i]));
    xCore_free(list[i]);
  }
  xCore.free(list);
  return s;
}

TEST_F(OutlookTest, SaveAllKeepsEveryFileInsideTheFolderUnderADistinctName) {
  TempDir dir;
  const std::wstring out = dir.file(L"out");
  CreateDirectoryW(out.c_str(), nullptr);
  xComObject inbox = folder_of(1, L"Inbox");
  xComObject mail = deliver(probe_, inbox, L"Mallory", L"m@example.net", L"names");
  // Display name, file name, and the file name it is saved under by display name.
  const struct {
    const wchar_t *display, *file, *saved;
  } kNames[] = {
      {L"..\\..\\x.exe", L"a.txt", L"x.exe"},   {L"C:\\x", L"b.txt", L"x"},
      {L"a:b", L"c.txt", L"a_b"},               {L"a/b", L"d.txt", L"b"},
      {L"", L"e.txt", L"_"},                    {L".", L"f.txt", L"_ (2)"},
      {L"..", L"g.txt", L"__"},                 {L"CON", L"h.txt", L"_CON"},
      {L"nul.txt", L"i.txt", L"_nul.txt"},      {L"trail. ", L"j.txt", L"trail__"},
      {L"dup.txt", L"k.txt", L"dup.txt"},       {L"DUP.txt", L"l.txt", L"DUP (2).txt"},
      {L"dup.txt", L"m.txt", L"dup (3).txt"},   {L"\u4e2d\u6587.txt", L"n.txt", L"\u4e2d\u6587.txt"},
      {L"a<b>c|d?e*f\"g\x01", L"o.txt", L"a_b_c_d_e_f_g_"}, {L"\\\\server\\share\\", L"p.txt", L"_ (3)"},
  };
  for (size_t i = 0; i < std::size(kNames); ++i)
    EXPECT_EQ(disp::CallMethod(d(mail), L"._Attach(%S, %S, %S)", kNames[i].display, kNames[i].file,
                               std::to_wstring(i).c_str()), S_OK);
  for (const std::wstring &folder : {out, out + L"\\", out + L"/"}) {
    SCOPED_TRACE(utf8(folder));
    const Saved s = save_w(mail, folder, 1);
    ASSERT_EQ(s.paths.size(), std::size(kNames));
    EXPECT_EQ(s.size, std::size(kNames));
    for (size_t i = 0; i < std::size(kNames); ++i) {
      const std::string base = utf8(folder.back() == L'/' ? folder : out + L"\\");
      EXPECT_EQ(s.paths[i], base + utf8(kNames[i].saved));
      EXPECT_EQ(raw_read(out + L"\\" + kNames[i].saved), std::to_string(i));
    }
    size_t files = 0;
    for (auto &entry : std::filesystem::directory_iterator(out)) files += entry.is_regular_file();
    EXPECT_EQ(files, std::size(kNames)) << "nothing else in the folder";
    const auto beside = std::distance(std::filesystem::directory_iterator(dir.path()), {});
    EXPECT_EQ(beside, 1) << "nothing written beside the folder";
  }
  // By file name, in the ANSI and script forms; a save that fails is not listed.
  control().fault(L"SaveAsFile", L"raise", 0, 2);
  char **list = Outlook_MailItem_Attachments_SaveAllA(mail, utf8(out).c_str(), 0);  // the temporary folder is ASCII
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(xCore.iRetSize, std::size(kNames) - 1);
  EXPECT_EQ(std::string(list[0]), utf8(out) + "\\a.txt");
  EXPECT_EQ(std::string(list[1]), utf8(out) + "\\c.txt") << "b.txt failed";
  size_t n = 0;
  for (; list[n]; ++n) xCore_free(list[n]);
  xCore.free(list);
  EXPECT_EQ(n, std::size(kNames) - 1);
  control().clear_faults();
  // By display name in ANSI: every path names its file, a name the code page cannot spell by its short form.
  list = Outlook_MailItem_Attachments_SaveAllA(mail, utf8(out).c_str(), 1);
  ASSERT_NE(list, nullptr);
  for (n = 0; list[n]; ++n) {
    EXPECT_NE(GetFileAttributesA(list[n]), INVALID_FILE_ATTRIBUTES) << list[n];
    xCore_free(list[n]);
  }
  xCore.free(list);
  EXPECT_EQ(n, std::size(kNames));
  script_.set("mail", mail);
  EXPECT_EQ(script_.run("local t = T.Outlook_MailItem_Attachments_SaveAll(mail, [[" + utf8(out) +
                        "]], true) return #t .. '|' .. t[14] .. '|' .. T.iRetSize()"),
            "t:16|" + utf8(out) + "\\\xe4\xb8\xad\xe6\x96\x87.txt|16");
  // No attachment: an empty list; an unknown handle: none at all.
  xComObject bare = deliver(probe_, inbox, L"A", L"a@example.com", L"bare");
  EXPECT_EQ(save_w(bare, out, 1).size, 0u);
  wchar_t **none = Outlook_MailItem_Attachments_SaveAllW(0, out.c_str(), 1);
  ASSERT_NE(none, nullptr);
  EXPECT_EQ(none[0], nullptr) << "zero-ended, empty";
  xCore.free(none);
  for (xComObject h : {bare, mail, inbox}) release(h);
}

TEST_F(OutlookTest, SaveAllWithoutAFolderUsesTheProgramsFolder) {
  xComObject inbox = folder_of(1, L"Inbox");
  xComObject mail = deliver(probe_, inbox, L"A", L"a@example.com", L"one");
  EXPECT_EQ(disp::CallMethod(d(mail), L"._Attach(%S, %S, %S)", L"outlook_saveall_probe.txt", L"x", L"1"), S_OK);
  wchar_t *own = xCore_AppPathW();
  const std::string expected = utf8(own) + "outlook_saveall_probe.txt";
  xCore_free(own);
  const Saved s = save_w(mail, L"", 1);
  ASSERT_EQ(s.paths.size(), 1u);
  EXPECT_EQ(s.paths[0], expected);
  char **list = Outlook_MailItem_Attachments_SaveAllA(mail, nullptr, 1);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list[0] ? std::string(list[0]) : "", expected) << "the folder is ASCII here";
  xCore_free(list[0]);
  xCore.free(list);
  EXPECT_TRUE(DeleteFileA(expected.c_str()));
  for (xComObject h : {mail, inbox}) release(h);
}

// ---- the searches ----

constexpr const char *kUnchanged = "(unchanged)";

// A mailbox for the searches: the first account's Inbox holds mails (and a
// meeting request) that each match "invoice" or an address in one field only.
class SearchTest : public OutlookTest {
 protected:
  void SetUp() override {
    OutlookTest::SetUp();
    xComObject inbox = folder_of(1, L"Inbox");
    xComObject to = inbox;
    const auto add = [&](const wchar_t *subject, const wchar_t *sender, const wchar_t *address, int32_t cls,
                         std::function<void(xComObject)> more) {
      xComObject m = deliver(probe_, to, sender, address, subject, cls);
      if (more) more(m);
      release(m);
    };
    add(L"Invoice 42", L"Anna Berg", L"anna.berg@example.com", 43, [](xComObject m) {
      Outlook_MailItem_SetBodyW(m, L"Please pay");
    });
    add(L"Lunch", L"Li Wei", L"li.wei@example.cn", 43, [](xComObject m) {
      Outlook_MailItem_SetHTMLBodyW(m, L"<p title='invoice'>see you</p>");
      Outlook_MailItem_SetUnRead(m, 0);
    });
    add(L"Invoice review", L"Anna Berg", L"anna.berg@example.com", 53, nullptr);
    add(L"Status", L"A", L"a@example.com", 43, [](xComObject m) { Outlook_MailItem_SetCCW(m, L"li.wei@example.cn"); });
    add(L"Plans", L"A", L"a@example.com", 43, [](xComObject m) { Outlook_MailItem_SetBCCW(m, L"\u738b\u82b3"); });
    add(L"Hello", L"A", L"a@example.com", 43, [](xComObject m) { Outlook_MailItem_SetToW(m, L"Jonas M\u00fcller"); });
    add(L"Notice", L"A", L"a@example.com", 43, [](xComObject m) {
      disp::CallMethod(d(m), L".ReplyRecipients.Add(%S)", L"desk@example.net");
    });
    add(L"INVOICE 43", L"A", L"a@example.com", 43, nullptr);
    add(L"Monthly", L"Invoice Bot", L"bot@example.com", 43, nullptr);
    add(L"Receipt", L"Billing", L"invoice@billing.example", 43, nullptr);
    release(inbox);
    xComObject ops = to = folder_of(2, L"Inbox");
    add(L"Ops invoice", L"A", L"a@example.com", 43, nullptr);  // into the second account's Inbox
    release(ops);
    start_ = control().live();
  }
  // The subjects found, and the registers ("|" between).
  std::string find(int32_t flags, const wchar_t *account, const wchar_t *folder, const wchar_t *keyword,
                   int32_t maximum) {
    xCore.LastError = kUnchanged;
    xCore.iRetSize = 777;
    xComObject *found = Outlook_FindMailsW(flags, account, folder, keyword, 12345, maximum);
    std::string out;
    for (size_t i = 0; found && found[i]; ++i) {
      out += describe(Outlook_MailItem_GetSubJectW(found[i])).substr(2) + ",";
      release(found[i]);
    }
    out.append("|").append(std::to_string(xCore.iRetSize)).append("|").append(xCore.LastError);
    xCore.free(found);
    EXPECT_EQ(control().live(), start_) << "every object of the search released";
    return out;
  }
  int32_t start_ = 0;
};

#define FOUND(subjects, n) subjects "|" #n "|(unchanged)"
#define FAILED_WITH(text) "|0|" text

TEST_F(SearchTest, EveryFlagBitFieldAndMaximum) {
  const struct {
    int32_t flags;
    const wchar_t *account, *folder, *keyword;
    int32_t maximum;
    const char *result;
  } kCases[] = {
      {0, L"", L"", L"invoice", 20, FOUND("Invoice 42,Lunch,INVOICE 43,Monthly,Receipt,", 5)},
      {0x4, L"", L"Inbox", L"invoice", 20, FOUND("Lunch,Receipt,", 2)},
      {0x80, L"", L"Inbox", L"invoice", 20, FOUND("Invoice 42,INVOICE 43,Monthly,Receipt,", 4)},
      {0x100, L"", L"Inbox", L"invoice", 20, FOUND("Lunch,Monthly,Receipt,", 3)},
      {0x200, L"", L"Inbox", L"invoice", 20, FOUND("Invoice 42,INVOICE 43,Monthly,Receipt,", 4)},
      {0x400, L"", L"Inbox", L"invoice", 20, FOUND("Invoice 42,Lunch,INVOICE 43,Monthly,Receipt,", 5)},
      {0x8400, L"", L"Inbox", L"invoice", 20, FOUND("Invoice 42,Lunch,INVOICE 43,Monthly,", 4)},
      {0x800, L"", L"Inbox", L"invoice", 20, FOUND("Invoice 42,Lunch,INVOICE 43,Receipt,", 4)},
      {0x10000, L"", L"Inbox", L"invoice", 20, FOUND("Invoice 42,INVOICE 43,Monthly,Receipt,", 4)},
      {0, L"", L"Inbox", L"li.wei@", 20, FOUND("Lunch,Status,", 2)},  // the sender's address, CC
      {0x2400, L"", L"Inbox", L"li.wei@", 20, FOUND("Lunch,Status,", 2)},  // the recipients, a reply to all
      {0x3400, L"", L"Inbox", L"li.wei@", 20, FOUND("Lunch,Status,", 2)},  // a reply to all
      {0xB000, L"", L"Inbox", L"li.wei@", 20, FOUND("Lunch,", 1)},
      {0xB400, L"", L"Inbox", L"li.wei@", 20, FOUND("", 0)},
      {0, L"", L"Inbox", L"wang.fang", 20, FOUND("Plans,", 1)},  // BCC holds the name; its address resolves
      {0x1000, L"", L"Inbox", L"\u738b", 20, FOUND("Plans,", 1)},
      {0x5000, L"", L"Inbox", L"\u738b", 20, FOUND("", 0)},
      {0x1000, L"", L"Inbox", L"wang.fang", 20, FOUND("", 0)},  // a reply to all leaves BCC out
      {0, L"", L"Inbox", L"jonas.mueller", 20, FOUND("Hello,", 1)},
      {0x1000, L"", L"Inbox", L"jonas.mueller", 20, FOUND("Hello,", 1)},
      {0x9000, L"", L"Inbox", L"jonas.mueller", 20, FOUND("", 0)},
      {0, L"", L"Inbox", L"desk@example.net", 20, FOUND("Notice,", 1)},
      {0x8000, L"", L"Inbox", L"desk@example.net", 20, FOUND("", 0)},
      {0, L"", L"Inbox", L"", 3, FOUND("Invoice 42,Lunch,Status,", 3)},  // the maximum reached
      {0, L"", L"Inbox", nullptr, 1, FOUND("Invoice 42,", 1)},
      {0x10000, L"", L"Inbox", L"", 20, FOUND("Invoice 42,Status,Plans,Hello,Notice,INVOICE 43,Monthly,Receipt,", 8)},
      {0, L"OPS.DESK", L"inbox", L"invoice", 20, FOUND("Ops invoice,", 1)},
      {0x1, L"ops.desk@example.org", L"Inbox", L"", 20, FOUND("Ops invoice,", 1)},
      {0x3, L"OPS.DESK@EXAMPLE.ORG", L"INBOX", L"", 20, FOUND("Ops invoice,", 1)},
      {0x5, L"OPS.DESK@EXAMPLE.ORG", L"Inbox", L"", 20, FAILED_WITH("账号匹配失败")},
      {0x1, L"ops.desk", L"Inbox", L"", 20, FAILED_WITH("账号匹配失败")},
      {0, L"nobody", L"Inbox", L"", 20, FAILED_WITH("账号匹配失败")},
      {0, L"", L"Nope", L"", 20, FAILED_WITH("文件夹匹配失败")},
      {0x2, L"", L"box", L"", 20, FAILED_WITH("文件夹匹配失败")},
      {0x4, L"", L"inbox", L"", 20, FAILED_WITH("文件夹匹配失败")},
      {0, L"", L"Sent", L"", 20, FOUND("", 0)},
      {0, L"", L"Inbox", L"", 0, FAILED_WITH("获取邮件数量不能小于 1")},
      {0, L"", L"Inbox", L"", INT32_MIN, FAILED_WITH("获取邮件数量不能小于 1")},
  };
  for (const auto &c : kCases) {
    SCOPED_TRACE(std::to_string(c.flags) + " " + utf8(c.account) + "/" + utf8(c.folder) + " " +
                 (c.keyword ? utf8(c.keyword) : "null") + " " + std::to_string(c.maximum));
    EXPECT_EQ(find(c.flags, c.account, c.folder, c.keyword, c.maximum), c.result);
  }
}

TEST_F(SearchTest, MatchFlagAFormScriptAndNoClientStartedForABadMaximum) {
  xCore.iRet = 5;
  EXPECT_EQ(find(0, L"", L"Inbox", L"Receipt", 1), FOUND("Receipt,", 1));
  EXPECT_EQ(xCore.iRet, 1) << "the accepting test";
  EXPECT_EQ(find(0, L"", L"Inbox", L"zzz", 1), FOUND("", 0));
  EXPECT_EQ(xCore.iRet, 0);
  EXPECT_EQ(find(0, L"nobody", L"", L"", 1), FAILED_WITH("账号匹配失败"));
  EXPECT_EQ(xCore.iRet, 0);
  int32_t started = 0;
  ASSERT_EQ(disp::GetValue(L"%d", &started, d(probe_), L"._Started"), S_OK);
  control().clear();
  EXPECT_EQ(find(0, L"", L"Inbox", L"", 0), FAILED_WITH("获取邮件数量不能小于 1"));
  int32_t after = 0;
  disp::GetValue(L"%d", &after, d(probe_), L"._Started");
  EXPECT_EQ(after, started) << "no client started";
  EXPECT_EQ(control().journal(), L"");
  xComObject *found = Outlook_FindMailsA(0x100, "", "Inbox", "pay", 0, 5);
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(xCore.iRetSize, 1u);
  EXPECT_EQ(describe(Outlook_MailItem_GetSubJectA(found[0])), "t:Invoice 42");
  EXPECT_EQ(found[1], 0);
  release(found[0]);
  xCore.free(found);
  EXPECT_EQ(script_.run("local t = T.Outlook_FindMails(0, 'ops', 'INBOX', 'invoice', 0, 9) local n = #t "
                        "for _, h in ipairs(t) do T.COM_Release(h) end return n .. T.iRetSize()"),
            "t:11");
  EXPECT_EQ(script_.run("local t = T.Outlook_FindMails(0, 'zz', '', '', 0, 9) return #t .. T.LastError()"),
            "t:0账号匹配失败");
  EXPECT_TRUE(script_.run("return T.Outlook_FindMails(0, '', '', '', 0)").ends_with("param count error !"));
  EXPECT_EQ(control().live(), start_);
}

std::string folder_path(xComObject folder) {
  const std::string path = describe(Outlook_Folder_GetFolderPathW(folder));
  release(folder);
  return path;
}

TEST_F(SearchTest, FindFolderByAccountAndName) {
  const struct {
    int32_t flags;
    const wchar_t *account, *folder;
    const char *path, *last_error;
  } kCases[] = {
      {0, L"", L"", "t:\\\\tarvo.test@example.com\\Inbox", kUnchanged},
      {0, nullptr, nullptr, "t:\\\\tarvo.test@example.com\\Inbox", kUnchanged},
      {0, L"ops", L"sent", "t:\\\\ops.desk@example.org\\Sent Items", kUnchanged},
      {0x2, L"", L"Sent Items", "t:\\\\tarvo.test@example.com\\Sent Items", kUnchanged},
      {0x2, L"", L"Sent", "t:", kUnchanged},  // only the folder did not match
      {0x6, L"", L"sent items", "t:", kUnchanged},
      {0, L"zzz", L"", "t:", "账号匹配失败"},
  };
  for (const auto &c : kCases) {
    SCOPED_TRACE(std::to_string(c.flags) + " " + (c.account ? utf8(c.account) : "null") + "/" +
                 (c.folder ? utf8(c.folder) : "null"));
    xCore.LastError = kUnchanged;
    const xComObject folder = Outlook_FindFolderW(c.flags, c.account, c.folder);
    EXPECT_EQ(folder ? folder_path(folder) : "t:", c.path);
    EXPECT_STREQ(xCore.LastError, c.last_error);
    EXPECT_EQ(control().live(), start_);
  }
  const xComObject ansi = Outlook_FindFolderA(0, "OPS", "Draft");
  EXPECT_EQ(folder_path(ansi), "t:\\\\ops.desk@example.org\\Drafts");
  EXPECT_EQ(script_.run("local f = T.Outlook_FindFolder(0, 'tarvo', 'Deleted') local p = T.Outlook_Folder_GetName(f) "
                        "T.COM_Release(f) return p"),
            "t:Deleted Items");
  EXPECT_EQ(control().live(), start_);
}

// A client that cannot start, a namespace refused, a failing step in the middle, no memory: the
// documented texts, and every object released.
TEST_F(SearchTest, FailuresOfTheClientAndOfEveryStepReleaseEverything) {
  EXPECT_EQ(disp::PutValue(d(probe_), L"._RefuseStart = %b", 1), S_OK);
  EXPECT_EQ(find(0, L"", L"", L"", 5), FAILED_WITH("Outlook_Create 失败"));
  xCore.LastError = kUnchanged;
  EXPECT_EQ(Outlook_FindFolderW(0, L"", L""), 0);
  EXPECT_STREQ(xCore.LastError, "Outlook_Create 失败");
  EXPECT_EQ(disp::PutValue(d(probe_), L"._RefuseStart = %b", 0), S_OK);
  control().fault(L"GetNamespace", L"raise");
  EXPECT_EQ(find(0, L"", L"", L"", 5), FAILED_WITH("Outlook_GetNamespace 失败"));
  control().clear_faults();
  // A failure at each later step: fewer or no results, never a leak.
  for (const wchar_t *member : {L"Logon", L"Accounts", L"SmtpAddress", L"DeliveryStore", L"GetRootFolder", L"Folders",
                                L"Name", L"Items", L"Count", L"Item", L"Class", L"UnRead", L"Subject", L"ReplyAll",
                                L"ResolveAll", L"Address", L"HTMLBody"})
    for (const wchar_t *mode : {L"raise", L"empty"}) {
      SCOPED_TRACE(utf8(member) + " " + utf8(mode));
      control().fault(member, mode, 0, 3);
      find(0x10000, L"tarvo", L"Inbox", L"invoice", 20);
      control().clear_faults();
    }
  // No memory for the result: the search stops before the items.
  const auto saved = xCore.calloc;
  xCore.calloc = [](size_t, size_t) -> void * { return nullptr; };
  EXPECT_EQ(find(0, L"", L"Inbox", L"", 5), FAILED_WITH("内存申请失败"));
  xCore.calloc = saved;
  // A maximum of 2^31 - 1 counted in 64 bits: all nine, or no memory for so many slots.
  const std::string all = find(0, L"", L"Inbox", L"", INT32_MAX);
  EXPECT_TRUE(all == FOUND("Invoice 42,Lunch,Status,Plans,Hello,Notice,INVOICE 43,Monthly,Receipt,", 9) ||
              all == FAILED_WITH("内存申请失败")) << all;
}

// The local server: objects across the boundary, attachment through the running-object table, and the
// searches finding what was put into that server's mailbox.
TEST_F(OutlookTest, AcrossTheProcessBoundary) {
  Ref<IDispatch> remote;
  ASSERT_EQ(CoCreateInstance(standin::outlook::kOutlookClsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch,
                             remote.put_void()), S_OK);
  Control server(reinterpret_cast<xComObject>(remote.get()));
  EXPECT_EQ(disp::CallMethod(remote.get(), L"._Reset()"), S_OK);
  const int32_t start = server.live();
  xComObject attached = Outlook_GetObject();
  ASSERT_NE(attached, 0) << "the running instance is found";
  xComObject ns = Outlook_GetNamespace(attached);
  xComObject inbox = Outlook_MAPI_GetDefaultFolder(ns, 6);
  xComObject mail = deliver(attached, inbox, L"Far Away", L"far@example.com", L"remote invoice");
  for (xComObject h : {mail, inbox, ns}) release(h);
  xComObject *found = Outlook_FindMailsW(0, L"", L"Inbox", L"remote", 0, 5);
  ASSERT_NE(found, nullptr) << "the search attached to the running server";
  EXPECT_EQ(describe(Outlook_MailItem_GetSenderNameW(found[0])), "t:Far Away");
  release(found[0]);
  xCore.free(found);
  EXPECT_EQ(Outlook_SendMailW(attached, L"ops.desk@example.org", L"to ops", L"b"), 1);
  xComObject ops = Outlook_FindFolderW(0x1, L"ops.desk@example.org", L"Inbox");
  xComObject items = Outlook_Folder_GetItems(ops);
  EXPECT_EQ(Outlook_Items_GetCount(items), 1) << "delivered to the account addressed";
  for (xComObject h : {items, ops}) release(h);
  EXPECT_EQ(server.live(), start) << "released across the boundary";
  EXPECT_EQ(Outlook_Quit(attached), 1);
  release(attached);
}

}  // namespace
}  // namespace outlooktest
