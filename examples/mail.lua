-- A mail with attachments: written, addressed and sent through the mail
-- client, then found again in the recipient's Inbox, its attachments saved
-- into a folder and a reply prepared.
local T = require "TARVO"

local app = T.Outlook_Create()
local ns = T.Outlook_GetNamespace(app)
T.Outlook_MAPI_Logon(ns, "", "", false, false)
print("signed in as " .. T.Outlook_MAPI_GetCurrentUser(ns, 0))

-- Two files to attach, in a folder of our own.
local dir = T.Path_GetAbs("mail_example")
T.Folder_Create(dir)
T.Folder_Create(dir .. "\\saved")
T.File_WriteAll(dir .. "\\report.csv", "month,total\nJanuary,1200\n")
T.File_WriteAll(dir .. "\\notes.txt", "Figures are preliminary.")

-- The mail: subject, body, addresses, importance and the two attachments.
local mail = T.Outlook_CreateMail(app)
T.Outlook_MailItem_SetSubJect(mail, "Monthly report: January")
T.Outlook_MailItem_SetBody(mail, "Hello,\nthe January figures are attached.\n")
T.Outlook_MailItem_SetTo(mail, "ops.desk@example.org")
T.Outlook_MailItem_SetCC(mail, "Li Wei")
T.Outlook_MailItem_SetImportance(mail, 2)
T.Outlook_MailItem_Attachments_Add(mail, dir .. "\\report.csv")
T.Outlook_MailItem_Attachments_Add(mail, dir .. "\\notes.txt")
for i = 1, T.Outlook_MailItem_Attachments_Count(mail) do
  print(string.format("attached %s (%d bytes)", T.Outlook_MailItem_Attachments_GetDisplayName(mail, i),
    T.Outlook_MailItem_Attachments_GetSize(mail, i)))
end
T.Outlook_MailItem_Recipients_ResolveAll(mail)
for i = 1, T.Outlook_MailItem_Recipients_Count(mail) do
  print(string.format("recipient %s <%s>", T.Outlook_MailItem_Recipients_GetName(mail, i),
    T.Outlook_MailItem_Recipients_GetMail(mail, i)))
end
print("sent: " .. tostring(T.Outlook_MailItem_Send(mail)))
T.COM_Release(mail)

-- The mail as the Ops Desk account received it: found by a word of its
-- subject (flag 0x1: the account address must match exactly).
local found = T.Outlook_FindMails(0x1, "ops.desk@example.org", "Inbox", "january", 0, 10)
print("found in the Ops Desk Inbox: " .. #found)
local received = found[1]
print(string.format("from %s <%s>: %s", T.Outlook_MailItem_GetSenderName(received),
  T.Outlook_MailItem_GetSenderEmailAddress(received), T.Outlook_MailItem_GetSubJect(received)))
print("unread: " .. tostring(T.Outlook_MailItem_GetUnRead(received)))

-- Every attachment saved by its display name.
for _, path in ipairs(T.Outlook_MailItem_Attachments_SaveAll(received, dir .. "\\saved", 1)) do
  local text = T.File_ReadAll(path)
  print(string.format("saved %s (%d bytes): %s", T.Path_FileNameExt(path), #text, text:match("[^\n]*")))
end

-- A reply to all, not sent.
local reply = T.Outlook_MailItem_ReplyAll(received)
print("reply to: " .. T.Outlook_MailItem_GetTo(reply))
print("reply subject: " .. T.Outlook_MailItem_GetSubJect(reply))

for _, h in ipairs({reply, received, ns, app}) do T.COM_Release(h) end
T.Folder_Delete(dir)  -- the files and the saved folder; the emptied folder itself stays
