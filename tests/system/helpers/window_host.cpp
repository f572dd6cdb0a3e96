// window_host [--class C] [--title T] [--children N] [--popup T] [--spawn N] [--hang MS] [--msgbox T]: one window
// of class C (default "TarvoHost") with N buttons (ids 101...; the last has a "Static" child), an owned pop-up and
// N sleepers as child processes; --hang stops pumping messages for MS ms, then exits; --msgbox shows only an
// OK/Cancel box and exits with the button's result.
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
  if (std::wstring box = option(argc, argv, L"--msgbox", L""); !box.empty())
    return MessageBoxW(nullptr, L"Message", box.c_str(), MB_OKCANCEL);
  std::wstring cls = option(argc, argv, L"--class", L"TarvoHost"), popup = option(argc, argv, L"--popup", L"");
  WNDCLASSW wc{};
  wc.lpfnWndProc = main_proc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = cls.c_str();
  RegisterClassW(&wc);
  HWND main_window = CreateWindowExW(0, cls.c_str(), option(argc, argv, L"--title", L"").c_str(),
                                     WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 300, 200, nullptr, nullptr,
                                     wc.hInstance, nullptr);
  if (!main_window) return 2;
  std::wstring self = argv[0], sleeper = L"\"" + self.substr(0, self.find_last_of(L'\\') + 1) + L"sleeper.exe\"";
  for (int i = _wtoi(option(argc, argv, L"--spawn", L"0").c_str()); i > 0; --i) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, sleeper.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) continue;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  }
  HWND last = nullptr;
  for (int i = 0, n = _wtoi(option(argc, argv, L"--children", L"0").c_str()); i < n; ++i)
    last = CreateWindowExW(0, L"Button", (L"Button " + std::to_wstring(i + 1)).c_str(), WS_CHILD | WS_VISIBLE,
                           10, 10 + 30 * i, 80, 25, main_window, reinterpret_cast<HMENU>(101 + i), nullptr, nullptr);
  if (last) CreateWindowExW(0, L"Static", L"Inner", WS_CHILD | WS_VISIBLE, 0, 0, 20, 20, last, 0, nullptr, nullptr);
  if (!popup.empty())
    CreateWindowExW(0, cls.c_str(), popup.c_str(), WS_POPUP | WS_VISIBLE, 50, 50, 100, 100, main_window, nullptr,
                    wc.hInstance, nullptr);
  if (DWORD hang = wcstoul(option(argc, argv, L"--hang", L"0").c_str(), nullptr, 10)) {
    Sleep(hang);
    return 0;
  }
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  return 0;
}
