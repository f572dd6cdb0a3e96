// The stand-in presentation program: its class id and what a test needs to
// reach it. Registered (HKLM, by the tests' set-up fixture "ppt_standin")
// for "PowerPoint.Application" with an in-process server
// (tarvo_ppt_standin.dll) and a local server (tarvo_ppt_standin_server.exe).
// CreateObject prefers the in-process one; CoCreateInstance with
// CLSCTX_LOCAL_SERVER starts the local server, whose application object is
// in the running-object table under the class id until Quit, so
// GetActiveObject (PPT_GetObject) attaches to it.
#pragma once

#include <windows.h>

namespace standin::ppt {

// "PowerPoint.Application"
inline constexpr CLSID kPptClsid = {
    0x22509dee, 0xf688, 0x4bf8, {0xb8, 0x4a, 0x54, 0x97, 0x65, 0x21, 0x2d, 0x9c}};

// HRESULT of a member the program refuses, raised through EXCEPINFO as
// scode with DISP_E_EXCEPTION.
inline constexpr HRESULT kRefused = E_FAIL;

}  // namespace standin::ppt
