// Substring search with an optional ASCII case folding. The A form works on
// bytes and reports byte positions.
#include "text_chars.hpp"
#include "xstring.h"
#include "xtext.h"

namespace {

template <class T>
const T *search(const T *text, const T *needle) {
  if constexpr (sizeof(T) == 1)
    return std::strstr(text, needle);
  else
    return std::wcsstr(text, needle);
}

template <class T>
T *lower_copy(const T *s) {
  if constexpr (sizeof(T) == 1)
    return xCore_LCaseA(const_cast<T *>(s), 0, 0);
  else
    return xCore_LCaseW(const_cast<T *>(s), 0, 0);
}

// A null text has nothing to find: null, position 0 (a match is never
// reported without a text to point into). A null needle is the empty needle:
// it matches at position 1.
template <class T>
tarvo::Sized<T> find_str(const T *text, const T *needle, int32_t ignore_case) {
  if (!text) return {nullptr, 0};
  if (!needle) needle = tarvo::text::empty<T>();
  const T *hit;
  if (ignore_case) {
    T *lt = lower_copy(text);
    T *ln = lower_copy(needle);
    // A copy that could not be made (EmptyString for a non-empty text)
    // finds nothing rather than a false match.
    bool copied = (*text == 0 || !tarvo::is_empty_result(lt)) && (*needle == 0 || !tarvo::is_empty_result(ln));
    const T *m = copied ? search<T>(lt, ln) : nullptr;
    hit = m ? text + (m - lt) : nullptr;
    tarvo::release(ln);
    tarvo::release(lt);
  } else {
    hit = search(text, needle);
  }
  if (!hit) return {nullptr, 0};
  return {const_cast<T *>(hit), static_cast<size_t>(hit - text) + 1};
}

// The position, also left in iRetSize as the find leaves it.
template <class T>
uint32_t in_str(const T *text, const T *needle, int32_t ignore_case) {
  auto pos = static_cast<uint32_t>(find_str(text, needle, ignore_case).size);
  tarvo::set_size(pos);
  return pos;
}

}  // namespace

extern "C" {

wchar_t *xCore_FindStrW(const wchar_t *text, const wchar_t *needle, int32_t ignore_case) {
  return tarvo::publish(find_str(text, needle, ignore_case));
}
char *xCore_FindStrA(const char *text, const char *needle, int32_t ignore_case) {
  return tarvo::publish(find_str(text, needle, ignore_case));
}
uint32_t xCore_InStrW(const wchar_t *text, const wchar_t *needle, int32_t ignore_case) {
  return in_str(text, needle, ignore_case);
}
uint32_t xCore_InStrA(const char *text, const char *needle, int32_t ignore_case) {
  return in_str(text, needle, ignore_case);
}

}  // extern "C"
