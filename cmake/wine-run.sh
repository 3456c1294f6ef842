#!/bin/sh
# wine-run.sh WINE PROGRAM.exe ARGS...: runs a Windows program under Wine for CTest and for the test
# discovery of the build, and passes on its output and exit status.
#
# The output goes through files, not straight into the caller's pipes: the program that starts a Wine
# session hands its output on to Wine's background services, which live as long as the session, and a
# reader of those pipes (CTest, the build) would wait for them to end.
wine=$1
shift
out=$(mktemp) && err=$(mktemp) || exit 1
WINEDEBUG=${WINEDEBUG:--all} "$wine" "$@" >"$out" 2>"$err" </dev/null
status=$?
cat "$out"
cat "$err" >&2
rm -f "$out" "$err"
exit $status
