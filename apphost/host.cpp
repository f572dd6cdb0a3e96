// The host start sequence and its process-wide state.
#include "host.hpp"

#include "program.hpp"
#include "runtime.hpp"
#include "xcore.h"
#include "xfile.h"
#include "xpath.h"

#include <ole2.h>

#include <cstring>

namespace tarvo::uihost {

HostState &host_state() {
  static HostState state;
  return state;
}

namespace {

using program::take;

// Known once per process: the engine DLL is loaded only while it is unknown,
// and never unloaded.
html::ApiEntryFn g_api_entry = nullptr;

void error_box(const wchar_t *text) { MessageBoxW(nullptr, text, L"Error", MB_OK | MB_ICONERROR); }

HostPaths paths_for(const wchar_t *engine_dll, const wchar_t *page) {
  HostPaths p;
  p.app_file = take(Path_GetAbsW(page, nullptr));
  p.app_folder = take(Path_FilePathW(p.app_file.c_str()));
  p.lib_file = take(Path_GetAbsW(engine_dll, nullptr));
  p.lib_folder = take(Path_FilePathW(p.lib_file.c_str()));
  p.bin_file = take(xCore_ModFileW(nullptr));
  p.bin_folder = take(xCore_ModPathW(nullptr));
  return p;
}

html::ApiEntryFn find_api_entry(const wchar_t *engine_dll) {
  if (g_api_entry || !engine_dll || !engine_dll[0]) return g_api_entry;
  HMODULE dll = LoadLibraryW(engine_dll);
  if (!dll) return nullptr;
  g_api_entry = reinterpret_cast<html::ApiEntryFn>(GetProcAddress(dll, "SciterAPI"));
  if (!g_api_entry) FreeLibrary(dll);
  return g_api_entry;
}

// Centred on the primary screen; a missing width or height is 0.
RECT centred_frame(int width, int height) {
  const int screen_w = GetSystemMetrics(SM_CXSCREEN), screen_h = GetSystemMetrics(SM_CYSCREEN);
  const LONG left = (screen_w - width) / 2, top = (screen_h - height) / 2;
  return {left, top, left + width, top + height};
}

void run_message_loop() {
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

// Runs from the window's creation to the end of its loop, with OLE initialised
// for the thread and the page functions registered.
bool show_page(const html::Engine &engine, int width, int height) {
  HostState &host = host_state();
  engine.set_option(nullptr, html::kOptionScriptFeatures, html::kAllScriptFeatures);
  engine.set_option(nullptr, html::kOptionDebugMode, 1);
  RECT frame = centred_frame(width, height);
  HWND window = engine.create_window(html::kMainWindowFlags, &frame, nullptr, nullptr, nullptr);
  if (!window) {
    error_box(L"Sciter Create Window failed !");
    return false;
  }
  host.window = window;
  xCore.GuiWindow = window;
  engine.attach_handler(window, on_engine_event, nullptr, html::kScriptingCalls);
  engine.load_file(window, host.paths.app_file.c_str());
  ShowWindow(window, SW_SHOWNORMAL);
  SetForegroundWindow(window);
  run_message_loop();
  host.window = nullptr;
  xCore.GuiWindow = nullptr;
  return true;
}

}  // namespace

bool run_host(const wchar_t *engine_dll, const wchar_t *page, int width, int height, ReturnText mode) {
  HostState &host = host_state();
  host.return_mode = mode;
  host.return_text.clear();  // a start never returns an earlier start's text
  if (!page || !xFile_ExistsW(page)) {
    error_box(L"Cannot find html file !");
    return false;
  }
  html::ApiEntryFn entry = find_api_entry(engine_dll);
  if (!entry) {
    error_box(L"Sciter Dll LoadLibrary failed !");
    return false;
  }
  const void *table = entry();
  if (!table) {
    error_box(L"Sciter Initialization failed !");
    return false;
  }
  const HRESULT ole = OleInitialize(nullptr);
  bool shown = false;
  try {
    host.paths = paths_for(engine_dll, page);
    if (open_page_functions(html::Engine::from_table(table))) shown = show_page(host.engine, width, height);
  } catch (...) {
    shown = false;  // out of memory before the window was made
  }
  close_page_functions();
  if (SUCCEEDED(ole)) OleUninitialize();
  return shown;
}

char *take_return_text() {
  std::string &text = host_state().return_text;
  char *result = text.empty() ? nullptr : alloc_result<char>(text.size() + 1);
  if (result) std::memcpy(result, text.data(), text.size() + 1);
  text.clear();
  return result ? result : empty_a();
}

}  // namespace tarvo::uihost
