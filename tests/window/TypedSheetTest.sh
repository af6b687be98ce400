#!/usr/bin/env bash
# The real window of the staged program folder, started as a racer starts it
# under a window manager (openbox) on a laptop's screen: its frame lies within
# the screen; a driver and track typed and Ctrl+Return build a sheet whose
# fields (read back with qpdf) are the table's, the same on both systems; the
# sheet is handed to the viewer; Ctrl+L opens the library; the window
# manager's Close ends the program. Runs on an X display (xvfb-run).
#
#   TypedSheetTest.sh STAGE FIELDS.tsv [wine]
#
# With "wine", the folder's vantrel.exe runs under Wine in a prefix of the
# test's own, with no search path beyond the folder (it carries its DLLs),
# and PDF files open in the prefix with a stand-in viewer (cmd) that notes
# what it was given.
set -uo pipefail
stage="$1" expected="$2" system="${3:-}"
work="$(mktemp -d "${TMPDIR:-/tmp}/vantrel-typed-XXXXXX")"
pid="" window_manager=""
stop() {
  [[ -n "$pid" ]] && kill "$pid" 2>/dev/null
  [[ -n "$window_manager" ]] && kill "$window_manager" 2>/dev/null
  [[ -n "$system" ]] && WINEPREFIX="$work/wine" /usr/lib/wine/wineserver -k 2>/dev/null
  rm -rf "$work"
}
trap stop EXIT

for tool in xdotool openbox xprop xwininfo wmctrl qpdf python3; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed (scripts/packages.txt)" >&2; exit 1; }
done
[[ -n "${DISPLAY:-}" ]] || { echo "FAIL: no X display: run under xvfb-run" >&2; exit 1; }

cp -a "$stage" "$work/Vantrel"
rm -f "$work/Vantrel/Data/Vantrel.lock" "$work/Vantrel/Data/Library.sqlite"* "$work/Vantrel/Data/Window"*.json
export XDG_CONFIG_HOME="$work/config"
opened="$work/opened.txt"
program=("$work/Vantrel/vantrel")
if [[ -n "$system" ]]; then
  # The test's own prefix, so that its windows are on this display alone.
  export WINEPREFIX="$work/wine" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  wine=/usr/lib/wine/wine64
  "$(dirname "${BASH_SOURCE[0]}")/../../cmake/windows/wine-desktop" "$WINEPREFIX" || exit 1
  win_opened="Z:${opened//\//\\}"
  "$wine" reg add 'HKLM\Software\Classes\.pdf' /ve /d vantreltestpdf /f >/dev/null 2>&1
  "$wine" reg add 'HKLM\Software\Classes\vantreltestpdf\shell\open\command' /ve \
    /d "C:\\windows\\system32\\cmd.exe /c echo %1>>\"$win_opened\"" /f >/dev/null 2>&1
  program=("$wine" "$work/Vantrel/vantrel.exe")
else
  mkdir -p "$work/bin"
  printf '#!/bin/sh\nprintf "%%s\\n" "$1" >>"%s"\n' "$opened" >"$work/bin/xdg-open"
  chmod +x "$work/bin/xdg-open"
  export PATH="$work/bin:$PATH"
fi

source "$(dirname "${BASH_SOURCE[0]}")/WindowManager.sh"
start_window_manager "$work/openbox.out" || exit 1
# The available area (x y width height), once the window manager has said it.
for _ in $(seq 100); do xprop -root _NET_WORKAREA 2>/dev/null | grep -q ' = ' && break; sleep 0.1; done
read -r area_x area_y area_w area_h < <(xprop -root _NET_WORKAREA | sed 's/.*= //; s/,//g' | cut -d' ' -f1-4)
[[ "$area_h" =~ ^[0-9]+$ ]] || { echo "FAIL: the window manager gave no available area"; exit 1; }

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
keys() { xdotool key --clearmodifiers --delay 40 "$@"; }
type_text() { xdotool type --clearmodifiers --delay 40 "$1"; }

# The visible window titled so, once it shows (tries x 100 ms).
wait_for_window() {
  local found=""
  for _ in $(seq "${2:-600}"); do
    kill -0 "$pid" 2>/dev/null || return 1
    found="$(xdotool search --all --onlyvisible --name "$1" 2>/dev/null | head -n 1 || true)"
    [[ -n "$found" ]] && { echo "$found"; return 0; }
    sleep 0.1
  done
  return 1
}

