// Processes: the snapshot walks, liveness and bitness, pause and resume, and
// ending processes one by one or by executable name. Every PID_ form opens
// the process, calls its Process_ form and closes the handle again.
#include "file_internal.hpp"
#include "forms.hpp"
#include "process_ops.hpp"
#include "xprocess.h"

#include <windows.h>
#include <tlhelp32.h>

#include <memory>
#include <new>
#include <string_view>

// The narrow walk functions; the headers map these names to the wide ones.
#undef Process32First
#undef Process32Next

namespace {

constexpr DWORD kAllAccess = 0x1F0FFF;
constexpr DWORD kQueryRead = 0x410;
constexpr DWORD kQuery = 0x400;

using OwnedHandle = tarvo::files::ScopedHandle;

// Opens the process, hands the handle to the Process_ form with the further
// arguments, closes it; 0 (or null) when it cannot be opened.
template <auto Op, DWORD Access, class... Extra>
auto by_pid(uint32_t pid, Extra... extra) -> decltype(Op(HANDLE{}, extra...)) {
  OwnedHandle h(OpenProcess(Access, FALSE, pid));
  if (!h.ok()) return {};
  return Op(h.get(), extra...);
}

template <class Entry>
struct Toolhelp;
template <>
struct Toolhelp<PROCESSENTRY32W> {
  static BOOL first(HANDLE s, PROCESSENTRY32W *e) { return Process32FirstW(s, e); }
  static BOOL next(HANDLE s, PROCESSENTRY32W *e) { return Process32NextW(s, e); }
};
template <>
struct Toolhelp<tagPROCESSENTRY32> {
  static BOOL first(HANDLE s, tagPROCESSENTRY32 *e) { return Process32First(s, e); }
  static BOOL next(HANDLE s, tagPROCESSENTRY32 *e) { return Process32Next(s, e); }
};

// One snapshot of all processes in its order. `take(entry)` says whether the
// entry counts; counted entries go to the callback with their 1-based
// position until it answers non-zero. The number counted, the stopping one
// included; 0 without a snapshot.
template <class Entry, class Callback, class Take>
uint32_t walk(Callback callback, intptr_t user, Take take) {
  OwnedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot.ok()) return 0;
  Entry e{};
  e.dwSize = sizeof e;
  uint32_t count = 0;
  for (BOOL more = Toolhelp<Entry>::first(snapshot.get(), &e); more; more = Toolhelp<Entry>::next(snapshot.get(), &e)) {
    if (!take(e)) continue;
    ++count;
    if (callback && static_cast<int32_t>(callback(count, &e, user)) != 0) break;
  }
  return count;
}

template <class Entry, class Callback>
uint32_t scan(Callback callback, intptr_t user) {
  return walk<Entry>(callback, user, [](const Entry &) { return true; });
}

// When the process was created; 0 when it cannot be asked.
uint64_t created_at(uint32_t pid) {
  OwnedHandle h(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid));
  FILETIME created{}, unused{};
  if (!h.ok() || !GetProcessTimes(h.get(), &created, &unused, &unused, &unused)) return 0;
  return (uint64_t{created.dwHighDateTime} << 32) | created.dwLowDateTime;
}

// A process names its parent by identifier only, and identifiers are reused:
// a process older than the parent named a process that has ended since, so it
// is no child of this one (nor ended or counted for it).
template <class Entry, class Callback>
uint32_t scan_children(uint32_t parent, Callback callback, intptr_t user) {
  const uint64_t parent_created = created_at(parent);
  return walk<Entry>(callback, user, [parent, parent_created](const Entry &e) {
    if (e.th32ParentProcessID != parent) return false;
    const uint64_t created = parent_created ? created_at(e.th32ProcessID) : 0;
    return created == 0 || created >= parent_created;
  });
}

// The list split at "|", compared ignoring case. An empty entry names no
// process: a process the snapshot shows without a name (one still starting)
// must not be ended for it.
template <class C>
struct NameList {
  std::basic_string_view<C> names;
  uint32_t matches(std::basic_string_view<C> name) const {
    uint32_t n = 0;
    std::basic_string_view<C> rest = names;
    for (;;) {
      size_t bar = rest.find(C('|'));
      std::basic_string_view<C> entry = rest.substr(0, bar);
      if (!entry.empty() && entry.size() == name.size() && equal_ignoring_case(entry.data(), name.data(), entry.size()))
        ++n;
      if (bar == rest.npos) return n;
      rest.remove_prefix(bar + 1);
    }
  }
  static bool equal_ignoring_case(const wchar_t *a, const wchar_t *b, size_t n) { return _wcsnicmp(a, b, n) == 0; }
  static bool equal_ignoring_case(const char *a, const char *b, size_t n) { return _strnicmp(a, b, n) == 0; }
};

