/* HTTP transfers over WinINet: a download into a local file with an optional
 * progress callback, and a GET or POST whose response body comes back in
 * sRet.
 *
 * Every text is ANSI; bodies travel as raw bytes. Success is TARVO_TRUE (-1),
 * failure 0 with a constant message in LastError (which a later success does
 * not clear); on failure sRet and iRetSize are left as they were. The HTTP
 * status is not examined: a 404 page with a body is a successful transfer.
 * A transfer that ends before the announced Content-Length, a failed read,
 * a failed write and a text with a control character (CR, LF, ...) in the
 * URL, host, path or referrer are failures. */
#ifndef TARVO_XHTTP_H
#define TARVO_XHTTP_H

#include "tarvo_api.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Called after every chunk written with the announced total and the bytes
 * received so far (both saturate at 0xFFFFFFFF); non-zero stops the transfer,
 * which still counts as a success. */
typedef int32_t (*xHttpProgress)(uint32_t total, uint32_t received);

/* Downloads the URL into the file (created, or cut to the new content). The
 * server must announce a non-zero Content-Length. Bytes written in iRetSize. */
TARVO_API int32_t xHttp_DownLoad(const char *url, const char *file, xHttpProgress progress);
/* GET or POST of a path (with query) on host:port. The body goes to sRet
 * (caller-owned, released with xCore_free) followed by two zero bytes, its
 * length in iRetSize; the previous sRet is not released. POST sends the body
 * text up to its terminating zero. referrer may be null. */
TARVO_API int32_t xHttp_GetEx(const char *host, uint16_t port, const char *path, const char *referrer);
TARVO_API int32_t xHttp_PostEx(const char *host, uint16_t port, const char *path, const char *body,
                               const char *referrer);
/* Examines nothing; always 0. */
TARVO_API int32_t xHttp_AnalyseURL(const char *url);

#ifdef __cplusplus
}
#endif
#endif
