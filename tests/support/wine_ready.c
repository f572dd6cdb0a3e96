/* Wine waits only a few seconds for the desktop that the first window of any program starts; on a loaded
 * machine tests starting together lose that race and stay without a window driver. Run before them. */
#include <stdio.h>
#include <windows.h>

int main(void) {
  HWND desktop = GetDesktopWindow();
  HWND probe = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, NULL, NULL, NULL, NULL);
  if (desktop && probe) return !DestroyWindow(probe);
  printf("wine_ready: the Wine desktop is not usable (desktop %p, window %p)\n", (void *)desktop, (void *)probe);
  return 1;
}
