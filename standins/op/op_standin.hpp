// The stand-in desktop-automation object: a dual interface whose function
// table goes on past IDispatch with the object's own methods at the
// positions its clients call, every other position a stub that journals
// "call Slot<N>()" and fails. README.md tells what it answers.
#pragma once

#include <windows.h>

namespace standin::op {

// {12BEC402-A06E-4FAD-A7D4-830F967374C6}: the class its DLL serves.
inline constexpr CLSID kClsid = {0x12BEC402, 0xA06E, 0x4FAD, {0xA7, 0xD4, 0x83, 0x0F, 0x96, 0x73, 0x74, 0xC6}};
// {51E59A6F-85F4-4DA0-A01E-C9B6B3B8B8A7}: its dual interface.
inline constexpr IID kIid = {0x51E59A6F, 0x85F4, 0x4DA0, {0xA0, 0x1E, 0xC9, 0xB6, 0xB3, 0xB8, 0xB8, 0xA7}};

// How a factory misbehaves: not at all, or by refusing at one step.
enum class Refusal { none, no_class, s_false, create_fails, create_null };

// The refusal named by the environment variable TARVO_OP_STANDIN_REFUSE
// ("class", "sfalse", "create", "null"; anything else: none).
Refusal refusal_from_environment();

// DllGetClassObject of a stand-in DLL: a new counted factory per call.
HRESULT get_class_object(REFCLSID clsid, REFIID iid, void **out, Refusal refusal);

// Stand-in objects and factories alive in this module.
long live_factories();

// Leaves "live=<objects> factories=<factories>" in the process environment
// variable TARVO_OP_STANDIN_UNLOADED, for a test to read after the module
// is gone.
void report_unload();

}  // namespace standin::op
