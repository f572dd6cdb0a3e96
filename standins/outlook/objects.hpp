// The automation objects of the stand-in mail client, views on the mailbox
// of model.hpp: Application, NameSpace, Accounts, Account, Store, Folders,
// Folder, Items, MailItem (and the items of other classes), Recipients,
// Recipient, Attachments and Attachment.
#pragma once

#include <windows.h>

namespace standin::outlook {

// A new application object carrying one reference, asked for `iid`.
HRESULT create_outlook(REFIID iid, void **out);

// Application objects of this process register in the running-object table
// under this class (the local server's), until Quit.
void register_active_as(const CLSID &clsid);

}  // namespace standin::outlook
