// The Outlook family on the stand-in mail client: the member table in every form, sending in one call,
// saving every attachment, the folder and mail searches (flags, texts, last-error texts, registers), and
// every object released on every path.
#include "member_test.hpp"
#include "outlook_standin.hpp"
#include "temp_dir.hpp"
#include "xoutlook.h"

#include <filesystem>

namespace outlooktest {
namespace {

using namespace membertest;
using tarvo::test::raw_read;

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

// The paths a save handed out as UTF-8 (each released, then the list).
template <class C>
std::vector<std::string> paths_of(C **list) {
  std::vector<std::string> paths;
  for (size_t i = 0; list && list[i]; xCore_free(list[i++])) {
    if constexpr (sizeof(C) == 1) paths.emplace_back(list[i]);
    else paths.push_back(utf8(list[i]));
  }
  xCore.free(list);
  return paths;
}

// The probe is an application; the mailbox starts afresh for every test.
class OutlookTest : public ProbedTest {
 protected:
  void SetUp() override {
    LeakCheckedTest::SetUp();
    ASSERT_TRUE(take_probe(Outlook_Create())) << "is the stand-in mail client registered?";
    EXPECT_EQ(disp::CallMethod(d(probe_), L"._Reset()"), S_OK);
  }
  // A folder under an account's root folder, by name.
  xComObject folder_of(int32_t account, const wchar_t *name) {
    IDispatch *folder = nullptr;
    EXPECT_EQ(disp::GetValue(L"%o", &folder, d(probe_), L".GetNamespace(%S).Accounts.Item(%d).DeliveryStore"
                             L".GetRootFolder().Folders.Item(%S)", L"MAPI", account, name), S_OK);
    return reinterpret_cast<xComObject>(folder);
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
    for (const wchar_t *name : {L"Li Wei", L"ops.desk@example.org"})
      EXPECT_EQ(disp::CallMethod(mail, L".ReplyRecipients.Add(%S)", name), S_OK);
    EXPECT_EQ(disp::CallMethod(mail, L".ReplyRecipients.ResolveAll()"), S_OK);
    EXPECT_EQ(disp::CallMethod(mail, L"._Attach(%S, %S, %S)", L"report.pdf", L"report.pdf", L"PDF bytes"), S_OK);
    EXPECT_TRUE(o.items && o.mail && o.meeting && o.projects);
    return o;
  }
  std::vector<std::pair<const char *, xComObject>> globals() const {
    return {{"app", app},       {"ns", ns},         {"accounts", accounts}, {"account", account}, {"store", store},
            {"root", root},     {"folders", folders}, {"inbox", inbox},     {"drafts", drafts},   {"projects", projects},
            {"items", items},   {"mail", mail},     {"meeting", meeting}};
  }
  void release() {
    for (auto [name, h] : globals()) outlooktest::release(h);
    *this = {};
  }
};

using Row = MemberRow<Objects>;

// A row whose Lua function takes a surplus argument the C form lacks.
#define WA_LUA(name, lua_args, result, journal, ...) \
  ROW(name, name##W, A_FORM(name, __VA_ARGS__), lua_args, result, journal, __VA_ARGS__)

#define ITEM(n) L"get Item(I4:" n L")\n"
#define REPLY_ADDRESS(n) L"get ReplyRecipients()\n" ITEM(n) L"get Address()\n"
#define ATTACHMENT(what) L"get Attachments()\n" ITEM("1") L"get " what L"()\n"

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
    WA(Outlook_MailItem_Attachments_GetDisplayName, "t:report.pdf", ATTACHMENT(L"DisplayName"), o.mail, 1),
    WA(Outlook_MailItem_Attachments_GetFileName, "t:report.pdf", ATTACHMENT(L"FileName"), o.mail, 1),
    WA(Outlook_MailItem_Attachments_GetPathName, "t:", ATTACHMENT(L"PathName"), o.mail, 1),
    ONE(Outlook_MailItem_Attachments_GetSize, "n:9", ATTACHMENT(L"Size"), o.mail, 1),
    ONE(Outlook_MailItem_Attachments_GetType, "n:1", ATTACHMENT(L"Type"), o.mail, 1),
    ONE(Outlook_MailItem_Attachments_GetClass, "n:5", ATTACHMENT(L"Class"), o.mail, 1),
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
    WA(Outlook_MailItem_ReplyRecipients, "t:", L"", o.meeting),  // a meeting request has none: nothing sent
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
  tarvo::test::raw_write(L"\u00e91", "attached");
  check_member_table(kRows, Objects::make, control(), script_, LuaKinds{XOUTLOOK_MEMBERS(MEMBERTEST_LUA_KIND)},
                     {L"raise", L"fail"});
  EXPECT_EQ(script_.run("return T.Outlook_GetMAPI(0)"), "n:0");
  EXPECT_TRUE(script_.run("return T.Outlook_MAPI_GetCurrentUser(0)").ends_with("param count error !"));
  for (const wchar_t *f : {L"\u00e91", L"\u00e92"}) DeleteFileW(f);
}

// Each step failing in turn, in every form: the steps before it sent, 0, and the item released.
TEST_F(OutlookTest, SendMailStopsAtTheFirstFailureAndReleasesTheItem) {
  const std::wstring kSteps[] = {L"get CreateItem(I4:0)\n", L"put To()=BSTR:Li Wei\n",
                                 L"put Subject()=BSTR:\u00e9t\u00e9\n", L"put Body()=BSTR:Hi\n", L"call Send()\n"};
  const wchar_t *kFaults[] = {nullptr, L"CreateItem", L"put To", L"put Subject", L"put Body", L"Send"};
  const int32_t start = control().live();
  script_.set("app", probe_);
  for (size_t f = 0; f < std::size(kFaults); ++f)
    for (char form : {'W', 'A', 'L'}) {
      SCOPED_TRACE(std::string(1, form) + " " + (kFaults[f] ? utf8(kFaults[f]) : "none"));
      control().clear();
      if (kFaults[f]) control().fault(kFaults[f], L"raise");
      const int32_t result =
          form == 'W'   ? Outlook_SendMailW(probe_, L"Li Wei", L"\u00e9t\u00e9", L"Hi")
          : form == 'A' ? Outlook_SendMailA(probe_, "Li Wei", "\xe9t\xe9", "Hi")
                        : script_.run("return T.Outlook_SendMail(app, 'Li Wei', '\xc3\xa9t\xc3\xa9', 'Hi')") == "n:1";
      EXPECT_EQ(result, f == 0 ? 1 : 0);
      std::wstring sent;
      for (size_t i = 0; i < (f ? f : std::size(kSteps)); ++i) sent += kSteps[i];
      EXPECT_EQ(utf8(control().journal()), utf8(sent));
      control().clear_faults();
      EXPECT_EQ(control().live(), start) << "the item was released";
    }
  // No application, no texts, no recipient, a name no one knows (Send refused); a wrong count.
  for (int32_t r : {Outlook_SendMailW(0, L"Li Wei", L"s", L"b"), Outlook_SendMailA(0, nullptr, nullptr, nullptr),
                    Outlook_SendMailW(probe_, nullptr, nullptr, nullptr), Outlook_SendMailW(probe_, L"Nobody", L"s", L"b")})
    EXPECT_EQ(r, 0);
  EXPECT_TRUE(script_.run("return T.Outlook_SendMail(app, 'a', 'b')").ends_with("param count error !"));
  EXPECT_EQ(control().live(), start);
}

// Names chosen by the sender: every file lands inside the folder under a plain, distinct name, with or
// without the folder's final separator, in every form; only the files really saved are listed and counted.
TEST_F(OutlookTest, SaveAllKeepsEveryFileInsideTheFolderUnderADistinctName) {
  tarvo::test::TempDir dir;
  const std::wstring out = dir.file(L"out");
  CreateDirectoryW(out.c_str(), nullptr);
  xComObject inbox = folder_of(1, L"Inbox"), mail = deliver(probe_, inbox, L"Mallory", L"m@example.net", L"names");
  const struct {
    const wchar_t *display, *file, *saved;  // saved: the file name it is saved under by display name
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
    const std::vector<std::string> paths = paths_of(Outlook_MailItem_Attachments_SaveAllW(mail, folder.c_str(), 1));
    EXPECT_EQ(xCore.iRetSize, std::size(kNames));
    ASSERT_EQ(paths.size(), std::size(kNames));
    const std::string base = utf8(folder.back() == L'/' ? folder : out + L"\\");
    for (size_t i = 0; i < std::size(kNames); ++i) {
      EXPECT_EQ(paths[i], base + utf8(kNames[i].saved));
      EXPECT_EQ(raw_read(out + L"\\" + kNames[i].saved), std::to_string(i));
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(out), {}), std::ssize(kNames)) << "nothing else";
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1) << "nothing beside the folder";
  }
  // By file name from ANSI (the temporary folder is ASCII), the second save failing: not listed, not counted.
  control().fault(L"SaveAsFile", L"raise", 0, 2);
  std::vector<std::string> paths = paths_of(Outlook_MailItem_Attachments_SaveAllA(mail, utf8(out).c_str(), 0));
  control().clear_faults();
  EXPECT_EQ(xCore.iRetSize, std::size(kNames) - 1);
  ASSERT_EQ(paths.size(), std::size(kNames) - 1);
  EXPECT_EQ(paths[0] + "|" + paths[1], utf8(out) + "\\a.txt|" + utf8(out) + "\\c.txt") << "b.txt failed";
  // By display name from ANSI: every path names its file, one the code page cannot spell by its short form.
  paths = paths_of(Outlook_MailItem_Attachments_SaveAllA(mail, utf8(out).c_str(), 1));
  EXPECT_EQ(paths.size(), std::size(kNames));
  for (const std::string &p : paths) EXPECT_NE(GetFileAttributesA(p.c_str()), INVALID_FILE_ATTRIBUTES) << p;
  script_.set("mail", mail);
  EXPECT_EQ(script_.run("local t = T.Outlook_MailItem_Attachments_SaveAll(mail, [[" + utf8(out) +
                        "]], true) return #t .. '|' .. t[14] .. '|' .. T.iRetSize()"),
            "t:16|" + utf8(out) + "\\\xe4\xb8\xad\xe6\x96\x87.txt|16");
  wchar_t **none = Outlook_MailItem_Attachments_SaveAllW(0, out.c_str(), 1);
  EXPECT_TRUE(none && !none[0]) << "an unknown mail: zero-ended, empty";
  xCore.free(none);
  // Without a folder: the program's folder, in both forms.
  xComObject one = deliver(probe_, inbox, L"A", L"a@example.com", L"one");
  EXPECT_EQ(disp::CallMethod(d(one), L"._Attach(%S, %S, %S)", L"outlook_saveall_probe.txt", L"x", L"1"), S_OK);
  wchar_t *own = xCore_AppPathW();
  const std::vector<std::string> in_own{utf8(own) + "outlook_saveall_probe.txt"};
  xCore_free(own);
  EXPECT_EQ(paths_of(Outlook_MailItem_Attachments_SaveAllW(one, L"", 1)), in_own);
  EXPECT_EQ(paths_of(Outlook_MailItem_Attachments_SaveAllA(one, nullptr, 1)), in_own) << "the folder is ASCII here";
  EXPECT_TRUE(DeleteFileA(in_own[0].c_str()));
  for (xComObject h : {one, mail, inbox}) release(h);
}

