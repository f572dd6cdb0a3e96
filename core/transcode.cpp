// The split between the library's own converters and the system calls.
//
// The own converters take the longest well-formed start of the text; the
// system call converts the rest. A character ends where the start ends and
// the system's conversion keeps no state across characters, so both parts
// together give what the system call gives for the whole text. Whenever the
// rest cannot be done that way (no room, a failing call) the whole text goes
// to the system call, which then reports exactly as it always does.
#include "transcode.hpp"

#include "utf_kernels.hpp"

#include <climits>
#include <cstring>
#include <cwchar>

namespace tarvo {
namespace {

// ANSI and ISO code pages whose bytes 0x00-0x7F are ASCII one for one, in
// both directions. In the double-byte ones every lead byte is 0x80 or more,
// so an ASCII byte read from the start is a whole character.
enum class Page { Utf8, SingleByte, DoubleByte, Other };

// Read at load; a conversion made before that sees 0 and leaves everything in
// the ANSI code page to the system.
const UINT g_ansi_page = GetACP();

inline Page page_of(UINT cp) {
  if (cp == CP_ACP) cp = g_ansi_page;
  if (cp == CP_UTF8) return Page::Utf8;
  if ((cp >= 1250 && cp <= 1258) || cp == 874 || cp == 20127 || (cp >= 28591 && cp <= 28605)) return Page::SingleByte;
  if (cp == 932 || cp == 936 || cp == 949 || cp == 950) return Page::DoubleByte;
  return Page::Other;
}

// What the own converters take: anything in UTF-8 and the double-byte
// pages; in the single-byte pages the conversion, but not the measure, which
// the system answers without reading the text.
bool ours(Page page, int capacity) {
  return page == Page::Utf8 || page == Page::DoubleByte || (page == Page::SingleByte && capacity > 0);
}

// The checks every fast case shares: plain flags, a text, a length of -1 (to
// the terminator, which is counted) or more than 0, and either a measure
// (capacity 0) or a real buffer.
template <class C, class O>
bool plain_call(DWORD flags, const C *text, int length, O *out, int capacity) {
  return flags == 0 && text && (length > 0 || length == -1) && (capacity == 0 || (capacity > 0 && out));
}

template <class C>
size_t units_of(const C *text, int length) {
  if (length != -1) return static_cast<size_t>(length);
  if constexpr (sizeof(C) == 1)
    return std::strlen(text) + 1;
  else
    return std::wcslen(text) + 1;
}

// Own start, system rest. `kernel` converts the start; `system(from, count,
// into, room)` converts a part of the text with the system call.
template <class C, class O, class Kernel, class System>
int split(const C *text, size_t n, O *out, int capacity, Kernel kernel, System system) {
  const bool write = capacity > 0;
  const utf::Scan start = kernel(text, n, write ? out : nullptr, static_cast<size_t>(capacity));
  if (start.stop == utf::Stop::Full || start.out > INT_MAX) return -1;
  if (start.stop == utf::Stop::Done) return static_cast<int>(start.out);
  const size_t room = write ? static_cast<size_t>(capacity) - start.out : 0;
  if (write && room == 0) return -1;  // a capacity of 0 would mean "measure"
  const int rest = system(text + start.in, static_cast<int>(n - start.in), write ? out + start.out : nullptr,
                          static_cast<int>(room));
  if (rest <= 0 || start.out + static_cast<size_t>(rest) > INT_MAX) return -1;
  return static_cast<int>(start.out + static_cast<size_t>(rest));
}

// A call that passed the checks: the own converters first, the system for
// the rest or, when that cannot be, for the whole call. Kept out of line so
// that a call going straight to the system pays for none of it.
[[gnu::noinline]] int own_to_wide(UINT codepage, bool ascii_only, LPCCH text, int length, LPWSTR out, int capacity) {
  const size_t n = units_of(text, length);
  if (n <= INT_MAX) {
    auto kernel = [ascii_only](LPCCH s, size_t count, LPWSTR into, size_t room) {
      return utf::utf8_to_utf16(s, count, into, room, ascii_only);
    };
    auto system = [codepage](LPCCH from, int count, LPWSTR into, int room) {
      return MultiByteToWideChar(codepage, 0, from, count, into, room);
    };
    const int k = split(text, n, out, capacity, kernel, system);
    if (k >= 0) return k;
  }
  return MultiByteToWideChar(codepage, 0, text, length, out, capacity);
}

[[gnu::noinline]] int own_to_multibyte(UINT codepage, bool ascii_only, LPCWCH text, int length, LPSTR out,
                                       int capacity) {
  const size_t n = units_of(text, length);
  if (n <= INT_MAX) {
    auto kernel = [ascii_only](LPCWCH w, size_t count, LPSTR into, size_t room) {
      return utf::utf16_to_utf8(w, count, into, room, ascii_only);
    };
    auto system = [codepage](LPCWCH from, int count, LPSTR into, int room) {
      return WideCharToMultiByte(codepage, 0, from, count, into, room, nullptr, nullptr);
    };
    const int k = split(text, n, out, capacity, kernel, system);
    if (k >= 0) return k;
  }
  return WideCharToMultiByte(codepage, 0, text, length, out, capacity, nullptr, nullptr);
}

}  // namespace

int most_bytes_per_unit(UINT codepage) {
  switch (page_of(codepage)) {
    case Page::Utf8: return 3;
    case Page::SingleByte: return 1;
    case Page::DoubleByte: return 2;
    default: return 0;
  }
}

int multibyte_to_wide(UINT codepage, DWORD flags, LPCCH text, int length, LPWSTR out, int capacity) {
  const Page page = page_of(codepage);
  if (ours(page, capacity) && plain_call(flags, text, length, out, capacity))
    return own_to_wide(codepage, page != Page::Utf8, text, length, out, capacity);
  return MultiByteToWideChar(codepage, flags, text, length, out, capacity);
}

int wide_to_multibyte(UINT codepage, DWORD flags, LPCWCH text, int length, LPSTR out, int capacity,
                      LPCCH default_char, LPBOOL used_default) {
  const Page page = page_of(codepage);
  if (ours(page, capacity) && !default_char && !used_default && plain_call(flags, text, length, out, capacity))
    return own_to_multibyte(codepage, page != Page::Utf8, text, length, out, capacity);
  return WideCharToMultiByte(codepage, flags, text, length, out, capacity, default_char, used_default);
}

}  // namespace tarvo
