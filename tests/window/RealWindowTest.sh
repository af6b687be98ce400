#!/usr/bin/env bash
# The real window of the staged program folder worked from the keyboard as a
# racer works it, one case a row: Ctrl+Return builds the sheet from the field
# being typed in; a load over typing asks, and keeps the typing when told no;
# after a desktop launcher that finds no viewer, Open Sheet is there to try
# again. What the window did is read from the sheets it wrote (named after
# the driver) and what the stand-in xdg-open was asked to open.
# Runs on an X display (xvfb-run), driving the window with xdotool.
#
#   RealWindowTest.sh BUILD_DIR
set -euo pipefail

stage="$1/Vantrel"
work="$(mktemp -d "${TMPDIR:-/tmp}/vantrel-window-XXXXXX")"
pid=""
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config"

for tool in xdotool xclip; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed (scripts/packages.txt)" >&2; exit 1; }
done
[[ -n "${DISPLAY:-}" ]] || { echo "FAIL: no X display: run under xvfb-run" >&2; exit 1; }
# Under a window manager, as on a racer's desktop.
window_manager=""
trap 'rm -rf "$work"; [[ -n "$window_manager" ]] && kill "$window_manager" 2>/dev/null || true' EXIT
source "$(dirname "${BASH_SOURCE[0]}")/WindowManager.sh"
start_window_manager "$work/openbox.out" || exit 1

