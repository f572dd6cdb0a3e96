// A small framework for automation objects that behave like real automation
// servers: an object declares its members in a table (property gets and
// puts, methods with typed and optional parameters, a default member), and
// the framework does IDispatch's part — name lookup, argument order and
// coercion, the errors a real server reports (DISP_E_UNKNOWNNAME,
// DISP_E_MEMBERNOTFOUND, DISP_E_TYPEMISMATCH with the argument index,
// DISP_E_PARAMNOTFOUND, DISP_E_BADPARAMCOUNT), server exceptions through
// EXCEPINFO (also with deferred fill-in), and surplus arguments of a property
// handed to the default member of the object it returns (Workbooks(1)).
//
// Every object counts in a process-wide live-object counter so that tests can
// prove that no reference was leaked.
#pragma once

#include "com_ref.hpp"

#include <atomic>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <map>
#include <string>
#include <vector>

namespace standin {

using tarvo::com::Bstr;
using tarvo::com::Ref;
using tarvo::com::Variant;

// Objects alive in this process.
long live_objects();
// GetTickCount() of the latest call into any object of this process.
unsigned long last_call_tick();
// Called (from the releasing thread) whenever the counter drops to zero.
void on_last_object_gone(void (*callback)());

class Object;
class Invocation;

// The stand-in object behind an interface pointer of this process (an
// argument a client passed back), or null for anything else. Borrowed: no
// reference is taken.
Object *standin_object(IUnknown *p);

template <class T>
T *standin_cast(IUnknown *p) {
  return dynamic_cast<T *>(standin_object(p));
}

using Handler = std::function<HRESULT(Object &, Invocation &)>;

struct Param {
  VARTYPE type = VT_VARIANT;  // VT_VARIANT takes any value unconverted; VT_BYREF | VT_VARIANT
                              // is an out parameter (the caller's VARIANT, by reference)
  bool optional = false;
};

struct Member {
  std::wstring name;
  std::vector<Param> params;     // of the get or method form
  VARTYPE value_type = VT_EMPTY; // type of the assigned value; VT_EMPTY: no put
  Handler get;                   // method or property get (empty: put-only)
  Handler put;
  bool is_default = false;       // answers DISPID_VALUE too
  bool control = false;          // a test's control member: not journaled, counted or faulted
};

// The member table of one object type. DISPIDs are 1 + the table position.
class Members {
 public:
  Members(std::initializer_list<Member> members, const Members *base = nullptr);
  const Member *by_id(DISPID id) const;
  DISPID id_of(const wchar_t *name) const;  // DISPID_UNKNOWN when absent

 private:
  std::vector<Member> members_;
  DISPID default_id_ = DISPID_UNKNOWN;
};

// One call as a member sees it: positional arguments in natural order,
// already coerced to the declared parameter types.
class Invocation {
 public:
  Invocation(std::vector<Variant> &args, std::vector<bool> &given, VARIANT *value, EXCEPINFO *info);

  size_t count() const { return args_.size(); }
  bool given(size_t i) const { return i < given_.size() && given_[i]; }
  const VARIANT &arg(size_t i) const { return *args_.at(i).get(); }
  int32_t i4(size_t i, int32_t fallback = 0) const { return given(i) ? arg(i).lVal : fallback; }
  double r8(size_t i) const { return arg(i).dblVal; }
  const wchar_t *text(size_t i, const wchar_t *fallback = L"") const;
  bool flag(size_t i) const { return arg(i).boolVal != VARIANT_FALSE; }
  // A stand-in object argument of type T (declared VT_DISPATCH or VT_VARIANT);
  // null when omitted, null, foreign or of another type.
  template <class T>
  T *object(size_t i) const {
    if (!given(i)) return nullptr;
    const VARIANT &v = arg(i);
    if (v.vt != VT_DISPATCH && v.vt != VT_UNKNOWN) return nullptr;
    return standin_cast<T>(v.punkVal);
  }

  // The assigned value of a put, coerced to the member's value type.
  const VARIANT &value() const { return *value_; }

  VARIANT &result() { return *result_.get(); }
  Variant &result_holder() { return result_; }
  void set_i4(int32_t v);
  void set_bool(bool v);
  void set_text(const std::wstring &s);
  void set_object(IDispatch *object);  // takes its own reference; null allowed
  void set_variant(const VARIANT &v);  // copies

  // Raises a server exception (DISP_E_EXCEPTION) with the texts given now.
  HRESULT raise(HRESULT code, const wchar_t *source, const wchar_t *description);
  // Raises one whose texts the caller fetches later through
  // pfnDeferredFillIn, from the texts registered for the code.
  HRESULT raise_deferred(HRESULT code);

