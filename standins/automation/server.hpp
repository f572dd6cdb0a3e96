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

// The running-object table entry of a server's application object.
class ActiveRegistration {
 public:
  void add(IUnknown *object, const CLSID &clsid);
  void revoke();
  ~ActiveRegistration() { revoke(); }

 private:
  DWORD cookie_ = 0;
};

}  // namespace standin
