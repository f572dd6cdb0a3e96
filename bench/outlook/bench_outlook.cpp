// The cost of the mail search: Outlook_FindMailsW over a folder of 10 000
// items, the keyword in 1 % of them, against a loop written by hand that
// makes the same late-bound calls (GetIDsOfNames + Invoke each) on the same
// in-process stand-in: the client, namespace, logon, account and folder
// lookup, then for every item its class and each field in the search's order.
#include "by_hand.hpp"
#include "com_ref.hpp"
#include "outlook_standin.hpp"
#include "standin_server.hpp"
#include "timing.hpp"
#include "xcore.h"
#include "xoutlook.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using tarvo::bench::invoke_by_hand;
using tarvo::com::Ref;
using tarvo::com::Variant;

constexpr int kItems = 10000;
constexpr WORD kGet = DISPATCH_METHOD | DISPATCH_PROPERTYGET;
const wchar_t *const kKeyword = L"needle";

// One call with up to one argument; the result in `out`.
HRESULT get(IDispatch *o, const wchar_t *name, Variant &out, const VARIANT *arg = nullptr) {
  VARIANT copy;
  if (arg) copy = *arg;
  return invoke_by_hand(o, name, kGet, arg ? &copy : nullptr, arg ? 1 : 0, out.get());
}

Ref<IDispatch> object(IDispatch *o, const wchar_t *name, const VARIANT *arg = nullptr) {
  Variant v;
  if (FAILED(get(o, name, v, arg)) || v->vt != VT_DISPATCH) return {};
  return Ref<IDispatch>::adopt(v.detach().pdispVal);
}

VARIANT i4(int32_t n) {
  VARIANT v;
  v.vt = VT_I4;
  v.lVal = n;
  return v;
}

bool contains(const Variant &text, const wchar_t *needle) {
  if (text->vt != VT_BSTR || !text->bstrVal) return false;
  const auto fold = [](wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c + 32) : c; };
  const std::wstring_view t(text->bstrVal, SysStringLen(text->bstrVal)), n(needle);
  for (size_t i = 0; i + n.size() <= t.size(); ++i) {
    size_t k = 0;
    while (k < n.size() && fold(t[i + k]) == fold(n[k])) ++k;
    if (k == n.size()) return true;
  }
  return false;
}

bool field_holds(IDispatch *item, const wchar_t *name) {
  Variant v;
  return SUCCEEDED(get(item, name, v)) && contains(v, kKeyword);
}

bool recipients_hold(IDispatch *item) {
  Ref<IDispatch> recipients = object(item, L"Recipients");
  if (!recipients) return false;
  Variant ignored, count;
  invoke_by_hand(recipients.get(), L"ResolveAll", DISPATCH_METHOD, nullptr, 0, ignored.get());
  recipients = object(item, L"Recipients");
  if (!recipients || FAILED(get(recipients.get(), L"Count", count))) return false;
  for (int32_t i = 1; i <= count->lVal; ++i) {
    recipients = object(item, L"Recipients");
    const VARIANT index = i4(i);
    Ref<IDispatch> r = recipients ? object(recipients.get(), L"Item", &index) : Ref<IDispatch>();
    if (r && field_holds(r.get(), L"Address")) return true;
  }
  return false;
}

bool accepts(IDispatch *item) {
  Variant cls;
  if (FAILED(get(item, L"Class", cls)) || cls->lVal != 43) return false;
  for (const wchar_t *f : {L"Subject", L"SenderEmailAddress", L"SenderName", L"CC", L"BCC"})
    if (field_holds(item, f)) return true;
  if (recipients_hold(item)) return true;
  Ref<IDispatch> reply = object(item, L"ReplyAll");
  if (reply && recipients_hold(reply.get())) return true;
  return field_holds(item, L"HTMLBody");
}

