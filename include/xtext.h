/* Text utilities: split, replace, find, trim and filter in their W/A/U forms,
 * hexadecimal and URI encoding, and the xxHash one-shot hashes.
 *
 * Results follow the library's convention: caller-owned memory released with
 * xCore_free, EmptyString when there is nothing to return, sizes in iRetSize.
 * A split result is one block: an array of piece pointers ended by null, then
 * (unless split in place) a copy of the text the pieces point into; iRetSize
 * is the number of pieces. */
#ifndef TARVO_XTEXT_H
#define TARVO_XTEXT_H

#include "tarvo_api.h"

#ifdef __cplusplus
extern "C" {
#endif

TARVO_API wchar_t **xCore_SplitCharW(wchar_t *text, wchar_t sep, int32_t inplace);
TARVO_API char **xCore_SplitCharA(char *text, char sep, int32_t inplace);
TARVO_API wchar_t **xCore_SplitTextW(wchar_t *text, const wchar_t *sep, int32_t inplace);
TARVO_API char **xCore_SplitTextA(char *text, const char *sep, int32_t inplace);
TARVO_API wchar_t **xCore_SplitW(wchar_t *text, const wchar_t *sep, int32_t inplace);
TARVO_API char **xCore_SplitA(char *text, const char *sep, int32_t inplace);

TARVO_API wchar_t *xCore_ReplaceW(const wchar_t *text, const wchar_t *old_text, const wchar_t *new_text);
TARVO_API char *xCore_ReplaceA(const char *text, const char *old_text, const char *new_text);

/* Pointer to the first match inside `text` (null when none); iRetSize is the
 * 1-based character position, 0 when none. */
TARVO_API wchar_t *xCore_FindStrW(const wchar_t *text, const wchar_t *needle, int32_t ignore_case);
TARVO_API char *xCore_FindStrA(const char *text, const char *needle, int32_t ignore_case);
TARVO_API uint32_t xCore_InStrW(const wchar_t *text, const wchar_t *needle, int32_t ignore_case);
TARVO_API uint32_t xCore_InStrA(const char *text, const char *needle, int32_t ignore_case);

/* A null set means " \t\r\n" in the W forms; iRetSize = characters removed. */
TARVO_API wchar_t *xxLTrimW(wchar_t *text, const wchar_t *set, int32_t inplace);
TARVO_API wchar_t *xxRTrimW(wchar_t *text, const wchar_t *set, int32_t inplace);
TARVO_API wchar_t *xxTrimW(wchar_t *text, const wchar_t *set, int32_t inplace);
TARVO_API char *xxLTrimA(const char *text, const char *set);
TARVO_API char *xxRTrimA(const char *text, const char *set);
TARVO_API char *xxTrimA(const char *text, const char *set);
TARVO_API char *xxLTrimU(const char *text, const char *set);
TARVO_API char *xxRTrimU(const char *text, const char *set);
TARVO_API char *xxTrimU(const char *text, const char *set);
TARVO_API wchar_t *xxStringFilterW(wchar_t *text, const wchar_t *set, int32_t inplace);
TARVO_API char *xxStringFilterA(const char *text, const char *set);
TARVO_API char *xxStringFilterU(const char *text, const char *set);

TARVO_API char *HexEncode(const void *bytes, uint32_t count);
TARVO_API char *HexDecode(const char *text, uint32_t len);
TARVO_API char *UriEncode(const char *text);
TARVO_API char *UriDecode(const char *text);

TARVO_API uint32_t XXH32(const void *data, size_t len, uint32_t seed);
TARVO_API uint64_t XXH64(const void *data, size_t len, uint64_t seed);

#ifdef __cplusplus
}
#endif
#endif
