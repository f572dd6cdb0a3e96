#include "journal.hpp"

#include <cstdio>
#include <cwctype>
#include <deque>
#include <mutex>
#include <unordered_map>

namespace standin {
namespace {

constexpr size_t kJournalLines = 100000;
constexpr HRESULT kDefaultRaised = static_cast<HRESULT>(0x800A03EC);

enum class FaultMode { fail, empty, raise, deferred };

struct Fault {
  std::wstring key;  // lower-case "name" or "kind name"
  FaultMode mode;
  HRESULT code;
  long nth;
  long seen = 0;
};

struct Observer {
  std::mutex lock;
  std::deque<std::wstring> lines;
  bool journaling = true;
  std::unordered_map<std::wstring, long> counts;  // "name" and "kind name", lower case
  long total = 0;
  std::vector<Fault> faults;
};

Observer &observer() {
  static Observer o;
  return o;
}

thread_local int t_depth = 0;

std::wstring lower(std::wstring s) {
  for (wchar_t &c : s) c = static_cast<wchar_t>(towlower(c));
  return s;
}

const wchar_t *kind_word(WORD flags) {
  switch (flags) {
    case DISPATCH_METHOD: return L"call";
    case DISPATCH_METHOD | DISPATCH_PROPERTYGET: return L"get";
    case DISPATCH_PROPERTYGET: return L"prop";
    case DISPATCH_PROPERTYPUT: return L"put";
    case DISPATCH_PROPERTYPUTREF: return L"putref";
    default: return nullptr;
  }
}

std::wstring kind_text(WORD flags) {
  if (const wchar_t *w = kind_word(flags)) return w;
  return L"flags" + std::to_wstring(flags);
}

// The shortest of %.15g / %.17g that reads back as the same double.
std::wstring real_text(double d) {
  wchar_t buf[40];
  swprintf(buf, 40, L"%.15g", d);
  if (wcstod(buf, nullptr) != d) swprintf(buf, 40, L"%.17g", d);
  return buf;
}

std::wstring escaped(const wchar_t *s, size_t n) {
  std::wstring out;
  out.reserve(n);
  for (size_t i = 0; i < n; ++i) {
    switch (s[i]) {
      case L'\\': out += L"\\\\"; break;
      case L'\r': out += L"\\r"; break;
      case L'\n': out += L"\\n"; break;
      default: out += s[i];
    }
  }
  return out;
}

HRESULT STDAPICALLTYPE fill_in_injected(EXCEPINFO *info) {
  if (!info) return E_POINTER;
  info->bstrSource = SysAllocString(L"Stand-in");
  info->bstrDescription = SysAllocString(L"Injected deferred failure");
  return S_OK;
}

bool parse_mode(const wchar_t *text, FaultMode &mode) {
  static const std::pair<const wchar_t *, FaultMode> modes[] = {
      {L"fail", FaultMode::fail}, {L"empty", FaultMode::empty},
      {L"raise", FaultMode::raise}, {L"deferred", FaultMode::deferred}};
  for (const auto &[name, m] : modes)
    if (_wcsicmp(text, name) == 0) {
      mode = m;
      return true;
    }
  return false;
}

// An HRESULT given as any number, its low 32 bits ("%d" from a script
// wraps 0x800A03EC to a negative value, a double keeps it positive).
bool code_of(const VARIANT &v, HRESULT &code) {
  Variant wide;
  if (FAILED(VariantChangeType(wide.get(), const_cast<VARIANT *>(&v), 0, VT_I8))) return false;
  code = static_cast<HRESULT>(static_cast<uint32_t>(wide->llVal));
  return true;
}

// Normalises "put  Value" / "Value" to the lower-case counter key.
std::wstring member_key(const wchar_t *text) {
  std::wstring s = lower(text);
  const size_t blank = s.find(L' ');
  if (blank == std::wstring::npos) return s;
  const size_t name = s.find_first_not_of(L' ', blank);
  return s.substr(0, blank) + L" " + (name == std::wstring::npos ? L"" : s.substr(name));
}

// ---- The control members ----

HRESULT live(Object &, Invocation &call) {
  call.set_i4(live_objects());
  return S_OK;
}

HRESULT journal_text(Object &, Invocation &call) {
  Observer &o = observer();
  std::wstring text;
  {
    std::lock_guard<std::mutex> hold(o.lock);
    size_t size = 0;
    for (const std::wstring &line : o.lines) size += line.size() + 1;
    text.reserve(size);
    for (const std::wstring &line : o.lines) {
      text += line;
      text += L'\n';
    }
  }
  call.set_text(text);
  return S_OK;
}

// Empties the journal and the counters (the lock held).
void clear_records(Observer &o) {
  o.lines.clear();
  o.counts.clear();
  o.total = 0;
}

HRESULT clear_journal(Object &, Invocation &) {
  Observer &o = observer();
  std::lock_guard<std::mutex> hold(o.lock);
  clear_records(o);
  return S_OK;
}

HRESULT get_journaling(Object &, Invocation &call) {
  Observer &o = observer();
  std::lock_guard<std::mutex> hold(o.lock);
  call.set_bool(o.journaling);
  return S_OK;
}

HRESULT put_journaling(Object &, Invocation &call) {
  Observer &o = observer();
  std::lock_guard<std::mutex> hold(o.lock);
  o.journaling = call.value().boolVal != VARIANT_FALSE;
  return S_OK;
}

HRESULT count(Object &, Invocation &call) {
  Observer &o = observer();
  std::lock_guard<std::mutex> hold(o.lock);
  if (!call.given(0)) {
    call.set_i4(o.total);
    return S_OK;
  }
  auto it = o.counts.find(member_key(call.text(0)));
  call.set_i4(it == o.counts.end() ? 0 : it->second);
  return S_OK;
}

HRESULT arm_fault(Object &, Invocation &call) {
  Fault f{member_key(call.text(0)), FaultMode::fail, E_FAIL, call.i4(3, 0)};
  if (f.key.empty() || !parse_mode(call.text(1), f.mode) || f.nth < 0) return E_INVALIDARG;
  if (f.mode == FaultMode::raise || f.mode == FaultMode::deferred) f.code = kDefaultRaised;
  if (call.given(2) && !code_of(call.arg(2), f.code)) return DISP_E_TYPEMISMATCH;
  Observer &o = observer();
  std::lock_guard<std::mutex> hold(o.lock);
  o.faults.push_back(std::move(f));
  return S_OK;
}

HRESULT clear_faults(Object &, Invocation &) {
  Observer &o = observer();
  std::lock_guard<std::mutex> hold(o.lock);
  o.faults.clear();
  return S_OK;
}

Member control_member(const wchar_t *name, std::vector<Param> params, Handler get, Handler put = {},
                      VARTYPE value_type = VT_EMPTY) {
  return control(Member{name, std::move(params), value_type, std::move(get), std::move(put), false});
}

}  // namespace

void reset_observations() {
  Observer &o = observer();
  std::lock_guard<std::mutex> hold(o.lock);
  clear_records(o);
  o.faults.clear();
  o.journaling = true;
}

const Members &control_members() {
  static const Members m{
      control_member(L"LiveObjects", {}, live),
      control_member(L"_Journal", {}, journal_text),
      control_member(L"_ClearJournal", {}, clear_journal),
      control_member(L"_Journaling", {}, get_journaling, put_journaling, VT_BOOL),
      control_member(L"_Count", {{VT_BSTR, true}}, count),
      control_member(L"_Fault", {{VT_BSTR}, {VT_BSTR}, {VT_VARIANT, true}, {VT_I4, true}}, arm_fault),
      control_member(L"_ClearFaults", {}, clear_faults),
  };
  return m;
}

std::wstring describe_value(const VARIANT &v) {
  if (v.vt & VT_BYREF) {
    Variant plain;
    if (FAILED(VariantCopyInd(plain.get(), const_cast<VARIANT *>(&v)))) return L"REF";
    return L"REF:" + describe_value(*plain.get());
  }
  if (v.vt & VT_ARRAY) return L"ARRAY:" + std::to_wstring(v.vt & VT_TYPEMASK);
  switch (v.vt) {
    case VT_EMPTY: return L"EMPTY";
    case VT_NULL: return L"NULL";
    case VT_I2: return L"I2:" + std::to_wstring(v.iVal);
    case VT_I4: return L"I4:" + std::to_wstring(v.lVal);
    case VT_UI4: return L"UI4:" + std::to_wstring(v.ulVal);
    case VT_I8: return L"I8:" + std::to_wstring(v.llVal);
    case VT_UI8: return L"UI8:" + std::to_wstring(v.ullVal);
    case VT_R4: return L"R4:" + real_text(v.fltVal);
    case VT_R8: return L"R8:" + real_text(v.dblVal);
    case VT_DATE: return L"DATE:" + real_text(v.date);
    case VT_CY: return L"CY:" + real_text(static_cast<double>(v.cyVal.int64) / 10000.0);
    case VT_BOOL: return L"BOOL:" + std::to_wstring(v.boolVal);
    case VT_ERROR: {
      wchar_t buf[24];
      swprintf(buf, 24, L"ERROR:%08lx", static_cast<unsigned long>(v.scode));
      return buf;
    }
    case VT_BSTR:
      if (!v.bstrVal) return L"BSTR(null)";
      return L"BSTR:" + escaped(v.bstrVal, SysStringLen(v.bstrVal));
    case VT_DISPATCH:
    case VT_UNKNOWN: {
      const std::wstring type = v.vt == VT_DISPATCH ? L"DISPATCH" : L"UNKNOWN";
      if (!v.punkVal) return type + L":null";
      const Object *own = standin_object(v.punkVal);
      const std::wstring what = own ? own->journal_name() : std::wstring();
      return what.empty() ? type : type + L":" + what;
    }
    default: return L"VT" + std::to_wstring(v.vt);
  }
}

CallDepth::CallDepth() : outermost_(t_depth++ == 0) {}
CallDepth::~CallDepth() { --t_depth; }

HRESULT observe_call(const Member &m, WORD flags, const DISPPARAMS &dp, VARIANT *result, EXCEPINFO *info) {
  const bool put = flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF);
  const std::wstring kind = kind_text(flags);
  const std::wstring name = lower(m.name);
  const std::wstring kind_name = kind + L" " + name;

