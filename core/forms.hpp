// The A/W/U family convention, written once: an A or U export converts each
// text argument to UTF-16 (code page 0 or 65001), calls the W export, converts
// a text result back in the same code page and releases every temporary.
//
//   char *Path_JoinU(const char *a, const char *b) {
//     return tarvo::via_w<tarvo::kCodePageU, Path_JoinW>(a, b);
//   }
#pragma once

#include "runtime.hpp"
#include "sized.hpp"
#include "xstring.h"

#include <type_traits>
#include <utility>

namespace tarvo {

inline constexpr uint32_t kCodePageA = 0;
inline constexpr uint32_t kCodePageU = 65001;

// A narrow text argument held as UTF-16 for the length of one call (its
// conversion writes no register). A null text becomes the empty text, as the
// conversion gives it, unless KeepNull is set (for W exports that give null a
// meaning of its own, such as "use the default").
template <uint32_t CP, bool KeepNull = false>
class WideArg {
 public:
  explicit WideArg(const char *s) : w_((KeepNull && !s) ? nullptr : m2w(s, CP, 0).p) {}
  ~WideArg() { xCore_free(w_); }
  WideArg(const WideArg &) = delete;
  WideArg &operator=(const WideArg &) = delete;
  operator wchar_t *() const { return w_; }
  wchar_t *get() const { return w_; }

 private:
  wchar_t *w_;
};

template <uint32_t CP>
using NullableWideArg = WideArg<CP, true>;

// Converts a wide result to the narrow form and releases the wide one; the
// export's iRetSize becomes the narrow size.
template <uint32_t CP>
char *narrow_result(wchar_t *w) {
  char *r = publish(w2m(w, CP, 0));
  xCore_free(w);
  return r;
}

template <uint32_t CP, class T>
decltype(auto) widen_arg(T &&v) {
  using D = std::decay_t<T>;
  if constexpr (std::is_same_v<D, const char *> || std::is_same_v<D, char *>)
    return WideArg<CP>(v);
  else
    return std::forward<T>(v);
}

// Calls the W export with the narrow arguments converted; a wide text result
// comes back converted, any other result unchanged.
template <uint32_t CP, auto WFn, class... Args>
auto via_w(Args... args) {
  using R = decltype(WFn(widen_arg<CP>(args)...));
  if constexpr (std::is_same_v<R, wchar_t *>)
    return narrow_result<CP>(WFn(widen_arg<CP>(args)...));
  else
    return WFn(widen_arg<CP>(args)...);
}

}  // namespace tarvo
