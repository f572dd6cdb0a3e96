// The stand-in GUI running on the desktop: its object sits in the
// running-object table under the file moniker "SAPGUI" until `_Quit()` or a
// minute without calls. The command line may name an event, set once the
// object is registered (so a test waits for it instead of guessing).
#include "objects.hpp"
#include "sap_standin.hpp"
#include "server.hpp"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR command_line, int) {
  using tarvo::com::Ref;
  if (FAILED(CoInitialize(nullptr))) return 1;
  standin::begin_server_thread();
  HRESULT hr;
  {
    auto gui = Ref<IDispatch>::adopt(standin::sap::new_running_gui(standin::quit_server));
    Ref<IRunningObjectTable> table;
    Ref<IMoniker> name;
    DWORD cookie = 0;
    hr = GetRunningObjectTable(0, table.put());
    if (SUCCEEDED(hr)) hr = CreateFileMoniker(standin::sap::kMonikerName, name.put());
    if (SUCCEEDED(hr)) hr = table->Register(ROTFLAGS_REGISTRATIONKEEPSALIVE, gui.get(), name.get(), &cookie);
    if (SUCCEEDED(hr)) {
      if (command_line && *command_line)
        if (HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, command_line)) {
          SetEvent(ready);
          CloseHandle(ready);
        }
      standin::serve_until_quit_or_idle();
      table->Revoke(cookie);
    }
  }  // every reference goes before COM does
  CoUninitialize();
  return SUCCEEDED(hr) ? 0 : 2;
}
