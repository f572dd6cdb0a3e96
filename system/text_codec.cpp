#include "text_codec.hpp"

#include "allocated_empty.hpp"
#include "transcode.hpp"

#include <climits>
#include <cstring>
#include <cwchar>

namespace tarvo::files {

namespace {

constexpr size_t kUtf8BytesPerUnit = 3;  // a surrogate pair gives 4 bytes for 2 units

bool is_utf32(int32_t charset) { return charset == kUtf32Le || charset == kUtf32Be; }
bool form_codepage_matches(Form form, int32_t charset) {
  if (charset < 0) return true;
  if (form == Form::U) return conversion_codepage(charset) == CP_UTF8;
  if (form == Form::A) return charset == CP_ACP;
  return charset == kUtf16Le;
}
UINT form_codepage(Form form) { return form == Form::U ? CP_UTF8 : CP_ACP; }

bool encode_wide(const wchar_t *w, size_t bytes, int32_t charset, Encoded &out) {
  if (charset < 0 || charset == kUtf16Le) {
    out.borrow(w, bytes);
  } else if (charset == kUtf16Be) {
    void *copy = tarvo::alloc_result<char>(bytes);
    if (!copy) return false;
    std::memcpy(copy, w, bytes);
    xCore_UCS2_BE2LE(copy, static_cast<uint32_t>(bytes));
    out.own(copy, bytes);
  } else if (is_utf32(charset)) {
    Sized<uint32_t> units = ucs2_to_ucs4(w, static_cast<uint32_t>(bytes), static_cast<uint32_t>(charset));
    out.own(units.p, units.size);
  } else {
    Sized<char> m = narrow(w, bytes / 2, conversion_codepage(charset));
    out.own(m.p, m.size);
  }
  return out.size() > 0;
}

}  // namespace

Sized<char> narrow(const wchar_t *w, size_t units, UINT codepage) {
  if (units == 0) return {allocated_empty<char>(), 0};
  if (codepage != CP_UTF8 || units > INT_MAX / kUtf8BytesPerUnit)
    return w2m(w, codepage, static_cast<uint32_t>(units * 2));
  size_t cap = units * kUtf8BytesPerUnit;
  char *r = tarvo::alloc_result<char>(cap + 1);
  if (!r) return {tarvo::empty_a(), 0};
  int k = tarvo::wide_to_multibyte(CP_UTF8, 0, w, static_cast<int>(units), r, static_cast<int>(cap), nullptr, nullptr);
  return fitted(r, cap, k < 0 ? 0 : static_cast<size_t>(k));
}

Sized<char> fitted(char *r, size_t cap, size_t used) {
  r[used] = 0;
  // Give back a large unused tail; a small one is not worth a move.
  if (cap - used > cap / 4) {
    if (void *smaller = xCore.realloc(r, used + 1)) r = static_cast<char *>(smaller);
  }
  return {r, used};
}

bool encode(Form form, const void *text, size_t len, int32_t charset, Encoded &out) {
  if (!text) return false;
  if (len == 0)
    len = form == Form::W ? std::wcslen(static_cast<const wchar_t *>(text)) * 2 : std::strlen(static_cast<const char *>(text));
  if (len == 0 || len > UINT32_MAX) return false;
  if (form == Form::W) return encode_wide(static_cast<const wchar_t *>(text), len, charset, out);
  if (form_codepage_matches(form, charset)) {
    out.borrow(text, len);
    return true;
  }
  auto [w, wide_bytes] = m2w(static_cast<const char *>(text), form_codepage(form), static_cast<uint32_t>(len));
  bool ok = wide_bytes > 0 && encode_wide(w, wide_bytes, charset, out);
  if (ok && out.data() == w) {
    out.own(w, wide_bytes);  // the widened text is itself what the file stores
    return true;
  }
  tarvo::release(w);
  return ok;
}

Sized<void> decode(Form form, void *bytes, size_t n, int32_t charset) {
  if (n == 0 || form_codepage_matches(form, charset)) return {bytes, n};
  wchar_t *w = static_cast<wchar_t *>(bytes);
  size_t wide_bytes = n & ~size_t(1);
  if (charset == kUtf16Le || charset == kUtf16Be) {
    if (charset == kUtf16Be) xCore_UCS2_BE2LE(bytes, static_cast<uint32_t>(wide_bytes));
    w[wide_bytes / 2] = 0;  // an odd last byte is not a whole unit
  } else if (is_utf32(charset)) {
    wide_bytes = xCore_UCS4_To_UCS2(bytes, static_cast<uint32_t>(n), static_cast<uint32_t>(charset));
    w[wide_bytes / 2] = 0;
  } else {
    Sized<wchar_t> wide = m2w(static_cast<const char *>(bytes), conversion_codepage(charset), static_cast<uint32_t>(n));
    w = wide.p, wide_bytes = wide.size;
    tarvo::release(bytes);
  }
  if (form == Form::W) return {w, wide_bytes};
  Sized<char> r = narrow(w, wide_bytes / 2, form_codepage(form));
  tarvo::release(w);
  return {r.p, r.size};
}

}  // namespace tarvo::files
