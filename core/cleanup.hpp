// The cleanup list: release records that run when the library unloads (a
// daemon thread registers itself here so unload can end it).
#pragma once

#include "xmm.h"

#include <cstdint>

namespace tarvo {

struct ReleaseRecord {
  uint32_t kind;  // 1 = daemon thread
  void *handle;
  void *data;
  void (*release)(ReleaseRecord *self);
};
static_assert(sizeof(void *) != 8 || sizeof(ReleaseRecord) == 32, "release records are 32 bytes");

enum : uint32_t { kReleaseDaemonThread = 1 };

void cleanup_list_create();
// Runs every record's release operation from index 1 to the count, then
// destroys the list.
void cleanup_list_run_and_destroy();
// The list itself; null before attach and after detach.
SMM *cleanup_list();

}  // namespace tarvo
