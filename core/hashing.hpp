// MD5 (RFC 1321) for the script functions MD5 and MD5_File.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tarvo {

struct Md5Digest {
  uint8_t bytes[16];
};

// Each call computes into the caller's digest, so threads do not share one.
// Null data hashes as the empty input.
Md5Digest md5_bytes(const void *data, size_t size);
// The file is opened by its wide name (names outside the ANSI code page work)
// and read as bytes in chunks of 1024. False when the file cannot be opened or
// read; the digest is then untouched.
bool md5_file(const wchar_t *path, Md5Digest &digest);

}  // namespace tarvo
