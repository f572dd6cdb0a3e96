/* Conversions between the three string forms, copying, case mapping,
 * formatting, encoding classifiers and UCS-2/UCS-4 conversions.
 *
 * Forms: A = system ANSI code page (0), W = UTF-16LE, U = UTF-8 (65001).
 * Length arguments count bytes (also for wide text); 0 means up to the
 * terminator. iRetSize reports the result size in bytes without terminator. */
#ifndef TARVO_XSTRING_H
#define TARVO_XSTRING_H

#include "tarvo_api.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Text of a code page as UTF-16: a new string, EmptyString on failure; iRetSize its size in bytes. */
TARVO_API wchar_t *xCore_M2W(const char *s, uint32_t codepage, uint32_t len);
/* UTF-16 text in a code page: a new string, EmptyString on failure; iRetSize its size in bytes. */
TARVO_API char *xCore_W2M(const wchar_t *w, uint32_t codepage, uint32_t len);
/* ANSI text as UTF-16: a new string, EmptyString on failure. */
TARVO_API wchar_t *xCore_A2W(const char *s, uint32_t len);
/* UTF-8 text as UTF-16: a new string, EmptyString on failure. */
TARVO_API wchar_t *xCore_U2W(const char *s, uint32_t len);
/* UTF-16 text as ANSI: a new string, EmptyString on failure. */
TARVO_API char *xCore_W2A(const wchar_t *w, uint32_t len);
/* UTF-16 text as UTF-8: a new string, EmptyString on failure. */
TARVO_API char *xCore_W2U(const wchar_t *w, uint32_t len);
/* ANSI text as UTF-8: a new string, EmptyString on failure. */
TARVO_API char *xCore_A2U(const char *s, uint32_t len);
/* UTF-8 text as ANSI: a new string, EmptyString on failure. */
TARVO_API char *xCore_U2A(const char *s, uint32_t len);

/* Copies of len units (W) or bytes (A), 0 = to the terminator; iRetSize is
 * left alone. */
TARVO_API wchar_t *xCore_CopyStringW(const wchar_t *s, uint32_t len);
TARVO_API char *xCore_CopyStringA(const char *s, uint32_t len);

/* ASCII case mapping, in place or on a copy. The A forms step over double-byte
 * characters of the ANSI code page (lead byte and the byte after it); bytes
 * that cannot start such a character are left alone, so a UTF-8 text never
 * gets its ASCII letters skipped. */
TARVO_API wchar_t *xCore_LCaseW(wchar_t *s, uint32_t len, int32_t inplace);
TARVO_API wchar_t *xCore_UCaseW(wchar_t *s, uint32_t len, int32_t inplace);
TARVO_API char *xCore_LCaseA(char *s, uint32_t len, int32_t inplace);
TARVO_API char *xCore_UCaseA(char *s, uint32_t len, int32_t inplace);

/* printf-style formatting into a new buffer; in the W form %s takes a wide
 * string. A null format or a formatting error gives EmptyString. */
TARVO_API char *xCore_FormatA(const char *format, ...);
TARVO_API wchar_t *xCore_FormatW(const wchar_t *format, ...);

/* Byte-range classifiers: 1 or 0, an empty range gives 1.
 * xCore_StringIsUtf7 answers 1 only for a range that is 7-bit and holds at
 * least one UTF-7 shift sequence ("+" followed by a base64 character and
 * ended by "-" or a non-base64 character), so plain ASCII is not UTF-7. */
TARVO_API int32_t xCore_StringIsAscii(const void *p, uint32_t count);
TARVO_API int32_t xCore_StringIsUtf8(const void *p, uint32_t count);
TARVO_API int32_t xCore_StringIsUtf7(const void *p, uint32_t count);

/* UCS conversions: code page 65006 means big-endian UCS-4, any other
 * code page little-endian. */

/* Swaps the bytes of every UTF-16 unit in place (big-endian to little-endian). */
TARVO_API void xCore_UCS2_BE2LE(void *buf, uint32_t bytes);
/* One UCS-4 unit with its bytes reversed. */
TARVO_API uint32_t xCore_UCS4_BE2LE(uint32_t unit);
/* In place; every code point up to 0x10FFFF is kept (values above it and lone
 * surrogate values are written as U+FFFD). Returns the UTF-16 byte count. */
TARVO_API uint32_t xCore_UCS4_To_UCS2(void *buf, uint32_t bytes, uint32_t codepage);
/* A lone surrogate becomes U+FFFD and the unit after it is kept. */
TARVO_API uint32_t *xCore_UCS2_To_UCS4(const void *buf, uint32_t bytes, uint32_t codepage);

#ifdef __cplusplus
}
#endif
#endif
