// The stand-in desktop-automation object and its counted class factory.
#include "op_standin.hpp"

#include "journal.hpp"

#include <algorithm>
#include <array>
#include <map>
#include <tuple>
#include <cwchar>
#include <cwctype>
#include <string>
#include <utility>

namespace standin::op {
namespace {

std::atomic<long> g_factories{0};

enum class Answer { integer, text, search };

constexpr size_t kTableSize = 108;  // through FindStr, the last method called early

std::wstring lower(std::wstring s) {
  for (wchar_t &c : s) c = static_cast<wchar_t>(std::towlower(c));
  return s;
}

class OpStandin;

// The interface pointer clients hold: its table forwards IUnknown's and
// IDispatch's entries to the object and holds the object's own methods.
struct Dual {
  void *const *table;
  OpStandin *owner;
};

struct Found {
  LONG result, x, y;
};

class OpStandin final : public Object {
 public:
  OpStandin();
  const Members &members() const override;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **out) override {
    if (out && (iid == IID_IUnknown || iid == IID_IDispatch || (iid == kIid && dual_enabled_))) {
      *out = &dual_;
      AddRef();
      return S_OK;
    }
    return Object::QueryInterface(iid, out);
  }

  // A member's answer: scripted by the test, or the default of its kind.
  HRESULT answer(const std::wstring &name, Answer kind, Invocation &call) {
    auto it = answers_.find(lower(name));
    if (kind == Answer::search) {
      const Found f = search_answer(name, call.i4(0), call.i4(1));
      const size_t out = call.count() - 2;
      for (size_t i : {out, out + 1}) {
        VARIANT *target = call.arg(i).pvarVal;
        VariantClear(target);
        target->vt = VT_I4;
        target->lVal = i == out ? f.x : f.y;
      }
      call.set_i4(f.result);
    } else if (it != answers_.end()) {
      call.set_variant(*it->second.get());
    } else if (kind == Answer::integer) {
      call.set_i4(7);
    } else {
      call.set_text(L"\u00e9" + name);
    }
    return S_OK;
  }

  // "result,x,y" when scripted; else a match at (x1 + 10, y1 + 20).
  Found search_answer(const std::wstring &name, LONG x1, LONG y1) const {
    auto it = answers_.find(lower(name));
    if (it == answers_.end() || it->second->vt != VT_BSTR) return {1, x1 + 10, y1 + 20};
    Found f{};
    std::swscanf(it->second->bstrVal, L"%ld,%ld,%ld", &f.result, &f.x, &f.y);
    return f;
  }

  HRESULT script(Invocation &call) {
    return VariantCopy(answers_[lower(call.text(0))].get(), const_cast<VARIANT *>(&call.arg(1)));
  }
  HRESULT put_dual(Invocation &call) {
    dual_enabled_ = call.value().boolVal != VARIANT_FALSE;
    return S_OK;
  }
  HRESULT get_dual(Invocation &call) {
    call.set_bool(dual_enabled_);
    return S_OK;
  }
  HRESULT factories(Invocation &call) {
    call.set_i4(g_factories.load());
    return S_OK;
  }

  Dual dual_;

