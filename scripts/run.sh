#!/usr/bin/env bash
# Sets up a fresh machine if needed, builds, and runs the main job: the demo
# host that loads the library and shows its core at work.
set -euo pipefail
here="$(dirname "${BASH_SOURCE[0]}")"
"$here/setup.sh" >/dev/null
"$here/build.sh" >/dev/null
source "$here/env.sh"
cd "$tarvo_root/build/x64/bin"
status=0
wine tarvo_demo.exe "$@" || status=$?
wineserver -k 2>/dev/null || true
exit $status
