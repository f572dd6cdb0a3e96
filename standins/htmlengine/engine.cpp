// The stand-in HTML engine: SciterAPI hands out a table with the eight
// operations the host uses (every other slot journals an unexpected call),
// the create operation makes a real window, and the page loader reads a list
// of page calls (README.md) that the window issues through the attached
// handler once the host's message loop runs; then it closes the window,
// which ends the loop as a main window does.
#include "file_text.hpp"
#include "html_engine.hpp"
#include "journal.hpp"
#include "values.hpp"

#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace htmlengine {
namespace {

using namespace tarvo::html;

constexpr int kSlots = 160;
constexpr UINT kRunPage = WM_APP + 1;
constexpr wchar_t kWindowClass[] = L"TarvoHtmlEngineStandin";

struct Argument {
  char kind;  // s: text, u: unterminated text, i: integer, b: boolean
  std::string text;
};
struct PageCall {
  std::string name;
  std::vector<Argument> args;
};

struct Window {
  HWND hwnd = nullptr;
  EventHandler handler = nullptr;
  void *tag = nullptr;
  std::vector<PageCall> calls;
} g_window;

// The fault the environment asks for: "api" (no table) or "create" (no window).
bool fault(const char *which) {
  const char *f = std::getenv("TARVO_HTMLENGINE_FAULT");
  return f && std::string(f) == which;
}

std::vector<PageCall> read_page(const wchar_t *path) {
  std::vector<PageCall> calls;
  std::ifstream in(path, std::ios::binary);
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("\xEF\xBB\xBF", 0) == 0) line.erase(0, 3);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    std::stringstream fields(line);
    PageCall call;
    std::getline(fields, call.name, '\t');
    for (std::string field; std::getline(fields, field, '\t');)
      call.args.push_back({field.empty() ? 's' : field[0], field.size() > 2 ? field.substr(2) : ""});
    calls.push_back(std::move(call));
  }
  return calls;
}

void make_value(Value &value, const Argument &arg) {
  switch (arg.kind) {
    case 'i': set_integer(value, std::atoi(arg.text.c_str()), kInteger); break;
    case 'b': set_integer(value, std::atoi(arg.text.c_str()), kBoolean); break;
    default: {
      const std::wstring text = standin::wide(arg.text);
      set_text(value, text.data(), text.size(), arg.kind != 'u');
    }
  }
}

// One scripting method call through the host's handler, with a proper record.
void issue(const PageCall &call) {
  std::vector<Value> argv(call.args.size());
  for (size_t i = 0; i < argv.size(); ++i) make_value(argv[i], call.args[i]);
  MethodCall record{call.name.c_str(), argv.empty() ? nullptr : argv.data(), static_cast<uint32_t>(argv.size()), {}};
  BOOL handled = g_window.handler
                     ? g_window.handler(g_window.tag, g_window.hwnd, kScriptingCalls, &record)
                     : FALSE;
  journal("call\t" + call.name + "\t" + std::to_string(handled ? 1 : 0) + "\t" + describe(record.result));
  clear(record.result);
  for (Value &v : argv) clear(v);
}

LRESULT CALLBACK window_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case kRunPage: {
      std::vector<PageCall> calls = std::move(g_window.calls);
      for (const PageCall &call : calls) issue(call);
      journal("close");
      DestroyWindow(hwnd);
      return 0;
    }
    case WM_DESTROY:
      g_window = {};
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

BOOL WINAPI load_file(HWND window, const wchar_t *path) {
  journal_open(path ? path : L"");
  journal("load\t" + (path ? utf8(path, wcslen(path)) : std::string("<null>")));
  if (!window || window != g_window.hwnd || !path) return FALSE;
  g_window.calls = read_page(path);
  PostMessageW(window, kRunPage, 0, 0);
  return TRUE;
}

BOOL WINAPI set_option(HWND window, UINT option, UINT_PTR value) {
  journal("option\t" + std::string(window ? "window" : "global") + "\t" + std::to_string(option) + "\t" +
          std::to_string(value));
  return TRUE;
}

HWND WINAPI create_window(UINT flags, RECT *frame, void *delegate, void *param, HWND parent) {
  RECT r = frame ? *frame : RECT{};
  journal("create\t" + std::to_string(flags) + "\t" + std::to_string(r.left) + "\t" + std::to_string(r.top) + "\t" +
          std::to_string(r.right) + "\t" + std::to_string(r.bottom) + "\t" +
          std::to_string((delegate ? 1 : 0) + (param ? 2 : 0) + (parent ? 4 : 0)));
  if (fault("create")) return nullptr;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = window_proc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = kWindowClass;
  RegisterClassExW(&wc);  // a second registration fails harmlessly
  g_window = {};
  g_window.hwnd = CreateWindowExW(0, kWindowClass, L"html page", WS_OVERLAPPEDWINDOW, r.left, r.top,
                                  r.right - r.left, r.bottom - r.top, parent, nullptr, wc.hInstance, nullptr);
  return g_window.hwnd;
}

int32_t WINAPI attach_handler(HWND window, EventHandler handler, void *tag, UINT subscription) {
  journal("attach\t" + std::to_string(subscription) + "\t" + std::string(tag ? "tag" : "no tag"));
  if (!window || window != g_window.hwnd) return 1;
  g_window.handler = handler;
  g_window.tag = tag;
  return 0;
}

template <int N>
void WINAPI unexpected() {
  journal("unexpected\t" + std::to_string(N));
}

template <int... N>
void fill_unexpected(void **slots, std::integer_sequence<int, N...>) {
  ((slots[N] = reinterpret_cast<void *>(&unexpected<N>)), ...);
}

struct Table {
  void *slots[kSlots];
  Table() {
    fill_unexpected(slots, std::make_integer_sequence<int, kSlots>{});
    slots[0] = reinterpret_cast<void *>(uintptr_t{0x00040000});  // the version word
    slots[kSlotLoadFile] = reinterpret_cast<void *>(&load_file);
    slots[kSlotSetOption] = reinterpret_cast<void *>(&set_option);
    slots[kSlotCreateWindow] = reinterpret_cast<void *>(&create_window);
    slots[kSlotAttachHandler] = reinterpret_cast<void *>(&attach_handler);
    slots[kSlotGetText] = reinterpret_cast<void *>(&get_text_slot);
    slots[kSlotSetText] = reinterpret_cast<void *>(&set_text_slot);
    slots[kSlotGetInteger] = reinterpret_cast<void *>(&get_integer_slot);
    slots[kSlotSetInteger] = reinterpret_cast<void *>(&set_integer_slot);
  }
};

}  // namespace
}  // namespace htmlengine

extern "C" const void *WINAPI SciterAPI() {
  static const htmlengine::Table table;
  htmlengine::journal_restart();
  htmlengine::journal("api");
  return htmlengine::fault("api") ? nullptr : table.slots;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, void *) {
  if (reason == DLL_PROCESS_ATTACH) htmlengine::journal("dll loaded");
  return TRUE;
}
