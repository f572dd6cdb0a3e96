// The stand-in GUI running on the desktop: its object sits in the
// running-object table under the file moniker "SAPGUI" until `_Quit()` or a
// minute without calls. The command line may name an event, set once the
// object is registered (so a test waits for it instead of guessing).
#include "objects.hpp"
#include "sap_standin.hpp"

#include "com_ref.hpp"
#include "dispatch_object.hpp"

namespace {

DWORD g_thread = 0;
void quit() { PostThreadMessageW(g_thread, WM_QUIT, 0, 0); }

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR command_line, int) {
  using tarvo::com::Ref;
  if (FAILED(CoInitialize(nullptr))) return 1;
  g_thread = GetCurrentThreadId();
  MSG msg;
  PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the queue exists before anyone can ask to quit
  standin::complete_deferred_in_server(true);
  auto gui = Ref<IDispatch>::adopt(standin::sap::new_running_gui(quit));
  Ref<IRunningObjectTable> table;
  Ref<IMoniker> name;
  DWORD cookie = 0;
  HRESULT hr = GetRunningObjectTable(0, table.put());
  if (SUCCEEDED(hr)) hr = CreateFileMoniker(standin::sap::kMonikerName, name.put());
  if (SUCCEEDED(hr)) hr = table->Register(ROTFLAGS_REGISTRATIONKEEPSALIVE, gui.get(), name.get(), &cookie);
  if (SUCCEEDED(hr)) {
    if (command_line && *command_line)
      if (HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, command_line)) {
        SetEvent(ready);
        CloseHandle(ready);
      }
    const UINT_PTR check = SetTimer(nullptr, 0, 5000, nullptr);
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
      if (msg.message == WM_TIMER && msg.wParam == check) {
        if (GetTickCount() - standin::last_call_tick() > 60000) break;
        continue;
      }
      DispatchMessageW(&msg);
    }
    KillTimer(nullptr, check);
    table->Revoke(cookie);
  }
  gui.reset();
  table.reset();
  name.reset();
  CoUninitialize();
  return SUCCEEDED(hr) ? 0 : 2;
}
