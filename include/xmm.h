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

/* A new empty array of elements of that size (step 0 = 32); null for size 0 or without memory. */
TARVO_API SMM *SMM_Create(uint32_t element_size, uint32_t step);
/* Releases the elements: count and capacity become 0. */
TARVO_API void SMM_ReInit(SMM *a);
/* Releases the elements and the array; null is ignored. */
TARVO_API void SMM_Destroy(SMM *a);
/* Sets the capacity to exactly n elements; n = 0 releases the elements
 * (like SMM_ReInit) and succeeds. */
TARVO_API int32_t SMM_Malloc(SMM *a, uint32_t n);
/* Makes room for k elements (0 = 1) before the 1-based position pos + 1 (at the end when beyond): the index of the first, 0 on failure. */
TARVO_API uint32_t SMM_Insert(SMM *a, uint32_t pos, uint32_t k);
/* Makes room for k elements (0 = 1) at the end: the index of the first, 0 on failure. */
TARVO_API uint32_t SMM_Append(SMM *a, uint32_t k);
/* Swaps elements i and j (1-based); TARVO_TRUE, 0 for an index outside the array. */
TARVO_API int32_t SMM_Swap(SMM *a, uint32_t i, uint32_t j);
/* Removes k elements from index i on (those past the end with them); TARVO_TRUE, 0 for a bad index or k = 0. */
TARVO_API int32_t SMM_Delete(SMM *a, uint32_t i, uint32_t k);
/* The address of element i (1-based); null outside the array. */
TARVO_API void *SMM_GetPtr(SMM *a, uint32_t i);

/* A new buffer with initial bytes of room (step 0 = 4096); null without memory. */
TARVO_API MBM *MBM_Create(uint32_t initial, uint32_t step);
/* Releases the bytes: length and capacity become 0. */
TARVO_API void MBM_ReInit(MBM *b);
/* Releases the bytes and the buffer; null is ignored. */
TARVO_API void MBM_Destroy(MBM *b);
/* Sets the capacity to exactly n bytes; n = 0 releases the bytes. */
TARVO_API int32_t MBM_Malloc(MBM *b, uint32_t n);
/* Writes size bytes at offset (the length becomes offset + size), then term zero bytes (0 to 2); size 0 with term 1 or 2 measures the data as text; TARVO_TRUE or 0. */
TARVO_API int32_t MBM_Insert(MBM *b, uint32_t offset, const void *data, uint32_t size, uint32_t term);
/* Writes the bytes at the end, as MBM_Insert does; TARVO_TRUE or 0. */
TARVO_API int32_t MBM_Append(MBM *b, const void *data, uint32_t size, uint32_t term);

#ifdef __cplusplus
}
#endif
#endif
