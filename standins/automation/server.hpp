// Serving stand-in objects: a class factory, the in-process DLL entry points
// and the local-server loop of an automation program.
#pragma once

#include "dispatch_object.hpp"

#include <span>

namespace standin {

// Makes a new top-level object (the class's application object).
using Creator = HRESULT (*)(REFIID iid, void **out);

class ClassFactory final : public IClassFactory {
 public:
  explicit ClassFactory(Creator create) : create_(create) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **out) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }  // lives as long as the module
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown *outer, REFIID iid, void **out) override;
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

 private:
  Creator create_;
};

struct ServedClass {
  const CLSID *clsid;
  ClassFactory factory;
};

// The classes an in-process stand-in serves: defined by each such DLL (its
// inproc_main.cpp); dll_entry.cpp, built into every one of them, answers
// DllGetClassObject and DllCanUnloadNow over them.
std::span<ServedClass> served_classes();

// Whether no object nor server lock is left (DllCanUnloadNow).
HRESULT can_unload_now();

// A server program's thread: begin_server_thread makes its message queue
// (so that quit_server, called from any thread, is never lost) and has
// deferred exception texts completed before they cross to the client;
// serve_until_quit_or_idle dispatches calls until quit_server, or until no
// call came for a minute: a client that died keeps its references for
// ever, since Wine collects no orphaned ones.
void begin_server_thread();
void serve_until_quit_or_idle();
void quit_server();

// Runs a local server: registers the factory (one instance per server
// process, as spreadsheet programs do), serves until the last object is gone
// (or no call came for a minute), then revokes it. Returns the exit code.
int run_local_server(const CLSID &clsid, ClassFactory &factory);

// How run_local_server registers its class object: REGCLS_SINGLEUSE (the
// default, one server process per creation) or REGCLS_MULTIPLEUSE (every
// creation served by the one running process, which then leaves only after
// a minute without calls, not when its last object goes).
void set_local_server_registration(DWORD regcls);

// A stand-in application's local server, its whole wWinMain: one process
// serves every creation of `served` (REGCLS_MULTIPLEUSE), and its
// application objects register in the running-object table under `active`.
int run_application_server(Creator create, const CLSID &active, const CLSID &served);

// Whether a server's command line holds `word` (which class it was started
// for: "local", "wps").
bool command_line_holds(const wchar_t *command_line, const wchar_t *word);

// The class under which this process's application objects register in the
// running-object table: a local server's; in-process servers have none.
void set_active_class(const CLSID &clsid);

// The running-object table entry of a server's application object.
class ActiveRegistration {
 public:
  void add(IUnknown *object, const CLSID &clsid);
  // Under the process's active class, when it has one.
  void add(IUnknown *object);
  void revoke();
  ~ActiveRegistration() { revoke(); }

 private:
  DWORD cookie_ = 0;
};

// What a stand-in application object is while it lives: the first one alive
// in the process starts the journal, faults and counters afresh (and runs
// `first`, for a model of its own to start afresh too), and each is in the
// running-object table under the process's active class until it quits
// (`revoke`) or goes.
class ApplicationPresence {
 public:
  explicit ApplicationPresence(IUnknown *application, void (*first)() = nullptr);
  ~ApplicationPresence();
  ApplicationPresence(const ApplicationPresence &) = delete;
  ApplicationPresence &operator=(const ApplicationPresence &) = delete;
  void revoke() { active_.revoke(); }

 private:
  ActiveRegistration active_;
};

}  // namespace standin
