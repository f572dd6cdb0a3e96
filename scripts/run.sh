#!/usr/bin/env bash
# Sets up a fresh machine if needed, builds, and runs the main job: a Lua
# script run by the script engine (lunrun.exe), which loads the library as
# the module TARVO. Without an argument the bundled demo script (demo/main.lua)
# runs; otherwise the given script, with any further arguments passed to it.
# The job has a Wine prefix of its own (build/wineprefix-run): the test suite
# may run at the same time.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
mkdir -p "$here/../build"
export WINEPREFIX="$(cd "$here/.." && pwd)/build/wineprefix-run"
# The lock is held by flock itself: no Wine process started below inherits it.
if [ -z "${TARVO_RUN_LOCKED:-}" ]; then
  TARVO_RUN_LOCKED=1 exec flock -o "$WINEPREFIX.lock" bash "$here/$(basename "${BASH_SOURCE[0]}")" "$@"
fi
"$here/setup.sh" >/dev/null
"$here/build.sh" >/dev/null
source "$here/env.sh"
script="main.lua"
if [ $# -gt 0 ]; then
  script="$(winepath -w "$(realpath "$1")" 2>/dev/null)"
  shift
fi
cd "$tarvo_root/build/x64/bin"
status=0
wine lunrun.exe "$script" "$@" || status=$?
wineserver -k 2>/dev/null || true
exit $status
