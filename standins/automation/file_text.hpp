// The text files the stand-in applications save their documents in: UTF-8
// lines of tab-separated fields, where text fields keep tabs, line ends and
// backslashes as two-character escapes ("\t", "\n", "\r", "\\").
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace standin {

// A text as one field: tabs, line ends and backslashes escaped.
std::wstring escaped(const std::wstring &s);
// The text of an escaped field (an unknown escape stands for its second
// character, a lone backslash at the end for itself).
std::wstring unescaped(const std::wstring &s);

// The tab-separated fields of a line (one more than its tabs).
std::vector<std::wstring> tab_fields(const std::wstring &line);

// A number as a field that reads back to the same double ("%.17g").
std::wstring number_text(double d);

std::string utf8(const std::wstring &w);
std::wstring wide(const std::string &s);

// Reading a whole file: done, or the file is not there to open, or it could
// not be read whole (or holds `most` bytes or more).
enum class FileRead { done, not_opened, not_read };
FileRead read_file(const std::wstring &path, std::string &bytes, size_t most);
// Replaces the file with `bytes`; false when it cannot be written whole.
bool write_file(const std::wstring &path, const std::string &bytes);

}  // namespace standin
