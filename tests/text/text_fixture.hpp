// Results are taken into standard strings and released at once, so every
// check also proves the release.
#pragma once

#include "alloc_counter.hpp"
#include "xcore.h"

#include <string>
#include <vector>

namespace tarvo::test {

class TextTest : public LeakCheckedTest {
 protected:
  using Strings = std::vector<std::string>;
  using WStrings = std::vector<std::wstring>;

  // `unit` nonzero: the text is iRetSize / unit characters long (zeros may be inside).
  template <class T>
  static std::basic_string<T> take(T *r, size_t unit = 0) {
    std::basic_string<T> s = unit ? std::basic_string<T>(r, xCore.iRetSize / unit) : std::basic_string<T>(r);
    EXPECT_EQ(r[s.size()], 0) << "terminated";
    xCore_free(r);
    return s;
  }
  // A split result: one block holding a null-terminated list of iRetSize pieces.
  template <class T>
  static std::vector<std::basic_string<T>> take(T **r) {
    std::vector<std::basic_string<T>> out;
    for (T **p = r; *p; ++p) out.emplace_back(*p);
    EXPECT_EQ(out.size(), xCore.iRetSize);
    xCore_free(r);
    return out;
  }
  static bool none(const void *r) { return r == xCore.EmptyString; }
};

}  // namespace tarvo::test
