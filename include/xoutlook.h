/* The Outlook mail client through automation: the application, mail items
 * (subject, bodies, addresses, recipients, importance, attachments), replies
 * and forwards, the messaging namespace, accounts, stores, folders and items,
 * and four composite members: one-call sending, saving every attachment, and
 * the folder and mail searches.
 *
 * Every object (application, namespace, accounts collection, account, store,
 * folders collection, folder, items collection, mail item, reply or forward
 * item) is its IDispatch pointer carried as an xComObject; a member returning
 * one hands the caller a reference to release (COM_Release from scripts). A
 * handle of 0, a missing member or an error raised by the mail client gives
 * the member's failure value (0 or EmptyString). Only the composite members
 * write the result registers (iRetSize, iRet) and the last-error text.
 *
 * The plain members are the rows below (include/tarvo_members.h explains the
 * columns): export name, kind, member expression, Lua result, arguments.
 * A mail item is an item of class 43; the CC and BCC readers and the mail
 * search act on such items only.
 *
 * The lists the attachment saving and the mail search return end with a null
 * entry; the caller releases each path with xCore_free (each item handle like
 * any other handle) and the list itself with free, or with the record's free
 * slot while the collected heap runs. The search failures are named in
 * LastError by constant UTF-8 texts ("账号匹配失败", ...), the match flag of the
 * latest comparison is in iRet. */
#ifndef TARVO_XOUTLOOK_H
#define TARVO_XOUTLOOK_H

#include "tarvo_members.h"

