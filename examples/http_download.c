/* An HTTP download with a progress report, from C (the HTTP client has no
 * Lua functions: a C host passes its own progress callback).
 *
 *   wine build/x64/bin/example_http_download.exe http://server/file.bin [local file]
 *
 * The local file defaults to download.bin in the temporary folder. The
 * server must announce the size (Content-Length). */
#include "xcore.h"
#include "xfile.h"
#include "xhttp.h"

#include <stdio.h>
#include <stdlib.h>

/* Called after every chunk written: report each quarter once. Returning
 * non-zero would stop the transfer. */
static int32_t progress(uint32_t total, uint32_t received) {
  static int reported = 0;
  int quarter = total ? (int)((uint64_t)received * 4 / total) : 0;
  while (reported < quarter) printf("  %d%% of %u bytes\n", ++reported * 25, total);
  return 0;
}

int main(int argc, char **argv) {
  if (argc < 2) {
    fprintf(stderr, "usage: %s URL [local file]\n", argv[0]);
    return 2;
  }
  char fallback[260];
  const char *file = argc > 2 ? argv[2] : fallback;
  if (argc <= 2) snprintf(fallback, sizeof fallback, "%s\\download.bin", getenv("TEMP") ? getenv("TEMP") : ".");
  setvbuf(stdout, NULL, _IONBF, 0);

  printf("downloading\n");
  if (!xHttp_DownLoad(argv[1], file, progress)) {
    printf("failed: %s\n", xCore.LastError);
    return 1;
  }
  printf("done: %u bytes written, the file holds %lld bytes\n", xCore.iRetSize, (long long)xFile_GetSizeA(file));
  xFile_DeleteA(file);

  /* A failure leaves a constant message in LastError. */
  if (!xHttp_DownLoad("http://127.0.0.1:1/nothing-listens-here", file, NULL))
    printf("a server that is not there: %s\n", xCore.LastError);
  return 0;
}
