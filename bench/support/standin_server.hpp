// Reaching a stand-in automation server from a benchmark: in-process straight
// from its DLL (no registration needed), and as a local server, its
// registration file (written by the build under standins/ beside bin)
// imported when the class is missing.
#pragma once

#include "com_ref.hpp"

#include <string>

namespace tarvo::bench {

inline tarvo::com::Ref<IDispatch> load_inproc_server(const wchar_t *dll, const CLSID &clsid) {
  tarvo::com::Ref<IDispatch> object;
  HMODULE module = LoadLibraryW(dll);
  if (!module) return object;
  using GetClassObject = HRESULT(STDAPICALLTYPE *)(REFCLSID, REFIID, void **);
  auto get = reinterpret_cast<GetClassObject>(GetProcAddress(module, "DllGetClassObject"));
  tarvo::com::Ref<IClassFactory> factory;
  if (get && SUCCEEDED(get(clsid, IID_IClassFactory, factory.put_void())))
    factory->CreateInstance(nullptr, IID_IDispatch, object.put_void());
  return object;
}

inline void import_registration(const wchar_t *reg_file) {
  wchar_t exe[MAX_PATH];
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  std::wstring dir(exe);
  dir.resize(dir.find_last_of(L'\\'));
  std::wstring command = L"reg.exe import \"" + dir + L"\\..\\standins\\" + reg_file + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    WaitForSingleObject(pi.hProcess, 30000);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
  }
}

inline tarvo::com::Ref<IDispatch> create_local_server(const CLSID &clsid, const wchar_t *reg_file) {
  tarvo::com::Ref<IDispatch> object;
  if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch, object.put_void()))) {
    import_registration(reg_file);
    CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IDispatch, object.put_void());
  }
  return object;
}

}  // namespace tarvo::bench
