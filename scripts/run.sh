#!/usr/bin/env bash
# Sets up a fresh machine if needed, builds, and runs the main job: a Lua
# script run by the script engine (lunrun.exe), which loads the library as
# the module TARVO. Without an argument the bundled demo script (demo/main.lua)
# runs; otherwise the given script, with any further arguments passed to it.
# The job has a Wine prefix of its own (build/wineprefix-run): the test suite
# may run at the same time.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source "$here/env.sh"
tarvo_own_prefix run "$@"
"$here/setup.sh" >/dev/null
"$here/build.sh" >/dev/null
script="main.lua"
if [ $# -gt 0 ]; then
  script="$(winepath -w "$(realpath "$1")" 2>/dev/null)"
  shift
fi
# The stand-ins the build registers (spreadsheet, SAP, desktop automation, ...),
# as an installed application would be, so scripts and examples reach them.
tarvo_register_standins "tarvo_*_standin.reg"
cd "$tarvo_root/build/x64/bin"
status=0
wine lunrun.exe "$script" "$@" || status=$?
wineserver -k 2>/dev/null || true
exit $status