  Observer &o = observer();
  const Fault *fired = nullptr;
  Fault copy{};
  {
    std::lock_guard<std::mutex> hold(o.lock);
    ++o.total;
    ++o.counts[name];
    ++o.counts[kind_name];
    if (o.journaling && dp.cArgs <= 64 && (dp.cArgs == 0 || dp.rgvarg)) {
      // Positional arguments sit after the named ones, last first.
      const UINT positional = dp.cArgs - (dp.cNamedArgs <= dp.cArgs ? dp.cNamedArgs : dp.cArgs);
      std::wstring line = kind + L" " + m.name + L"(";
      for (UINT i = 0; i < positional; ++i) {
        if (i) line += L",";
        line += describe_value(dp.rgvarg[dp.cArgs - 1 - i]);
      }
      line += L")";
      if (put && dp.cArgs) line += L"=" + describe_value(dp.rgvarg[0]);
      o.lines.push_back(std::move(line));
      if (o.lines.size() > kJournalLines) o.lines.pop_front();
    }
    for (Fault &f : o.faults) {
      if (f.key != name && f.key != kind_name) continue;
      ++f.seen;
      if (f.nth == 0 || f.seen == f.nth) {
        copy = f;
        fired = &copy;
        break;
      }
    }
  }
  if (!fired) return S_FALSE;

  switch (fired->mode) {
    case FaultMode::fail: return fired->code;
    case FaultMode::empty:
      if (result) VariantInit(result);
      return S_OK;
    case FaultMode::raise:
      return raise_exception(info, fired->code, L"Stand-in", (L"Injected failure of " + m.name).c_str());
    case FaultMode::deferred: return raise_deferred_exception(info, fired->code, fill_in_injected);
  }
  return S_FALSE;
}

}  // namespace standin
