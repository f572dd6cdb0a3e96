#include "server.hpp"

#include "journal.hpp"

#include <atomic>
#include <cwchar>
#include <utility>

namespace standin {
namespace {

std::atomic<long> g_locks{0};
constexpr unsigned long kIdleMilliseconds = 60000;
DWORD g_server_thread = 0;
DWORD g_regcls = REGCLS_SINGLEUSE;
const CLSID *g_active_class = nullptr;
std::atomic<int> g_applications{0};

// A multiple-use server stays for the next client when its last object goes
// (a creation arriving while it shut down would fail); only idleness ends it.
void quit_single_use_server() {
  if (g_regcls == REGCLS_SINGLEUSE) quit_server();
}

}  // namespace

HRESULT ClassFactory::QueryInterface(REFIID iid, void **out) {
  if (!out) return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_IClassFactory) {
    *out = static_cast<IClassFactory *>(this);
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

HRESULT ClassFactory::CreateInstance(IUnknown *outer, REFIID iid, void **out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (outer) return CLASS_E_NOAGGREGATION;
  return create_(iid, out);
}

HRESULT ClassFactory::LockServer(BOOL lock) {
  if (lock) {
    ++g_locks;
  } else if (--g_locks == 0 && live_objects() == 0) {
    quit_single_use_server();
  }
  return S_OK;
}

HRESULT can_unload_now() { return live_objects() == 0 && g_locks == 0 ? S_OK : S_FALSE; }

void set_local_server_registration(DWORD regcls) { g_regcls = regcls; }

void quit_server() {
  if (g_server_thread) PostThreadMessageW(g_server_thread, WM_QUIT, 0, 0);
}

void begin_server_thread() {
  g_server_thread = GetCurrentThreadId();
  MSG msg;
  PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);  // the thread's queue exists from now on
  complete_deferred_in_server(true);
}

void serve_until_quit_or_idle() {
  const UINT_PTR check = SetTimer(nullptr, 0, 5000, nullptr);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == WM_TIMER && msg.wParam == check) {
      if (GetTickCount() - last_call_tick() > kIdleMilliseconds) break;
      continue;
    }
    DispatchMessageW(&msg);
  }
  KillTimer(nullptr, check);
}

int run_local_server(const CLSID &clsid, ClassFactory &factory) {
  if (FAILED(CoInitialize(nullptr))) return 1;
  begin_server_thread();
  on_last_object_gone(quit_single_use_server);
  DWORD cookie = 0;
  HRESULT hr = CoRegisterClassObject(clsid, &factory, CLSCTX_LOCAL_SERVER, g_regcls, &cookie);
  if (SUCCEEDED(hr)) {
    serve_until_quit_or_idle();
    CoRevokeClassObject(cookie);
  }
  on_last_object_gone(nullptr);
  CoUninitialize();
  return SUCCEEDED(hr) ? 0 : 2;
}

void ActiveRegistration::add(IUnknown *object, const CLSID &clsid) {
  if (!cookie_) RegisterActiveObject(object, clsid, ACTIVEOBJECT_WEAK, &cookie_);
}

void ActiveRegistration::add(IUnknown *object) {
  if (g_active_class) add(object, *g_active_class);
}

void set_active_class(const CLSID &clsid) { g_active_class = &clsid; }

ApplicationPresence::ApplicationPresence(IUnknown *application, void (*first)()) {
  if (g_applications++ == 0) {
    reset_observations();
    if (first) first();
  }
  active_.add(application);
}

ApplicationPresence::~ApplicationPresence() { --g_applications; }

bool command_line_holds(const wchar_t *command_line, const wchar_t *word) {
  return command_line && wcsstr(command_line, word);
}

int run_application_server(Creator create, const CLSID &active, const CLSID &served) {
  ClassFactory factory(create);
  set_active_class(active);
  set_local_server_registration(REGCLS_MULTIPLEUSE);
  return run_local_server(served, factory);
}

void ActiveRegistration::revoke() {
  if (DWORD c = std::exchange(cookie_, 0)) RevokeActiveObject(c, nullptr);
}

}  // namespace standin
