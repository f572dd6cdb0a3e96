/* Files and folders: an open-file handle that knows its text encoding,
 * whole-file reads and writes, raw transfers, sizes, attributes, existence
 * tests, copy, move and delete of files and folder trees, nested folder
 * creation and a folder walk with a callback.
 *
 * Every path-taking export does its work in the W form; the A form takes the
 * path in the ANSI code page and the U form in UTF-8. Text results are
 * released with xCore_free; on failure they are EmptyString. Functions that
 * return a buffer or text leave its length in bytes in iRetSize. */
#ifndef TARVO_XFILE_H
#define TARVO_XFILE_H

#include "tarvo_api.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Charset values: a code page number, or one of these. */
#define XFILE_CHARSET_AUTO (-2) /* detect from the file's first bytes when opening */
#define XFILE_CHARSET_RAW (-1)  /* no conversion, text moves byte for byte */

/* Scan flags. */
#define XFILE_SCAN_NOFILES 1 /* no file entries at all */
#define XFILE_SCAN_NODIRS 2  /* no callback for folders (still counted and descended into) */
#define XFILE_SCAN_DOTS 4    /* "." and ".." are reported and counted */

/* The handle record; callers treat it as opaque. The position after opening
 * is headerLen (the byte-order mark's length). */
typedef struct xFileHandle {
  void *handle;       /* the platform file handle */
  int32_t charset;    /* code page of the file's text, or XFILE_CHARSET_RAW */
  uint32_t headerLen; /* bytes of byte-order mark at the start: 0, 2, 3 or 4 */
} xFileHandle;

struct _WIN32_FIND_DATAW;
struct _WIN32_FIND_DATAA;

/* Scan callback: the folder being listed (always ending in a separator), the
 * platform's find-data record of the entry and the caller's value. A non-zero
 * result stops the whole walk; the value is left in iRetSize. */
typedef intptr_t (*xFile_ScanCallback)(const wchar_t *folder, const struct _WIN32_FIND_DATAW *entry, intptr_t user);
typedef intptr_t (*xFile_ScanCallbackA)(const char *folder, const struct _WIN32_FIND_DATAA *entry, intptr_t user);

/* Open for reading only (readonly non-zero; the file must exist) or for
 * reading and writing (created when missing); other processes may read. With
 * XFILE_CHARSET_AUTO the charset comes from the byte-order mark, else from
 * the first 64 KiB (UTF-7, then US-ASCII, then UTF-8, else raw); a file
 * shorter than a mark never matches that mark. With a given charset a new or
 * empty file opened for writing gets the charset's mark (UTF-16, UTF-32 and
 * GB18030; UTF-8 gets none) and an existing matching mark is skipped.
 * Null when the file cannot be opened. */
TARVO_API xFileHandle *xFile_OpenW(const wchar_t *path, int32_t readonly, int32_t charset);
TARVO_API xFileHandle *xFile_OpenA(const char *path, int32_t readonly, int32_t charset);
/* 1, or 0 for a null or invalid handle. */
TARVO_API int32_t xFile_Close(xFileHandle *file);
/* The charset, or (int32_t)0xFFFF0000 for an invalid handle. */
TARVO_API int32_t xFile_Charset(xFileHandle *file);
/* method: 0 from the start, 1 from the current position, 2 from the end. */
TARVO_API int32_t xFile_Seek(xFileHandle *file, int64_t offset, int32_t method);
/* The current position in bytes from the file's start (mark included); 0 for an invalid handle. */
TARVO_API int64_t xFile_CurPos(xFileHandle *file);
TARVO_API int64_t xFile_Size(xFileHandle *file); /* mark included */
TARVO_API int32_t xFile_EOF(xFileHandle *file);  /* 1 also for an invalid handle */
/* Ends the file at the current position; 1, or 0. */
TARVO_API int32_t xFile_SetEOF(xFileHandle *file);

/* Text writes at the current position, converted to the handle's charset.
 * len is in bytes, 0 = the whole text. The A form's text is in the ANSI code
 * page. Returns the bytes written to the file; 0 on failure or empty text.
 * Text stored as US-ASCII (20127) is written and read as UTF-8, its
 * superset, so characters beyond ASCII are never replaced. */
