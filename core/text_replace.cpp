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
  auto next = [&](const T *from) { return on ? find(from, end, old_text, on) : nullptr; };

  size_t k = 0;
  for (const T *m = next(text); m; m = next(m + on)) ++k;
  size_t kept = static_cast<size_t>(end - text) - k * on;
  size_t len, bytes;
  if (!mul_add(k, nn, kept, len) || !mul_add(len + 1, sizeof(T), 0, bytes) || len > UINT32_MAX) return fail<T>();
  if (len == 0) return fail<T>();
  T *r = static_cast<T *>(xCore.malloc(bytes));
  if (!r) return fail<T>();

  T *out = r;
  const T *from = text;
  for (const T *m = next(from); m; m = next(from)) {
    std::memcpy(out, from, static_cast<size_t>(m - from) * sizeof(T));
    out += m - from;
    if (nn) std::memcpy(out, new_text, nn * sizeof(T));
    out += nn;
    from = m + on;
  }
  std::memcpy(out, from, static_cast<size_t>(end - from) * sizeof(T));
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