// The file-name part of the opened process's image, compared with the name
// the snapshot showed, ignoring case: by the time a matching entry's
// identifier is opened, its process may have ended and the identifier gone
// to another program, which must not be ended for it.
template <class C>
struct Image;
template <>
struct Image<wchar_t> {
  static BOOL path(HANDLE h, wchar_t *out, DWORD *n) { return QueryFullProcessImageNameW(h, 0, out, n); }
  static bool same(const wchar_t *a, const wchar_t *b) { return _wcsicmp(a, b) == 0; }
};
template <>
struct Image<char> {
  static BOOL path(HANDLE h, char *out, DWORD *n) { return QueryFullProcessImageNameA(h, 0, out, n); }
  static bool same(const char *a, const char *b) { return _stricmp(a, b) == 0; }
};

constexpr DWORD kLongestImagePath = 32768;

template <class C>
bool still_named(HANDLE process, const C *name, C *path) {
  DWORD n = kLongestImagePath;
  if (!path || !Image<C>::path(process, path, &n)) return false;
  const C *file = path + n;
  while (file > path && file[-1] != C('\\') && file[-1] != C('/')) --file;
  return Image<C>::same(file, name);
}

struct KillTally {
  uint32_t matched = 0;  // what Process_KillName reports: one per matching entry
  uint32_t ended = 0;    // processes really ended
};

// Every match is ended once, however many entries it matches; the walk
// always goes on, so every process is seen.
template <class Entry, class C>
KillTally kill_by_name(const C *names) {
  if (!names) return {};
  struct Job {
    NameList<C> list;
    std::unique_ptr<C[]> path;
    KillTally tally;
  } job{{std::basic_string_view<C>(names)}, std::unique_ptr<C[]>(new (std::nothrow) C[kLongestImagePath]), {}};
  auto each = [](uint32_t, Entry *e, intptr_t user) -> int32_t {
    auto *j = reinterpret_cast<Job *>(user);
    const uint32_t n = j->list.matches(e->szExeFile);
    if (n == 0) return 0;
    j->tally.matched += n;
    OwnedHandle h(OpenProcess(kAllAccess, FALSE, e->th32ProcessID));
    if (h.ok() && still_named(h.get(), e->szExeFile, j->path.get()) && Process_Kill(h.get()) == 0) ++j->tally.ended;
    return 0;
  };
  scan<Entry>(+each, reinterpret_cast<intptr_t>(&job));
  return job.tally;
}

uint32_t has_children(uint32_t pid) {
  if (pid == 0) return 0;  // the idle process names itself as its parent
  auto stop_at_first = [](uint32_t, PROCESSENTRY32W *, intptr_t) -> int32_t { return 1; };
  return scan_children<PROCESSENTRY32W>(pid, +stop_at_first, 0) ? pid : 0;
}

template <class C>
C *empty_text(HANDLE) {
  return reinterpret_cast<C *>(tarvo::empty_a());
}

}  // namespace

