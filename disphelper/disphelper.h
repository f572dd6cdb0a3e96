// The late-binding dispatch layer: IDispatch calls written as printf-like
// member expressions such as ".Cells(%d, %d).Value = %S".
//
// Internal interface of the automation families (Office, SAP, desktop
// automation, the script COM functions); nothing here is exported.
//
// Every operation returns an HRESULT. Failures are recorded in the calling
// thread's DispatchErrorRecord (only the first failure of an outermost
// operation) and, with the error display switched on, shown in a message box
// once the outermost operation gives up.
//
// Member expressions: an optional leading "."; segments split at every ".";
// in a segment the member name runs up to the first "(", blank, "=" or "%";
// each "%" followed by one letter takes one argument value, left to right
// across the whole expression, at most 25 per segment; everything else is
// decoration. At most 511 characters.
//
// Argument letters: d int32, u uint32, p intptr_t (VT_I8), e double,
// b int (VARIANT_BOOL), S const wchar_t*, s const char* (ANSI), T S or s by
// the text mode, B BSTR (not copied), o IDispatch*, O IUnknown* (no reference
// taken), v VARIANT* (copied bit for bit), D DATE, t time_t (local time),
// W SYSTEMTIME*, f FILETIME*, m nothing (omitted optional parameter).
//
// GetValue result letters (optionally after "%"): d int32_t, u uint32_t,
// p int64_t, e double, b int32_t (-1/0), S B BSTR (caller frees), s BSTR
// holding ANSI bytes (caller frees), T S or s by the text mode, o IDispatch*
// and O IUnknown* (one reference for the caller; a null object fails with
// E_NOINTERFACE), v VARIANT (caller clears), D DATE, t time_t, W SYSTEMTIME,
// f FILETIME. On failure the caller's variable is left as it was.
#pragma once

#include <windows.h>
#include <oaidl.h>
#include <objbase.h>

#include <cstdarg>
#include <cstdint>
#include <ctime>

// The GDI macro of the same name would rename the attach operation.
#undef GetObject

