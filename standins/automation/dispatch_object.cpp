#include "dispatch_object.hpp"

#include "journal.hpp"

#include <algorithm>
#include <mutex>
#include <utility>

namespace standin {
namespace {

std::atomic<long> g_live{0};
std::atomic<void (*)()> g_last_gone{nullptr};
std::atomic<bool> g_complete_deferred{false};
std::atomic<unsigned long> g_last_call{GetTickCount()};

struct DeferredTexts {
  std::mutex lock;
  std::map<HRESULT, std::pair<std::wstring, std::wstring>> texts;
};

DeferredTexts &deferred() {
  static DeferredTexts d;
  return d;
}

HRESULT STDAPICALLTYPE fill_in_deferred(EXCEPINFO *info) {
  if (!info) return E_POINTER;
  DeferredTexts &d = deferred();
  std::lock_guard<std::mutex> hold(d.lock);
  auto it = d.texts.find(info->scode);
  if (it == d.texts.end()) return S_OK;
  info->bstrSource = SysAllocString(it->second.first.c_str());
  info->bstrDescription = SysAllocString(it->second.second.c_str());
  return S_OK;
}

// One argument coerced to its declared type.
HRESULT coerce(const VARIANT &src, VARTYPE type, Variant &dst) {
  if (type == (VT_BYREF | VT_VARIANT))  // an out parameter: the reference itself, never null
    return src.vt == type && src.pvarVal ? VariantCopy(dst.get(), const_cast<VARIANT *>(&src)) : DISP_E_TYPEMISMATCH;
  HRESULT hr = VariantCopyInd(dst.get(), const_cast<VARIANT *>(&src));
  if (FAILED(hr) || type == VT_VARIANT || dst->vt == type) return hr;
  return VariantChangeType(dst.get(), dst.get(), 0, type);
}

bool omitted(const VARIANT &v) { return v.vt == VT_ERROR && v.scode == DISP_E_PARAMNOTFOUND; }

// Answered only by stand-in objects, with the object itself: how a server
// recognises its own objects among the arguments a client passes back.
constexpr IID kStandinObjectIid = {
    0x6c1b9d42, 0x3e57, 0x4f0a, {0x9b, 0x1e, 0x52, 0xd7, 0x0c, 0x84, 0xa3, 0x19}};

}  // namespace

long live_objects() { return g_live.load(); }
unsigned long last_call_tick() { return g_last_call.load(); }
void complete_deferred_in_server(bool on) { g_complete_deferred = on; }
void on_last_object_gone(void (*callback)()) { g_last_gone = callback; }

void register_deferred_texts(HRESULT code, const wchar_t *source, const wchar_t *description) {
  DeferredTexts &d = deferred();
  std::lock_guard<std::mutex> hold(d.lock);
  d.texts[code] = {source, description};
}

// ---- Members ----

Members::Members(std::initializer_list<Member> members, const Members *base) {
  if (base) members_ = base->members_;
  for (const Member &m : members) members_.push_back(m);
  for (size_t i = 0; i < members_.size(); ++i)
    if (members_[i].is_default) default_id_ = static_cast<DISPID>(i + 1);
}

const Member *Members::by_id(DISPID id) const {
  if (id == DISPID_VALUE) id = default_id_;
  if (id < 1 || static_cast<size_t>(id) > members_.size()) return nullptr;
  return &members_[id - 1];
}

DISPID Members::id_of(const wchar_t *name) const {
  for (size_t i = 0; i < members_.size(); ++i)
    if (_wcsicmp(members_[i].name.c_str(), name) == 0) return static_cast<DISPID>(i + 1);
  return DISPID_UNKNOWN;
}

// ---- Invocation ----

Invocation::Invocation(std::vector<Variant> &args, std::vector<bool> &given, VARIANT *value, EXCEPINFO *info)
    : args_(args), given_(given), value_(value), info_(info) {}

const wchar_t *Invocation::text(size_t i, const wchar_t *fallback) const {
  if (!given(i)) return fallback;
  const VARIANT &v = arg(i);
  return v.vt == VT_BSTR && v.bstrVal ? v.bstrVal : L"";
}

void Invocation::set_i4(int32_t v) {
  result_.clear();
  result_->vt = VT_I4;
  result_->lVal = v;
}

void Invocation::set_bool(bool v) {
  result_.clear();
  result_->vt = VT_BOOL;
  result_->boolVal = v ? VARIANT_TRUE : VARIANT_FALSE;
}

void Invocation::set_text(const std::wstring &s) {
  result_.clear();
  result_->vt = VT_BSTR;
  result_->bstrVal = SysAllocStringLen(s.data(), static_cast<UINT>(s.size()));
}

void Invocation::set_object(IDispatch *object) {
  result_.clear();
  result_->vt = VT_DISPATCH;
  result_->pdispVal = object;
  if (object) object->AddRef();
}

void Invocation::set_variant(const VARIANT &v) {
  result_.clear();
  VariantCopy(result_.get(), const_cast<VARIANT *>(&v));
}

HRESULT raise_exception(EXCEPINFO *info, HRESULT code, const wchar_t *source, const wchar_t *description) {
  if (info) {
    *info = EXCEPINFO{};
    info->scode = code;
    info->bstrSource = SysAllocString(source);
    info->bstrDescription = SysAllocString(description);
  }
  return DISP_E_EXCEPTION;
}

HRESULT raise_deferred_exception(EXCEPINFO *info, HRESULT code, HRESULT(STDAPICALLTYPE *fill_in)(EXCEPINFO *)) {
  if (info) {
    *info = EXCEPINFO{};
    info->scode = code;
    if (g_complete_deferred) fill_in(info);
    else info->pfnDeferredFillIn = fill_in;
  }
  return DISP_E_EXCEPTION;
}

HRESULT Invocation::raise(HRESULT code, const wchar_t *source, const wchar_t *description) {
  return raise_exception(info_, code, source, description);
}

HRESULT Invocation::raise_deferred(HRESULT code) { return raise_deferred_exception(info_, code, fill_in_deferred); }

// ---- Object ----

Object *standin_object(IUnknown *p) {
  if (!p) return nullptr;
  void *self = nullptr;
  if (FAILED(p->QueryInterface(kStandinObjectIid, &self)) || !self) return nullptr;
  Object *object = static_cast<Object *>(self);
  object->Release();  // the caller's reference keeps it alive
  return object;
}

Object::Object() { ++g_live; }

Object::~Object() {
  if (--g_live == 0)
    if (auto callback = g_last_gone.load()) callback();
}

HRESULT Object::QueryInterface(REFIID iid, void **out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (iid == IID_IUnknown || iid == IID_IDispatch)
    *out = static_cast<IDispatch *>(this);
  else if (iid == kStandinObjectIid)
    *out = this;
  else
    *out = extra_interface(iid);
  if (!*out) return E_NOINTERFACE;
  AddRef();
  return S_OK;
}

ULONG Object::AddRef() { return ++refs_; }

ULONG Object::Release() {
  const ULONG left = --refs_;
  if (left == 0) delete this;
  return left;
}

HRESULT Object::GetTypeInfoCount(UINT *count) {
  if (!count) return E_POINTER;
  *count = 0;
  return S_OK;
}

HRESULT Object::GetTypeInfo(UINT, LCID, ITypeInfo **info) {
  if (info) *info = nullptr;
  return DISP_E_BADINDEX;
}

HRESULT Object::GetIDsOfNames(REFIID, LPOLESTR *names, UINT count, LCID, DISPID *ids) {
  if (!names || !ids || count == 0) return E_INVALIDARG;
  HRESULT hr = S_OK;
  ids[0] = members().id_of(names[0]);
  if (ids[0] == DISPID_UNKNOWN) hr = DISP_E_UNKNOWNNAME;
  // Named parameters are not supported.
  for (UINT i = 1; i < count; ++i) {
    ids[i] = DISPID_UNKNOWN;
    hr = DISP_E_UNKNOWNNAME;
  }
  return hr;
}

HRESULT Object::Invoke(DISPID id, REFIID, LCID lcid, WORD flags, DISPPARAMS *dp, VARIANT *result,
                       EXCEPINFO *info, UINT *arg_error) {
  g_last_call = GetTickCount();
  const Member *m = members().by_id(id);
  if (!m) return DISP_E_MEMBERNOTFOUND;
  const CallDepth depth;
  if (depth.outermost() && !m->control && dp) {
    const HRESULT observed = observe_call(*m, flags, *dp, result, info);
    if (observed != S_FALSE) return observed;
  }
  if (!m->control)
    if (HRESULT gone = usable(); FAILED(gone)) return gone;
  if (!dp || (dp->cArgs && !dp->rgvarg)) return E_INVALIDARG;
  auto blame = [arg_error](UINT index, HRESULT hr) {
    if (arg_error) *arg_error = index;
    return hr;
  };

  const bool put = flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF);
  const UINT named = dp->cNamedArgs;
  if (put) {
    if (!m->put) return DISP_E_MEMBERNOTFOUND;
    if (dp->cArgs < 1 || named != 1 || !dp->rgdispidNamedArgs ||
        dp->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT)
      return DISP_E_PARAMNOTOPTIONAL;
  } else {
    if (!m->get) return DISP_E_MEMBERNOTFOUND;
    if (named) return DISP_E_NONAMEDARGS;
  }

