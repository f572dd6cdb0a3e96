// Exercises the shared runtime code in the 32-bit build: it must compile and
// link for x86 like the programs that carry it.
#include "xcore.h"
#include "xmm.h"
#include "xstring.h"

#include <cstdio>

int main() {
  xCoreInit();
  wchar_t *w = xCore_U2W("runtime", 0);
  char *a = xCore_W2A(w, 0);
  SMM *list = SMM_Create(8, 0);
  std::printf("%s %u %d\n", a, SMM_Append(list, 1), xCore_SysBits());
  SMM_Destroy(list);
  xCore_free(a);
  xCore_free(w);
  xCoreUnit();
  return 0;
}
