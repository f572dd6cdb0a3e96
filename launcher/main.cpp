// launcher: writes the installation's report folder into the report
// browser's configuration ("workpath" in section "app" of its app.ini) and
// starts the browser. No window, no arguments, no waiting; the exit code is
// always 0.
#include "program.hpp"
#include "xcore.h"
#include "xfile.h"
#include "xini.h"
#include "xpath.h"

#include <windows.h>

#include <string>

namespace {

using tarvo::program::take;

std::wstring join(const std::wstring &folder, const wchar_t *name) { return take(Path_JoinW(folder.c_str(), name)); }

// The platform's profile write creates a missing file in the ANSI code page,
// where the report folder's name cannot be stored; a new file is therefore
// begun as UTF-16 with its byte-order mark, which the profile functions read
// and keep. An existing file is left in its own encoding.
void create_as_utf16(const std::wstring &path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  static const unsigned char kMark[] = {0xFF, 0xFE};
  DWORD written = 0;
  WriteFile(file, kMark, sizeof kMark, &written, nullptr);
  CloseHandle(file);
}

void run() {
  const std::wstring home = take(xCore_AppPathW());
  const std::wstring reports = join(home, L"报告");
  const std::wstring browser = join(home, L"运行报告浏览器");
  // Without the browser there is nothing to point or start.
  if (!xFile_FolderExistsW(browser.c_str())) return;
  const std::wstring config = join(browser, L"app.ini");
  const std::wstring program = join(browser, L"Pelvari.exe");
  create_as_utf16(config);
  Ini_WriteW(config.c_str(), L"app", L"workpath", reports.c_str());
  // Quoted, so a folder with blanks reaches the system whole.
  const std::wstring command_line = L"\"" + program + L"\"";
  if (HANDLE process = xCore_RunW(command_line.c_str(), SW_SHOW)) CloseHandle(process);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return tarvo::program::main_of(run); }