extern "C" {

int32_t Process_Is64(HANDLE process) {
  if (xCore.SysBits != 64) return 0;
  BOOL wow = FALSE;
  if (!process || !IsWow64Process(process, &wow)) return 0;
  return wow ? 0 : TARVO_TRUE;
}
int32_t PID_Is64(uint32_t pid) { return by_pid<Process_Is64, kAllAccess>(pid); }

// An exit code of 259 is also what a process that chose that code left:
// only a process whose handle is not yet signalled is running. A handle
// without the right to wait on it is judged by the exit code alone.
int32_t Process_Status(HANDLE process) {
  DWORD code = 0;
  if (!process || !GetExitCodeProcess(process, &code) || code != STILL_ACTIVE) return 0;
  return WaitForSingleObject(process, 0) == WAIT_OBJECT_0 ? 0 : TARVO_TRUE;
}
int32_t PID_Status(uint32_t pid) { return by_pid<Process_Status, kAllAccess>(pid); }

// A refused termination must not wait for an end that will not come.
uint32_t Process_Kill(HANDLE process) {
  if (!process) return 0;
  if (!TerminateProcess(process, 0)) return PROCESS_KILL_REFUSED;
  return WaitForSingleObject(process, INFINITE);
}
uint32_t PID_Kill(uint32_t pid) { return by_pid<Process_Kill, kAllAccess>(pid); }

uint32_t Process_KillNameW(const wchar_t *names) { return kill_by_name<PROCESSENTRY32W>(names).matched; }
uint32_t Process_KillNameA(const char *names) { return kill_by_name<tagPROCESSENTRY32>(names).matched; }

uint32_t Process_ScanW(Process_ScanCallbackW callback, intptr_t user) {
  return scan<PROCESSENTRY32W>(callback, user);
}
uint32_t Process_ScanA(Process_ScanCallbackA callback, intptr_t user) {
  return scan<tagPROCESSENTRY32>(callback, user);
}
uint32_t PID_ScanChildW(uint32_t parent, Process_ScanCallbackW callback, intptr_t user) {
  return scan_children<PROCESSENTRY32W>(parent, callback, user);
}
uint32_t PID_ScanChildA(uint32_t parent, Process_ScanCallbackA callback, intptr_t user) {
  return scan_children<tagPROCESSENTRY32>(parent, callback, user);
}

uint32_t PID_FindChild(uint32_t pid) { return has_children(pid); }
uint32_t Process_FindChild(HANDLE process) { return has_children(Process_PID(process)); }
uint32_t Process_PID(HANDLE process) { return process ? GetProcessId(process) : 0; }

// The host stores the two operations in the record; an empty field is not
// called.
int32_t Process_Pause(HANDLE process) { return xCore.SuspendProcess ? xCore.SuspendProcess(process) : 0; }
int32_t PID_Pause(uint32_t pid) { return by_pid<Process_Pause, kAllAccess>(pid); }
int32_t Process_Resume(HANDLE process) { return xCore.ResumeProcess ? xCore.ResumeProcess(process) : 0; }
int32_t PID_Resume(uint32_t pid) { return by_pid<Process_Resume, kAllAccess>(pid); }

// The queries below are kept for callers of the interface and answer fixed
// values.
// The command line is not read: EmptyString.
wchar_t *Process_CmdLineW(HANDLE process) { return empty_text<wchar_t>(process); }
// The command line is not read: EmptyString.
char *Process_CmdLineA(HANDLE process) { return empty_text<char>(process); }
// The current folder is not read: EmptyString.
wchar_t *Process_CurPathW(HANDLE process) { return empty_text<wchar_t>(process); }
// The current folder is not read: EmptyString.
char *Process_CurPathA(HANDLE process) { return empty_text<char>(process); }
// The image name is not read: EmptyString.
wchar_t *Process_ImageNameW(HANDLE process) { return empty_text<wchar_t>(process); }
// The image name is not read: EmptyString.
char *Process_ImageNameA(HANDLE process) { return empty_text<char>(process); }
// The executable path is not read: EmptyString.
wchar_t *Process_GetPathW(HANDLE process) { return empty_text<wchar_t>(process); }
// The executable path is not read: EmptyString.
char *Process_GetPathA(HANDLE process) { return empty_text<char>(process); }
// The command line is not read: EmptyString, null when the process cannot be opened.
wchar_t *PID_CmdLineW(uint32_t pid) { return by_pid<Process_CmdLineW, kQueryRead>(pid); }
// The command line is not read: EmptyString, null when the process cannot be opened.
char *PID_CmdLineA(uint32_t pid) { return by_pid<Process_CmdLineA, kQueryRead>(pid); }
// The current folder is not read: EmptyString, null when the process cannot be opened.
wchar_t *PID_CurPathW(uint32_t pid) { return by_pid<Process_CurPathW, kQueryRead>(pid); }
// The current folder is not read: EmptyString, null when the process cannot be opened.
char *PID_CurPathA(uint32_t pid) { return by_pid<Process_CurPathA, kQueryRead>(pid); }
// The image name is not read: EmptyString, null when the process cannot be opened.
wchar_t *PID_ImageNameW(uint32_t pid) { return by_pid<Process_ImageNameW, kQueryRead>(pid); }
// The image name is not read: EmptyString, null when the process cannot be opened.
char *PID_ImageNameA(uint32_t pid) { return by_pid<Process_ImageNameA, kQueryRead>(pid); }
// The executable path is not read: EmptyString, null when the process cannot be opened.
wchar_t *PID_GetPathW(uint32_t pid) { return by_pid<Process_GetPathW, kQueryRead>(pid); }
// The executable path is not read: EmptyString, null when the process cannot be opened.
char *PID_GetPathA(uint32_t pid) { return by_pid<Process_GetPathA, kQueryRead>(pid); }
// Memory in use is not counted: 0.
uint64_t Proecss_MenoryCount(HANDLE) { return 0; }
// Memory in use is not counted: 0 (the process is opened and closed).
uint64_t PID_MenoryCount(uint32_t pid) { return by_pid<Proecss_MenoryCount, kQueryRead>(pid); }
// Paged memory is not counted: 0.
uint64_t Proecss_PageMemoryCount(HANDLE) { return 0; }
// Paged memory is not counted: 0 (the process is opened and closed).
uint64_t PID_PageMemoryCount(uint32_t pid) { return by_pid<Proecss_PageMemoryCount, kQueryRead>(pid); }
// The parent is not looked up: 0.
uint32_t Process_ParentPID(HANDLE) { return 0; }
// The parent is not looked up: 0 (the process is opened and closed).
uint32_t PID_ParentPID(uint32_t pid) { return by_pid<Process_ParentPID, kQuery>(pid); }
// Nothing is injected: 0.
int32_t Process_InjectDll(HANDLE, const wchar_t *) { return 0; }
// Nothing is injected: 0 (the process is opened and closed).
int32_t PID_InjectDll(uint32_t pid, const wchar_t *library) {
  return by_pid<Process_InjectDll, kAllAccess>(pid, library);
}

}  // extern "C"

namespace tarvo::process {

uint32_t ended_by_name(const wchar_t *names) { return kill_by_name<PROCESSENTRY32W>(names).ended; }

}  // namespace tarvo::process
