// Replacing every occurrence of a text. The A form works on bytes.
#include "text_chars.hpp"
#include "xtext.h"

namespace {

using namespace tarvo::text;

template <class T>
T *fail() {
  tarvo::set_size(0);
  return empty<T>();
}

// Occurrences are counted and replaced left to right without overlap. A null
// or empty old text matches nowhere, so the result is a copy of the text.
template <class T>
T *replace(const T *text, const T *old_text, const T *new_text) {
  if (!text) return fail<T>();
  const T *end = text + length(text);
  size_t on = old_text ? length(old_text) : 0;
  size_t nn = new_text ? length(new_text) : 0;
  auto next = [&](const T *from, const T *) { return on ? find(from, end, old_text, on) : nullptr; };
  Matches matches(text, end, on, next);

  size_t k = matches.size();
  size_t kept = static_cast<size_t>(end - text) - k * on;
  size_t len, bytes;
  if (!mul_add(k, nn, kept, len) || !mul_add(len + 1, sizeof(T), 0, bytes) || len > UINT32_MAX) return fail<T>();
  if (len == 0) return fail<T>();
  T *r = static_cast<T *>(xCore.malloc(bytes));
  if (!r) return fail<T>();

  T *out = r;
  size_t from = 0;
  matches.each([&](size_t at) {
    std::memcpy(out, text + from, (at - from) * sizeof(T));
    out += at - from;
    if (nn) std::memcpy(out, new_text, nn * sizeof(T));
    out += nn;
    from = at + on;
  });
  std::memcpy(out, text + from, (static_cast<size_t>(end - text) - from) * sizeof(T));
  r[len] = 0;
  tarvo::set_size(len);
  return r;
}

}  // namespace

extern "C" {

wchar_t *xCore_ReplaceW(const wchar_t *text, const wchar_t *old_text, const wchar_t *new_text) {
  return replace(text, old_text, new_text);
}
char *xCore_ReplaceA(const char *text, const char *old_text, const char *new_text) {
  return replace(text, old_text, new_text);
}

}  // extern "C"
