// Exercises the shared runtime code in the 32-bit build: it must compile and
// link for x86 like the programs that carry it.
#include "xcore.h"
#include "xmm.h"
#include "xstring.h"
#include "xgc.h"
#include "xtable.h"

#include <cstdio>

int main() {
  xCoreInit();
  wchar_t *w = xCore_U2W("runtime", 0);
  char *a = xCore_W2A(w, 0);
  SMM *list = SMM_Create(8, 0);
  std::printf("%s %u %d\n", a, SMM_Append(list, 1), xCore_SysBits());
  SMM_Destroy(list);
  xTable *table = xTable_Create();
  xTable_InsertA(table, a, 1);
  xCore_GC_Start(nullptr);
  std::printf("%u\n", static_cast<unsigned>(xTable_GetValA(table, a)));
  xCore_GC_Run();
  xCore_GC_Stop();
  xTable_Destroy(table);
  xCore_free(a);
  xCore_free(w);
  xCoreUnit();
  return 0;
}
