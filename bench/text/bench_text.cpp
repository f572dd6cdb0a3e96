// xCore_SplitA and xCore_ReplaceA on a 1 MiB text against a plain std::string
// implementation, and the exported XXH64 against the inlined header.
#define XXH_INLINE_ALL
#include <xxhash.h>

namespace {
uint64_t header_xxh64(const void *data, size_t len, uint64_t seed) { return XXH64(data, len, seed); }
}  // namespace

#undef XXH32
#undef XXH64
#include "timing.hpp"
#include "xcore.h"
#include "xtext.h"

#include <string>
#include <utility>
#include <vector>

namespace {

volatile uint64_t g_sink;

std::vector<std::string> std_split(const std::string &s, const std::string &sep) {
  std::vector<std::string> out;
  size_t from = 0;
  for (size_t m; (m = s.find(sep, from)) != std::string::npos; from = m + sep.size()) out.push_back(s.substr(from, m - from));
  out.push_back(s.substr(from));
  return out;
}

std::string std_replace(const std::string &s, const std::string &old_text, const std::string &new_text) {
  std::string out;
  size_t from = 0;
  for (size_t m; (m = s.find(old_text, from)) != std::string::npos; from = m + old_text.size()) {
    out.append(s, from, m - from);
    out += new_text;
  }
  out.append(s, from, std::string::npos);
  return out;
}

// Words of 3 to 12 letters separated by commas, about 1 MiB.
std::string make_text() {
  std::string t;
  uint32_t x = 12345;
  while (t.size() < (1u << 20)) {
    x = x * 1103515245 + 12345;
    size_t len = 3 + (x >> 16) % 10;
    for (size_t i = 0; i < len; ++i) t += static_cast<char>('a' + (x >> (i % 16)) % 26);
    t += ',';
  }
  return t;
}

}  // namespace

int main() {
  using tarvo::bench::compare;
  const std::string text = make_text();
  std::vector<char> buf(text.begin(), text.end());
  buf.push_back(0);
  const int rounds = 30;

  for (const char *sep : {",", "ab"}) {
    std::string what = std::string("SplitA 1 MiB on \"") + sep + "\" (copy)";
    compare(what.c_str(), rounds, 1,
            [&] {
              char **r = xCore_SplitA(buf.data(), sep, 0);
              g_sink = g_sink + xCore.iRetSize;
              xCore_free(r);
            },
            [&] { g_sink = g_sink + std_split(text, sep).size(); });
  }

  const std::pair<const char *, const char *> replacements[] = {{",", ";; "}, {"abc", "x"}};
  for (const auto &[old_text, new_text] : replacements) {
    std::string what = std::string("ReplaceA 1 MiB \"") + old_text + "\" -> \"" + new_text + "\"";
    compare(what.c_str(), rounds, 1,
            [&] {
              char *r = xCore_ReplaceA(text.c_str(), old_text, new_text);
              g_sink = g_sink + xCore.iRetSize;
              xCore_free(r);
            },
            [&] { g_sink = g_sink + std_replace(text, old_text, new_text).size(); });
  }

  compare("XXH64 1 MiB (export vs header)", rounds, 10,
          [&] { g_sink = g_sink + XXH64(text.data(), text.size(), g_sink); },
          [&] { g_sink = g_sink + header_xxh64(text.data(), text.size(), g_sink); });
  compare("XXH64 16 bytes (export vs header)", rounds, 100000,
          [&] { g_sink = g_sink + XXH64(text.data(), 16, g_sink); },
          [&] { g_sink = g_sink + header_xxh64(text.data(), 16, g_sink); });
  return 0;
}
