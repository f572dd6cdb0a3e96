// Splitting on a character or a text. The A forms work on bytes.
#include "text_chars.hpp"
#include "xtext.h"

namespace {

using namespace tarvo::text;

// The block handed to the caller: `pieces + 1` pointer slots (the last one
// null), followed, unless the split is in place, by a copy of the first `end`
// units of the text with its terminator. `chars` is the text the pieces point
// into. A failed allocation gives EmptyString, whose zero bytes read as a list
// of no pieces.
template <class T>
T **alloc_block(T *text, size_t end, size_t pieces, bool inplace, T *&chars) {
  size_t slot_bytes, bytes;
  if (!mul_add(pieces + 1, sizeof(T *), 0, slot_bytes) ||
      !mul_add(inplace ? 0 : end + 1, sizeof(T), slot_bytes, bytes))
    return nullptr;
  auto **slots = static_cast<T **>(xCore.malloc(bytes));
  if (!slots) return nullptr;
  chars = text;
  if (!inplace) {
    chars = reinterpret_cast<T *>(reinterpret_cast<char *>(slots) + slot_bytes);
    std::memcpy(chars, text, end * sizeof(T));
    chars[end] = 0;
  }
  return slots;
}

template <class T>
T **failed() {
  tarvo::set_size(0);
  return reinterpret_cast<T **>(tarvo::empty_a());
}

// Cuts chars at each collected match: a zero where the match starts, the next
// piece after it.
template <class T, class M>
T **cut(T *text, size_t end, const M &matches, size_t sep_len, int32_t inplace) {
  T *chars;
  T **slots = alloc_block(text, end, matches.size() + 1, inplace != 0, chars);
  if (!slots) return failed<T>();
  size_t k = 0, start = 0;
  matches.each([&](size_t at) {
    chars[at] = 0;
    slots[k++] = chars + start;
    start = at + sep_len;
  });
  slots[k++] = chars + start;
  slots[k] = nullptr;
  tarvo::set_size(k);
  return slots;
}

// Separator 0 reads the text as a list of zero-terminated strings ended by an
// empty one: the list ends at the first zero that another zero follows, or at
// a zero in the first place (the empty list), so nothing past that second
// zero is read.
template <class T>
size_t list_end(const T *t) {
  size_t i = 0;
  while (t[i] != 0 || (i != 0 && t[i + 1] != 0)) ++i;
  return i;
}

template <class T>
T **split_char(T *text, T sep, int32_t inplace) {
  if (!text) text = empty<T>();
  size_t end = sep == 0 ? list_end(text) : length(text);
  auto next = [sep](T *from, T *stop) { return find_unit(from, sep, stop - from); };
  return cut(text, end, Matches(text, text + end, 1, next), 1, inplace);
}

// Matches are taken left to right without overlap, so the array holds exactly
// the pieces. An empty separator matches nowhere: the whole text is the one
// piece.
template <class T>
T **split_text(T *text, const T *sep, int32_t inplace) {
  if (!text) text = empty<T>();
  size_t n = length(sep);
  size_t end = length(text);
  auto next = [sep, n](T *from, T *stop) { return n ? find(from, stop, sep, n) : nullptr; };
  return cut(text, end, Matches(text, text + end, n, next), n, inplace);
}

template <class T>
T **split_text_or_comma(T *text, const T *sep, int32_t inplace) {
  static constexpr T comma[] = {',', 0};
  return split_text(text, sep ? sep : comma, inplace);
}

template <class T>
T **split_any(T *text, const T *sep, int32_t inplace) {
  if (!sep) return split_char<T>(text, 0, inplace);
  if (sep[0] != 0 && sep[1] == 0) return split_char(text, sep[0], inplace);
  return split_text(text, sep, inplace);
}

}  // namespace

extern "C" {

wchar_t **xCore_SplitCharW(wchar_t *text, wchar_t sep, int32_t inplace) { return split_char(text, sep, inplace); }
char **xCore_SplitCharA(char *text, char sep, int32_t inplace) { return split_char(text, sep, inplace); }
wchar_t **xCore_SplitTextW(wchar_t *text, const wchar_t *sep, int32_t inplace) {
  return split_text_or_comma(text, sep, inplace);
}
char **xCore_SplitTextA(char *text, const char *sep, int32_t inplace) { return split_text_or_comma(text, sep, inplace); }
wchar_t **xCore_SplitW(wchar_t *text, const wchar_t *sep, int32_t inplace) { return split_any(text, sep, inplace); }
char **xCore_SplitA(char *text, const char *sep, int32_t inplace) { return split_any(text, sep, inplace); }

}  // extern "C"
