// Surfpod_Show against a bare SendMessageA of the same command, and
// Surfpod_GetHTML of a 1 MB page against the bare length and text messages,
// on one stand-in browser (bin/surfpod/Surfpod.exe) with its journal off.
#include "timing.hpp"
#include "xcore.h"
#include "xsurfpod.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

std::string program_folder() {
  char path[MAX_PATH];
  std::string p(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
  return p.substr(0, p.find_last_of('\\') + 1);
}

void control(HWND main, const std::string &line) {
  COPYDATASTRUCT data{0x5350, static_cast<DWORD>(line.size()), const_cast<char *>(line.data())};
  SendMessageA(main, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data));
}

}  // namespace

int main() {
  std::string folder = program_folder() + "surfpod\\";
  if (!Surfpod_Setup(folder.c_str())) {
    std::printf("no stand-in browser in %s\n", folder.c_str());
    return 1;
  }
  SurfpodInstance *h = Surfpod_Create();
  if (!h) {
    std::printf("the stand-in browser did not start\n");
    return 1;
  }
  HWND main = static_cast<HWND>(h->hWndMain), d1 = static_cast<HWND>(h->hWndData1);
  control(main, "journal\toff");
  control(main, "page\thtmlsize\t1048576");

  // The goal of both: at most 1.1 times the bare messages.
  constexpr double kGoal = 1.1;
  tarvo::bench::compare("Surfpod_Show", 9, 2000, [&] { Surfpod_Show(h); }, [&] { SendMessageA(main, 0x1401, 0, 0); },
                        kGoal);

  size_t whole = 0;
  tarvo::bench::compare(
      "Surfpod_GetHTML (1 MB)", 15, 10,
      [&] {
        char *html = Surfpod_GetHTML(h);
        whole = std::strlen(html);
        xCore_free(html);
      },
      [&] {
        SendMessageA(main, 0x2510, 0, 0);
        LRESULT n = SendMessageA(d1, WM_GETTEXTLENGTH, 0, 0);
        char *text = static_cast<char *>(std::malloc(n + 1));
        SendMessageA(d1, WM_GETTEXT, n + 1, reinterpret_cast<LPARAM>(text));
        std::free(text);
      },
      kGoal);
  std::printf("Surfpod_GetHTML read %zu of 1048576 bytes\n", whole);
  Surfpod_ForceClose(h);
  return whole == 1048576 ? 0 : 1;
}
