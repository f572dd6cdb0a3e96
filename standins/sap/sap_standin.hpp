// The stand-in SAP GUI scripting engine: class id and names a test needs to
// reach it. Registered (HKLM, by the tests' set-up fixture "sap_standin") for
// "Sapgui.ScriptingCtrl.1" with an in-process server (tarvo_sap_standin.dll)
// whose new object is an engine of its own. The local program
// (tarvo_sap_standin_server.exe) puts a running GUI in the running-object
// table under the file moniker "SAPGUI"; its object answers
// GetScriptingEngine with the one engine of that process.
#pragma once

#include <windows.h>

namespace standin::sap {

// "Sapgui.ScriptingCtrl.1"
inline constexpr CLSID kScriptingClsid = {
    0x5b7cd1a4, 0x2f0e, 0x4d59, {0x9a, 0x43, 0x7e, 0x16, 0xc8, 0x35, 0xb2, 0x91}};

// The display name the running GUI registers under.
inline constexpr const wchar_t *kMonikerName = L"SAPGUI";

// The server program's command line: "<event name>" of an event it sets
// once its object is in the running-object table (optional).

// A member the GUI refuses (an id that is not there, a row past the end):
// raised through EXCEPINFO as scode with DISP_E_EXCEPTION.
inline constexpr HRESULT kRefused = static_cast<HRESULT>(0x80004005);

}  // namespace standin::sap