  // Natural argument i sits at rgvarg[cArgs - 1 - i].
  const UINT positional = dp->cArgs - named;
  const size_t own = std::min<size_t>(positional, m->params.size());
  const UINT surplus = positional - static_cast<UINT>(own);
  if (surplus && put) return DISP_E_BADPARAMCOUNT;

  std::vector<Variant> args(m->params.size());
  std::vector<bool> given(m->params.size(), false);
  for (size_t i = 0; i < m->params.size(); ++i) {
    const Param &p = m->params[i];
    if (i >= own) {
      if (!p.optional) return DISP_E_BADPARAMCOUNT;
      continue;
    }
    const UINT index = dp->cArgs - 1 - static_cast<UINT>(i);
    const VARIANT &src = dp->rgvarg[index];
    if (omitted(src)) {
      if (!p.optional) return blame(index, DISP_E_PARAMNOTFOUND);
      continue;
    }
    if (FAILED(coerce(src, p.type, args[i]))) return blame(index, DISP_E_TYPEMISMATCH);
    given[i] = true;
  }

  Variant value;
  if (put && FAILED(coerce(dp->rgvarg[0], m->value_type, value))) return blame(0, DISP_E_TYPEMISMATCH);

  Invocation call(args, given, value.get(), info);
  HRESULT hr = put ? m->put(*this, call) : m->get(*this, call);
  if (FAILED(hr)) return hr;

