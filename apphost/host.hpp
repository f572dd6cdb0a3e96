// The HTML UI host, shared by the apphost program and the library's LoadGUI:
// the start sequence (engine loaded once per process, one centred main
// window, the page functions attached, the message loop until the window
// closes) and the process-wide state the page functions serve from.
#pragma once

#include "html_engine.hpp"
#include "ime.hpp"
#include "xtable.h"

#include <string>

namespace tarvo::uihost {

// What "SetRetVal" does: nothing in the program, keeps the text in LoadGUI.
enum class ReturnText { Ignored, Kept };

// The six paths served to the page; every folder ends with a separator.
struct HostPaths {
  std::wstring app_file, app_folder;  // the page, absolute
  std::wstring lib_file, lib_folder;  // the engine DLL, absolute
  std::wstring bin_file, bin_folder;  // the running executable
};

// One host per process at a time; replaced on every start.
struct HostState {
  html::Engine engine{};
  HostPaths paths;
  xTable *functions = nullptr;  // name -> PageRow, while the host runs
  HWND window = nullptr;        // owner of the dialogs, window of the input method
  ReturnText return_mode = ReturnText::Ignored;
  std::string return_text;  // UTF-8, the last "SetRetVal" of this start
  ImeSaved ime;             // the page's own input-method switch
};

HostState &host_state();

// Shows the page and returns when its window is closed; false (after the
// error box) when the page is missing, the engine cannot be loaded or
// initialised, or the window cannot be created. Width and height are the
// window's; it is centred on the primary screen.
bool run_host(const wchar_t *engine_dll, const wchar_t *page, int width, int height, ReturnText mode);

// The last "SetRetVal" text of the latest start (UTF-8), as a new library
// string (EmptyString when none), and forgotten.
char *take_return_text();

// The page functions' table for the given engine, without a window (the
// start sequence does this too); released by close_page_functions.
bool open_page_functions(const html::Engine &engine);
void close_page_functions();

// The handler attached to the window: answers the page's scripting method
// calls from the table.
BOOL WINAPI on_engine_event(void *tag, void *element, UINT group, void *record);

}  // namespace tarvo::uihost
