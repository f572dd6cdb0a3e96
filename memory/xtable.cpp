// The keyed table's exports: the A and W forms differ only in how a key is
// measured, compared and copied.
#include "xtable.h"

#include "key_hash.hpp"
#include "table_tree.hpp"
#include "xgc.h"
#include "xstring.h"

#include <cstdlib>
#include <cstring>
#include <cwchar>

namespace {

using tarvo::table::Probe;

struct NarrowKey {
  using Char = char;
  static constexpr uint32_t kForm = XTABLE_FORM_A;
  static size_t length(const char *k) { return std::strlen(k); }
  static int compare(const void *stored, const void *probe) {
    return std::strcmp(static_cast<const char *>(stored), static_cast<const char *>(probe));
  }
  static void *copy(const char *k) { return xCore_CopyStringA(k, 0); }
};

struct WideKey {
  using Char = wchar_t;
  static constexpr uint32_t kForm = XTABLE_FORM_W;
  static size_t length(const wchar_t *k) { return std::wcslen(k); }
  static int compare(const void *stored, const void *probe) {
    auto *a = static_cast<const uint16_t *>(stored);
    auto *b = static_cast<const uint16_t *>(probe);
    for (; *a && *a == *b; ++a, ++b) {
    }
    return *a < *b ? -1 : *a > *b ? 1 : 0;
  }
  static void *copy(const wchar_t *k) { return xCore_CopyStringW(k, 0); }
};

// A key usable with this table: present, and of the form the table holds.
template <class K>
bool usable(const xTable *t, const typename K::Char *key) {
  return t && key && (t->form == XTABLE_FORM_NONE || t->form == K::kForm);
}

template <class K>
Probe probe_for(const typename K::Char *key) {
  return Probe{key, tarvo::key_hash64(key, K::length(key) * sizeof(typename K::Char)), K::compare};
}

void release_entry(xTableEntry *e) {
  xCore_free(e->key);
  std::free(e);
}

template <class K>
xTableEntry *search(xTable *t, const typename K::Char *key) {
  if (!usable<K>(t, key)) return nullptr;
  return tarvo::table::find(t->root, probe_for<K>(key));
}

template <class K>
xTableEntry *insert(xTable *t, const typename K::Char *key, uint64_t value) {
  if (!usable<K>(t, key)) return nullptr;
  auto *e = static_cast<xTableEntry *>(std::calloc(1, sizeof(xTableEntry)));
  if (!e) return nullptr;
  e->key = K::copy(key);
  // The copy comes through the record's slot; the table, not the collected
  // heap, owns it (entries are not scanned, so it would be swept).
  xCore_GC_Remove(e->key);
  if (*key && e->key == xCore.EmptyString) {
    std::free(e);
    return nullptr;
  }
  Probe probe = probe_for<K>(key);
  e->hash = probe.hash;
  e->value = value;
  if (!tarvo::table::attach(&t->root, e, probe)) {
    release_entry(e);
    return nullptr;
  }
  t->form = K::kForm;
  return e;
}

template <class K>
uint64_t get_value(xTable *t, const typename K::Char *key) {
  xTableEntry *e = search<K>(t, key);
  return e ? e->value : 0;
}

template <class K>
xTableEntry *set_value(xTable *t, const typename K::Char *key, uint64_t value) {
  if (xTableEntry *e = search<K>(t, key)) {
    e->value = value;
    return e;
  }
  return insert<K>(t, key, value);
}

template <class K>
int32_t remove(xTable *t, const typename K::Char *key) {
  if (!usable<K>(t, key)) return 0;
  xTableEntry *e = tarvo::table::detach(&t->root, probe_for<K>(key));
  if (!e) return 0;
  release_entry(e);
  if (!t->root) t->form = XTABLE_FORM_NONE;
  return TARVO_TRUE;
}

}  // namespace

extern "C" {

xTable *xTable_Create(void) { return static_cast<xTable *>(std::calloc(1, sizeof(xTable))); }

void xTable_Destroy(xTable *table) {
  if (!table) return;
  tarvo::table::post_order(table->root, release_entry);
  std::free(table);
}

int32_t xTable_Scan(xTable *table, xTableScanProc callback) {
  if (table && callback) tarvo::table::post_order(table->root, callback);
  return 0;
}

xTableEntry *xTable_InsertA(xTable *t, const char *k, uint64_t v) { return insert<NarrowKey>(t, k, v); }
xTableEntry *xTable_InsertW(xTable *t, const wchar_t *k, uint64_t v) { return insert<WideKey>(t, k, v); }
xTableEntry *xTable_SearchA(xTable *t, const char *k) { return search<NarrowKey>(t, k); }
xTableEntry *xTable_SearchW(xTable *t, const wchar_t *k) { return search<WideKey>(t, k); }
uint64_t xTable_GetValA(xTable *t, const char *k) { return get_value<NarrowKey>(t, k); }
uint64_t xTable_GetValW(xTable *t, const wchar_t *k) { return get_value<WideKey>(t, k); }
xTableEntry *xTable_SetValA(xTable *t, const char *k, uint64_t v) { return set_value<NarrowKey>(t, k, v); }
xTableEntry *xTable_SetValW(xTable *t, const wchar_t *k, uint64_t v) { return set_value<WideKey>(t, k, v); }
int32_t xTable_RemoveA(xTable *t, const char *k) { return remove<NarrowKey>(t, k); }
int32_t xTable_RemoveW(xTable *t, const wchar_t *k) { return remove<WideKey>(t, k); }

}  // extern "C"
