// What a client did to a stand-in server, and failures on demand: the call
// journal, the call counters and fault injection shared by every stand-in
// application (spreadsheet, word processor, presentations, mail, SAP).
//
// All three are reached through control members of the application object,
// so a test drives them the same way in-process, across processes and from
// Lua (COM_GetW / COM_CallW). Control members are never journaled, counted
// or faulted themselves:
//
//   .LiveObjects                      I4: stand-in objects alive in the server process
//   ._Journal                         BSTR: the journal, one line per call, each ending in "\n"
//   ._ClearJournal()                  empties the journal and resets every counter
//   ._Journaling = %b                 recording on (the default) or off; counters keep counting
//   ._Count(%S)                       I4: calls of a member since the last _ClearJournal;
//                                     "Value" counts every kind, "put Value" only puts;
//                                     no argument: all calls
//   ._Fault(%S, %S [, %d [, %d]])     member, mode, code, nth: arm a fault (see below)
//   ._ClearFaults()                   disarms every fault
//
// Only the calls a client sent are seen: the outermost Invoke on a thread.
// What the server does inside (handing surplus arguments on to a default
// member, objects calling each other) is not.
//
// Journal line:   <kind> <Member>(<arg>,<arg>,...)[=<value>]
//   kind          "call" (DISPATCH_METHOD), "get" (method or property get, as
//                 late-bound clients send it), "prop" (property get only),
//                 "put", "putref"; other flag sets as "flags<N>"
//   Member        the name as the server's member table spells it (names are
//                 matched case-insensitively, so "NumberFormatlocal" is
//                 journaled as "NumberFormatLocal"); a call through
//                 DISPID_VALUE shows the default member's name
//   args          the positional arguments in natural order, as sent (before
//                 any coercion), each "<TYPE>:<value>":
//                   I4:-5  UI4:7  I8:9  R8:2.5 (shortest text that reads back)
//                   BOOL:-1 / BOOL:0   DATE:45000.5   CY:1.25
//                   BSTR:text (CR, LF, "\" escaped as \r \n \\), BSTR(null)
//                   ERROR:80020004 (an omitted optional argument)
//                   DISPATCH:<what> for a stand-in object that describes itself
//                   (for example DISPATCH:Range(Sheet1!A1:B2)), DISPATCH for
//                   another object, DISPATCH:null; UNKNOWN, UNKNOWN:null
//                   EMPTY, NULL, ARRAY:<vt>, REF:<the referenced value>
//   =value        the assigned value of a put, in the same notation
// Examples:  get Cells(I4:1,I4:2)
//            put Value()=BSTR:abc
//            call Add(DISPATCH:Worksheet(Sheet1))
// The journal keeps the latest 100000 lines.
//
// Faults: ._Fault(member, mode, code, nth)
//   member        a member name, optionally preceded by a kind and a blank
//                 ("Name" any kind, "put Name" only puts); case-insensitive
//   mode          "fail"     Invoke returns `code` (default E_FAIL)
//                 "empty"    Invoke succeeds without running the member; a
//                            result comes back VT_EMPTY
//                 "raise"    a server exception: DISP_E_EXCEPTION, EXCEPINFO
//                            scode `code` (default 0x800A03EC), source
//                            "Stand-in", description "Injected failure of <member>"
//                 "deferred" the same exception with its texts left to the
//                            deferred fill-in routine
//   nth           0 (the default): every call; n > 0: only the n-th matching
//                 call after the fault was armed
// A faulted call is journaled and counted like any other.
#pragma once

#include "dispatch_object.hpp"

namespace standin {

// The control members above, ready to be the base of an application's
// member table: Members({...own members...}, &control_members()).
const Members &control_members();

// Empties the journal and the counters and disarms every fault. A server
// calls it when an application object is made while no other is alive, so
// that a long-lived server starts each client afresh (a test that died
// leaves nothing armed behind).
void reset_observations();

// Marks a member as a control member.
inline Member control(Member m) {
  m.control = true;
  return m;
}

// How a journal line writes one value.
std::wstring describe_value(const VARIANT &v);

// The outermost Invoke of a thread is a client's call.
class CallDepth {
 public:
  CallDepth();
  ~CallDepth();
  CallDepth(const CallDepth &) = delete;
  CallDepth &operator=(const CallDepth &) = delete;
  bool outermost() const { return outermost_; }

 private:
  bool outermost_;
};

// Journals and counts a client's call of `m`, and applies an armed fault.
// S_FALSE: go on with the call; anything else is the call's outcome.
HRESULT observe_call(const Member &m, WORD flags, const DISPPARAMS &dp, VARIANT *result, EXCEPINFO *info);

}  // namespace standin
