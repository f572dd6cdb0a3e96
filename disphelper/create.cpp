// Creating automation objects and attaching to running ones.
#include "com_ref.hpp"
#include "operation.hpp"

namespace tarvo::disp {
namespace {

constexpr DWORD kLocalContext = CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER;

// A text starting with "{" is a class id, anything else a ProgID.
HRESULT class_of(const wchar_t *text, CLSID *clsid) {
  if (!text || !*text) return E_INVALIDARG;
  return text[0] == L'{' ? CLSIDFromString(const_cast<LPOLESTR>(text), clsid)
                         : CLSIDFromProgID(text, clsid);
}

}  // namespace

HRESULT CreateObjectEx(const wchar_t *class_text, REFIID iid, DWORD context, COSERVERINFO *server,
                       void **out) {
  detail::Operation op(L"CreateObjectEx", class_text);
  if (!out) return op.invalid();
  *out = nullptr;
  CLSID clsid;
  HRESULT hr = class_of(class_text, &clsid);
  if (FAILED(hr)) return op.finish(hr, {class_text});
  com::Ref<IClassFactory> factory;
  hr = CoGetClassObject(clsid, context, server, IID_IClassFactory, factory.put_void());
  if (FAILED(hr)) return op.finish(hr, {class_text});
  hr = factory->CreateInstance(nullptr, iid, out);
  return op.finish(hr, {class_text});
}

HRESULT CreateObject(const wchar_t *progid, const wchar_t *machine, IDispatch **out) {
  detail::Operation op(L"CreateObject", progid);
  if (!out) return op.invalid();
  COSERVERINFO server{};
  server.pwszName = const_cast<LPWSTR>(machine);
  const bool remote = machine && *machine;
  HRESULT hr = CreateObjectEx(progid, IID_IDispatch, remote ? DWORD(CLSCTX_REMOTE_SERVER) : kLocalContext,
                              remote ? &server : nullptr, reinterpret_cast<void **>(out));
  return op.finish(hr);
}

HRESULT GetObjectEx(const wchar_t *path, const wchar_t *progid, REFIID iid, DWORD context,
                    void *reserved, void **out) {
  detail::Operation op(L"GetObjectEx", progid ? progid : path);
  if (!out) return op.invalid();
  *out = nullptr;
  if ((!path && !progid) || reserved) return op.invalid();

  HRESULT hr;
  if (!path) {
    // A running instance from the running-object table.
    CLSID clsid;
    hr = class_of(progid, &clsid);
    if (FAILED(hr)) return op.finish(hr, {progid});
    com::Ref<IUnknown> running;
    hr = GetActiveObject(clsid, nullptr, running.put());
    if (SUCCEEDED(hr)) hr = running->QueryInterface(iid, out);
    return op.finish(hr, {progid});
  }
  if (progid) {
    // A new instance of the class that loads the file.
    com::Ref<IPersistFile> file;
    hr = CreateObjectEx(progid, IID_IPersistFile, context, nullptr, file.put_void());
    if (SUCCEEDED(hr)) hr = file->Load(path, 0);
    if (SUCCEEDED(hr)) hr = file->QueryInterface(iid, out);
    return op.finish(hr, {progid});
  }
  // Whatever the system's display-name parsing makes of the text.
  BIND_OPTS options{sizeof(BIND_OPTS), 0, 0, 0};
  hr = CoGetObject(path, &options, iid, out);
  return op.finish(hr, {path});
}

HRESULT GetObject(const wchar_t *path, const wchar_t *progid, IDispatch **out) {
  detail::Operation op(L"GetObject", progid ? progid : path);
  if (!out) return op.invalid();
  HRESULT hr = GetObjectEx(path, progid, IID_IDispatch, kLocalContext, nullptr,
                           reinterpret_cast<void **>(out));
  return op.finish(hr);
}

}  // namespace tarvo::disp