constexpr const char *kUnchanged = "(unchanged)";

// The subjects of the mails found ("," after each), each released, then the list.
std::string subjects(xComObject *found) {
  std::string out;
  for (size_t i = 0; found && found[i]; release(found[i++]))
    out += describe(Outlook_MailItem_GetSubJectW(found[i])).substr(2) + ",";
  xCore.free(found);
  return out;
}

// A mailbox for the searches: the first account's Inbox holds mails (and a meeting request) that each
// match "invoice" or an address in one field only; the second account's Inbox holds one mail.
class SearchTest : public OutlookTest {
 protected:
  void SetUp() override {
    OutlookTest::SetUp();
    const struct {
      const wchar_t *subject, *sender, *address;
      int32_t item_class;
      const wchar_t *more = nullptr, *value = nullptr;  // one field more: a put, or a call without "="
      bool read = false;
    } kMails[] = {
        {L"Invoice 42", L"Anna Berg", L"anna.berg@example.com", 43, L".Body = %S", L"Please pay"},
        {L"Lunch", L"Li Wei", L"li.wei@example.cn", 43, L".HTMLBody = %S", L"<p title='invoice'>see you</p>", true},
        {L"Invoice review", L"Anna Berg", L"anna.berg@example.com", 53},
        {L"Status", L"A", L"a@example.com", 43, L".CC = %S", L"li.wei@example.cn"},
        {L"Plans", L"A", L"a@example.com", 43, L".BCC = %S", L"\u738b\u82b3"},
        {L"Hello", L"A", L"a@example.com", 43, L".To = %S", L"Jonas M\u00fcller"},
        {L"Notice", L"A", L"a@example.com", 43, L".ReplyRecipients.Add(%S)", L"desk@example.net"},
        {L"INVOICE 43", L"A", L"a@example.com", 43},
        {L"Monthly", L"Invoice Bot", L"bot@example.com", 43},
        {L"Receipt", L"Billing", L"invoice@billing.example", 43},
        {L"Ops invoice", L"A", L"a@example.com", 43},  // the second account's
    };
    for (const auto &m : kMails) {
      xComObject inbox = folder_of(&m == std::end(kMails) - 1 ? 2 : 1, L"Inbox"),
                 mail = deliver(probe_, inbox, m.sender, m.address, m.subject, m.item_class);
      const HRESULT set = !m.more ? S_OK
                          : wcschr(m.more, L'=') ? disp::PutValue(d(mail), m.more, m.value)
                                                 : disp::CallMethod(d(mail), m.more, m.value);
      EXPECT_EQ(set, S_OK);
      EXPECT_EQ(m.read ? Outlook_MailItem_SetUnRead(mail, 0) : 1, 1);
      for (xComObject h : {mail, inbox}) release(h);
    }
    start_ = control().live();
  }
  // The subjects found, then the registers ("|" between); every object of the search released.
  std::string find(int32_t flags, const wchar_t *account, const wchar_t *folder, const wchar_t *keyword,
                   int32_t maximum) {
    xCore.LastError = kUnchanged;
    xCore.iRetSize = 777;
    std::string out = subjects(Outlook_FindMailsW(flags, account, folder, keyword, 12345, maximum));
    out.append("|").append(std::to_string(xCore.iRetSize)).append("|").append(xCore.LastError);
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
    const wchar_t *keyword;
    const char *result;
    const wchar_t *account = L"", *folder = L"Inbox";
    int32_t maximum = 20;
  } kCases[] = {
      {0, L"invoice", FOUND("Invoice 42,Lunch,INVOICE 43,Monthly,Receipt,", 5), L"", L""},
      {0x4, L"invoice", FOUND("Lunch,Receipt,", 2)},  {0x100, L"invoice", FOUND("Lunch,Monthly,Receipt,", 3)},
      {0x80, L"invoice", FOUND("Invoice 42,INVOICE 43,Monthly,Receipt,", 4)},
      {0x200, L"invoice", FOUND("Invoice 42,INVOICE 43,Monthly,Receipt,", 4)},
      {0x400, L"invoice", FOUND("Invoice 42,Lunch,INVOICE 43,Monthly,Receipt,", 5)},
      {0x8400, L"invoice", FOUND("Invoice 42,Lunch,INVOICE 43,Monthly,", 4)},
      {0x800, L"invoice", FOUND("Invoice 42,Lunch,INVOICE 43,Receipt,", 4)},
      {0x10000, L"invoice", FOUND("Invoice 42,INVOICE 43,Monthly,Receipt,", 4)},
      {0, L"li.wei@", FOUND("Lunch,Status,", 2)},       // the sender's address, CC
      {0x2400, L"li.wei@", FOUND("Lunch,Status,", 2)},  // the recipients, a reply to all
      {0x3400, L"li.wei@", FOUND("Lunch,Status,", 2)},  // a reply to all
      {0xB000, L"li.wei@", FOUND("Lunch,", 1)},         {0xB400, L"li.wei@", FOUND("", 0)},
      {0, L"wang.fang", FOUND("Plans,", 1)},  // BCC holds the name; its address resolves
      {0x1000, L"\u738b", FOUND("Plans,", 1)},          {0x5000, L"\u738b", FOUND("", 0)},
      {0x1000, L"wang.fang", FOUND("", 0)},  // a reply to all leaves BCC out
      {0, L"jonas.mueller", FOUND("Hello,", 1)},        {0x1000, L"jonas.mueller", FOUND("Hello,", 1)},
      {0x9000, L"jonas.mueller", FOUND("", 0)},         {0x8000, L"desk@example.net", FOUND("", 0)},
      {0, L"desk@example.net", FOUND("Notice,", 1)},
      {0, L"", FOUND("Invoice 42,Lunch,Status,", 3), L"", L"Inbox", 3},  // the maximum reached
      {0, nullptr, FOUND("Invoice 42,", 1), L"", L"Inbox", 1},
      {0x10000, L"", FOUND("Invoice 42,Status,Plans,Hello,Notice,INVOICE 43,Monthly,Receipt,", 8)},
      {0, L"invoice", FOUND("Ops invoice,", 1), L"OPS.DESK", L"inbox"},
      {0x1, L"", FOUND("Ops invoice,", 1), L"ops.desk@example.org"},
      {0x3, L"", FOUND("Ops invoice,", 1), L"OPS.DESK@EXAMPLE.ORG", L"INBOX"},
      {0x5, L"", FAILED_WITH("账号匹配失败"), L"OPS.DESK@EXAMPLE.ORG"},
      {0x1, L"", FAILED_WITH("账号匹配失败"), L"ops.desk"},  {0, L"", FAILED_WITH("账号匹配失败"), L"nobody"},
      {0, L"", FAILED_WITH("文件夹匹配失败"), L"", L"Nope"}, {0x2, L"", FAILED_WITH("文件夹匹配失败"), L"", L"box"},
      {0x4, L"", FAILED_WITH("文件夹匹配失败"), L"", L"inbox"}, {0, L"", FOUND("", 0), L"", L"Sent"},
      {0, L"", FAILED_WITH("获取邮件数量不能小于 1"), L"", L"Inbox", INT32_MIN},
  };
  for (const auto &c : kCases) {
    SCOPED_TRACE(&c - kCases);
    EXPECT_EQ(find(c.flags, c.account, c.folder, c.keyword, c.maximum), c.result);
  }
}

