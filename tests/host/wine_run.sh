#!/bin/sh
# Runs a Windows program under Wine for CTest. The program's output goes
# through a file, not CTest's pipe: Wine services and desktop processes that
# the program happens to start inherit its standard handles and can live for
# minutes, and CTest would wait for them to close the pipe.
out=$(mktemp "${TMPDIR:-/tmp}/tarvo-test.XXXXXX") || exit 125
wine "$@" >"$out" 2>&1
status=$?
cat "$out"
rm -f "$out"
exit $status