// The hand-written search: the same lookup and the same calls per item.
size_t find_by_hand(const wchar_t *folder_name) {
  CLSID clsid;
  if (FAILED(CLSIDFromProgID(L"Outlook.Application", &clsid))) return 0;
  Ref<IUnknown> unknown;
  Ref<IDispatch> app;
  if (FAILED(GetActiveObject(clsid, nullptr, unknown.put())) || FAILED(unknown.query(app, IID_IDispatch)))
    if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IDispatch,
                                app.put_void())))
      return 0;
  VARIANT mapi;
  mapi.vt = VT_BSTR;
  mapi.bstrVal = SysAllocString(L"MAPI");
  Ref<IDispatch> ns = object(app.get(), L"GetNamespace", &mapi);
  SysFreeString(mapi.bstrVal);
  if (!ns) return 0;
  VARIANT logon[4];
  logon[3].vt = logon[2].vt = VT_BSTR;
  logon[3].bstrVal = logon[2].bstrVal = SysAllocString(L"");
  logon[1].vt = logon[0].vt = VT_BOOL;
  logon[1].boolVal = logon[0].boolVal = VARIANT_FALSE;
  Variant ignored;
  invoke_by_hand(ns.get(), L"Logon", DISPATCH_METHOD, logon, 4, ignored.get());
  SysFreeString(logon[3].bstrVal);
  Ref<IDispatch> accounts = object(ns.get(), L"Accounts");
  const VARIANT first = i4(1);
  Ref<IDispatch> account = accounts ? object(accounts.get(), L"Item", &first) : Ref<IDispatch>();
  Ref<IDispatch> store = account ? object(account.get(), L"DeliveryStore") : Ref<IDispatch>();
  Ref<IDispatch> root = store ? object(store.get(), L"GetRootFolder") : Ref<IDispatch>();
  Ref<IDispatch> folders = root ? object(root.get(), L"Folders") : Ref<IDispatch>();
  Variant count;
  if (!folders || FAILED(get(folders.get(), L"Count", count))) return 0;
  Ref<IDispatch> folder;
  for (int32_t i = 1; i <= count->lVal && !folder; ++i) {
    const VARIANT index = i4(i);
    Ref<IDispatch> f = object(folders.get(), L"Item", &index);
    Variant name;
    if (f && SUCCEEDED(get(f.get(), L"Name", name)) && name->vt == VT_BSTR && std::wstring(name->bstrVal) == folder_name)
      folder = f;
  }
  Ref<IDispatch> items = folder ? object(folder.get(), L"Items") : Ref<IDispatch>();
  Variant n;
  if (!items || FAILED(get(items.get(), L"Count", n))) return 0;
  size_t found = 0;
  for (int32_t i = 1; i <= n->lVal; ++i) {
    const VARIANT index = i4(i);
    Ref<IDispatch> item = object(items.get(), L"Item", &index);
    if (item && accepts(item.get())) ++found;  // released at once, as the library's caller would
  }
  return found;
}

size_t find_by_library(const wchar_t *folder_name) {
  xComObject *found = Outlook_FindMailsW(0, L"", folder_name, kKeyword, 0, kItems);
  size_t n = 0;
  for (; found && found[n]; ++n) reinterpret_cast<IDispatch *>(found[n])->Release();
  std::free(found);
  return n;
}

Ref<IDispatch> start_client() {
  Ref<IDispatch> app;
  const CLSID &clsid = standin::outlook::kOutlookClsid;
  if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, app.put_void()))) {
    tarvo::bench::import_registration(L"tarvo_outlook_standin.reg");
    CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, app.put_void());
  }
  return app;
}

}  // namespace

int main() {
  Ref<IDispatch> app = start_client();
  if (!app) {
    std::printf("in-process: the stand-in mail client could not be created\n");
    return 1;
  }
  tarvo::bench::stop_journal(app.get());
  // A folder of its own under the first account's root, filled through the test's control member.
  const xComObject ns = Outlook_GetNamespace(reinterpret_cast<xComObject>(app.get()));
  const xComObject inbox = Outlook_MAPI_GetDefaultFolder(ns, 6);
  const xComObject root = Outlook_Folder_GetParent(inbox);
  const xComObject folders = Outlook_Folder_GetFolders(root);
  Outlook_Folders_AddW(folders, L"Bench", 0);
  const xComObject bench = Outlook_FindFolderW(0x2, L"", L"Bench");
  for (int i = 0; i < kItems; ++i) {
    const std::wstring subject = (i % 100 == 0 ? L"needle " : L"item ") + std::to_wstring(i);
    VARIANT args[3];  // in reverse: folder, sender name, sender address
    args[2].vt = VT_DISPATCH;
    args[2].pdispVal = reinterpret_cast<IDispatch *>(bench);
    args[1].vt = args[0].vt = VT_BSTR;
    args[1].bstrVal = SysAllocString(L"Sender");
    args[0].bstrVal = SysAllocString(L"sender@example.com");
    Variant item;
    if (SUCCEEDED(invoke_by_hand(app.get(), L"_Deliver", DISPATCH_METHOD, args, 3, item.get())) &&
        item->vt == VT_DISPATCH)
      Outlook_MailItem_SetSubJectW(reinterpret_cast<xComObject>(item->pdispVal), subject.c_str());
    SysFreeString(args[1].bstrVal);
    SysFreeString(args[0].bstrVal);
  }
  for (xComObject h : {bench, folders, root, inbox, ns}) reinterpret_cast<IDispatch *>(h)->Release();
  const size_t a = find_by_library(L"Bench"), b = find_by_hand(L"Bench");
  std::printf("found %zu by the library, %zu by hand (of %d items)\n", a, b, kItems);
  if (a != 100 || b != 100) return 1;
  tarvo::bench::compare("in-process FindMailsW 10000 items", 3, 1, [] { find_by_library(L"Bench"); },
                        [] { find_by_hand(L"Bench"); }, 1.25);  // the goal: at most 1.25 times
  return 0;
}
