#!/bin/sh
# Runs a Windows program under Wine for CTest, its output through a file: Wine processes it starts inherit
# its handles and may outlive it by minutes, holding CTest's pipe. A hung program is stopped here, before
# CTest would kill this script, so that what it wrote so far is still shown.
limit="${TARVO_TEST_TIMEOUT:-240}"
out=$(mktemp "${TMPDIR:-/tmp}/tarvo-test.XXXXXX") || exit 125
timeout -k 5 "$limit" wine "$@" >"$out" 2>&1
status=$?
# Every test program writes something before it can fail (GoogleTest its banner, the script harness its
# summary). A failure with no output at all is a program that never started: under a heavy load Wine's
# start-up now and then gives up at once and silently. Such a start is tried once more.
if [ $status -ne 0 ] && [ $status -ne 124 ] && [ ! -s "$out" ]; then
  echo "wine_run.sh: no output and exit status $status: started again: $*" >&2
  timeout -k 5 "$limit" wine "$@" >"$out" 2>&1
  status=$?
fi
cat "$out"
rm -f "$out"
[ $status -eq 124 ] && echo "wine_run.sh: stopped after $limit s: $*"
[ $status -ne 0 ] && echo "wine_run.sh: exit status $status"
exit $status
