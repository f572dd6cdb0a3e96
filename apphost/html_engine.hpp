// The HTML engine as the host sees it: the function table that the engine
// DLL's export SciterAPI returns, with the eight operations the host calls,
// the value and method-call records, and the constants the host passes. The
// positions are those of the engine's version-4 series for Windows, so the
// host works with the real engine DLL as well as with our stand-in
// (standins/htmlengine/), which is built on this same header.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

namespace tarvo::html {

// A script value: type word, units word, 64 bits of data. Only the engine
// reads or writes text and integers; the host writes the type word itself
// only to make a result null.
struct Value {
  uint32_t type;
  uint32_t units;
  uint64_t data;
};
static_assert(sizeof(Value) == 16 && alignof(Value) == 8);

enum ValueType : uint32_t { kUndefined = 0, kNull = 1, kBoolean = 2, kInteger = 3, kText = 5 };

// What the engine passes for a scripting method call (event group 1024).
struct MethodCall {
  const char *name;  // narrow, zero-terminated
  Value *argv;       // argc consecutive values
  uint32_t argc;
  Value result;
};
static_assert(offsetof(MethodCall, argc) == 2 * sizeof(void *));
static_assert(offsetof(MethodCall, result) == (sizeof(void *) == 8 ? 24 : 16));

// The host's window-level event handler: tag, element, event group, the
// event's record; non-zero when the event was handled.
using EventHandler = BOOL(WINAPI *)(void *tag, void *element, UINT group, void *record);

using LoadFileFn = BOOL(WINAPI *)(HWND window, const wchar_t *path);
using SetOptionFn = BOOL(WINAPI *)(HWND window, UINT option, UINT_PTR value);
using CreateWindowFn = HWND(WINAPI *)(UINT flags, RECT *frame, void *delegate, void *delegate_param, HWND parent);
using AttachHandlerFn = int32_t(WINAPI *)(HWND window, EventHandler handler, void *tag, UINT subscription);
using GetTextFn = UINT(WINAPI *)(const Value *value, const wchar_t **chars, UINT *count);
using SetTextFn = UINT(WINAPI *)(Value *value, const wchar_t *chars, UINT count, UINT units);
using GetIntegerFn = UINT(WINAPI *)(const Value *value, INT *out);
using SetIntegerFn = UINT(WINAPI *)(Value *value, INT number, UINT type, UINT units);
// The DLL's export.
using ApiEntryFn = const void *(WINAPI *)();

// Slot numbers: slot N sits N pointers from the table's start (slot 0 holds
// the 32-bit version number, padded to a pointer).
enum Slot : int {
  kSlotLoadFile = 7,
  kSlotSetOption = 21,
  kSlotCreateWindow = 29,
  kSlotAttachHandler = 81,
  kSlotGetText = 133,
  kSlotSetText = 134,
  kSlotGetInteger = 135,
  kSlotSetInteger = 136,
};

// Constants the host passes.
inline constexpr UINT kOptionScriptFeatures = 8;
inline constexpr UINT_PTR kAllScriptFeatures = 15;  // files, sockets, eval, system information
inline constexpr UINT kOptionDebugMode = 10;
inline constexpr UINT kMainWindowFlags = 0x296;  // title bar, resizable, controls, main window, debugging
inline constexpr UINT kScriptingCalls = 0x400;   // subscription and event group of method calls
inline constexpr UINT kStatusOk = 0;

// The operations the host calls, taken from a table once.
struct Engine {
  LoadFileFn load_file;
  SetOptionFn set_option;
  CreateWindowFn create_window;
  AttachHandlerFn attach_handler;
  GetTextFn get_text;
  SetTextFn set_text;
  GetIntegerFn get_integer;
  SetIntegerFn set_integer;

  static Engine from_table(const void *table) {
    auto slot = [table](int n) { return static_cast<void *const *>(table)[n]; };
    return {reinterpret_cast<LoadFileFn>(slot(kSlotLoadFile)),
            reinterpret_cast<SetOptionFn>(slot(kSlotSetOption)),
            reinterpret_cast<CreateWindowFn>(slot(kSlotCreateWindow)),
            reinterpret_cast<AttachHandlerFn>(slot(kSlotAttachHandler)),
            reinterpret_cast<GetTextFn>(slot(kSlotGetText)),
            reinterpret_cast<SetTextFn>(slot(kSlotSetText)),
            reinterpret_cast<GetIntegerFn>(slot(kSlotGetInteger)),
            reinterpret_cast<SetIntegerFn>(slot(kSlotSetInteger))};
  }
};

}  // namespace tarvo::html