# A stand-in xdg-open that notes what it was asked to open, then behaves as
# told: "exit N" ends with status N.
fake_launcher() {
  mkdir -p "$work/$1-bin"
  cat >"$work/$1-bin/xdg-open" <<EOF
#!/bin/sh
printf '%s\n' "\$1" >>"$work/$1-opened"
exit ${2#exit }
EOF
  chmod +x "$work/$1-bin/xdg-open"
}

# Starts the window of a fresh copy of the staged folder with the stand-in
# launcher first on the PATH; waits until it shows with the focus on its
# driver's name.
start_window() {
  local name="$1" launcher="$2"
  cp -a "$stage" "$work/$name"
  rm -f "$work/$name/Data/Vantrel.lock" "$work/$name/Data/Library.sqlite"*
  fake_launcher "$name" "$launcher"
  PATH="$work/$name-bin:$PATH" "$work/$name/vantrel" >"$work/$name.out" 2>&1 &
  pid=$!
  # A first start under the sanitizers, beside the rest of the suite, may take a while.
  wait_for_windows '^Vantrel$' -ge 1 3600 || { echo "the window never showed: $(started_how "$name")"; return 1; }
  window="$(xdotool search --all --onlyvisible --pid "$pid" --name '^Vantrel$' | head -n 1)"
  focus_window
}

# What became of a start whose window never showed: whether the program
# still runs, what it is waiting in, and the end of what it printed.
started_how() {
  if kill -0 "$pid" 2>/dev/null; then
    echo "still running, in $(cat "/proc/$pid/wchan" 2>/dev/null || echo '?'), threads $(ls "/proc/$pid/task" 2>/dev/null | wc -l)"
  else
    local status=0
    wait "$pid" || status=$?
    echo "ended with status $status"
  fi
  echo "its output:"
  tail -n 40 "$work/$1.out"
}

# Waits until the number of the program's windows titled so compares as
# asked (-ge 1: one shows at least; -eq 0: none is left); tries x 50 ms.
wait_for_windows() {
  local title="$1" compare="$2" count="$3" shown
  for _ in $(seq "${4:-400}"); do
    kill -0 "$pid" 2>/dev/null || return 1
    shown="$(xdotool search --all --onlyvisible --pid "$pid" --name "$title" 2>/dev/null | wc -l || true)"
    [ "$shown" "$compare" "$count" ] && return 0
    sleep 0.05
  done
  return 1
}

# Answers the question a load asks over typing ("Replace what you typed
# ...?") with a key, once it shows beside the window.
answer() {
  wait_for_windows '^Vantrel$' -ge 2 || { echo "no question was asked"; return 1; }
  sleep 0.3
  keys "$1"
  wait_for_windows '^Vantrel$' -le 1 || { echo "the question stayed"; return 1; }
  focus_window
}

# Without a window manager the focus goes back to the window by hand after a dialog.
focus_window() {
  sleep 0.3
  xdotool windowfocus --sync "$window"
  sleep 0.3
}

stop_window() {
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  pid=""
}

keys() { xdotool key --clearmodifiers --delay 30 "$@"; }
type_text() { xdotool type --clearmodifiers --delay 20 "$1"; }

# The one sheet of the folder whose name begins with the driver, waited for.
sheet_of() {
  local folder="$1" driver="$2" found=""
  for _ in $(seq 600); do
    found="$(find "$folder" -maxdepth 1 -name "${driver}_SetupSheet_*.pdf" | head -n 1)"
    [[ -n "$found" ]] && break
    sleep 0.05
  done
  [[ -n "$found" ]] || { echo "no sheet of $driver in $folder: $(ls "$folder")"; return 1; }
  printf '%s\n' "$found"
}

# Opens a file through "Open Setup…" (Ctrl+O), typing its path.
open_setup() {
  keys ctrl+o
  wait_for_windows '^Open Setup$' -ge 1 || { echo "Open Setup never showed"; return 1; }
  sleep 0.3
  type_text "$1"
  keys Return
  wait_for_windows '^Open Setup$' -eq 0 || { echo "Open Setup stayed"; return 1; }
}

case_ctrl_return_builds_the_sheet_from_a_field() {
  start_window keyboard "exit 0" || return 1
  type_text "KayBoard"
  keys Tab
  type_text "Leeds"
  keys ctrl+Return
  local sheet
  sheet="$(sheet_of "$work/keyboard" KayBoard)" || { echo "$sheet"; return 1; }
  for _ in $(seq 100); do [[ -s "$work/keyboard-opened" ]] && break; sleep 0.05; done
  grep -qxF "$sheet" "$work/keyboard-opened" || { echo "the sheet was not handed to the viewer"; return 1; }
  stop_window
}

case_a_load_over_typing_keeps_it_when_told_no() {
  start_window declined "exit 0" || return 1
  type_text "TypedRacer"
  open_setup "$work/declined/Data/Sample_RDX.dat" || return 1
  answer Escape || return 1  # No
  keys ctrl+Return
  sheet_of "$work/declined" TypedRacer || return 1
  if find "$work/declined" -maxdepth 1 -name 'Alex*_SetupSheet_*' | grep -q .; then
    echo "the sample's setup was loaded all the same"
    return 1
  fi
  stop_window
}

case_a_load_over_typing_replaces_it_when_told_yes() {
  start_window accepted "exit 0" || return 1
  type_text "TypedRacer"
  open_setup "$work/accepted/Data/Sample_RDX.dat" || return 1
  answer Return || return 1  # Yes
  keys ctrl+Return
  sheet_of "$work/accepted" "Alex Brennan" || return 1
  stop_window
}

case_a_load_into_an_untouched_window_asks_nothing() {
  start_window untouched "exit 0" || return 1
  open_setup "$work/untouched/Data/Sample_RDX.dat" || return 1
  sleep 1  # time enough for a question to show, were one asked
  wait_for_windows '^Vantrel$' -le 1 1 || { echo "a question was asked"; return 1; }
  focus_window
  keys ctrl+Return
  sheet_of "$work/untouched" "Alex Brennan" || return 1
  stop_window
}

case_a_launcher_without_a_viewer_leaves_open_sheet_to_try_again() {
  start_window noviewer "exit 3" || return 1
  type_text "NoViewer"
  keys ctrl+Return
  local sheet
  sheet="$(sheet_of "$work/noviewer" NoViewer)" || { echo "$sheet"; return 1; }
  for _ in $(seq 100); do [[ -s "$work/noviewer-opened" ]] && break; sleep 0.05; done
  # Open Sheet, two back-tabs from the driver's name, tries again.
  keys shift+Tab shift+Tab space
  for _ in $(seq 100); do [[ "$(grep -cxF "$sheet" "$work/noviewer-opened")" -ge 2 ]] && break; sleep 0.05; done
  [[ "$(grep -cxF "$sheet" "$work/noviewer-opened")" -eq 2 ]] || { echo "Open Sheet did not try the launcher again"; return 1; }
  stop_window
}

# Log Run (Ctrl+R) over the sample's setup with a text pasted through the X
# clipboard, saved from the note's field; echoes the run as --runs lists it.
log_pasted_run() {
  local name="$1" text="$2" dialog line=""
  # xclip stays to serve the clipboard: not on this function's output, which is read to its end.
  printf '%b' "$text" | xclip -selection clipboard >/dev/null 2>&1
  keys ctrl+r
  wait_for_windows '^Log Run$' -ge 1 || { echo "Log Run never showed"; return 1; }
  dialog="$(xdotool search --all --onlyvisible --pid "$pid" --name '^Log Run$' | head -n 1)"
  sleep 0.3
  xdotool windowfocus --sync "$dialog"
  keys Tab ctrl+v
  sleep 0.5
  keys alt+n Return
  wait_for_windows '^Log Run$' -eq 0 || { echo "Log Run stayed open"; return 1; }
  for _ in $(seq 100); do
    line="$(env -u DISPLAY "$work/$name/vantrel-batch" --runs "Northfield Raceway, Leeds" 2>/dev/null | tail -n 1)"
    [[ -n "$line" ]] && break
    sleep 0.05
  done
  printf '%s\n' "$line"
}

case_a_printout_pasted_gives_the_laps_driven() {
  start_window printout "exit 0" || return 1
  open_setup "$work/printout/Data/Sample_RDX.dat" || return 1
  focus_window
  local run
  run="$(log_pasted_run printout 'RCM Race Control Management 4.1\nResult : 2. 5 laps 1:08.000\n\nLap     Time\n  1   14.631\n  2   13.302\n  3   13.255\n  4   13.410\n  5   13.402\n')" || { echo "$run"; return 1; }
  # laps, best, 5 best, median, total
  [[ "$(cut -f 6,7,10 <<<"$run")" == $'5\t13.255\t1:08.000' ]] || { echo "the printout gave: $run"; return 1; }
  stop_window
}

case_a_results_table_gives_the_racers_own_column() {
  start_window columns "exit 0" || return 1
  open_setup "$work/columns/Data/Sample_RDX.dat" || return 1
  focus_window
  local run
  run="$(log_pasted_run columns 'Lap\tSmith, Jo\tBrown, Al\tBrennan, Alex\n1\t14.631\t14.900\t15.120\n2\t13.702\t13.801\t13.955\n')" || { echo "$run"; return 1; }
  [[ "$(cut -f 6,7,10 <<<"$run")" == $'2\t13.955\t29.075' ]] || { echo "the table gave: $run"; return 1; }
  stop_window
}

# Each case's end stops its window.
case_cleanup() { stop_window; }
source "$(dirname "${BASH_SOURCE[0]}")/CaseTable.sh"
run_cases ctrl_return_builds_the_sheet_from_a_field a_load_over_typing_keeps_it_when_told_no \
  a_load_over_typing_replaces_it_when_told_yes a_load_into_an_untouched_window_asks_nothing \
  a_launcher_without_a_viewer_leaves_open_sheet_to_try_again a_printout_pasted_gives_the_laps_driven \
  a_results_table_gives_the_racers_own_column
