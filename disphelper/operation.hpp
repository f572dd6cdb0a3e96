// The bookkeeping every dispatch operation does: it raises the thread's
// nesting depth on entry and reports its outcome on exit, so that only the
// first failure of an outermost operation lands in the thread's record and
// only the outermost operation completes it (and shows it).
#pragma once

#include "disphelper.h"

#include <winternl.h>

#include <cstdint>

namespace tarvo::disp::detail {

// The TLS slot of the nesting depth; TLS_OUT_OF_INDEXES until the first
// operation of the process allocates it.
extern DWORD g_depth_slot;
intptr_t *depth_cell_slow();

// The calling thread's depth counter. Every operation touches it twice, so
// it is read straight from the thread's block of TLS slots (where
// TlsGetValue finds the first 64), without a call.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Warray-bounds"  // GCC misreads the segment-register read of the TEB
inline intptr_t *depth_cell() {
  const DWORD slot = g_depth_slot;
  if (slot < TLS_MINIMUM_AVAILABLE) return reinterpret_cast<intptr_t *>(&NtCurrentTeb()->TlsSlots[slot]);
  return depth_cell_slow();
}
#pragma GCC diagnostic pop

struct FailureDetail {
  const wchar_t *member = nullptr;  // member being invoked, if known
  bool from_dispatch = false;       // GetIDsOfNames / Invoke said so
  EXCEPINFO *exception = nullptr;   // its strings are taken or freed by the report
  UINT argument_index = 0;
};

class Operation {
 public:
  // `complete_member` is what this operation received (expression or ProgID).
  Operation(const wchar_t *name, const wchar_t *complete_member)
      : name_(name), complete_member_(complete_member), depth_(depth_cell()) {
    ++*depth_;
  }
  ~Operation() {
    if (!finished_) --*depth_;
  }
  Operation(const Operation &) = delete;
  Operation &operator=(const Operation &) = delete;

  // Lowers the depth and records a failure; returns `hr` unchanged.
  HRESULT finish(HRESULT hr, const FailureDetail &detail = {}) {
    if (finished_) return hr;
    finished_ = true;
    const bool outermost = (*depth_)-- <= 1;
    return SUCCEEDED(hr) ? hr : report(hr, outermost, detail);
  }
  // Invalid-argument shortcut used by the parameter checks.
  HRESULT invalid() { return finish(E_INVALIDARG); }

 private:
  HRESULT report(HRESULT hr, bool outermost, const FailureDetail &detail);

  const wchar_t *name_;
  const wchar_t *complete_member_;
  intptr_t *depth_;
  bool finished_ = false;
};

// Frees the strings of an exception record that nobody took.
void free_exception_strings(EXCEPINFO &info);

}  // namespace tarvo::disp::detail