# Empty when the window's frame lies within the available area; else what sticks out.
frame_off_screen() {
  local x y w h left right top bottom
  read -r x y w h < <(xwininfo -id "$1" | awk '/Absolute upper-left X:/ {x=$4} /Absolute upper-left Y:/ {y=$4}
    /Width:/ {w=$2} /Height:/ {h=$2} END {print x, y, w, h}')
  read -r left right top bottom < <(xprop -id "$1" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g')
  [[ -n "$bottom" ]] || { echo "$2 has no frame: no window manager framed it"; return 0; }
  local fx=$((x - left)) fy=$((y - top)) fw=$((w + left + right)) fh=$((h + top + bottom))
  if ((fx < area_x || fy < area_y || fx + fw > area_x + area_w || fy + fh > area_y + area_h)); then
    echo "$2's frame ${fw}x${fh}+${fx}+${fy} is not within the screen's ${area_w}x${area_h}+${area_x}+${area_y}"
  fi
}

started=$(date +%s%N)
(cd "$work/Vantrel" && exec "${program[@]}") >"$work/vantrel.out" 2>&1 &
pid=$!
window="$(wait_for_window '^Vantrel$')" || { echo "FAIL: the window never showed: $(tail -n 20 "$work/vantrel.out")"; exit 1; }
echo "start to window: $((($(date +%s%N) - started) / 1000000)) ms"
# Typing goes to the window once it has the focus.
activate() {
  for _ in $(seq 50); do
    xdotool windowactivate "$window" >/dev/null 2>&1 || true
    [[ "$(xdotool getactivewindow 2>/dev/null)" == "$window" ]] && return 0
    sleep 0.2
  done
  return 1
}
activate || fail "the window never had the focus"
sleep 2  # framed and placed by the window manager; the window fits itself then
problem="$(frame_off_screen "$window" "the main window")"
[[ -z "$problem" ]] || fail "$problem"

# The focus starts on the driver's name; the track's place is the next field.
type_text "Kay Board"
keys Tab
type_text "Leeds"
keys ctrl+Return
sheet=""
for _ in $(seq 300); do
  sheet="$(find "$work/Vantrel" -maxdepth 2 -name 'Kay Board_SetupSheet_*.pdf' | head -n 1)"
  [[ -n "$sheet" ]] && break
  sleep 0.1
done
if [[ -z "$sheet" ]]; then
  fail "no sheet of Kay Board was written: $(tail -n 20 "$work/vantrel.out")"
else
  wrong="$(qpdf --json=2 --json-key=acroform "$sheet" | python3 -c '
import json, re, sys
fields = {}
for f in json.load(sys.stdin)["acroform"]["fields"]:
    value = f.get("value") or ""
    fields[f["fullname"]] = value[2:] if value.startswith("u:") else value
wrong = []
with open(sys.argv[1], encoding="utf-8") as table:
    for line in table:
        if line.startswith("#") or not line.strip():
            continue
        field, form = line.rstrip("\n").split("\t", 1)
        # A value between slashes is a form (the run'"'"'s date and time); else the text itself.
        ok = re.fullmatch(form[1:-1], fields.get(field, "")) if len(form) > 1 and form[0] == form[-1] == "/" else fields.get(field, "") == form
        if not ok:
            wrong.append(f"{field}={fields.get(field)!r} (not {form!r})")
named = {l.split("\t", 1)[0] for l in open(sys.argv[1], encoding="utf-8") if not l.startswith("#") and l.strip()}
wrong += [f"{k}={v!r} is not in the table" for k, v in fields.items() if k not in named and v]
print("; ".join(wrong))' "$expected")" || fail "qpdf could not read $sheet"
  [[ -z "$wrong" ]] || fail "the sheet's fields: $wrong"
  # The viewer is handed the sheet (under Wine through ShellExecuteW and the prefix's association).
  # (A first cmd in a new Wine prefix can take seconds to start.)
  for _ in $(seq 300); do [[ -s "$opened" ]] && break; sleep 0.1; done
  [[ -s "$opened" ]] || fail "the sheet was not handed to the viewer"
fi

# The viewer's start may have taken the focus.
activate || fail "the window did not take the focus back"
sleep 0.5
keys ctrl+l
library="$(wait_for_window '^Vantrel Library$' 300)" || fail "the library never showed"
if [[ -n "$library" ]]; then
  sleep 1
  # Sized for 40 rows, the library is fitted to the screen, its whole frame included.
  problem="$(frame_off_screen "$library" "the library window")"
  [[ -z "$problem" ]] || fail "$problem"
  wmctrl -i -c "$library"
  sleep 1
fi

# The window manager's Close, as the title bar's button does it, ends the program.
wmctrl -i -c "$window"
for _ in $(seq 200); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$pid" 2>/dev/null; then
  fail "Close did not end the program"
else
  pid=""
fi

[[ $failures -eq 0 ]] || exit 1
echo "typed sheet: fields as the table has them, viewer handed the sheet, library opened, Close ended the program"