 private:
  std::map<std::wstring, Variant> answers_;
  bool dual_enabled_ = true;
};

// ---- the function table ----------------------------------------------------------

HRESULT STDMETHODCALLTYPE query(Dual *d, REFIID iid, void **out) { return d->owner->QueryInterface(iid, out); }
ULONG STDMETHODCALLTYPE add_ref(Dual *d) { return d->owner->AddRef(); }
ULONG STDMETHODCALLTYPE release(Dual *d) { return d->owner->Release(); }
HRESULT STDMETHODCALLTYPE type_info_count(Dual *d, UINT *n) { return d->owner->GetTypeInfoCount(n); }
HRESULT STDMETHODCALLTYPE type_info(Dual *d, UINT i, LCID l, ITypeInfo **t) { return d->owner->GetTypeInfo(i, l, t); }
HRESULT STDMETHODCALLTYPE ids_of_names(Dual *d, REFIID r, LPOLESTR *n, UINT c, LCID l, DISPID *ids) {
  return d->owner->GetIDsOfNames(r, n, c, l, ids);
}
HRESULT STDMETHODCALLTYPE invoke(Dual *d, DISPID id, REFIID r, LCID l, WORD f, DISPPARAMS *p, VARIANT *v,
                                 EXCEPINFO *e, UINT *a) {
  return d->owner->Invoke(id, r, l, f, p, v, e, a);
}

Member slot_member(size_t n) {
  Member m;
  m.name = L"Slot" + std::to_wstring(n);
  return m;
}

// A position no client should call: journaled by number, and failed.
template <size_t N>
HRESULT STDMETHODCALLTYPE stray(Dual *) {
  static const Member slot = slot_member(N);
  DISPPARAMS none{};
  const HRESULT observed = observe_call(slot, DISPATCH_METHOD, none, nullptr, nullptr);
  return observed == S_FALSE ? E_NOTIMPL : observed;
}

VARIANT as_variant(LONG v) {
  VARIANT r;
  r.vt = VT_I4;
  r.lVal = v;
  return r;
}
VARIANT as_variant(double v) {
  VARIANT r;
  r.vt = VT_R8;
  r.dblVal = v;
  return r;
}
VARIANT as_variant(BSTR v) {  // borrowed: never cleared
  VARIANT r;
  r.vt = VT_BSTR;
  r.bstrVal = v;
  return r;
}

// One of the object's own searches, called through the table: journaled as
// a method call of its name (so faults apply), answered as by name.
template <const wchar_t *Name, class... A>
HRESULT STDMETHODCALLTYPE early(Dual *d, A... in, VARIANT *x, VARIANT *y, LONG *result) {
  std::array<VARIANT, sizeof...(A)> args{as_variant(in)...};
  std::reverse(args.begin(), args.end());  // Invoke's order, last first
  DISPPARAMS dp{args.data(), nullptr, static_cast<UINT>(args.size()), 0};
  const Members &m = d->owner->members();
  const HRESULT observed = observe_call(*m.by_id(m.id_of(Name)), DISPATCH_METHOD, dp, nullptr, nullptr);
  if (observed != S_FALSE) return observed;
  if (!x || !y || !result) return E_POINTER;
  const LONG xy[] = {std::get<0>(std::tuple<A...>(in...)), std::get<1>(std::tuple<A...>(in...))};
  const Found f = d->owner->search_answer(Name, xy[0], xy[1]);
  VariantClear(x);
  VariantClear(y);
  *x = as_variant(f.x);
  *y = as_variant(f.y);
  *result = f.result;
  return S_OK;
}

constexpr wchar_t kFindColor[] = L"FindColor", kFindMultiColor[] = L"FindMultiColor", kFindPic[] = L"FindPic",
                  kFindStr[] = L"FindStr";

template <size_t... N>
std::array<void *, kTableSize> strays(std::index_sequence<N...>) {
  return {reinterpret_cast<void *>(&stray<N>)...};
}

void *const *dual_table() {
  static const std::array<void *, kTableSize> table = [] {
    auto t = strays(std::make_index_sequence<kTableSize>());
    const std::array<void *, 7> dispatch = {
        reinterpret_cast<void *>(&query),      reinterpret_cast<void *>(&add_ref),
        reinterpret_cast<void *>(&release),    reinterpret_cast<void *>(&type_info_count),
        reinterpret_cast<void *>(&type_info),  reinterpret_cast<void *>(&ids_of_names),
        reinterpret_cast<void *>(&invoke)};
    std::copy(dispatch.begin(), dispatch.end(), t.begin());
    using L = LONG;
    t[84] = reinterpret_cast<void *>(&early<kFindColor, L, L, L, L, BSTR, double, L>);
    t[86] = reinterpret_cast<void *>(&early<kFindMultiColor, L, L, L, L, BSTR, BSTR, double, L>);
    t[88] = reinterpret_cast<void *>(&early<kFindPic, L, L, L, L, BSTR, BSTR, double, L>);
    t[107] = reinterpret_cast<void *>(&early<kFindStr, L, L, L, L, BSTR, BSTR, double>);
    return t;
  }();
  return table.data();
}

OpStandin::OpStandin() : dual_{dual_table(), this} {}

// ---- the members ------------------------------------------------------------------

Member answered(const wchar_t *name, size_t params, Answer kind) {
  std::vector<Param> p(params);
  if (kind == Answer::search) p[params - 1].type = p[params - 2].type = VT_BYREF | VT_VARIANT;
  const std::wstring key = name;
  return Member{name, std::move(p), VT_EMPTY,
                [key, kind](Object &self, Invocation &call) {
                  return static_cast<OpStandin &>(self).answer(key, kind, call);
                },
                {}};
}

const Members &OpStandin::members() const {
  using A = Answer;
  static const Members m(
      {
          answered(L"Ver", 0, A::text), answered(L"GetBasePath", 0, A::text), answered(L"GetPath", 0, A::text),
          answered(L"SetPath", 1, A::integer), answered(L"SetShowErrorMsg", 1, A::integer),
          answered(L"BindWindow", 5, A::integer), answered(L"UnBindWindow", 0, A::integer),
          answered(L"RunApp", 2, A::integer), answered(L"WinExec", 2, A::integer),
          answered(L"GetCmdStr", 2, A::text), answered(L"SetDisplayInput", 1, A::integer),
          answered(L"SetDict", 2, A::integer), answered(L"UseDict", 1, A::integer),
          answered(L"Capture", 5, A::integer), answered(L"CapturePre", 1, A::integer),
          answered(L"GetColor", 2, A::text), answered(L"CmpColor", 4, A::integer),
          answered(L"FindColorEx", 7, A::text), answered(L"FindMultiColorEx", 8, A::text),
          answered(L"FindPicEx", 8, A::text), answered(L"Ocr", 6, A::text), answered(L"OcrEx", 6, A::text),
          answered(L"OcrAuto", 5, A::text), answered(L"OcrFromFile", 3, A::text),
          answered(L"OcrAutoFromFile", 2, A::text), answered(L"FindStrEx", 7, A::text),
          answered(L"MoveTo", 2, A::integer), answered(L"MoveR", 2, A::integer),
          answered(L"MoveToEx", 4, A::integer), answered(L"LeftClick", 0, A::integer),
          answered(L"LeftDoubleClick", 0, A::integer), answered(L"LeftDown", 0, A::integer),
          answered(L"LeftUp", 0, A::integer), answered(L"MiddleClick", 0, A::integer),
          answered(L"MiddleDown", 0, A::integer), answered(L"MiddleUp", 0, A::integer),
          answered(L"RightClick", 0, A::integer), answered(L"RightDown", 0, A::integer),
          answered(L"RightUp", 0, A::integer), answered(L"WheelDown", 0, A::integer),
          answered(L"WheelUp", 0, A::integer), answered(L"GetKeyState", 1, A::integer),
          answered(L"KeyPress", 1, A::integer), answered(L"KeyDown", 1, A::integer),
          answered(L"KeyUp", 1, A::integer), answered(L"KeyPressChar", 1, A::integer),
          answered(L"KeyDownChar", 1, A::integer), answered(L"KeyUpChar", 1, A::integer),
          answered(L"FindColor", 9, A::search), answered(L"FindMultiColor", 10, A::search),
          answered(L"FindPic", 10, A::search), answered(L"FindStr", 9, A::search),
          control(method<OpStandin>(L"_Answer", {{VT_BSTR}, {VT_VARIANT}}, &OpStandin::script)),
          control(property<OpStandin>(L"_Dual", VT_BOOL, &OpStandin::get_dual, &OpStandin::put_dual)),
          control(getter<OpStandin>(L"Factories", &OpStandin::factories)),
      },
      &control_members());
  return m;
}

// ---- the class factory ------------------------------------------------------------

class Factory final : public IClassFactory {
 public:
  explicit Factory(Refusal refusal) : refusal_(refusal) { ++g_factories; }
  ~Factory() { --g_factories; }
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (iid != IID_IUnknown && iid != IID_IClassFactory) return E_NOINTERFACE;
    *out = static_cast<IClassFactory *>(this);
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG n = --refs_;
    if (n == 0) delete this;
    return n;
  }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown *outer, REFIID iid, void **out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    if (refusal_ == Refusal::create_fails) return E_OUTOFMEMORY;
    if (refusal_ == Refusal::create_null) return S_OK;
    if (live_objects() == 0) reset_observations();
    return make_as<OpStandin>(iid, out);
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