 private:
  std::vector<Variant> &args_;
  std::vector<bool> &given_;
  VARIANT *value_;
  EXCEPINFO *info_;
  Variant result_;
};

// Windows' standard IDispatch stub runs a deferred fill-in in the server
// before the exception information crosses to the caller; Wine's drops the
// routine. A server program serving other processes switches this on to
// complete the information itself, as the system stub would.
void complete_deferred_in_server(bool on);

// Texts a deferred fill-in supplies for a code (process-wide).
void register_deferred_texts(HRESULT code, const wchar_t *source, const wchar_t *description);

// A server exception: fills `info` (when given) and returns
// DISP_E_EXCEPTION, with the texts given now, or with `fill_in` left for
// the caller (run here already when deferred fill-ins are completed in
// the server, see above).
HRESULT raise_exception(EXCEPINFO *info, HRESULT code, const wchar_t *source, const wchar_t *description);
HRESULT raise_deferred_exception(EXCEPINFO *info, HRESULT code, HRESULT(STDAPICALLTYPE *fill_in)(EXCEPINFO *));

// The IDispatch every stand-in object implements.
class Object : public IDispatch {
 public:
  Object();
  virtual ~Object();
  Object(const Object &) = delete;
  Object &operator=(const Object &) = delete;

  virtual const Members &members() const = 0;
  // Further interfaces of an object (for example IPersistFile).
  virtual void *extra_interface(REFIID) { return nullptr; }
  // What the object is, for the call journal ("Range(Sheet1!A1)"); empty: nothing to say.
  virtual std::wstring journal_name() const { return {}; }
  // S_OK while the object can serve its members; otherwise the code every
  // member but the control members fails with (a closed workbook's sheets).
  virtual HRESULT usable() const { return S_OK; }

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **out) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  // IDispatch
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT *count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo **info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR *names, UINT count, LCID, DISPID *ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS *params,
                                   VARIANT *result, EXCEPINFO *info, UINT *arg_error) override;

 protected:
  // Named values an object keeps (see `field`).
  std::map<std::wstring, Variant> fields_;
  friend Member field(const wchar_t *name, VARTYPE type);

 private:
  std::atomic<ULONG> refs_{1};
};

// A new object carrying one reference.
template <class T, class... A>
Ref<T> make(A &&...args) {
  return Ref<T>::adopt(new T(std::forward<A>(args)...));
}

// A new object handed out as `iid` (a class factory's CreateInstance).
template <class T, class... A>
HRESULT make_as(REFIID iid, void **out, A &&...args) {
  auto object = make<T>(std::forward<A>(args)...);
  return static_cast<IDispatch *>(object.get())->QueryInterface(iid, out);
}

// A new object as a call's result (the call holds its reference).
template <class T, class... A>
HRESULT answer(Invocation &call, A &&...args) {
  auto object = make<T>(std::forward<A>(args)...);
  call.set_object(object.get());
  return S_OK;
}

// ---- Member declarations ----

template <class T>
Handler bind(HRESULT (T::*fn)(Invocation &)) {
  return [fn](Object &self, Invocation &call) { return (static_cast<T &>(self).*fn)(call); };
}

// Method (also answers property get, as real servers do).
template <class T>
Member method(const wchar_t *name, std::vector<Param> params, HRESULT (T::*fn)(Invocation &)) {
  return Member{name, std::move(params), VT_EMPTY, bind(fn), {}, false};
}

// Read-only property.
template <class T>
Member getter(const wchar_t *name, HRESULT (T::*get)(Invocation &), std::vector<Param> params = {}) {
  return Member{name, std::move(params), VT_EMPTY, bind(get), {}, false};
}

// Read-write property.
template <class T>
Member property(const wchar_t *name, VARTYPE type, HRESULT (T::*get)(Invocation &),
                HRESULT (T::*put)(Invocation &), std::vector<Param> params = {}) {
  return Member{name, std::move(params), type, bind(get), bind(put), false};
}

// A read-write property stored by the object itself, coerced to `type`
// (VT_VARIANT keeps whatever was assigned). Unassigned, it reads as empty.
Member field(const wchar_t *name, VARTYPE type);

inline Member as_default(Member m) {
  m.is_default = true;
  return m;
}

// ---- Collections: Count and Item(index), Item being the default member ----

class Collection : public Object {
 public:
  const Members &members() const override;
  static const Members &collection_members();

  void add(IDispatch *item) { items_.push_back(Ref<IDispatch>::share(item)); }
  size_t size() const { return items_.size(); }
  IDispatch *at(size_t i) const { return items_.at(i).get(); }

  HRESULT count(Invocation &call);
  HRESULT item(Invocation &call);  // 1-based; out of range: DISP_E_BADINDEX

 private:
  std::vector<Ref<IDispatch>> items_;
};

}  // namespace standin
