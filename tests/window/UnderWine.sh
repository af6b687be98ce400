#!/usr/bin/env bash
# Runs a Qt Test program of the Windows build under Wine on the X display it
# is given (xvfb-run), with Qt for Windows' libraries after the program
# folder's; Qt Test's report, which Wine's console does not pass on, is
# written to a file and shown:  UnderWine.sh WINE-RUN BUILD PROGRAM [ARG...]
set -uo pipefail
[[ -n "${DISPLAY:-}" ]] || { echo "FAIL: no X display: run under xvfb-run" >&2; exit 1; }
build="$2"
export VANTREL_WINE_DISPLAY="$DISPLAY" VANTREL_WINE_PATH="Z:${build//\//\\}\\qt6\\bin"
report="$(mktemp "${TMPDIR:-/tmp}/vantrel-qttest-XXXXXX")"
trap 'rm -f "$report"' EXIT
"$@" -o "$report,txt"
status=$?
cat "$report"
exit "$status"
