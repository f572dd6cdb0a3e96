// A window program for the window and daemon tests.
//
//   window_host [--class C] [--title T] [--style S] [--exstyle E]
//               [--children N] [--popup T] [--long-title N] [--hang MS]
//               [--msgbox T]
//
// Shows one top-level window (class C, default "TarvoHost"; title T) with N
// button children (ids 101...; the last one has a child of its own, class
// "Static"), optionally an owned pop-up titled T. --long-title gives the
// main window a title of N letters "x". --hang stops pumping messages for MS
// milliseconds once the windows exist (the messages wait in the queue).
// --msgbox shows a message box titled T (OK and Cancel) instead and exits
// with the button's result. Otherwise the program ends when its main window
// is closed.
#include <windows.h>
#include <shellapi.h>

#include <cstdlib>
#include <string>

namespace {

LRESULT CALLBACK main_proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_DESTROY) PostQuitMessage(0);
  return DefWindowProcW(w, m, wp, lp);
}

std::wstring option(int argc, wchar_t **argv, const wchar_t *name, const wchar_t *fallback) {
  for (int i = 1; i + 1 < argc; ++i)
    if (std::wstring(argv[i]) == name) return argv[i + 1];
  return fallback;
}

}  // namespace

int main() {
  int argc = 0;
  wchar_t **argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::wstring box = option(argc, argv, L"--msgbox", L"");
  if (!box.empty()) return MessageBoxW(nullptr, L"Message", box.c_str(), MB_OKCANCEL);

  std::wstring cls = option(argc, argv, L"--class", L"TarvoHost");
  std::wstring title = option(argc, argv, L"--title", L"");
  size_t long_title = wcstoul(option(argc, argv, L"--long-title", L"0").c_str(), nullptr, 10);
  if (long_title) title.assign(long_title, L'x');
  DWORD style = wcstoul(option(argc, argv, L"--style", L"0x10CF0000").c_str(), nullptr, 0);  // visible overlapped
  DWORD ex_style = wcstoul(option(argc, argv, L"--exstyle", L"0").c_str(), nullptr, 0);
  int children = _wtoi(option(argc, argv, L"--children", L"0").c_str());
  std::wstring popup = option(argc, argv, L"--popup", L"");
  DWORD hang = wcstoul(option(argc, argv, L"--hang", L"0").c_str(), nullptr, 10);

  WNDCLASSW wc{};
  wc.lpfnWndProc = main_proc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = cls.c_str();
  RegisterClassW(&wc);
  HWND main_window = CreateWindowExW(ex_style, cls.c_str(), title.c_str(), style, 10, 10, 300, 200, nullptr,
                                     nullptr, wc.hInstance, nullptr);
  if (!main_window) return 2;
  HWND last = nullptr;
  for (int i = 0; i < children; ++i)
    last = CreateWindowExW(0, L"Button", (L"Button " + std::to_wstring(i + 1)).c_str(), WS_CHILD | WS_VISIBLE,
                           10, 10 + 30 * i, 80, 25, main_window, reinterpret_cast<HMENU>(101 + i), wc.hInstance,
                           nullptr);
  if (last)
    CreateWindowExW(0, L"Static", L"Inner", WS_CHILD | WS_VISIBLE, 0, 0, 20, 20, last, nullptr, wc.hInstance,
                    nullptr);
  if (!popup.empty())
    CreateWindowExW(0, cls.c_str(), popup.c_str(), WS_POPUP | WS_VISIBLE, 50, 50, 100, 100, main_window, nullptr,
                    wc.hInstance, nullptr);
  if (hang) {
    Sleep(hang);
    return 0;
  }
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}
