// The per-thread nesting depth and failure record, the process-wide switches,
// and the message box that shows a failure.
#include "operation.hpp"

#include <cstdio>
#include <cwchar>
#include <utility>

namespace tarvo::disp {
namespace {

bool g_show_errors = false;
bool g_wide_text = false;
bool g_com_initialised = false;

// Two thread-local slots, allocated once per process by whichever thread
// gets here first (a function-local static is initialised exactly once even
// when threads race for it).
struct ThreadSlots {
  DWORD depth = TlsAlloc();
  DWORD record = TlsAlloc();
  ThreadSlots() {
    if (usable() && depth < TLS_MINIMUM_AVAILABLE) detail::g_depth_slot = depth;
  }
  bool usable() const { return depth != TLS_OUT_OF_INDEXES && record != TLS_OUT_OF_INDEXES; }
};

const ThreadSlots &slots() {
  static const ThreadSlots s;
  return s;
}

DispatchErrorRecord *record_get() {
  return slots().usable() ? static_cast<DispatchErrorRecord *>(TlsGetValue(slots().record)) : nullptr;
}

// Created zeroed on the thread's first failure and kept for the thread's
// lifetime, so that a failure can always be read back after the call.
DispatchErrorRecord *record_obtain() {
  if (DispatchErrorRecord *r = record_get()) return r;
  if (!slots().usable()) return nullptr;
  auto *r = static_cast<DispatchErrorRecord *>(
      HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(DispatchErrorRecord)));
  if (r && !TlsSetValue(slots().record, r)) {
    HeapFree(GetProcessHeap(), 0, r);
    r = nullptr;
  }
  return r;
}

void record_reset(DispatchErrorRecord &r) {
  SysFreeString(r.Description);
  SysFreeString(r.Source);
  SysFreeString(r.HelpFile);
  ZeroMemory(&r, sizeof r);
}

template <size_t N>
void copy_truncated(wchar_t (&dst)[N], const wchar_t *src) {
  if (!src) src = L"";
  wcsncpy(dst, src, N - 1);
  dst[N - 1] = L'\0';
}

// The server may leave parts of its exception information to a routine it
// names; run it only when it points at code.
void complete_exception(EXCEPINFO &info) {
  auto fill = info.pfnDeferredFillIn;
  if (fill && !IsBadCodePtr(reinterpret_cast<FARPROC>(fill))) {
    fill(&info);
    info.pfnDeferredFillIn = nullptr;
  }
}

void record_first_failure(DispatchErrorRecord &r, const wchar_t *operation, HRESULT hr,
                          const detail::FailureDetail &d) {
  r.Code = hr;
  r.ArgumentIndex = d.argument_index;
  r.ErrorFunction = operation;
  r.FromDispatch = d.from_dispatch;
  copy_truncated(r.Member, d.member);
  if (hr == DISP_E_EXCEPTION && d.exception) {
    EXCEPINFO &info = *d.exception;
    complete_exception(info);
    r.Description = std::exchange(info.bstrDescription, nullptr);
    r.Source = std::exchange(info.bstrSource, nullptr);
    r.HelpFile = std::exchange(info.bstrHelpFile, nullptr);
    r.HelpContext = info.dwHelpContext;
    r.ServerCode = info.wCode ? info.wCode : info.scode;
  }
}

bool empty(BSTR s) { return !s || !*s; }

// The description used when the server gave none.
void default_description(const DispatchErrorRecord &r, wchar_t (&text)[256]) {
  text[0] = L'\0';
  switch (r.Code) {
    case E_NOINTERFACE:
      copy_truncated(text, L"Object required");
      return;
    case DISP_E_MEMBERNOTFOUND:
    case DISP_E_UNKNOWNNAME:
      _snwprintf(text, 255, L"Object doesn't support this property or method: '%ls'", r.Member);
      break;
    case DISP_E_TYPEMISMATCH:
      if (r.Member[0]) {
        _snwprintf(text, 255, L"Type mismatch: '%ls'. Argument Index: %d", r.Member,
                   static_cast<int>(r.ArgumentIndex));
        break;
      }
      [[fallthrough]];
    default: {
      // A long system text is cut to the field rather than dropped.
      wchar_t system[512];
      if (FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                         static_cast<DWORD>(r.Code), LANG_USER_DEFAULT, system, 512, nullptr))
        copy_truncated(text, system);
      else
        copy_truncated(text, L"Unknown runtime error");
      break;
    }
  }
  text[255] = L'\0';
}