namespace tarvo::disp {

inline constexpr WORD kMethod = DISPATCH_METHOD;
inline constexpr WORD kPropertyGet = DISPATCH_PROPERTYGET;
inline constexpr WORD kPropertyPut = DISPATCH_PROPERTYPUT;
inline constexpr WORD kMethodOrGet = DISPATCH_METHOD | DISPATCH_PROPERTYGET;

inline constexpr int kMaxArguments = 25;
inline constexpr size_t kMaxExpression = 511;  // characters, terminator not counted

// The per-thread failure record; fields in their documented order.
struct DispatchErrorRecord {
  const wchar_t *InitialFunction;  // outermost operation that failed
  const wchar_t *ErrorFunction;    // innermost operation that failed first
  HRESULT Code;
  wchar_t Member[64];          // member being invoked (truncated)
  wchar_t CompleteMember[256]; // expression (or ProgID) of the outermost operation
  LONG ServerCode;             // from the server's exception information
  BSTR Description;            // owned by the record
  BSTR Source;
  BSTR HelpFile;
  DWORD HelpContext;
  UINT ArgumentIndex;          // argument Invoke blamed for a type mismatch
  BOOL FromDispatch;           // failure came from GetIDsOfNames or Invoke
  BOOL Finished;               // the outermost operation completed the record
};

// Where the values of the "%" conversions come from. The C entry points read
// them from their argument list; script callers supply their own values and
// fail a conversion they have no value for instead of inventing one.
class ArgumentSource {
 public:
  virtual ~ArgumentSource() = default;
  // Fills `slot` for the conversion `letter` (never 'm' and never an unknown
  // letter: the parser handles those). `owned` is set when the slot holds a
  // BSTR that must be freed after the call.
  virtual HRESULT convert(wchar_t letter, VARIANT &slot, bool &owned) = 0;
};

// Slot fillers shared by argument sources. Text becomes a new BSTR (null
// gives a null BSTR) and sets `owned`.
HRESULT wide_to_slot(const wchar_t *text, VARIANT &slot, bool &owned);
HRESULT integer_to_slot(VARTYPE type, int64_t value, VARIANT &slot);  // VT_I4, VT_UI4, VT_I8, VT_BOOL
HRESULT real_to_slot(VARTYPE type, double value, VARIANT &slot);      // VT_R8, VT_DATE
HRESULT time_to_slot(time_t t, VARIANT &slot);                        // local time as VT_DATE

// Library load: initialises COM on the loading thread (single-threaded
// apartment) when asked, and sets the text mode.
void Initialise(bool initialise_com, bool wide_text);
void Uninitialise();

// Process-wide switches (unsynchronised, as the rest of the record's state).
void SetErrorDisplay(bool on);
bool ErrorDisplay();
void SetWideTextMode(bool wide);
bool WideTextMode();

// The calling thread's record, or null before its first failure.
const DispatchErrorRecord *ThreadErrorRecord();

// The message box text for a record (at most 511 characters plus terminator).
void FormatErrorMessage(const DispatchErrorRecord &record, wchar_t (&text)[512]);

// ---- Object creation and attachment ----
HRESULT CreateObject(const wchar_t *progid, const wchar_t *machine, IDispatch **out);
HRESULT CreateObjectEx(const wchar_t *class_text, REFIID iid, DWORD context, COSERVERINFO *server,
                       void **out);
HRESULT GetObject(const wchar_t *path, const wchar_t *progid, IDispatch **out);
HRESULT GetObjectEx(const wchar_t *path, const wchar_t *progid, REFIID iid, DWORD context,
                    void *reserved, void **out);

// ---- Member expressions ----
HRESULT CallMethod(IDispatch *object, const wchar_t *expression, ...);
HRESULT PutValue(IDispatch *object, const wchar_t *expression, ...);
HRESULT GetValue(const wchar_t *result_type, void *result, IDispatch *object,
                 const wchar_t *expression, ...);

HRESULT CallMethodV(IDispatch *object, const wchar_t *expression, va_list args);
HRESULT PutValueV(IDispatch *object, const wchar_t *expression, va_list args);
HRESULT GetValueV(const wchar_t *result_type, void *result, IDispatch *object,
                  const wchar_t *expression, va_list args);

// The same operations (recorded under the same names) with the values from
// another source.
HRESULT CallMethodV(IDispatch *object, const wchar_t *expression, ArgumentSource &args);
HRESULT PutValue(IDispatch *object, const wchar_t *expression, ArgumentSource &args);
HRESULT GetValue(const wchar_t *result_type, void *result, IDispatch *object,
                 const wchar_t *expression, ArgumentSource &args);

// ---- The workers underneath ----
HRESULT InvokeV(WORD kind, VARTYPE wanted, VARIANT *result, IDispatch *object,
                const wchar_t *expression, va_list args);
HRESULT InvokeV(WORD kind, VARTYPE wanted, VARIANT *result, IDispatch *object,
                const wchar_t *expression, ArgumentSource &args);
// Walks every segment of `*expression` (cut in place) but the last; on
// success `*object` carries one reference to the object reached and
// `*expression` points at the last segment. On failure `*object` is null.
HRESULT TraverseSubObjects(IDispatch **object, wchar_t **expression, ArgumentSource &args);
HRESULT InternalInvokeV(WORD kind, VARTYPE wanted, VARIANT *result, IDispatch *object,
                        wchar_t *segment, ArgumentSource &args);
// Parses one segment (cut in place after its name) into slots filled from
// slot 24 downward; `*count` is the number filled and `owned` tells, for the
// filled slots, which hold a BSTR to free after the call. On failure nothing
// is left to free.
HRESULT CreateArgumentArray(wchar_t *segment, VARIANT (&slots)[kMaxArguments],
                            bool (&owned)[kMaxArguments], int *count, ArgumentSource &args);
// `args` holds `count` values in Invoke's (reversed) order.
HRESULT InvokeArray(WORD kind, VARIANT *result, int count, IDispatch *object,
                    const wchar_t *member, VARIANT *args);

// ---- Date conversions (shared by the argument and result letters) ----
HRESULT FileTimeToDate(const FILETIME &ft, DATE *out);
HRESULT DateToFileTime(DATE d, FILETIME *out);
HRESULT SystemTimeToDate(const SYSTEMTIME &st, DATE *out);
HRESULT DateToSystemTime(DATE d, SYSTEMTIME *out);
HRESULT TimeToDate(time_t t, DATE *out);
HRESULT DateToTime(DATE d, time_t *out);

}  // namespace tarvo::disp
