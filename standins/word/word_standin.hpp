// The stand-in word processor: class ids and what a test needs to reach it.
// Registered (HKLM, by the tests' set-up fixture "word_standin") for
// "Word.Application" with an in-process server (tarvo_word_standin.dll) and
// a local server (tarvo_word_standin_server.exe). CreateObject prefers the
// in-process one; CoCreateInstance with CLSCTX_LOCAL_SERVER starts the local
// server, whose application object is in the running-object table under its
// class id until Quit, so GetActiveObject (Word_GetObject) attaches to it.
#pragma once

#include <windows.h>

namespace standin::word {

// "Word.Application"
inline constexpr CLSID kWordClsid = {
    0xd64b0c97, 0x7cd2, 0x4ef3, {0xae, 0xcc, 0x7d, 0x64, 0x3a, 0xe0, 0xe5, 0x6c}};
// "TarvoStandin.Word.Local": the local server only, so that any client (a
// script through its COM functions too) can start one; its application
// objects register in the running-object table under kWordClsid.
inline constexpr CLSID kWordLocalClsid = {
    0x1a5aa1ed, 0xa124, 0x4f5d, {0x94, 0x87, 0xc7, 0x3c, 0x75, 0xcb, 0x6d, 0x3f}};

}  // namespace standin::word
