/* Segmented memory managers: SMM, a growable array of fixed-size elements
 * with 1-based indexes, and MBM, a growable byte buffer. Both grow in steps
 * fixed at creation and allocate with the C runtime. Success is TARVO_TRUE
 * (all bits set), failure 0. Callers may read the header fields directly. */
#ifndef TARVO_XMM_H
#define TARVO_XMM_H

#include "tarvo_api.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef struct SMM {
  void *data;             /* the elements; null while the capacity is 0 */
  uint32_t element_size;  /* never 0 */
  uint32_t count;
  uint32_t capacity;
  uint32_t step;          /* default 32 */
} SMM;

typedef struct MBM {
  void *data;        /* null while nothing is allocated */
  uint32_t length;   /* bytes in use, terminator not counted */
  uint32_t capacity;
  uint32_t step;     /* default 4096 */
} MBM;

TARVO_API SMM *SMM_Create(uint32_t element_size, uint32_t step);
TARVO_API void SMM_ReInit(SMM *a);
TARVO_API void SMM_Destroy(SMM *a);
/* Sets the capacity to exactly n elements; n = 0 releases the elements
 * (like SMM_ReInit) and succeeds. */
TARVO_API int32_t SMM_Malloc(SMM *a, uint32_t n);
TARVO_API uint32_t SMM_Insert(SMM *a, uint32_t pos, uint32_t k);
TARVO_API uint32_t SMM_Append(SMM *a, uint32_t k);
TARVO_API int32_t SMM_Swap(SMM *a, uint32_t i, uint32_t j);
TARVO_API int32_t SMM_Delete(SMM *a, uint32_t i, uint32_t k);
TARVO_API void *SMM_GetPtr(SMM *a, uint32_t i);

TARVO_API MBM *MBM_Create(uint32_t initial, uint32_t step);
TARVO_API void MBM_ReInit(MBM *b);
TARVO_API void MBM_Destroy(MBM *b);
/* Sets the capacity to exactly n bytes; n = 0 releases the bytes. */
TARVO_API int32_t MBM_Malloc(MBM *b, uint32_t n);
TARVO_API int32_t MBM_Insert(MBM *b, uint32_t offset, const void *data, uint32_t size, uint32_t term);
TARVO_API int32_t MBM_Append(MBM *b, const void *data, uint32_t size, uint32_t term);

#ifdef __cplusplus
}
#endif
#endif
