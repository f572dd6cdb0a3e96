#include "cleanup.hpp"

namespace tarvo {
namespace {
SMM *g_cleanup = nullptr;
}

void cleanup_list_create() {
  if (!g_cleanup) g_cleanup = SMM_Create(sizeof(ReleaseRecord), 32);
}

void cleanup_list_run_and_destroy() {
  SMM *list = g_cleanup;
  if (!list) return;
  for (uint32_t i = 1; i <= list->count; ++i) {
    auto *record = static_cast<ReleaseRecord *>(SMM_GetPtr(list, i));
    if (record && record->release) record->release(record);
  }
  SMM_Destroy(list);
  g_cleanup = nullptr;
}

SMM *cleanup_list() { return g_cleanup; }

}  // namespace tarvo
