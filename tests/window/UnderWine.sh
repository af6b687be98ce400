#!/usr/bin/env bash
# Runs a Qt Test program of the Windows build under Wine on the X display it
# is given (xvfb-run), with Qt for Windows' libraries after the program
# folder's, in a Wine prefix of its own: a Wine server started earlier
# without a display (scripts/test keeps one for the whole run) would take
# the windows and never show them. Qt Test's report, which Wine's console
# does not pass on, is written to a file and shown:
#   UnderWine.sh WINE-RUN BUILD PROGRAM [ARG...]
set -uo pipefail
[[ -n "${DISPLAY:-}" ]] || { echo "FAIL: no X display: run under xvfb-run" >&2; exit 1; }
build="$2"
work="$(mktemp -d "${TMPDIR:-/tmp}/vantrel-qttest-XXXXXX")"
stop() {
  WINEPREFIX="$work/wine" /usr/lib/wine/wineserver -k 2>/dev/null
  rm -rf "$work"
}
trap stop EXIT
export VANTREL_WINE_DISPLAY="$DISPLAY" VANTREL_WINE_PATH="Z:${build//\//\\}\\qt6\\bin"
export VANTREL_WINE_PREFIX="$work/wine"
report="$work/report.txt"
"$@" -o "$report,txt"
status=$?
cat "$report"
exit "$status"