// iRet holds the accepting test; a maximum below 1 starts no client and sends nothing; the A form, the script.
TEST_F(SearchTest, MatchFlagAFormScriptAndNoClientStartedForABadMaximum) {
  const auto and_ret = [](const std::string &found) { return found + "/" + std::to_string(xCore.iRet); };
  xCore.iRet = 5;
  EXPECT_EQ(and_ret(find(0, L"", L"Inbox", L"Receipt", 1)), FOUND("Receipt,", 1) "/1");
  EXPECT_EQ(and_ret(find(0, L"", L"Inbox", L"zzz", 1)), FOUND("", 0) "/0");
  EXPECT_EQ(and_ret(find(0, L"nobody", L"", L"", 1)), FAILED_WITH("账号匹配失败") "/0");
  int32_t started = 0, after = -1;
  ASSERT_EQ(disp::GetValue(L"%d", &started, d(probe_), L"._Started"), S_OK);
  control().clear();
  EXPECT_EQ(find(0, L"", L"Inbox", L"", 0), FAILED_WITH("获取邮件数量不能小于 1"));
  disp::GetValue(L"%d", &after, d(probe_), L"._Started");
  EXPECT_EQ(after, started) << "no client started";
  EXPECT_EQ(control().journal(), L"");
  EXPECT_EQ(subjects(Outlook_FindMailsA(0x100, "", "Inbox", "pay", 0, 5)), "Invoice 42,");
  EXPECT_EQ(xCore.iRetSize, 1u);
  EXPECT_EQ(script_.run("local t = T.Outlook_FindMails(0, 'zz', '', '', 0, 9) return #t .. T.LastError()"),
            "t:0账号匹配失败");
  EXPECT_TRUE(script_.run("return T.Outlook_FindMails(0, '', '', '', 0)").ends_with("param count error !"));
  EXPECT_EQ(control().live(), start_);
}

