// Script values as the stand-in engine keeps them: integers and booleans in
// the data word, texts in a block of its own that the data word points to.
// A text made "unterminated" ends at the last byte of a readable page with an
// unreadable page after it, so a host that reads past the counted characters
// faults at once.
#pragma once

#include "html_engine.hpp"

#include <string>

namespace htmlengine {

using tarvo::html::Value;

// A terminated text reuses the value's own text block when it has one (as a
// result value written call after call does).
void set_text(Value &value, const wchar_t *chars, size_t count, bool terminated);
void set_integer(Value &value, int number, uint32_t type);
// Releases a text block; the value becomes undefined.
void clear(Value &value);
// What the journal shows of a value: undefined, null, bool:<n>, int:<n>, text:<text>.
std::string describe(const Value &value);

// The table's value operations (slots 133 to 136).
UINT WINAPI get_text_slot(const Value *value, const wchar_t **chars, UINT *count);
UINT WINAPI set_text_slot(Value *value, const wchar_t *chars, UINT count, UINT units);
UINT WINAPI get_integer_slot(const Value *value, INT *out);
UINT WINAPI set_integer_slot(Value *value, INT number, UINT type, UINT units);

}  // namespace htmlengine
