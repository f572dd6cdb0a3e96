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

/* Split on a character. Separator 0 reads the text as a list of
 * zero-terminated strings ended by an empty one; the list ends at the first
 * zero that another zero follows, or at a zero in the first place (the empty
 * list), so nothing past that second zero is read. In place, the separators
 * in the caller's text become zeros and the block holds only the array. A null
 * text is one empty piece. The A forms work on bytes. If the block cannot be
 * allocated the result is EmptyString (a list of no pieces, iRetSize 0).
 *
 * Split on a text: matches are taken left to right without overlap (aaa on
 * aa gives "" and "a"), and iRetSize is the number of pieces made. A null
 * separator text means ","; an empty one matches nowhere, so the whole text is
 * the one piece.
 *
 * xCore_SplitW / A: a null separator splits on character 0, a one-character
 * separator on that character, an empty or longer one on the text. */
TARVO_API wchar_t **xCore_SplitCharW(wchar_t *text, wchar_t sep, int32_t inplace);
TARVO_API char **xCore_SplitCharA(char *text, char sep, int32_t inplace);
TARVO_API wchar_t **xCore_SplitTextW(wchar_t *text, const wchar_t *sep, int32_t inplace);
TARVO_API char **xCore_SplitTextA(char *text, const char *sep, int32_t inplace);
TARVO_API wchar_t **xCore_SplitW(wchar_t *text, const wchar_t *sep, int32_t inplace);
TARVO_API char **xCore_SplitA(char *text, const char *sep, int32_t inplace);

/* Every occurrence of old, taken left to right without overlap, replaced by
 * new (null new deletes); iRetSize = the result's length in characters (units
 * for W, bytes for A). A null or empty old text matches nowhere: the result is
 * a copy of the text. A null text, an empty result or a size that cannot be
 * allocated gives EmptyString with iRetSize 0. */
TARVO_API wchar_t *xCore_ReplaceW(const wchar_t *text, const wchar_t *old_text, const wchar_t *new_text);
TARVO_API char *xCore_ReplaceA(const char *text, const char *old_text, const char *new_text);

/* Pointer to the first match inside `text` (null when none); iRetSize is the
 * 1-based position in units (W) or bytes (A), 0 when none. The ignore-case
 * flag folds ASCII letters only. A null text finds nothing (null, position 0);
 * a null needle is the empty needle and matches at position 1 (the text
 * itself). InStr returns that position. */
TARVO_API wchar_t *xCore_FindStrW(const wchar_t *text, const wchar_t *needle, int32_t ignore_case);
TARVO_API char *xCore_FindStrA(const char *text, const char *needle, int32_t ignore_case);
TARVO_API uint32_t xCore_InStrW(const wchar_t *text, const wchar_t *needle, int32_t ignore_case);
TARVO_API uint32_t xCore_InStrA(const char *text, const char *needle, int32_t ignore_case);

/* A null set means " \t\r\n" in the W forms; iRetSize = UTF-16 units removed.
 * A surrogate pair counts as one character both in the text and in the set,
 * so half a pair is never removed. Not in place, nothing left gives
 * EmptyString; in place the kept text moves to the start of the argument.
 * The A and U forms run the W form in place on their converted copy: a null
 * set there is the empty set (nothing is removed), and iRetSize ends up as the
 * size of the converted result in bytes. A null text gives EmptyString. */
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

/* HexEncode: two upper-case digits per byte (count 0 = up to a zero byte);
 * sets no register.
 * HexDecode: each pair of characters becomes one byte (len 0 = to the
 * terminator); a character that is not a hexadecimal digit counts as -1 and
 * the byte is the low 8 bits of high * 16 + low; an odd length pairs the last
 * digit with -1, never reading past the given length. iRetSize = the number
 * of bytes decoded, so zero bytes in the result can be told from its end.
 * UriEncode: digits, ASCII letters and / . - _ are kept; ":" followed by "//"
 * keeps everything up to and including the next "/" (host and port) as it
 * stands; every other byte becomes %XX.
 * UriDecode: %XX becomes a byte (digits read as in HexDecode), "+" stays; a
 * "%" without two characters after it at the end of the text is copied as it
 * stands. iRetSize = bytes decoded.
 * Null or empty input gives EmptyString; so does a size that would overflow. */
TARVO_API char *HexEncode(const void *bytes, uint32_t count);
TARVO_API char *HexDecode(const char *text, uint32_t len);
TARVO_API char *UriEncode(const char *text);
TARVO_API char *UriDecode(const char *text);

/* The one-shot 32-bit xxHash (0.8.1) of len bytes with the seed; null data hashes as the empty input. */
TARVO_API uint32_t XXH32(const void *data, size_t len, uint32_t seed);
/* The one-shot 64-bit xxHash (0.8.1) of len bytes with the seed; null data hashes as the empty input. */
TARVO_API uint64_t XXH64(const void *data, size_t len, uint64_t seed);

#ifdef __cplusplus
}
#endif
#endif
