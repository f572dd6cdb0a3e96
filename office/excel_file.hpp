// The file-type check of the Excel family, shared by its export (ANSI path)
// and its Lua function (UTF-8 path, so names outside the ANSI code page work).
#pragma once

#include <cstdint>

namespace tarvo::office {

// 1 ZIP container, 2 compound document, 3 "<?xm", 4 "<htm" when allowed;
// 0 for anything else, a file shorter than four bytes or one that cannot be
// opened. What was read is released on every path.
int32_t check_spreadsheet_file(const wchar_t *path, int32_t allow_html);

}  // namespace tarvo::office
