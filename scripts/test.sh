#!/usr/bin/env bash
# Sets up a fresh machine if needed, builds everything and runs the whole test
# suite under Wine. Fails when any test fails. The tests have a Wine prefix of
# their own (build/wineprefix-test), so run.sh or a developer's Wine session
# running at the same time is never stopped under them; a second test run
# waits for the first.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/env.sh"
tarvo_own_prefix test "$@"
"$here/setup.sh"
"$here/build.sh"
cd "$tarvo_root/build/x64"
# A server left by an interrupted run may not be persistent: start afresh.
wineserver -k 2>/dev/null || true
wineserver -w
# A persistent wineserver: without it every test waits for Wine's services,
# and Wine's services would stop and start again between tests. Then the
# desktop, before tests start in parallel (see tests/support/wine_ready.c);
# output to a file, since Wine's services keep any pipe open.
ready() { wine bin/wine_ready.exe >"$tarvo_root/build/wine_ready.log" 2>&1; }
wineserver -p
if ! ready; then
  wineserver -k 2>/dev/null || true
  wineserver -w
  wineserver -p
  if ! ready; then
    cat "$tarvo_root/build/wine_ready.log"
    echo "test.sh: the Wine desktop of $WINEPREFIX cannot be started" >&2
    wineserver -k 2>/dev/null || true
    exit 1
  fi
fi
status=0
ctest --output-on-failure -j "$(nproc)" --timeout 300 "$@" || status=$?
wineserver -k || true
exit $status
