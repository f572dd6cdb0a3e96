// The stand-in's journal: one line per command, data-window write and read,
// and pop-up event, appended to journal.txt beside the program and flushed
// before the message that caused it returns, so a test reads it at once.
// Texts are written byte for byte with CR, LF and "\" escaped.
#pragma once

#include <string>

namespace surfpod_standin {

void journal_open(const std::string &folder);
void journal_switch(bool on);
void journal(const std::string &line);
std::string escaped(const std::string &text);

}  // namespace surfpod_standin