/* clang-format off */
#define XOUTLOOK_MEMBERS(M) \
  M(One, Outlook_Create,                         create, L"Outlook.Application",                     Lint,  Void) \
  M(One, Outlook_GetObject,                      attach, L"Outlook.Application",                     Lint,  Void) \
  M(WA,  Outlook_Version,                        text,   L".Version",                                Ltext, Obj) \
  M(One, Outlook_Quit,                           call,   L".Quit()",                                 Lbool, Obj) \
  M(One, Outlook_CreateMail,                     object, L".CreateItem(%d)",                         Lint,  Obj, Fixed(0)) \
  M(One, Outlook_MailItem_Delete,                call,   L".Delete()",                               Lbool, Obj) \
  M(One, Outlook_MailItem_Move,                  call,   L".Move(%o)",                               Lbool, Obj, Obj) \
  M(One, Outlook_MailItem_Copy,                  object, L".Copy()",                                 Lint,  Obj) \
  M(One, Outlook_MailItem_GetClass,              int,    L".Class",                                  Lint,  Obj) \
  M(WA,  Outlook_MailItem_SetSubJect,            put,    L".SubJect = %S",                           Lbool, Obj, Text) \
  M(WA,  Outlook_MailItem_GetSubJect,            text,   L".SubJect",                                Ltext, Obj) \
  M(One, Outlook_MailItem_SetBodyFormat,         put,    L".BodyFormat = %d",                        Lbool, Obj, Int) \
  M(One, Outlook_MailItem_GetBodyFormat,         int,    L".BodyFormat",                             Lint,  Obj) \
  M(WA,  Outlook_MailItem_SetBody,               put,    L".Body = %S",                              Lbool, Obj, Text) \
  M(WA,  Outlook_MailItem_GetBody,               text,   L".Body",                                   Ltext, Obj) \
  M(WA,  Outlook_MailItem_SetHTMLBody,           put,    L".HTMLBody = %S",                          Lbool, Obj, Text) \
  M(WA,  Outlook_MailItem_GetHTMLBody,           text,   L".HTMLBody",                               Ltext, Obj) \
  M(WA,  Outlook_MailItem_SetTo,                 put,    L".To = %S",                                Lbool, Obj, Text) \
  M(WA,  Outlook_MailItem_GetTo,                 text,   L".To",                                     Ltext, Obj) \
  M(WA,  Outlook_MailItem_GetSenderEmailAddress, text,   L".SenderEmailAddress",                     Ltext, Obj) \
  M(WA,  Outlook_MailItem_GetSenderName,         text,   L".SenderName",                             Ltext, Obj) \
  M(WA,  Outlook_MailItem_SetCC,                 put,    L".CC = %S",                                Lbool, Obj, Text) \
  M(WA,  Outlook_MailItem_GetCC,                 text,   mail_only(L".CC"),                          Ltext, Obj) \
                                                         /* Reads the CC line of a mail item; fails for items of other \
                                                            classes. */ \
  M(WA,  Outlook_MailItem_SetBCC,                put,    L".BCC = %S",                               Lbool, Obj, Text) \
  M(WA,  Outlook_MailItem_GetBCC,                text,   mail_only(L".BCC"),                         Ltext, Obj) \
                                                         /* Reads the BCC line of a mail item; fails for items of other \
                                                            classes. */ \
  M(WA,  Outlook_MailItem_GetReceivedTime,       text,   L".ReceivedTime",                           Ltext, Obj) \
  M(WA,  Outlook_MailItem_GetCreationTime,       text,   L".CreationTime",                           Ltext, Obj) \
  M(WA,  Outlook_MailItem_Recipients_Add,        call,   L".Recipients.Add(%S)",                     Lint,  Obj, Text) \
  M(One, Outlook_MailItem_Recipients_ResolveAll, call,   L".Recipients.ResolveAll()",                Lbool, Obj) \
  M(WA,  Outlook_MailItem_Recipients_GetName,    text,   L".Recipients.Item(%d).Name",               Ltext, Obj, Int) \
  M(WA,  Outlook_MailItem_Recipients_GetMail,    text,   L".Recipients.Item(%d).Address",            Ltext, Obj, Int) \
  M(One, Outlook_MailItem_Recipients_Remove,     call,   L".Recipients.Remove(%d)",                  Lbool, Obj, Int) \
  M(One, Outlook_MailItem_Recipients_Count,      int,    L".Recipients.Count",                       Lint,  Obj) \
  M(One, Outlook_MailItem_SetImportance,         put,    L".Importance = %d",                        Lint,  Obj, Int) \
  M(One, Outlook_MailItem_GetImportance,         int,    L".Importance",                             Lint,  Obj) \
  M(WA,  Outlook_MailItem_Attachments_Add,       call,   L".Attachments.Add(%S)",                    Lint,  Obj, Text) \
  M(One, Outlook_MailItem_Attachments_Remove,    call,   L".Attachments.Remove(%d)",                 Lbool, Obj, Int) \
  M(One, Outlook_MailItem_Attachments_Count,     int,    L".Attachments.Count",                      Lint,  Obj) \
  M(WA,  Outlook_MailItem_Attachments_GetDisplayName, text, L".Attachments.Item(%d).DisplayName",    Ltext, Obj, Int) \
  M(WA,  Outlook_MailItem_Attachments_GetFileName, text, L".Attachments.Item(%d).FileName",          Ltext, Obj, Int) \
  M(WA,  Outlook_MailItem_Attachments_GetPathName, text, L".Attachments.Item(%d).PathName",          Ltext, Obj, Int) \
  M(One, Outlook_MailItem_Attachments_GetSize,   int,    L".Attachments.Item(%d).Size",              Lint,  Obj, Int) \
  M(One, Outlook_MailItem_Attachments_GetType,   int,    L".Attachments.Item(%d).Type",              Lint,  Obj, Int) \
  M(One, Outlook_MailItem_Attachments_GetClass,  int,    L".Attachments.Item(%d).Class",             Lint,  Obj, Int) \
  M(WA,  Outlook_MailItem_Attachments_SaveAsFile, call,  L".Attachments.Item(%d).SaveAsFile(%S)",    Lbool, Obj, Int, Text) \
  M(One, Outlook_MailItem_Send,                  call,   L".Send()",                                 Lbool, Obj) \
  M(One, Outlook_MailItem_Close,                 call,   L".Close(%d)",                              Lbool, Obj, Int) \
  M(One, Outlook_MailItem_Display,               call,   L".Display(%b)",                            Lbool, Obj, Flag) \
  M(One, Outlook_MailItem_Forward,               object, L".Forward()",                              Lint,  Obj) \
  M(One, Outlook_MailItem_Reply,                 object, L".Reply()",                                Lint,  Obj) \
  M(One, Outlook_MailItem_ReplyAll,              object, L".ReplyAll()",                             Lint,  Obj) \
  M(WA,  Outlook_MailItem_ReplyRecipientNames,   text,   L".ReplyRecipientNames",                    Ltext, Obj) \
  M(WA,  Outlook_MailItem_ReplyRecipients,       text,   joined(L".ReplyRecipients.Count", L".ReplyRecipients.Item(%d).Address"), \
                                                                                                     Ltext, Obj) \
                                                         /* Reads the reply recipients' addresses as one text, "; " between \
                                                            them. */ \
  M(WA,  Outlook_MailItem_ReplyRecipients_GetName, text, L".ReplyRecipients.Item(%d).Name",          Ltext, Obj, Int) \
  M(WA,  Outlook_MailItem_ReplyRecipients_GetMail, text, L".ReplyRecipients.Item(%d).Address",       Ltext, Obj, Int) \
  M(One, Outlook_MailItem_ReplyRecipients_Count, int,    L".ReplyRecipients.Count",                  Lint,  Obj) \
  M(One, Outlook_MailItem_GetUnRead,             flag,   L".UnRead",                                 Lbool, Obj) \
  M(One, Outlook_MailItem_SetUnRead,             put,    L".UnRead = %b",                            Lbool, Obj, Flag) \
  M(One, Outlook_MailItem_Save,                  call,   L".Save()",                                 Lbool, Obj) \
  M(WA,  Outlook_MailItem_SaveAs,                call,   L".SaveAs(%S)",                             Lbool, Obj, Text) \
  M(One, Outlook_GetNamespace,                   object, with_text(L"MAPI", L".GetNamespace(%S)"),   Lint,  Obj) \
                                                         /* Gets the messaging (MAPI) namespace. */ \
  M(WA,  Outlook_MAPI_Logon,                     call,   L".Logon(%S, %S, %b, %b)",                  Lbool, Obj, Text, Text, Flag, Flag) \
  M(One, Outlook_MAPI_GetAccounts,               object, L".Accounts",                               Lint,  Obj) \
  M(WA,  Outlook_MAPI_GetCurrentUser,            text,   L".CurrentUser",                            NoLua, Obj) \
  M(One, Outlook_MAPI_GetDefaultFolder,          object, L".GetDefaultFolder(%d)",                   Lint,  Obj, Int) \
  M(One, Outlook_MAPI_GetFolders,                object, L".Folders",                                Lint,  Obj) \
  M(One, Outlook_Folders_GetCount,               int,    L".Count",                                  Lint,  Obj) \
  M(WA,  Outlook_Folders_Add,                    call,   L".Add(%S, %d)",                            Lbool, Obj, Text, Int) \
  M(One, Outlook_Folders_Remove,                 call,   L".Remove(%d)",                             Lbool, Obj, Int) \
  M(One, Outlook_Folders_GetItem,                object, L".Item(%d)",                               Lint,  Obj, Int) \
  M(One, Outlook_Folder_GetFolders,              object, L".Folders",                                Lint,  Obj) \
  M(One, Outlook_Folder_GetParent,               object, L".Parent",                                 Lint,  Obj) \
  M(WA,  Outlook_Folder_GetName,                 text,   L".Name",                                   Ltext, Obj) \
  M(WA,  Outlook_Folder_SetName,                 put,    L".Name = %S",                              Lbool, Obj, Text) \
  M(WA,  Outlook_Folder_GetFolderPath,           text,   L".FolderPath",                             Ltext, Obj) \
  M(One, Outlook_Folder_DefaultItemType,         int,    L".DefaultItemType",                        Lint,  Obj) \
  M(One, Outlook_Folder_GetItems,                object, L".Items",                                  Lint,  Obj) \
  M(One, Outlook_Items_GetCount,                 int,    L".Count",                                  Lint,  Obj) \
  M(One, Outlook_Items_GetItem,                  object, L".Item(%d)",                               Lint,  Obj, Int) \
  M(One, Outlook_Accounts_GetCount,              int,    L".Count",                                  Lint,  Obj) \
  M(One, Outlook_Accounts_GetItem,               object, L".Item(%d)",                               Lint,  Obj, Int) \
  M(WA,  Outlook_Account_SmtpAddress,            text,   L".SmtpAddress",                            Ltext, Obj) \
  M(WA,  Outlook_Account_UserName,               text,   L".UserName",                               Ltext, Obj) \
  M(WA,  Outlook_Account_DisplayName,            text,   L".DisplayName",                            Ltext, Obj) \
  M(One, Outlook_Account_DeliveryStore,          object, L".DeliveryStore",                          Lint,  Obj) \
  M(One, Outlook_Account_GetRootFolder,          object, L".DeliveryStore.GetRootFolder()",          Lint,  Obj) \
  M(One, Outlook_Account_GetDefaultFolder,       object, L".DeliveryStore.GetDefaultFolder(%d)",     NoLua, Obj, Int) \
  M(One, Outlook_Store_GetRootFolder,            object, L".GetRootFolder()",                        Lint,  Obj) \
  M(One, Outlook_Store_GetDefaultFolder,         object, L".GetDefaultFolder(%d)",                   Lint,  Obj, Int)
