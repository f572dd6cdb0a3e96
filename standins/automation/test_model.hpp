// The generic test object model served by the automation stand-ins: an
// application with typed properties, argument-describing methods, failures
// on demand, a workbook/sheet/cell hierarchy and a live-object counter.
#pragma once

#include "dispatch_object.hpp"

namespace standin::test_model {

// "TarvoTest.Application", served in-process.
inline constexpr CLSID kInprocClsid = {
    0xbc2b863e, 0x94db, 0x401a, {0xa3, 0x27, 0xbd, 0x35, 0xbb, 0xfe, 0x00, 0x29}};
// "TarvoTest.LocalApplication", served by a local-server program.
inline constexpr CLSID kLocalClsid = {
    0x5f5405e9, 0x2cf4, 0x4b24, {0x81, 0xf7, 0x07, 0x09, 0x2f, 0x28, 0xa7, 0x88}};

// Creates an application object.
HRESULT create_application(REFIID iid, void **out);

// Codes the failure members use.
inline constexpr HRESULT kDeferredCode = static_cast<HRESULT>(0x800A03EC);

}  // namespace standin::test_model
