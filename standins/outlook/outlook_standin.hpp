// The stand-in mail client: class ids and what a test needs to reach it.
// Registered (HKLM, by the tests' set-up fixture "outlook_standin") for
// "Outlook.Application" with an in-process server
// (tarvo_outlook_standin.dll) and a local server
// (tarvo_outlook_standin_server.exe). CreateObject prefers the in-process
// one; CoCreateInstance with CLSCTX_LOCAL_SERVER starts the local server,
// whose application objects are in the running-object table under the class
// id until Quit, so GetActiveObject (Outlook_GetObject) attaches to them.
// One mailbox per process: every application object of a process looks at it.
#pragma once

#include <windows.h>

namespace standin::outlook {

// "Outlook.Application"
inline constexpr CLSID kOutlookClsid = {
    0x71e95ec7, 0xa09b, 0x48ea, {0xa1, 0xbf, 0x50, 0x4f, 0x2c, 0xd0, 0xee, 0xf8}};
// "TarvoStandin.Outlook.Local": the local server only, so that any client (a
// script through its COM functions too) can start one; its application
// objects register in the running-object table under kOutlookClsid.
inline constexpr CLSID kOutlookLocalClsid = {
    0xa84a1a51, 0x9d2e, 0x4438, {0xaf, 0xa0, 0x0b, 0x2e, 0x67, 0x5e, 0xb6, 0xd9}};

// The scode of a member the mail client refuses (raised through EXCEPINFO
// with DISP_E_EXCEPTION), and of an item that was sent or deleted.
inline constexpr HRESULT kRefused = static_cast<HRESULT>(0x80004005);
inline constexpr HRESULT kItemGone = static_cast<HRESULT>(0x8004010A);

}  // namespace standin::outlook
