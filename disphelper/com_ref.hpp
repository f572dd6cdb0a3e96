// Owners for the three COM resources the dispatch layer juggles: interface
// references, BSTRs and VARIANTs. Every failure path of an automation call
// unwinds through them, so nothing is leaked when a call stops half-way.
// Header-only and free of library dependencies: the automation stand-ins
// use it too.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <utility>

namespace tarvo::com {

// One counted reference on an interface.
template <class T>
class Ref {
 public:
  Ref() = default;
  // Takes over a reference the caller already owns.
  static Ref adopt(T *p) {
    Ref r;
    r.p_ = p;
    return r;
  }
  // Takes a new reference of its own.
  static Ref share(T *p) {
    if (p) p->AddRef();
    return adopt(p);
  }
  Ref(const Ref &o) : p_(o.p_) {
    if (p_) p_->AddRef();
  }
  Ref(Ref &&o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  Ref &operator=(Ref o) noexcept {
    std::swap(p_, o.p_);
    return *this;
  }
  ~Ref() { reset(); }

  void reset() {
    if (T *p = std::exchange(p_, nullptr)) p->Release();
  }
  // Hands the reference to the caller.
  T *detach() { return std::exchange(p_, nullptr); }
  // For out-parameters: drops the current reference first.
  T **put() {
    reset();
    return &p_;
  }
  void **put_void() { return reinterpret_cast<void **>(put()); }

  T *get() const { return p_; }
  T *operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

  template <class U>
  HRESULT query(Ref<U> &out, REFIID iid) const {
    if (!p_) return E_POINTER;
    return p_->QueryInterface(iid, out.put_void());
  }

 private:
  T *p_ = nullptr;
};

// A BSTR freed with SysFreeString.
class Bstr {
 public:
  Bstr() = default;
  explicit Bstr(BSTR owned) : s_(owned) {}
  Bstr(const Bstr &) = delete;
  Bstr &operator=(const Bstr &) = delete;
  Bstr(Bstr &&o) noexcept : s_(std::exchange(o.s_, nullptr)) {}
  Bstr &operator=(Bstr &&o) noexcept {
    if (this != &o) reset(std::exchange(o.s_, nullptr));
    return *this;
  }
  ~Bstr() { reset(); }

  void reset(BSTR s = nullptr) {
    if (s_ != s) SysFreeString(s_);
    s_ = s;
  }
  BSTR detach() { return std::exchange(s_, nullptr); }
  BSTR *put() {
    reset();
    return &s_;
  }
  BSTR get() const { return s_; }
  const wchar_t *c_str() const { return s_ ? s_ : L""; }
  UINT length() const { return SysStringLen(s_); }

 private:
  BSTR s_ = nullptr;
};

// A VARIANT cleared with VariantClear.
class Variant {
 public:
  Variant() { v_.vt = VT_EMPTY; }  // what VariantInit does
  Variant(const Variant &) = delete;
  Variant &operator=(const Variant &) = delete;
  ~Variant() { clear(); }

  // An empty VARIANT (the common case after a detach) needs no call.
  void clear() {
    if (v_.vt != VT_EMPTY) VariantClear(&v_);
  }
  // Moves the value out bit for bit; this one is left empty.
  VARIANT detach() {
    VARIANT out = v_;
    v_.vt = VT_EMPTY;
    return out;
  }
  VARIANT *get() { return &v_; }
  const VARIANT *get() const { return &v_; }
  VARIANT *operator->() { return &v_; }
  const VARIANT *operator->() const { return &v_; }

 private:
  VARIANT v_;
};

}  // namespace tarvo::com
