// The bookkeeping every dispatch operation does: it raises the thread's
// nesting depth on entry and reports its outcome on exit, so that only the
// first failure of an outermost operation lands in the thread's record and
// only the outermost operation completes it (and shows it).
#pragma once

#include "disphelper.h"

#include <cstdint>

namespace tarvo::disp::detail {

struct FailureDetail {
  const wchar_t *member = nullptr;  // member being invoked, if known
  bool from_dispatch = false;       // GetIDsOfNames / Invoke said so
  EXCEPINFO *exception = nullptr;   // its strings are taken or freed by the report
  UINT argument_index = 0;
};

class Operation {
 public:
  // `complete_member` is what this operation received (expression or ProgID).
  Operation(const wchar_t *name, const wchar_t *complete_member);
  ~Operation();
  Operation(const Operation &) = delete;
  Operation &operator=(const Operation &) = delete;

  // Lowers the depth and records a failure; returns `hr` unchanged.
  HRESULT finish(HRESULT hr, const FailureDetail &detail = {});
  // Invalid-argument shortcut used by the parameter checks.
  HRESULT invalid() { return finish(E_INVALIDARG); }

 private:
  const wchar_t *name_;
  const wchar_t *complete_member_;
  intptr_t *depth_;  // the thread's depth cell, or null when only TlsGetValue reaches it
  bool finished_ = false;
};

// Frees the strings of an exception record that nobody took.
void free_exception_strings(EXCEPINFO &info);

}  // namespace tarvo::disp::detail