// A found folder's path; the folder released.
std::string path_of(xComObject folder) {
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
    SCOPED_TRACE(&c - kCases);
    xCore.LastError = kUnchanged;
    EXPECT_EQ(path_of(Outlook_FindFolderW(c.flags, c.account, c.folder)), c.path);
    EXPECT_STREQ(xCore.LastError, c.last_error);
    EXPECT_EQ(control().live(), start_);
  }
  EXPECT_EQ(path_of(Outlook_FindFolderA(0, "OPS", "Draft")), "t:\\\\ops.desk@example.org\\Drafts");
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
  // A failure at each later step: fewer or no results, never a leak (find() counts the live objects).
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

// The local server, found through the running-object table; the search attaches to it and finds what was
// put into its mailbox; everything released across the boundary.
TEST_F(OutlookTest, AcrossTheProcessBoundary) {
  Ref<IDispatch> remote;
  ASSERT_EQ(CoCreateInstance(standin::outlook::kOutlookClsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch,
                             remote.put_void()), S_OK);
  Control server(reinterpret_cast<xComObject>(remote.get()));
  EXPECT_EQ(disp::CallMethod(remote.get(), L"._Reset()"), S_OK);
  const int32_t start = server.live();
  xComObject attached = Outlook_GetObject(), ns = Outlook_GetNamespace(attached),
             inbox = Outlook_MAPI_GetDefaultFolder(ns, 6);
  ASSERT_NE(attached, 0) << "the running instance is found";
  release(deliver(attached, inbox, L"Far Away", L"far@example.com", L"remote invoice"));
  EXPECT_EQ(subjects(Outlook_FindMailsW(0, L"", L"Inbox", L"remote", 0, 5)), "remote invoice,")
      << "the search attached to the running server";
  for (xComObject h : {inbox, ns}) release(h);
  EXPECT_EQ(server.live(), start) << "released across the boundary";
  EXPECT_EQ(Outlook_Quit(attached), 1);
  release(attached);
}

}  // namespace
}  // namespace outlooktest
