// The automation objects of the stand-in mail client, views on the mailbox
// of model.hpp: Application, NameSpace, Accounts, Account, Store, Folders,
// Folder, Items, MailItem (and the items of other classes), Recipients,
// Recipient, Attachments and Attachment.
#pragma once

#include <windows.h>

namespace standin::outlook {

// A new application object carrying one reference, asked for `iid`.
HRESULT create_outlook(REFIID iid, void **out);

}  // namespace standin::outlook
