// Growable byte buffers written at an offset or appended to.
#include "xmm.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "block.hpp"

namespace {
constexpr uint32_t kDefaultStep = 4096;
}

extern "C" {

MBM *MBM_Create(uint32_t initial, uint32_t step) {
  MBM *b = static_cast<MBM *>(std::calloc(1, sizeof(MBM)));
  if (!b) return nullptr;
  b->step = step ? step : kDefaultStep;
  if (initial && !MBM_Malloc(b, initial)) {
    std::free(b);
    return nullptr;
  }
  return b;
}

void MBM_ReInit(MBM *b) {
  if (!b) return;
  std::free(b->data);
  b->data = nullptr;
  b->length = 0;
  b->capacity = 0;
}

void MBM_Destroy(MBM *b) {
  if (!b) return;
  MBM_ReInit(b);
  std::free(b);
}

int32_t MBM_Malloc(MBM *b, uint32_t n) {
  if (!b || !tarvo::set_capacity(b->data, b->capacity, b->length, n, 1)) return 0;
  return TARVO_TRUE;
}

int32_t MBM_Insert(MBM *b, uint32_t offset, const void *data, uint32_t size, uint32_t term) {
  if (!b || term > 2) return 0;
  if (size == 0 && data) {
    if (term == 1) size = static_cast<uint32_t>(std::strlen(static_cast<const char *>(data)));
    if (term == 2) size = static_cast<uint32_t>(std::wcslen(static_cast<const wchar_t *>(data)) * 2);
  }
  if (size && !data) return 0;
  // A terminator alone goes after the current length, which may lie beyond
  // offset + size.
  uint64_t end = size ? static_cast<uint64_t>(offset) + size : b->length;
  uint64_t need = end + term;
  if (need > b->capacity) {
    uint64_t cap = need + b->step;
    if (cap > 0xFFFFFFFFull || !MBM_Malloc(b, static_cast<uint32_t>(cap))) return 0;
  }
  char *bytes = static_cast<char *>(b->data);
  if (size) {
    std::memmove(bytes + offset, data, size);
    b->length = offset + size;
  }
  if (term) std::memset(bytes + b->length, 0, term);
  return TARVO_TRUE;
}

int32_t MBM_Append(MBM *b, const void *data, uint32_t size, uint32_t term) {
  return b ? MBM_Insert(b, b->length, data, size, term) : 0;
}

}  // extern "C"
