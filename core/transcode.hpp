// MultiByteToWideChar and WideCharToMultiByte with the same arguments and
// exactly the same results, lengths and errors, faster: well-formed UTF-8 and
// ASCII runs (in the ANSI code pages that hold ASCII as it is) are converted
// here, and whatever comes from the first unusual character on (invalid
// sequences, lone surrogates, other code pages, any flag or default
// character) is left to the system call. The library's conversions go
// through these two.
#pragma once

#include <windows.h>

namespace tarvo {

int multibyte_to_wide(UINT codepage, DWORD flags, LPCCH text, int length, LPWSTR out, int capacity);
int wide_to_multibyte(UINT codepage, DWORD flags, LPCWCH text, int length, LPSTR out, int capacity,
                      LPCCH default_char, LPBOOL used_default);

// The most bytes one UTF-16 unit becomes in the code page (UTF-8 3, a
// single-byte page 1, a double-byte page 2), where it is known; else 0. In
// all of these a byte becomes one unit at the most.
int most_bytes_per_unit(UINT codepage);

}  // namespace tarvo
