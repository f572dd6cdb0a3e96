// Small conversions the stand-in applications share: a client's value as a
// number, and file names as the applications keep them.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include "com_ref.hpp"

#include <cstdint>
#include <optional>
#include <string>

namespace standin {

// The value as a 32-bit integer the way automation coerces it; none when it
// cannot be one.
inline std::optional<int32_t> int_of(const VARIANT &v) {
  tarvo::com::Variant out;
  if (FAILED(VariantChangeType(out.get(), const_cast<VARIANT *>(&v), 0, VT_I4))) return std::nullopt;
  return out->lVal;
}

// The value as a double the way automation coerces it; none when it cannot
// be one.
inline std::optional<double> real_of(const VARIANT &v) {
  tarvo::com::Variant out;
  if (FAILED(VariantChangeType(out.get(), const_cast<VARIANT *>(&v), 0, VT_R8))) return std::nullopt;
  return out->dblVal;
}

inline bool is_text(const VARIANT &v) { return v.vt == VT_BSTR; }
inline bool is_object(const VARIANT &v) { return v.vt == VT_DISPATCH || v.vt == VT_UNKNOWN; }

// A path made absolute (the name as given when the system cannot).
inline std::wstring full_path(const std::wstring &path) {
  wchar_t buf[MAX_PATH * 4];
  const DWORD n = GetFullPathNameW(path.c_str(), MAX_PATH * 4, buf, nullptr);
  return n && n < MAX_PATH * 4 ? std::wstring(buf, n) : path;
}

// The file name of a path, without its folder.
inline std::wstring file_part(const std::wstring &path) {
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

}  // namespace standin
