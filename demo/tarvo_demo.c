/* A small C host: loads tarvo and prints what the core exports return. */
#include "xcore.h"
#include "xmm.h"
#include "xstring.h"

#include <stdio.h>

int main(void) {
  char *app = xCore_AppPathU();
  printf("application folder: %s (%u bytes)\n", app, xCore.iRetSize);
  xCore_free(app);

  printf("system bits: %d, stamp: %u\n", xCore_SysBits(), xCore.Stamp);

  wchar_t *w = xCore_U2W("na\xc3\xafve \xe4\xb8\xad\xe6\x96\x87", 0);
  printf("UTF-8 to UTF-16: %u bytes\n", xCore.iRetSize);
  char *back = xCore_W2U(w, 0);
  printf("and back: %s (%u bytes)\n", back, xCore.iRetSize);
  xCore_free(back);
  xCore_free(w);

  char *text = xCore_FormatA("%d + %d = %d", 2, 3, 5);
  printf("formatted: %s\n", text);
  xCore_free(text);

  SMM *list = SMM_Create(sizeof(int), 0);
  for (int i = 0; i < 40; ++i) *(int *)SMM_GetPtr(list, SMM_Append(list, 1)) = i * i;
  printf("element array: %u elements, capacity %u, element 40 = %d\n", list->count, list->capacity,
         *(int *)SMM_GetPtr(list, 40));
  SMM_Destroy(list);

  printf("dice: %d\n", xCore_Rand(1, 7));
  return 0;
}
