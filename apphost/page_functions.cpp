// The 43 functions a page may call, "SetRetVal" included: one row each, the
// same table for the apphost program and the library's LoadGUI. Each adapts
// one library function (files, paths, INI files, dialogs, process start) to
// the engine's values; page_call.hpp gives the shape.
#include "host.hpp"
#include "page_call.hpp"
#include "forms.hpp"
#include "sized.hpp"
#include "xcore.h"
#include "xdialog.h"
#include "xfile.h"
#include "xini.h"
#include "xpath.h"

#include <iterator>

namespace tarvo::uihost {

HWND host_window() { return host_state().window; }

namespace {

using namespace page;

template <std::wstring HostPaths::*Path>
const wchar_t *host_path() {
  return (host_state().paths.*Path).c_str();
}

// The started process's handle value marks success (0: not started); the
// handle itself is closed, since a page has no way to use or close it.
int32_t run_command(const wchar_t *command_line, int32_t show) {
  HANDLE process = xCore_RunW(command_line, show);
  if (!process) return 0;
  CloseHandle(process);
  return static_cast<int32_t>(reinterpret_cast<intptr_t>(process));
}

void page_ime_off() { tarvo::ime_off(host_window(), host_state().ime); }
void page_ime_on() { tarvo::ime_on(host_window(), host_state().ime); }

// LoadGUI keeps the whole counted text (UTF-8) as its return value and makes
// the result null; the program only reports the call handled.
BOOL set_return_text(const Engine &engine, MethodCall &call) {
  HostState &host = host_state();
  if (host.return_mode == ReturnText::Ignored) return TRUE;
  PageText text(engine, &call.argv[0]);
  // By its count: zeros inside the text stay in the return value.
  const Sized<char> utf8 = w2m(text.get(), kCodePageU, text.count() * 2);
  host.return_text.assign(utf8.p ? utf8.p : "", utf8.p ? utf8.size : 0);
  tarvo::release(utf8.p);
  call.result.type = html::kNull;
  return TRUE;
}

const PageRow kPageFunctions[] = {
    row<Page<host_path<&HostPaths::app_folder>, Out::Held>>("appPath"),
    row<Page<host_path<&HostPaths::bin_folder>, Out::Held>>("binPath"),
    row<Page<host_path<&HostPaths::lib_folder>, Out::Held>>("libPath"),
    row<Page<host_path<&HostPaths::app_file>, Out::Held>>("appFile"),
    row<Page<host_path<&HostPaths::bin_file>, Out::Held>>("binFile"),
    row<Page<host_path<&HostPaths::lib_file>, Out::Held>>("libFile"),
    row<Page<run_command, Out::Integer, Text, IntOr<5>>>("run"),
    row<Page<xCore_StartW, Out::Integer, Text, IntOr<5>>>("start"),
    row<Page<xCore_ChainW, Out::Integer, Text, IntOr<5>>>("chain"),
    row<Page<xCore_SystemPathW, Out::Text, Int>>("systemPath"),
    row<Page<xFile_ReadAllW, Out::Text, Text, IntOr<-2>>>("fileReadAll"),
    row<Page<xFile_WriteAllW, Out::Integer, Text, Text, ByteCountOf<1>, IntOr<65001>>>("fileWriteAll"),
    row<Page<xFile_AppendW, Out::Integer, Text, Text, ByteCountOf<1>, IntOr<65001>>>("fileAppend"),
    row<Page<xFile_PathExistsW, Out::Boolean, Text>>("pathExists"),
    row<Page<xFile_ExistsW, Out::Boolean, Text>>("fileExists"),
    row<Page<xFile_FolderExistsW, Out::Boolean, Text>>("folderExists"),
    row<Page<xFile_CreateDirW, Out::Null, Text>>("folderCreate"),
    row<Page<xFile_CopyW, Out::Boolean, Text, Text, IntOr<1>>>("fileCopy"),
    row<Page<xFile_MoveW, Out::Boolean, Text, Text, IntOr<1>>>("fileMove"),
    row<Page<xFile_DeleteW, Out::Boolean, Text>>("fileDelete"),
    row<Page<xFile_CopyDirW, Out::Integer, Text, Text, TextOr<EveryName>, IntOr<1>>>("folderCopy"),
    row<Page<xFile_MoveDirW, Out::Integer, Text, Text, TextOr<EveryName>, IntOr<1>>>("folderMove"),
    row<Page<xFile_DeleteDirW, Out::Integer, Text, TextOr<EveryName>>>("folderDelete"),
    row<Page<Path_FileNameExtW, Out::Text, Text>>("pathFileNameExt"),
    row<Page<Path_FileNameW, Out::Text, Text>>("pathFileName"),
    row<Page<Path_FileExtW, Out::Text, Text>>("pathFileExt"),
    row<Page<Path_FilePathW, Out::Text, Text>>("pathFilePath"),
    row<Page<Path_GetAbsW, Out::Text, Text, TextOr<NoText>>>("pathGetAbs"),
    row<Page<Path_GetRelW, Out::Text, Text, TextOr<NoText>>>("pathGetRel"),
    row<Page<Path_RandomW, Out::Text, Text, Text, Int>>("pathRandom"),
    row<Page<Path_JoinW, Out::Text, Text, Text>>("pathJoin"),
    row<Page<Ini_ReadW, Out::Text, Text, Text, Text>>("iniRead"),
    row<Page<Ini_ReadIntW, Out::Integer, Text, Text, Text>>("iniReadInt"),
    row<Page<Ini_WriteW, Out::Boolean, Text, Text, Text, Text>>("iniWrite"),
    // The profile write without a key removes the section, without a value the key.
    row<Page<Ini_WriteW, Out::Boolean, Text, Text, Fixed<nullptr>, Fixed<nullptr>>>("iniDelSec"),
    row<Page<Ini_WriteW, Out::Boolean, Text, Text, Text, Fixed<nullptr>>>("iniDelKey"),
    row<Page<xOpenFileDialogW, Out::Text, HostWindow, Text, Text, Text, Fixed<0>>>("dialogOpenFile"),
    row<Page<xOpenFilesDialogW, Out::Text, HostWindow, Text, Text, Text, Fixed<0>>>("dialogOpenFiles"),
    row<Page<xSelectFolderDialogW, Out::Text, HostWindow, Text, Text>>("dialogSelectFolder"),
    row<Page<xSaveFileDialogW, Out::Text, HostWindow, Text, Text, Text, Fixed<0>>>("dialogSaveFile"),
    row<Page<page_ime_off, Out::Null>>("imeOff"),
    row<Page<page_ime_on, Out::Null>>("imeOn"),
    {"SetRetVal", set_return_text, 1, 1},
};
static_assert(std::size(kPageFunctions) == 43);

}  // namespace

bool open_page_functions(const html::Engine &engine) {
  HostState &host = host_state();
  close_page_functions();
  host.engine = engine;
  host.functions = xTable_Create();
  if (!host.functions) return false;
  for (const PageRow &r : kPageFunctions)
    xTable_InsertA(host.functions, r.name, reinterpret_cast<uintptr_t>(&r));
  return true;
}

void close_page_functions() {
  HostState &host = host_state();
  xTable_Destroy(host.functions);
  host.functions = nullptr;
}

// A call whose name is not in the table or whose count is outside the row's
// range is left unhandled, its result untouched. Nothing is thrown into the
// engine: a copy that cannot be allocated leaves the call unhandled too.
BOOL WINAPI on_engine_event(void *, void *, UINT group, void *record) {
  const HostState &host = host_state();
  if (group != html::kScriptingCalls || !record || !host.functions) return FALSE;
  auto &call = *static_cast<MethodCall *>(record);
  if (!call.name || (call.argc && !call.argv)) return FALSE;
  const xTableEntry *entry = xTable_SearchA(host.functions, call.name);
  if (!entry) return FALSE;
  const auto *r = reinterpret_cast<const PageRow *>(static_cast<uintptr_t>(entry->value));
  if (call.argc < r->min_args || call.argc > r->max_args) return FALSE;
  try {
    return r->call(host.engine, call);
  } catch (...) {
    return FALSE;
  }
}

}  // namespace tarvo::uihost
