/* The keyed table: text keys mapped to one 64-bit value each, held in a
 * height-balanced binary tree ordered by the XXH64 (seed 0) of the key's bytes
 * first and the key text second, so that most comparisons are one integer
 * comparison.
 *
 * The A exports take zero-terminated byte keys (ANSI or UTF-8, compared as
 * bytes), the W exports zero-terminated UTF-16 keys (compared by 16-bit
 * units). A table holds keys of one form: the first insertion into an empty
 * table fixes it, and a table that becomes empty again takes either form.
 * Operations with keys of the other form find nothing and insert nothing
 * (null, 0), so a key is never read past its own terminator. Null tables and
 * null keys give the same failure values. Entries and the table come from the
 * C runtime; key copies from xCore_CopyStringA/W, and they are kept out of the
 * collected heap's reach while it runs. No lock: one thread at a time. */
#ifndef TARVO_XTABLE_H
#define TARVO_XTABLE_H

#include "tarvo_api.h"

#ifdef __cplusplus
extern "C" {
#endif

/* One key; scan callbacks receive it. Laid out as callers read it. */
typedef struct xTableEntry {
  struct xTableEntry *left;  /* entries that order after this one */
  struct xTableEntry *right; /* entries that order before this one */
  int32_t height;            /* of the subtree rooted here; 1 for a leaf */
  void *key;                 /* the table's own copy (char* or wchar_t*) */
  uint64_t hash;             /* XXH64 of the key's bytes, seed 0 */
  uint64_t value;
} xTableEntry;

enum { XTABLE_FORM_NONE = 0, XTABLE_FORM_A = 1, XTABLE_FORM_W = 2 };

typedef struct xTable {
  xTableEntry *root; /* null when empty */
  uint32_t form;     /* XTABLE_FORM_*: the form of the keys held */
} xTable;

/* Called once per entry; the return value is ignored. The callback must not
 * insert or remove. */
typedef int32_t (*xTableScanProc)(xTableEntry *entry);

/* A new empty table; null if it cannot be allocated. */
TARVO_API xTable *xTable_Create(void);

/* Releases every entry with its key copy, and the table. */
TARVO_API void xTable_Destroy(xTable *table);

/* The new entry; null if the key is present already (the stored value stays),
 * if allocation fails, or if the tree is too deep on the key's path (42 levels:
 * beyond any table that fits in memory). */
TARVO_API xTableEntry *xTable_InsertA(xTable *table, const char *key, uint64_t value);
TARVO_API xTableEntry *xTable_InsertW(xTable *table, const wchar_t *key, uint64_t value);

/* The entry holding the key, or null. */
TARVO_API xTableEntry *xTable_SearchA(xTable *table, const char *key);
TARVO_API xTableEntry *xTable_SearchW(xTable *table, const wchar_t *key);

/* The key's value, or 0 when absent. */
TARVO_API uint64_t xTable_GetValA(xTable *table, const char *key);
TARVO_API uint64_t xTable_GetValW(xTable *table, const wchar_t *key);

/* Changes the value of the key's entry, or inserts the key; the entry, null
 * only when the insertion fails. */
TARVO_API xTableEntry *xTable_SetValA(xTable *table, const char *key, uint64_t value);
TARVO_API xTableEntry *xTable_SetValW(xTable *table, const wchar_t *key, uint64_t value);

/* TARVO_TRUE after releasing the key's entry and key copy; 0 when absent. */
TARVO_API int32_t xTable_RemoveA(xTable *table, const char *key);
TARVO_API int32_t xTable_RemoveW(xTable *table, const wchar_t *key);

/* Calls the callback for every entry, children before their parent (the
 * subtree in `left`, then the one in `right`, then the entry); returns 0. */
TARVO_API int32_t xTable_Scan(xTable *table, xTableScanProc callback);

#ifdef __cplusplus
}
#endif
#endif