TARVO_API uint32_t xFile_WriteW(xFileHandle *file, const wchar_t *text, uint32_t len);
TARVO_API uint32_t xFile_WriteA(xFileHandle *file, const char *text, uint32_t len);
TARVO_API uint32_t xFile_WriteU(xFileHandle *file, const char *text, uint32_t len);
/* Reads count file bytes and returns them as text of the suffix's form;
 * EmptyString with iRetSize 0 on failure. */
TARVO_API wchar_t *xFile_ReadW(xFileHandle *file, uint32_t count);
TARVO_API char *xFile_ReadA(xFileHandle *file, uint32_t count);
TARVO_API char *xFile_ReadU(xFileHandle *file, uint32_t count);
/* Writes count bytes of the buffer at the current position; bytes written (also in iRetSize), 0 on failure. */
TARVO_API uint32_t xFile_Put(xFileHandle *file, const void *buffer, uint32_t count);
/* Reads up to count bytes into the buffer; bytes read (also in iRetSize), 0 on failure. */
TARVO_API uint32_t xFile_Get(xFileHandle *file, void *buffer, uint32_t count);

/* The whole text after the mark; EmptyString when the file cannot be opened,
 * holds nothing after its mark or holds more than a 32-bit count of bytes. */
TARVO_API wchar_t *xFile_ReadAllW(const wchar_t *path, int32_t charset);
TARVO_API char *xFile_ReadAllA(const char *path, int32_t charset);
TARVO_API char *xFile_ReadAllU(const char *path, int32_t charset);
/* Writes the text as the file's content (created if missing, older content
 * cut off, an existing matching mark kept); bytes written. An empty text
 * leaves only the mark; a null text, or one the charset's conversion refuses,
 * leaves the file as it was and gives 0. */
TARVO_API uint32_t xFile_WriteAllW(const wchar_t *path, const wchar_t *text, uint32_t len, int32_t charset);
TARVO_API uint32_t xFile_WriteAllA(const char *path, const char *text, uint32_t len, int32_t charset);
TARVO_API uint32_t xFile_WriteAllU(const char *path, const char *text, uint32_t len, int32_t charset);
/* Writes the text at the end (file created if missing); bytes written. */
TARVO_API uint32_t xFile_AppendW(const wchar_t *path, const wchar_t *text, uint32_t len, int32_t charset);
TARVO_API uint32_t xFile_AppendA(const char *path, const char *text, uint32_t len, int32_t charset);
TARVO_API uint32_t xFile_AppendU(const char *path, const char *text, uint32_t len, int32_t charset);
/* The buffer as the whole file; bytes written, 0 if it cannot be opened or
 * the buffer is null. The old contents are cut only after a complete write. */
TARVO_API uint32_t xFile_PutAllW(const wchar_t *path, const void *buffer, uint32_t count);
TARVO_API uint32_t xFile_PutAllA(const char *path, const void *buffer, uint32_t count);
TARVO_API uint32_t xFile_PutAllU(const char *path, const void *buffer, uint32_t count);
/* The whole file, exactly its size and not terminated, size in iRetSize;
 * null when it cannot be opened or is larger than a 32-bit count. */
TARVO_API void *xFile_GetAllW(const wchar_t *path);
TARVO_API void *xFile_GetAllA(const char *path);
TARVO_API void *xFile_GetAllU(const char *path);

/* 1 for a file that can be opened for reading or that another handle holds
 * open without sharing; 0 otherwise, folders included. */
