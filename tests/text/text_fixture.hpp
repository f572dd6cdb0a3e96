// The fixture of the text-utility tests: results are taken into standard
// strings and released at once, so every check also proves the release.
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

  template <class T>
  static std::basic_string<T> take(T *r) {
    std::basic_string<T> s(r);
    xCore_free(r);
    return s;
  }

  // Bytes that may hold zeros, sized by iRetSize and zero-terminated.
  static std::string take_bytes(char *r) {
    std::string s(r, xCore.iRetSize);
    EXPECT_EQ(r[xCore.iRetSize], '\0');
    xCore_free(r);
    return s;
  }

  // The pieces of a split result, which must be one null-terminated list of
  // iRetSize pieces in a single block.
  template <class T>
  static std::vector<std::basic_string<T>> take(T **r) {
    std::vector<std::basic_string<T>> out;
    for (T **p = r; *p; ++p) out.emplace_back(*p);
    EXPECT_EQ(out.size(), xCore.iRetSize);
    xCore_free(r);
    return out;
  }
};

}  // namespace tarvo::test
