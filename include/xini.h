/* Single values of INI files through the platform's private-profile calls,
 * which own the format, create missing files and sections and resolve a
 * path without a folder in the Windows folder (pass full paths). A file name
 * of MAX_PATH characters or more, which they cannot take, is refused: the
 * failure value, nothing read or written. The A forms use the ANSI code page,
 * the U forms UTF-8. */
#ifndef TARVO_XINI_H
#define TARVO_XINI_H

#include "tarvo_api.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The value as a new string (whole, however long), released with xCore_free;
 * an empty string when the file, section or key is missing or any argument
 * is null. iRetSize holds its length in bytes. */
TARVO_API char *Ini_ReadA(const char *file, const char *section, const char *key);
TARVO_API wchar_t *Ini_ReadW(const wchar_t *file, const wchar_t *section, const wchar_t *key);
TARVO_API char *Ini_ReadU(const char *file, const char *section, const char *key);
/* The value's leading digits as a 32-bit integer ("12abc" gives 12); 0 when
 * missing. */
TARVO_API int32_t Ini_ReadIntA(const char *file, const char *section, const char *key);
TARVO_API int32_t Ini_ReadIntW(const wchar_t *file, const wchar_t *section, const wchar_t *key);
TARVO_API int32_t Ini_ReadIntU(const char *file, const char *section, const char *key);
/* The platform's success flag. A null key removes the whole section, a null
 * value removes the key; a null section is refused (0). */
TARVO_API int32_t Ini_WriteA(const char *file, const char *section, const char *key, const char *value);
TARVO_API int32_t Ini_WriteW(const wchar_t *file, const wchar_t *section, const wchar_t *key, const wchar_t *value);
TARVO_API int32_t Ini_WriteU(const char *file, const char *section, const char *key, const char *value);

#ifdef __cplusplus
}
#endif
#endif