 private:
  std::atomic<ULONG> refs_{1};
  Refusal refusal_;
};

}  // namespace

Refusal refusal_from_environment() {
  wchar_t mode[16] = L"";
  GetEnvironmentVariableW(L"TARVO_OP_STANDIN_REFUSE", mode, 16);
  const std::pair<const wchar_t *, Refusal> modes[] = {{L"class", Refusal::no_class},
                                                       {L"sfalse", Refusal::s_false},
                                                       {L"create", Refusal::create_fails},
                                                       {L"null", Refusal::create_null}};
  for (const auto &[name, refusal] : modes)
    if (std::wcscmp(mode, name) == 0) return refusal;
  return Refusal::none;
}

HRESULT get_class_object(REFCLSID clsid, REFIID iid, void **out, Refusal refusal) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (clsid != kClsid || refusal == Refusal::no_class) return CLASS_E_CLASSNOTAVAILABLE;
  auto factory = Ref<IClassFactory>::adopt(new Factory(refusal));
  const HRESULT hr = factory->QueryInterface(iid, out);
  return SUCCEEDED(hr) && refusal == Refusal::s_false ? S_FALSE : hr;
}

long live_factories() { return g_factories.load(); }

void report_unload() {
  const std::wstring text =
      L"live=" + std::to_wstring(live_objects()) + L" factories=" + std::to_wstring(g_factories.load());
  SetEnvironmentVariableW(L"TARVO_OP_STANDIN_UNLOADED", text.c_str());
}

}  // namespace standin::op
