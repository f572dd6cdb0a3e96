// MD5 for scripts: 32 upper-case hexadecimal digits.
#include "hashing.hpp"
#include "registry.hpp"
#include "sized.hpp"
#include "wrap.hpp"
#include "xstring.h"
#include "xtext.h"

#include <cstring>

namespace tarvo::lua {
namespace {

char *hex_digest(const Md5Digest &d) { return HexEncode(d.bytes, sizeof d.bytes); }

// A converted form of the text, hashed over its bytes and released.
template <class T>
char *md5_converted(Sized<T> converted) {
  char *hex = hex_digest(md5_bytes(converted.p, converted.size));
  release(converted.p);
  return hex;
}

// Mode "unicode" hashes the UTF-16 form, "ansi" the ANSI form (any case);
// any other mode the UTF-8 bytes as given.
char *md5_text(const char *text, uint32_t size, const char *mode) {
  if (!text) text = "";
  if (mode && _stricmp(mode, "unicode") == 0) return md5_converted(m2w(text, kCodePageU, size));
  if (mode && _stricmp(mode, "ansi") == 0) return md5_converted(recode(text, kCodePageU, kCodePageA, size));
  return hex_digest(md5_bytes(text, size));
}

// A file that cannot be opened or read gives the empty text: there is no
// digest to report, and an earlier call's digest must not pass for this one.
char *md5_file_digest(const wchar_t *path) {
  Md5Digest d{};
  if (!md5_file(path, d)) return empty_a();
  return hex_digest(d);
}

const luaL_Reg kHashingFunctions[] = {
    {"MD5", wrap<md5_text, Ret::Text, Text, SizeOf<1>, TextOr<"">>},
    {"MD5_File", wrap<md5_file_digest, Ret::Text, Text>},
};

const LuaFamily hashing_family(kHashingFunctions);

}  // namespace
}  // namespace tarvo::lua
