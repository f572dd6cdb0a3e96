// The stand-in engine's journal: one line per operation, tab-separated, in
// UTF-8, appended to "<page path>.log". Lines written before a page is loaded
// (the API call, options, window creation) are held until the load names the
// file; each host start begins a new hold.
#pragma once

#include <string>

namespace htmlengine {

void journal_restart();                       // a host start: hold lines again
void journal_open(const std::wstring &page);  // lines go to page + ".log" from now on
void journal(const std::string &line);

std::string utf8(const wchar_t *text, size_t count);
// Tabs, line ends and zeros escaped, so one entry stays one field.
std::string escaped(const std::string &text);

}  // namespace htmlengine
