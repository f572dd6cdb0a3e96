/* Brings up the Wine desktop of the prefix and proves that windows can be
 * made, before tests start in parallel. Wine starts the desktop process on
 * the first window of any program and waits only a few seconds for it: on a
 * loaded machine, tests starting together would race for it and lose, and a
 * program that lost has no window driver for the rest of its life. */
#include <stdio.h>
#include <windows.h>

int main(void) {
  HWND desktop = GetDesktopWindow();
  HWND probe = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, NULL, NULL, NULL, NULL);
  if (!desktop || !probe) {
    printf("wine_ready: the Wine desktop is not usable (desktop %p, window %p)\n", (void *)desktop, (void *)probe);
    return 1;
  }
  DestroyWindow(probe);
  return 0;
}