  if (surplus) {
    // Workbooks(1): the arguments the property does not take go to the
    // default member of the object it returned.
    VARIANT &r = call.result();
    if (r.vt != VT_DISPATCH || !r.pdispVal) return DISP_E_BADPARAMCOUNT;
    auto target = Ref<IDispatch>::share(r.pdispVal);
    call.result_holder().clear();
    DISPPARAMS rest{dp->rgvarg, nullptr, surplus, 0};
    return target->Invoke(DISPID_VALUE, IID_NULL, lcid, flags, &rest, result, info, arg_error);
  }
  if (result) *result = call.result_holder().detach();
  return S_OK;
}

Member field(const wchar_t *name, VARTYPE type) {
  std::wstring key = name;
  Handler get = [key](Object &self, Invocation &call) {
    auto it = self.fields_.find(key);
    if (it != self.fields_.end()) call.set_variant(*it->second.get());
    return S_OK;
  };
  Handler put = [key](Object &self, Invocation &call) {
    Variant &slot = self.fields_[key];
    return VariantCopy(slot.get(), const_cast<VARIANT *>(&call.value()));
  };
  return Member{name, {}, type, get, put, false};
}

// ---- Collection ----

const Members &Collection::collection_members() {
  static const Members m{
      getter<Collection>(L"Count", &Collection::count),
      as_default(method<Collection>(L"Item", {{VT_I4}}, &Collection::item)),
  };
  return m;
}

const Members &Collection::members() const { return collection_members(); }

HRESULT Collection::count(Invocation &call) {
  call.set_i4(static_cast<int32_t>(items_.size()));
  return S_OK;
}

HRESULT Collection::item(Invocation &call) {
  const int32_t index = call.i4(0);
  if (index < 1 || static_cast<size_t>(index) > items_.size()) return DISP_E_BADINDEX;
  call.set_object(items_[index - 1].get());
  return S_OK;
}

}  // namespace standin
