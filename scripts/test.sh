#!/usr/bin/env bash
# Sets up a fresh machine if needed, builds everything and runs the whole test
# suite under Wine. Fails when any test fails.
set -euo pipefail
here="$(dirname "${BASH_SOURCE[0]}")"
"$here/setup.sh"
"$here/build.sh"
source "$here/env.sh"
cd "$tarvo_root/build/x64"
# A persistent wineserver: without it every test waits for Wine's services.
wineserver -p 2>/dev/null || true  # already running is fine
wine cmd /c exit >/dev/null 2>&1 || true
status=0
ctest --output-on-failure -j "$(nproc)" --timeout 300 "$@" || status=$?
wineserver -k || true
exit $status