void cut_line_end(wchar_t *text) {
  size_t n = wcslen(text);
  if (n >= 2 && text[n - 2] == L'\r')
    text[n - 2] = L'\0';
  else if (n >= 1 && text[n - 1] == L'\n')
    text[n - 1] = L'\0';
}

void show(const DispatchErrorRecord &r) {
  wchar_t text[512];
  FormatErrorMessage(r, text);
  MessageBoxW(nullptr, text, nullptr, MB_ICONERROR | MB_SETFOREGROUND);
}

}  // namespace

void Initialise(bool initialise_com, bool wide_text) {
  g_wide_text = wide_text;
  if (initialise_com) g_com_initialised = SUCCEEDED(CoInitialize(nullptr));
}

// Nothing is torn down at unload: the apartment belongs to the loading thread
// and records live until the process ends.
void Uninitialise() {}

void SetErrorDisplay(bool on) { g_show_errors = on; }
bool ErrorDisplay() { return g_show_errors; }
void SetWideTextMode(bool wide) { g_wide_text = wide; }
bool WideTextMode() { return g_wide_text; }

const DispatchErrorRecord *ThreadErrorRecord() { return record_get(); }

void FormatErrorMessage(const DispatchErrorRecord &r, wchar_t (&text)[512]) {
  HRESULT code = r.Code;
  if (code == DISP_E_EXCEPTION && r.ServerCode) code = r.ServerCode;
  const wchar_t *source = !empty(r.Source) ? r.Source
                          : r.FromDispatch ? L"IDispatch Interface"
                                           : L"Application";
  wchar_t fallback[256];
  const wchar_t *description = r.Description;
  if (empty(r.Description)) {
    default_description(r, fallback);
    cut_line_end(fallback);
    description = fallback;
  }
  auto text_of = [](const wchar_t *s) { return s ? s : L""; };
  _snwprintf(text, 511,
             L"Member:\t  %ls\r\nFunction:\t  %ls\t\t\r\nError In:\t  %ls\r\nError:\t  %ls\r\n"
             L"Code:\t  %x\r\nSource:\t  %ls",
             r.CompleteMember, text_of(r.InitialFunction), text_of(r.ErrorFunction), description,
             static_cast<unsigned>(code), source);
  text[511] = L'\0';
}

namespace detail {

DWORD g_depth_slot = TLS_OUT_OF_INDEXES;

// The first operation of the process allocates the slots. Past the first 64
// slots the depth lives in a cell of its own per thread, found through
// TlsGetValue; with no slot at all, in one shared cell.
intptr_t *depth_cell_slow() {
  static intptr_t shared_cell = 0;
  const ThreadSlots &s = slots();
  if (!s.usable()) return &shared_cell;
  if (s.depth < TLS_MINIMUM_AVAILABLE) return depth_cell();
  auto *cell = static_cast<intptr_t *>(TlsGetValue(s.depth));
  if (!cell) {
    cell = static_cast<intptr_t *>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(intptr_t)));
    if (!cell || !TlsSetValue(s.depth, cell)) return &shared_cell;
  }
  return cell;
}

void free_exception_strings(EXCEPINFO &info) {
  SysFreeString(std::exchange(info.bstrDescription, nullptr));
  SysFreeString(std::exchange(info.bstrSource, nullptr));
  SysFreeString(std::exchange(info.bstrHelpFile, nullptr));
}

HRESULT Operation::report(HRESULT hr, bool outermost, const FailureDetail &d) {
  DispatchErrorRecord *r = record_obtain();
  if (r) {
    if (r->Finished) record_reset(*r);
    if (r->Code == S_OK) record_first_failure(*r, name_, hr, d);
    if (outermost) {
      r->Finished = TRUE;
      r->InitialFunction = name_;
      copy_truncated(r->CompleteMember, complete_member_);
    }
  }
  if (d.exception) free_exception_strings(*d.exception);
  if (r && outermost && g_show_errors) show(*r);
  return hr;
}

}  // namespace detail
}  // namespace tarvo::disp
