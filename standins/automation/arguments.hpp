// How the stand-in applications read their optional arguments, and find the
// item a collection's Item(index or name) names.
#pragma once

#include "dispatch_object.hpp"
#include "values.hpp"

#include <optional>
#include <vector>

namespace standin {

// Parameters that take any value and may be omitted.
inline const Param kOpt{VT_VARIANT, true};
inline std::vector<Param> optional_params(size_t n) { return std::vector<Param>(n, kOpt); }

// Argument `i` coerced as automation does; `fallback` when omitted or not
// convertible.
inline int32_t int_arg(const Invocation &call, size_t i, int32_t fallback) {
  if (!call.given(i)) return fallback;
  return int_of(call.arg(i)).value_or(fallback);
}
inline double real_arg(const Invocation &call, size_t i, double fallback) {
  if (!call.given(i)) return fallback;
  return real_of(call.arg(i)).value_or(fallback);
}
// A flag given as a number (msoTrue -1, True, 1: set; 0: clear).
inline bool flag_arg(const Invocation &call, size_t i, bool fallback) { return int_arg(call, i, fallback ? -1 : 0) != 0; }
// A flag coerced to a Boolean (so "True" and "False" count too).
inline bool bool_arg(const Invocation &call, size_t i, bool fallback) {
  if (!call.given(i)) return fallback;
  Variant out;
  if (FAILED(VariantChangeType(out.get(), const_cast<VARIANT *>(&call.arg(i)), 0, VT_BOOL))) return fallback;
  return out->boolVal != VARIANT_FALSE;
}
// A text argument; empty when omitted or not a text.
inline std::wstring text_arg(const Invocation &call, size_t i) {
  return call.given(i) && is_text(call.arg(i)) ? call.text(i) : L"";
}

// Which item a name matching several items picks.
enum class Pick { first, last };

// The item `key` names among `items`: a text is a name `named(item, text)`
// accepts, anything else a 1-based index. Null when there is none.
template <class P, class Named>
P find_item(const VARIANT &key, const std::vector<P> &items, Named named, Pick pick = Pick::first) {
  if (is_text(key)) {
    const wchar_t *name = key.bstrVal ? key.bstrVal : L"";
    P found{};
    for (const auto &item : items)
      if (named(*item, name)) {
        found = item;
        if (pick == Pick::first) break;
      }
    return found;
  }
  const auto i = int_of(key);
  if (i && *i >= 1 && static_cast<size_t>(*i) <= items.size()) return items[static_cast<size_t>(*i - 1)];
  return P{};
}

// A name matched as the applications match them: case-insensitively.
template <class T>
bool named_as(const T &item, const wchar_t *name) {
  return _wcsicmp(item.name.c_str(), name) == 0;
}

}  // namespace standin
