#!/usr/bin/env bash
# The real window of the staged program folder under a real window manager
# (openbox), as on a racer's desktop, one case a row: every window's frame,
# title bar included, lies within the screen's available area; the size the
# racer gave the window comes back at the next start; what was typed comes
# back after the program was killed a moment later. Runs on an X display
# (xvfb-run) of the size to test; QT_SCALE_FACTOR as the racer sets it.
#
#   WindowManagerTest.sh BUILD_DIR
set -euo pipefail

stage="$1/Vantrel"
work="$(mktemp -d "${TMPDIR:-/tmp}/vantrel-wm-XXXXXX")"
pid=""
window_manager=""
trap 'stop_window; [[ -n "$window_manager" ]] && kill "$window_manager" 2>/dev/null; rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config"
# A viewer that shows nothing: the sheets made stay in their folder.
mkdir -p "$work/bin"
printf '#!/bin/sh\nexit 0\n' >"$work/bin/xdg-open"
chmod +x "$work/bin/xdg-open"
export PATH="$work/bin:$PATH"

for tool in xdotool openbox xprop xwininfo wmctrl; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed (scripts/packages.txt)" >&2; exit 1; }
done
[[ -n "${DISPLAY:-}" ]] || { echo "FAIL: no X display: run under xvfb-run" >&2; exit 1; }

source "$(dirname "${BASH_SOURCE[0]}")/WindowManager.sh"
start_window_manager "$work/openbox.out" || exit 1

# The available area: x y width height.
read -r area_x area_y area_w area_h < <(xprop -root _NET_WORKAREA | sed 's/.*= //; s/,//g' | cut -d' ' -f1-4)

# Starts the window of the program folder (a fresh copy of the staged one
# when there is none yet); waits until it shows.
start_window() {
  local folder="$work/$1"
  if [[ ! -d "$folder" ]]; then
    cp -a "$stage" "$folder"
    rm -f "$folder/Data/Vantrel.lock" "$folder/Data/Library.sqlite"* "$folder/Data/Window"*.json
  fi
  "$folder/vantrel" >>"$work/$1.out" 2>&1 &
  pid=$!
  window="$(wait_for_window '^Vantrel$')" || { echo "the window never showed: $(tail -n 20 "$work/$1.out")"; return 1; }
  xdotool windowactivate --sync "$window" 2>/dev/null || true
  sleep 1  # the window manager frames and places it; the window fits itself then
}

# The program's window titled so, once it shows.
wait_for_window() {
  local found=""
  for _ in $(seq 600); do
    kill -0 "$pid" 2>/dev/null || return 1
    found="$(xdotool search --all --onlyvisible --pid "$pid" --name "$1" 2>/dev/null | head -n 1 || true)"
    [[ -n "$found" ]] && { echo "$found"; return 0; }
    sleep 0.05
  done
  return 1
}

stop_window() {
  [[ -n "$pid" ]] || return 0
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  pid=""
}

# Width and height of the window's inside.
size_of() { xwininfo -id "$1" | awk '/Width:/ {w=$2} /Height:/ {h=$2} END {print w, h}'; }

# Empty when the window's frame lies within the available area; else what sticks out.
frame_off_screen() {
  local x y w h left right top bottom
  read -r x y < <(xwininfo -id "$1" | awk '/Absolute upper-left X:/ {x=$4} /Absolute upper-left Y:/ {y=$4} END {print x, y}')
  read -r w h < <(size_of "$1")
  read -r left right top bottom < <(xprop -id "$1" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g')
  [[ -n "$bottom" ]] || { echo "$2 has no frame: no window manager framed it"; return 0; }
  local fx=$((x - left)) fy=$((y - top)) fw=$((w + left + right)) fh=$((h + top + bottom))
  if ((fx < area_x || fy < area_y || fx + fw > area_x + area_w || fy + fh > area_y + area_h)); then
    echo "$2's frame ${fw}x${fh}+${fx}+${fy} is not within the screen's ${area_w}x${area_h}+${area_x}+${area_y}"
  fi
}

keys() { xdotool key --clearmodifiers --delay 30 "$@"; }
type_text() { xdotool type --clearmodifiers --delay 20 "$1"; }

# opens_on_screen KEYS TITLE NAME: the window KEYS open, once framed, lies within the screen.
opens_on_screen() {
  keys "$1"
  local opened problem
  opened="$(wait_for_window "$2")" || { echo "$3 never showed"; return 1; }
  sleep 1
  problem="$(frame_off_screen "$opened" "$3")"
  [[ -z "$problem" ]] || { echo "$problem"; return 1; }
}

case_every_frame_fits_the_screen() {
  start_window fits || return 1
  local problem
  problem="$(frame_off_screen "$window" "the main window")"
  [[ -z "$problem" ]] || { echo "$problem"; return 1; }
  opens_on_screen ctrl+l '^Vantrel Library$' "the library window" || return 1
  opens_on_screen ctrl+h '^Track History$' "the track history"
}

case_the_size_is_kept_between_starts() {
  start_window sized || return 1
  xdotool windowsize --sync "$window" 900 560 2>/dev/null || xdotool windowsize "$window" 900 560
  sleep 1
  local left
  left="$(size_of "$window")"
  # The window manager's close, as the title bar's button does it.
  wmctrl -i -c "$window"
  for _ in $(seq 200); do kill -0 "$pid" 2>/dev/null || break; sleep 0.05; done
  kill -0 "$pid" 2>/dev/null && { echo "the window did not close"; return 1; }
  pid=""
  start_window sized || return 1
  local w h lw lh
  read -r w h <<<"$(size_of "$window")"
  read -r lw lh <<<"$left"
  # A fractional scale rounds the size kept in the window's own pixels.
  ((${w} - ${lw} <= 2 && ${lw} - ${w} <= 2 && ${h} - ${lh} <= 2 && ${lh} - ${h} <= 2)) ||
    { echo "left at ${lw}x${lh}, opened at ${w}x${h}"; return 1; }
  local problem
  problem="$(frame_off_screen "$window" "the main window")"
  [[ -z "$problem" ]] || { echo "$problem"; return 1; }
}

case_a_kill_keeps_what_was_typed() {
  start_window killed || return 1
  xdotool windowfocus --sync "$window"
  type_text "KilledRacer"
  sleep 2  # a moment after the last change
  kill -9 "$pid"
  wait "$pid" 2>/dev/null || true
  pid=""
  rm -f "$work/killed/Data/Vantrel.lock"
  start_window killed || return 1
  xdotool windowfocus --sync "$window"
  keys ctrl+Return
  local found=""
  for _ in $(seq 600); do
    found="$(find "$work/killed" -maxdepth 1 -name 'KilledRacer_SetupSheet_*.pdf' | head -n 1)"
    [[ -n "$found" ]] && break
    sleep 0.05
  done
  [[ -n "$found" ]] || { echo "the sheet was not made from what was typed: $(ls "$work/killed")"; return 1; }
}

# Each case's end stops its window.
case_cleanup() { stop_window; }
source "$(dirname "${BASH_SOURCE[0]}")/CaseTable.sh"
run_cases every_frame_fits_the_screen the_size_is_kept_between_starts a_kill_keeps_what_was_typed
