#!/bin/sh
# Runs a Windows program under Wine for CTest. The program's output goes
# through a file, not CTest's pipe: Wine services and desktop processes that
# the program happens to start inherit its standard handles and can live for
# minutes, and CTest would wait for them to close the pipe. A program that
# hangs is stopped here, before CTest would kill this script, so that what it
# wrote so far is still shown.
limit="${TARVO_TEST_TIMEOUT:-240}"
out=$(mktemp "${TMPDIR:-/tmp}/tarvo-test.XXXXXX") || exit 125
timeout -k 5 "$limit" wine "$@" >"$out" 2>&1
status=$?
cat "$out"
rm -f "$out"
if [ $status -eq 124 ]; then
  echo "wine_run.sh: stopped after $limit s: $*"
elif [ $status -ne 0 ]; then
  echo "wine_run.sh: exit status $status"
fi
exit $status
