// Element arrays with 1-based indexes that grow in fixed steps.
#include "xmm.h"

#include "block.hpp"

#include <cstdlib>
#include <cstring>

namespace {

constexpr uint32_t kDefaultStep = 32;

bool too_large(uint64_t bytes) { return bytes > 0xFFFFFFFFull; }

}  // namespace

namespace tarvo {

bool resize_managed_block(void *&data, uint64_t bytes) {
  if (bytes == 0) {
    std::free(data);
    data = nullptr;
    return true;
  }
  if (too_large(bytes)) return false;
  void *p = std::realloc(data, static_cast<size_t>(bytes));
  if (!p) return false;
  data = p;
  return true;
}

}  // namespace tarvo

namespace {

char *element(SMM *a, uint32_t index0) {
  return static_cast<char *>(a->data) + static_cast<size_t>(index0) * a->element_size;
}

}  // namespace


extern "C" {

SMM *SMM_Create(uint32_t element_size, uint32_t step) {
  if (element_size == 0) return nullptr;
  SMM *a = static_cast<SMM *>(std::calloc(1, sizeof(SMM)));
  if (!a) return nullptr;
  a->element_size = element_size;
  a->step = step ? step : kDefaultStep;
  return a;
}

void SMM_ReInit(SMM *a) {
  if (!a) return;
  std::free(a->data);
  a->data = nullptr;
  a->count = 0;
  a->capacity = 0;
}

void SMM_Destroy(SMM *a) {
  if (!a) return;
  SMM_ReInit(a);
  std::free(a);
}

int32_t SMM_Malloc(SMM *a, uint32_t n) {
  if (!a || !tarvo::set_capacity(a->data, a->capacity, a->count, n, a->element_size)) return 0;
  return TARVO_TRUE;
}

uint32_t SMM_Insert(SMM *a, uint32_t pos, uint32_t k) {
  if (!a) return 0;
  if (k == 0) k = 1;
  uint64_t need = static_cast<uint64_t>(a->count) + k;
  if (need > a->capacity) {
    uint64_t cap = need + a->step;
    if (cap > 0xFFFFFFFFull || !SMM_Malloc(a, static_cast<uint32_t>(cap))) return 0;
  }
  if (pos >= a->count) {
    a->count += k;
    return a->count - k + 1;
  }
  std::memmove(element(a, pos + k), element(a, pos), static_cast<size_t>(a->count - pos) * a->element_size);
  a->count += k;
  return pos + 1;
}

uint32_t SMM_Append(SMM *a, uint32_t k) { return a ? SMM_Insert(a, a->count, k) : 0; }

int32_t SMM_Swap(SMM *a, uint32_t i, uint32_t j) {
  if (!a || i == 0 || j == 0 || i > a->count || j > a->count) return 0;
  if (i == j) return TARVO_TRUE;
  void *tmp = std::malloc(a->element_size);
  if (!tmp) return 0;
  std::memcpy(tmp, element(a, i - 1), a->element_size);
  std::memcpy(element(a, i - 1), element(a, j - 1), a->element_size);
  std::memcpy(element(a, j - 1), tmp, a->element_size);
  std::free(tmp);
  return TARVO_TRUE;
}

int32_t SMM_Delete(SMM *a, uint32_t i, uint32_t k) {
  if (!a || k == 0 || i == 0 || i > a->count) return 0;
  uint32_t start = i - 1;
  if (static_cast<uint64_t>(start) + k < a->count) {
    std::memmove(element(a, start), element(a, start + k),
                 static_cast<size_t>(a->count - start - k) * a->element_size);
    a->count -= k;
  } else {
    a->count = start;
  }
  return TARVO_TRUE;
}

void *SMM_GetPtr(SMM *a, uint32_t i) {
  if (!a || i == 0 || i > a->count) return nullptr;
  return element(a, i - 1);
}

}  // extern "C"
