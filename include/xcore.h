/* The core record, library lifecycle and the small core operations.
 *
 * Result convention: a function that returns text returns memory it allocated
 * through the record's allocator slots; the caller releases it with xCore_free.
 * When there is nothing to return it returns xCore.EmptyString (never null) and
 * iRetSize is 0. Registers hold the latest call's result in any thread. */
#ifndef TARVO_XCORE_H
#define TARVO_XCORE_H

#include "tarvo_api.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef void *(__cdecl *xCoreMallocFn)(size_t size);
typedef void *(__cdecl *xCoreCallocFn)(size_t count, size_t size);
typedef void *(__cdecl *xCoreReallocFn)(void *p, size_t size);
typedef void(__cdecl *xCoreFreeFn)(void *p);
typedef int(__stdcall *xCoreProcessFn)(void *process);
typedef void(__cdecl *xCoreGcDtor)(void *p);

typedef wchar_t *(*xCoreToWideFn)(const char *s, uint32_t len);
typedef char *(*xCoreFromWideFn)(const wchar_t *w, uint32_t len);
typedef char *(*xCoreNarrowFn)(const char *s, uint32_t len);

/* Laid out field for field as hosts read it; never reorder. */
typedef struct xCoreRecord {
  xCoreProcessFn SuspendProcess; /* set by the host */
  xCoreProcessFn ResumeProcess;  /* set by the host */
  uint32_t Stamp;                /* 256 after xCoreInit */
  const char *EmptyString;       /* the shared empty text, valid as A, U and W */
  void *GcHeap;                  /* collector state while it runs */
  uint32_t SysBits;
  char *sRet;
  uint32_t iRetSize;
  int32_t iRet;
  int64_t iRet64;
  double dRet;
  uint32_t LastErrorID;
  const char *LastError;
  void *SavedKeyboardLayout;
  void *SavedImeContext;
  void *Reserved;
  void *GuiWindow;
  char *AppFile;
  char *AppPath;
  char *ModPath;
  xCoreMallocFn malloc;
  xCoreCallocFn calloc;
  xCoreReallocFn realloc;
  xCoreFreeFn free;
  void *(*GC_Start)(void *stack_bottom);
  void (*GC_Stop)(void);
  void (*GC_Pause)(void);
  void (*GC_Resume)(void);
  void (*GC_Run)(void);
  void *(*GC_Add)(void *p, uint32_t size, uint32_t flags, xCoreGcDtor dtor);
  void (*GC_Remove)(void *p);
  xCoreToWideFn A2W;
  xCoreFromWideFn W2A;
  xCoreToWideFn U2W;
  xCoreFromWideFn W2U;
  xCoreNarrowFn A2U;
  xCoreNarrowFn U2A;
} xCoreRecord;

/* The core record: result registers, allocator and conversion slots; filled when the library loads. */
TARVO_DATA xCoreRecord xCore;

/* Fills the core record and initialises the native window layer; the library calls it when it loads. */
TARVO_API void xCoreInit(void);
/* Stops the collected heap, shuts the native window layer down and runs the cleanup list; called at unload. */
TARVO_API void xCoreUnit(void);

/* Releases a library result; EmptyString and null are ignored. Always the C
 * runtime's free, also while the collected heap runs; a block registered with
 * the running collector is forgotten by it first (no dtor is called). */
TARVO_API void xCore_free(void *p);

/* Module and application paths. Module handle null means the executable.
 * The ModFile/ModPath results come from the C runtime allocator (260
 * characters); iRetSize is the character count (bytes for the U forms). */
/* The full file name of a module (null: the executable), from the C runtime allocator; iRetSize its length. */
TARVO_API wchar_t *xCore_ModFileW(void *module);
TARVO_API char *xCore_ModFileA(void *module);
TARVO_API char *xCore_ModFileU(void *module);
/* The full file name of the executable; iRetSize its length. */
TARVO_API wchar_t *xCore_AppFileW(void);
TARVO_API char *xCore_AppFileA(void);
TARVO_API char *xCore_AppFileU(void);
/* The folder of a module (null: the executable) with a trailing backslash; iRetSize its length. */
TARVO_API wchar_t *xCore_ModPathW(void *module);
TARVO_API char *xCore_ModPathA(void *module);
TARVO_API char *xCore_ModPathU(void *module);
/* The folder of the executable with a trailing backslash; iRetSize its length. */
TARVO_API wchar_t *xCore_AppPathW(void);
TARVO_API char *xCore_AppPathA(void);
TARVO_API char *xCore_AppPathU(void);

/* Shell special folder (CSIDL) with a trailing backslash. When the shell knows
 * no path for the identifier the result is EmptyString with iRetSize 0. */
TARVO_API wchar_t *xCore_SystemPathW(int32_t csidl);
TARVO_API char *xCore_SystemPathA(int32_t csidl);
TARVO_API char *xCore_SystemPathU(int32_t csidl);

/* Process start. Run returns the new process handle (0 on failure, the caller
 * owns it); Start returns the shell's instance result (> 32 on success);
 * Chain waits for the process and returns its exit code (0 if unreadable). */
/* Starts a command line: the new process handle, which the caller closes; 0 on failure. */
TARVO_API void *xCore_RunW(const wchar_t *cmdline, int32_t show);
TARVO_API void *xCore_RunA(const char *cmdline, int32_t show);
TARVO_API void *xCore_RunU(const char *cmdline, int32_t show);
/* Opens a file or URL through the shell: the shell's instance result, above 32 on success. */
TARVO_API intptr_t xCore_StartW(const wchar_t *file, int32_t show);
TARVO_API intptr_t xCore_StartA(const char *file, int32_t show);
TARVO_API intptr_t xCore_StartU(const char *file, int32_t show);
/* Runs a command line and waits for it: its exit code, 0 when it cannot be read. */
TARVO_API uint32_t xCore_ChainW(const wchar_t *cmdline, int32_t show);
TARVO_API uint32_t xCore_ChainA(const char *cmdline, int32_t show);
TARVO_API uint32_t xCore_ChainU(const char *cmdline, int32_t show);

/* The bitness of the system: 64 or 32. */
TARVO_API int32_t xCore_SysBits(void);

/* A value in [min(a,b), max(a,b)) from the C runtime generator; a when a == b. */
TARVO_API int32_t xCore_Rand(int32_t a, int32_t b);

/* Switch the keyboard to US English and detach the window's input context;
 * IME_Enable restores what was saved. Both return 1. */
TARVO_API int32_t IME_Disable(void *hwnd);
TARVO_API int32_t IME_Enable(void *hwnd);

#ifdef __cplusplus
}
#endif
#endif