/* clang-format on */

/* Bits of the search flags (Outlook_FindFolder..., Outlook_FindMails...); a
 * set bit changes the default. */
#define OUTLOOK_ACCOUNT_EQUALS 0x1       /* the SMTP address equals the account text (default: contains it) */
#define OUTLOOK_FOLDER_EQUALS 0x2        /* the folder name equals the folder text (default: contains it) */
#define OUTLOOK_CASE_SENSITIVE 0x4       /* comparisons respect case (default: case ignored) */
#define OUTLOOK_PLAIN_BODY 0x80          /* the keyword is sought in the plain body (default: the HTML body) */
#define OUTLOOK_SKIP_SUBJECT 0x100
#define OUTLOOK_SKIP_BODY 0x200
#define OUTLOOK_SKIP_SENDER_ADDRESS 0x400
#define OUTLOOK_SKIP_SENDER_NAME 0x800
#define OUTLOOK_SKIP_RECIPIENTS 0x1000
#define OUTLOOK_SKIP_CC 0x2000
#define OUTLOOK_SKIP_BCC 0x4000
#define OUTLOOK_SKIP_REPLY_ALL 0x8000
#define OUTLOOK_ONLY_UNREAD 0x10000

#ifdef __cplusplus
extern "C" {
#endif

XOUTLOOK_MEMBERS(TARVO_MEMBER_DECLARE)

/* Sends a new mail (To, subject, body) in one call; 1 when sent, 0 on failure (the item is released either way). */
TARVO_API int32_t Outlook_SendMailW(xComObject app, const wchar_t *to, const wchar_t *subject, const wchar_t *body);
/* Sends a new mail with ANSI texts; as Outlook_SendMailW. */
TARVO_API int32_t Outlook_SendMailA(xComObject app, const char *to, const char *subject, const char *body);

/* Saves every attachment into the folder under a safe, distinct name; the zero-ended list of saved paths (iRetSize their number). */
TARVO_API wchar_t **Outlook_MailItem_Attachments_SaveAllW(xComObject mail, const wchar_t *folder, int32_t useDisplayName);
/* Saves every attachment, ANSI folder and paths (a name the code page cannot spell by its short path); as the W form. */
TARVO_API char **Outlook_MailItem_Attachments_SaveAllA(xComObject mail, const char *folder, int32_t useDisplayName);

/* Finds a folder under an account's root folder by account and folder text; the folder, or 0 (LastError names a failure before the folder). */
TARVO_API xComObject Outlook_FindFolderW(int32_t flags, const wchar_t *account, const wchar_t *folder);
/* Finds a folder with ANSI texts; as Outlook_FindFolderW. */
TARVO_API xComObject Outlook_FindFolderA(int32_t flags, const char *account, const char *folder);

/* Finds up to maxCount mail items holding the keyword in the folder found as by Outlook_FindFolderW; a zero-ended handle list, or null. */
TARVO_API xComObject *Outlook_FindMailsW(int32_t flags, const wchar_t *account, const wchar_t *folder,
                                         const wchar_t *keyword, int32_t ignored, int32_t maxCount);
/* Finds mail items with ANSI texts; as Outlook_FindMailsW. */
TARVO_API xComObject *Outlook_FindMailsA(int32_t flags, const char *account, const char *folder, const char *keyword,
                                         int32_t ignored, int32_t maxCount);

#ifdef __cplusplus
}
#endif
#endif
