/* Path strings taken apart and put together. Only "\" separates, except
 * where a function says otherwise. Every text result is new and released
 * with xCore_free; "nothing" is EmptyString. The A forms use the ANSI code
 * page. iRetSize holds the result's length in bytes. */
#ifndef TARVO_XPATH_H
#define TARVO_XPATH_H

#include "tarvo_api.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The part after the last "\" (the whole path when there is none). */
TARVO_API wchar_t *Path_FileNameExtW(const wchar_t *path);
TARVO_API char *Path_FileNameExtA(const char *path);
/* The name part without its last "." and what follows. */
TARVO_API wchar_t *Path_FileNameW(const wchar_t *path);
TARVO_API char *Path_FileNameA(const char *path);
/* What follows the last "." of the name part, without the dot. */
TARVO_API wchar_t *Path_FileExtW(const wchar_t *path);
TARVO_API char *Path_FileExtA(const char *path);
/* The path up to and including its last "\". */
TARVO_API wchar_t *Path_FilePathW(const wchar_t *path);
TARVO_API char *Path_FilePathA(const char *path);
/* A relative path combined with base (the current folder when null or
 * empty), "." and ".." resolved; an absolute path comes back as a copy. */
TARVO_API wchar_t *Path_GetAbsW(const wchar_t *path, const wchar_t *base);
TARVO_API char *Path_GetAbsA(const char *path, const char *base);
/* A relative route between path and base (the current folder when null or
 * empty), each side taken as a folder when it names an existing folder. The
 * W form gives the route leading from path to base, the A form the route
 * leading from base to path (scripts get the W form's direction). EmptyString
 * when there is no relative route (another drive) or the platform refuses
 * the paths. */
TARVO_API wchar_t *Path_GetRelW(const wchar_t *path, const wchar_t *base);
TARVO_API char *Path_GetRelA(const char *path, const char *base);
/* prefix + count random characters from 0-9 and A-Y + suffix; a null
 * prefix or suffix counts as empty, a negative count as 0. A count beyond a
 * file name's limit (255) gives EmptyString. */
TARVO_API wchar_t *Path_RandomW(const wchar_t *prefix, const wchar_t *suffix, int32_t count);
TARVO_API char *Path_RandomA(const char *prefix, const char *suffix, int32_t count);
/* 1 when some component ("/" or "\" separated) had to be changed: spaces and
 * dots trimmed from both ends, * " < > | removed (so "." and ".." make a
 * path unsafe); 1 for a null path; else 0. With repair the buffer is
 * rewritten with the repaired path, joined with "\"; it is never longer,
 * and a buffer the repair leaves as it was is not written. */
TARVO_API int32_t Path_SafeCheckW(wchar_t *path, int32_t repair);
TARVO_API int32_t Path_SafeCheckA(char *path, int32_t repair);
/* folder and name with exactly one separator between them (a folder ending
 * in "/" or "\" gets none added); the application folder + name when folder
 * is null or empty. EmptyString and iRet 0 when name is null, else iRet 1. */
TARVO_API wchar_t *Path_JoinW(const wchar_t *folder, const wchar_t *name);
TARVO_API char *Path_JoinA(const char *folder, const char *name);

#ifdef __cplusplus
}
#endif
#endif