TARVO_API int32_t xFile_ExistsW(const wchar_t *path);
TARVO_API int32_t xFile_ExistsA(const char *path);
TARVO_API int32_t xFile_PathExistsW(const wchar_t *path);   /* file or folder */
TARVO_API int32_t xFile_PathExistsA(const char *path);
/* 1 for an existing folder, else 0. */
TARVO_API int32_t xFile_FolderExistsW(const wchar_t *path);
TARVO_API int32_t xFile_FolderExistsA(const char *path);
/* 64-bit size; 0 if the file cannot be opened. */
TARVO_API int64_t xFile_GetSizeW(const wchar_t *path);
TARVO_API int64_t xFile_GetSizeA(const char *path);
TARVO_API int64_t xFile_GetSizeU(const char *path);
/* Sets the end of file (created if missing, grown or cut); 1, or 0. */
TARVO_API int32_t xFile_SetSizeW(const wchar_t *path, int64_t size);
TARVO_API int32_t xFile_SetSizeA(const char *path, int64_t size);
TARVO_API int32_t xFile_SetSizeU(const char *path, int64_t size);
TARVO_API int32_t xFile_IsNetworkPathW(const wchar_t *path); /* begins with two backslashes */
TARVO_API int32_t xFile_IsNetworkPathA(const char *path);
/* The attribute word; all ones when the path does not exist. */
TARVO_API uint32_t xFile_GetPathAttrW(const wchar_t *path);
TARVO_API uint32_t xFile_GetPathAttrA(const char *path);
/* Sets the attribute word; 1, or 0. */
TARVO_API int32_t xFile_SetPathAttrW(const wchar_t *path, uint32_t attributes);
TARVO_API int32_t xFile_SetPathAttrA(const char *path, uint32_t attributes);

/* Copy of one file; fails when the destination exists and overwrite is 0. */
TARVO_API int32_t xFile_CopyW(const wchar_t *source, const wchar_t *destination, int32_t overwrite);
TARVO_API int32_t xFile_CopyA(const char *source, const char *destination, int32_t overwrite);
/* Copy, then delete of the source: the delete's result. When the copy fails
 * the source is left in place and 0 returned. */
TARVO_API int32_t xFile_MoveW(const wchar_t *source, const wchar_t *destination, int32_t overwrite);
TARVO_API int32_t xFile_MoveA(const char *source, const char *destination, int32_t overwrite);
/* Deletes one file; 1, or 0. */
TARVO_API int32_t xFile_DeleteW(const wchar_t *path);
TARVO_API int32_t xFile_DeleteA(const char *path);
/* Creates every missing folder of the path ("/" or "\" separated; a UNC path
 * starts below its server, any other path below its first part, which is
 * never created). Stops at the first folder that can be neither created nor
 * found; a path longer than 32767 characters creates nothing. */
TARVO_API void xFile_CreateDirW(const wchar_t *path);
TARVO_API void xFile_CreateDirA(const char *path);

/* Folder trees. The source root may be given with or without a trailing
 * separator; names always land below the destination with one separator.
 * CopyDir and MoveDir recreate every subfolder and copy (move) the files that
 * match the pattern; the source folders stay; a destination within the
 * source is refused (0, nothing done). DeleteDir deletes the matching
 * files, then removes every folder below the root that is empty by then
 * (deepest first); the root stays. The result is the count of the walk over
 * the source (files and folders). */
TARVO_API int32_t xFile_CopyDirW(const wchar_t *source, const wchar_t *destination, const wchar_t *pattern,
                                 int32_t overwrite);
TARVO_API int32_t xFile_CopyDirA(const char *source, const char *destination, const char *pattern, int32_t overwrite);
TARVO_API int32_t xFile_MoveDirW(const wchar_t *source, const wchar_t *destination, const wchar_t *pattern,
                                 int32_t overwrite);
TARVO_API int32_t xFile_MoveDirA(const char *source, const char *destination, const char *pattern, int32_t overwrite);
TARVO_API int32_t xFile_DeleteDirW(const wchar_t *folder, const wchar_t *pattern);
TARVO_API int32_t xFile_DeleteDirA(const char *folder, const char *pattern);

/* Folder walk: first the entries of folder+pattern that are not folders and
 * share no attribute bit with exclude, then the subfolders of folder+"*"
 * (each reported before its contents when recursing; a folder that is a
 * junction or symbolic link is reported but never entered). An empty or null
 * pattern or folder gives 0. Returns the number of entries counted; the
 * callback's stop value is left in iRetSize (0 when the walk ran through). */
TARVO_API uint32_t xFile_ScanW(const wchar_t *folder, const wchar_t *pattern, uint32_t exclude, uint32_t flags,
                               int32_t recurse, xFile_ScanCallback callback, intptr_t user);
TARVO_API uint32_t xFile_ScanA(const char *folder, const char *pattern, uint32_t exclude, uint32_t flags,
                               int32_t recurse, xFile_ScanCallbackA callback, intptr_t user);

#ifdef __cplusplus
}
#endif
#endif
