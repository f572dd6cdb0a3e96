// The stand-in spreadsheet server: class ids and what a test needs to reach
// it. Registered (HKLM, by the tests' set-up fixture "excel_standin") for
// "Excel.Application" and "KET.Application", each with an in-process server
// (tarvo_excel_standin.dll) and a local server
// (tarvo_excel_standin_server.exe). CreateObject prefers the in-process one;
// CoCreateInstance with CLSCTX_LOCAL_SERVER starts the local server, whose
// application object is in the running-object table under its class id
// until Quit, so GetActiveObject (Excel_GetObject) attaches to it.
#pragma once

#include <windows.h>

namespace standin::excel {

// "Excel.Application"
inline constexpr CLSID kExcelClsid = {
    0x73de1d30, 0x731c, 0x4c3e, {0xaf, 0x97, 0x48, 0xa0, 0xb5, 0xfc, 0xed, 0xbd}};
// "KET.Application" (WPS Spreadsheets)
inline constexpr CLSID kWpsClsid = {
    0x704df992, 0xe249, 0x452b, {0xaf, 0x39, 0x58, 0xf5, 0xe6, 0xb4, 0x40, 0x40}};

// "TarvoStandin.Excel.Local" and "TarvoStandin.KET.Local": the local server
// only, so that any client (a script through its COM functions too) can
// start one. Its application objects register in the running-object table
// under kExcelClsid (kWpsClsid), where Excel_GetObject finds them.
inline constexpr CLSID kExcelLocalClsid = {
    0x1a6ba77a, 0x021f, 0x410b, {0xbd, 0x9b, 0x45, 0xb7, 0xb0, 0xa2, 0x4f, 0x41}};
inline constexpr CLSID kWpsLocalClsid = {
    0x1f29fc59, 0xb8ca, 0x426c, {0x8b, 0x3e, 0xa5, 0x26, 0x8e, 0xa4, 0x4b, 0xef}};

// HRESULT of a member the application refuses (its "method failed" code,
// raised through EXCEPINFO as scode with DISP_E_EXCEPTION).
inline constexpr HRESULT kRefused = static_cast<HRESULT>(0x800A03EC);

}  // namespace standin::excel
