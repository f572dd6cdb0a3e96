/* Processes: listing, children, bitness, liveness, pause and resume, ending
 * one process or every process of some executable names.
 *
 * Each operation comes as a Process_ form taking an open process handle that
 * the caller owns and as a PID_ form taking a process identifier; the PID_
 * form opens the process itself and closes it again. Boolean results of Is64
 * and Status are 32-bit: TARVO_TRUE (all bits set) or 0. No register is
 * written. */
#ifndef TARVO_XPROCESS_H
#define TARVO_XPROCESS_H

#include "tarvo_api.h"

#include <windows.h>
#include <tlhelp32.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Called for each entry of a walk with its 1-based position, the platform's
 * entry record and the caller's value; non-zero (low 32 bits) stops the walk. */
typedef int32_t (*Process_ScanCallbackW)(uint32_t index, PROCESSENTRY32W *entry, intptr_t user);
typedef int32_t (*Process_ScanCallbackA)(uint32_t index, struct tagPROCESSENTRY32 *entry, intptr_t user);

/* The value Process_Kill returns when the platform refuses to end the
 * process (the failed wait's value): it returns at once instead of waiting. */
#define PROCESS_KILL_REFUSED ((uint32_t)0xFFFFFFFF)

/* True on a 64-bit system for a process not running under the 32-bit
 * emulation layer; 0 when the handle cannot be asked. */
TARVO_API int32_t Process_Is64(HANDLE process);
TARVO_API int32_t PID_Is64(uint32_t pid);
/* True while the process runs: its exit code reads 259 (still active) and
 * it has not ended (a process that exited with code 259 is not running). */
TARVO_API int32_t Process_Status(HANDLE process);
TARVO_API int32_t PID_Status(uint32_t pid);
/* Ends the process with exit code 0 and waits for it to end: the wait's
 * result, 0 once it has ended (and for a null handle or a process that cannot
 * be opened); PROCESS_KILL_REFUSED at once when the platform refuses to end
 * it (or when the handle cannot be waited on). */
TARVO_API uint32_t Process_Kill(HANDLE process);
TARVO_API uint32_t PID_Kill(uint32_t pid);
/* Ends every process whose executable name equals one of the names of the
 * "|"-separated list, ignoring case; the number of matches (a process that
 * matches two entries counts twice). Empty entries match nothing. */
TARVO_API uint32_t Process_KillNameW(const wchar_t *names);
TARVO_API uint32_t Process_KillNameA(const char *names);
/* Walks all processes (callback may be null); the number of entries visited,
 * the stopping one included; 0 without a snapshot. */
TARVO_API uint32_t Process_ScanW(Process_ScanCallbackW callback, intptr_t user);
TARVO_API uint32_t Process_ScanA(Process_ScanCallbackA callback, intptr_t user);
/* The same over the direct children of `parent` (grandchildren excluded; a
 * process older than `parent` named an earlier holder of its identifier and
 * is no child of it). */
TARVO_API uint32_t PID_ScanChildW(uint32_t parent, Process_ScanCallbackW callback, intptr_t user);
TARVO_API uint32_t PID_ScanChildA(uint32_t parent, Process_ScanCallbackA callback, intptr_t user);
/* The parent's own identifier when some running process names it as its
 * parent, else 0. */
TARVO_API uint32_t PID_FindChild(uint32_t pid);
TARVO_API uint32_t Process_FindChild(HANDLE process);
/* The identifier of the process; 0 when it cannot be read. */
TARVO_API uint32_t Process_PID(HANDLE process);
/* Through the host-provided xCore.SuspendProcess / ResumeProcess; 0 without
 * calling when the host left the field empty. */
TARVO_API int32_t Process_Pause(HANDLE process);
TARVO_API int32_t PID_Pause(uint32_t pid);
TARVO_API int32_t Process_Resume(HANDLE process);
TARVO_API int32_t PID_Resume(uint32_t pid);

/* Queries kept for callers of the interface, with fixed results: the
 * Process_ text forms give EmptyString; the PID_ text forms EmptyString when
 * the process can be opened for querying, else null; counts, parent and
 * injection give 0. */
TARVO_API wchar_t *Process_CmdLineW(HANDLE process);
TARVO_API char *Process_CmdLineA(HANDLE process);
TARVO_API wchar_t *Process_CurPathW(HANDLE process);
TARVO_API char *Process_CurPathA(HANDLE process);
TARVO_API wchar_t *Process_ImageNameW(HANDLE process);
TARVO_API char *Process_ImageNameA(HANDLE process);
TARVO_API wchar_t *Process_GetPathW(HANDLE process);
TARVO_API char *Process_GetPathA(HANDLE process);
TARVO_API wchar_t *PID_CmdLineW(uint32_t pid);
TARVO_API char *PID_CmdLineA(uint32_t pid);
TARVO_API wchar_t *PID_CurPathW(uint32_t pid);
TARVO_API char *PID_CurPathA(uint32_t pid);
TARVO_API wchar_t *PID_ImageNameW(uint32_t pid);
TARVO_API char *PID_ImageNameA(uint32_t pid);
TARVO_API wchar_t *PID_GetPathW(uint32_t pid);
TARVO_API char *PID_GetPathA(uint32_t pid);
TARVO_API uint64_t Proecss_MenoryCount(HANDLE process);
TARVO_API uint64_t PID_MenoryCount(uint32_t pid);
TARVO_API uint64_t Proecss_PageMemoryCount(HANDLE process);
TARVO_API uint64_t PID_PageMemoryCount(uint32_t pid);
TARVO_API uint32_t Process_ParentPID(HANDLE process);
TARVO_API uint32_t PID_ParentPID(uint32_t pid);
TARVO_API int32_t Process_InjectDll(HANDLE process, const wchar_t *library);
TARVO_API int32_t PID_InjectDll(uint32_t pid, const wchar_t *library);

#ifdef __cplusplus
}
#endif
#endif
