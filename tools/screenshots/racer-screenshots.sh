#!/usr/bin/env bash
# The README's pictures of a racer's day, from the real program under a
# window manager at 1366x768: the first start's menu offer, the About box,
# the window after `vantrel FILE` and after opening a sheet, Log Run with a
# printout pasted, the meeting's runs, which change paid off, the closest
# conditions, the library beside the window, and two filled sheets. The
# racer's history (three meetings and a two-day one, with their laps) is
# logged by vantrel-batch first; the window is then worked with xdotool.
#
#   tools/screenshots/racer-screenshots.sh STAGED_PROGRAM_FOLDER OUTPUT_FOLDER
# (run by make-screenshots, under Xvfb and openbox at 1366x768, with the
# racer's home as $HOME)
set -euo pipefail

stage="$(cd "$1" && pwd)"
out="$(cd "$2" && pwd)"
for tool in xdotool xclip import pdftoppm; do
  command -v "$tool" >/dev/null || { echo "racer-screenshots: $tool is not installed (scripts/install-deps)" >&2; exit 1; }
done
home="${HOME:?}"
# The home is make-screenshots' scratch one: what is there is replaced.
[ -f "$home/.screenshots-home" ] || { echo "racer-screenshots: $home is not a scratch home of make-screenshots" >&2; exit 1; }
program="$home/Vantrel"
sheets="$home/Setup Sheets"
setups="$home/Setups"
timing="$home/Timing"
pid=
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; true' EXIT

rm -rf "$program" "$sheets" "$setups" "$timing"
cp -a "$stage" "$program"
rm -f "$program"/Data/Library.sqlite* "$program/Data/Window.json" "$program/Data/Vantrel.lock"
mkdir -p "$sheets" "$setups" "$timing" "$home/Documents" "$home/Downloads" "$home/Pictures"
batch() { env -u DISPLAY "$program/vantrel-batch" "$@"; }

# setup OUT KEY=VALUE...: the sample setup with those values, CR LF kept.
setup() {
  local file="$1"
  shift
  awk -v pairs="$(printf '%s\n' "$@")" 'BEGIN { n = split(pairs, p, "\n"); for (i = 1; i <= n; i++) { e = index(p[i], "="); if (e) v[substr(p[i], 1, e - 1)] = substr(p[i], e + 1) } }
    { line = $0; sub(/\r$/, "", line); e = index(line, "="); k = e ? substr(line, 1, e - 1) : "" }
    e && (k in v) { printf "%s=%s\r\n", k, v[k]; next } { print }' "$stage/Data/Sample_RDX.dat" >"$file"
}

# laps SEED BEST COUNT [CRASH]: a timing printout of COUNT laps around BEST
# seconds, the first from the grid, lap CRASH a roll-over.
laps() {
  awk -v seed="$1" -v best="$2" -v count="$3" -v crash="${4:-0}" 'BEGIN {
    srand(seed); total = 0
    printf "RCM Race Control Management 4.1\nResult : %d laps\n\nLap     Time\n", count
    for (i = 1; i <= count; i++) {
      t = best + rand() * rand() * 0.45 + (i == 1 ? 1.3 : 0) + (i == crash ? 9.6 : 0)
      printf "%3d   %6.3f\n", i, t
    } }'
}

# The track's history: one row a run. Meeting date|run|front oil|rear oil|
# pinion|front camber|best lap|position|track temp
track="Northfield Raceway, Leeds"
driver="Alex Brennan"
day() { date -d "$1" '+%-d %B %Y'; }
day1="$(day yesterday)"
history="Winter Series Round 1|$(day '-87 days')|Practice 1|35|30|47|-1|13.612|5|14 °C
Winter Series Round 1|$(day '-87 days')|Qualifier 1|40|30|47|-1|13.498|6|15 °C
Winter Series Round 1|$(day '-87 days')|A Final|40|35|48|-1|13.455|4|15 °C
Winter Series Round 2|$(day '-59 days')|Practice 1|40|35|48|-1|13.431|4|12 °C
Winter Series Round 2|$(day '-59 days')|Qualifier 1|45|35|48|-1.5|13.352|5|12 °C
Winter Series Round 2|$(day '-59 days')|A Final|45|30|48|-1.5|13.404|3|11 °C
Winter Series Round 3|$(day '-31 days')|Practice 1|45|35|48|-1.5|13.311|3|10 °C
Winter Series Round 3|$(day '-31 days')|Qualifier 1|45|35|49|-1.5|13.336|3|9 °C
Winter Series Round 3|$(day '-31 days')|A Final|50|35|48|-2|13.262|2|10 °C
Winter Series Round 4|$day1|Practice 1|45|35|48|-1.5|13.297|3|8 °C
Winter Series Round 4|$day1|Practice 2|50|35|48|-1.5|13.221|2|9 °C
Winter Series Round 4|$day1|Qualifier 1|50|35|49|-1.5|13.245|2|9 °C
Winter Series Round 4|$day1|Qualifier 2|50|35|48|-2|13.188|2|7 °C"
seed=1
while IFS='|' read -r event date run front rear pinion camber best position temp; do
  # The meeting's finish, as its A Final gave it.
  finish="$(awk -F'|' -v e="$event" '$1 == e && $3 == "A Final" { print $9 }' <<<"$history")"
  # Where the qualifiers put the racer: the position of the last of them.
  grid="$(awk -F'|' -v e="$event" '$1 == e && $3 ~ /^Qualifier/ { q = $9 } END { print q }' <<<"$history")"
  file="$setups/$event - $run.dat"
  setup "$file" "DriverName=$driver" "TrackCity=$track" "EventName=$event" "EventDate=$date" \
    "FrontShockOil=$front" "RearShockOil=$rear" "Pinion=$pinion" "FrontCamber=$camber" \
    "TrackTemperature=$temp" "ResultsMain=A Main" "ResultsQualifyingPos=$grid" "ResultsFinishPos=$finish"
  laps "$seed" "$best" 12 "$((seed % 4 == 0 ? 7 : 0))" >"$timing/$event - $run.txt"
  seed=$((seed + 1))
  batch --target "$sheets" "$file" >/dev/null
  case "$front/$rear" in
    45/*) note="Pushes mid-corner on power; fine over the bumps." ;;
    50/*) note="More steering into the hairpin, a touch loose on the exit." ;;
    */30) note="Rear steps out over the bumps at the back straight." ;;
    *) note="Soft at the front: pushes mid-corner." ;;
  esac
  batch --log-run "$run" "$file" --laps "$timing/$event - $run.txt" --position "$position" --track-temp "$temp" \
    --note "$note" >/dev/null
done <<<"$history"
# The setup the racer goes out with next: day two of the meeting.
next="$setups/Winter Series Round 4 - Qualifier 3.dat"
setup "$next" "DriverName=$driver" "TrackCity=$track" "EventName=Winter Series Round 4" "EventDate=$day1" \
  "FrontShockOil=50" "RearShockOil=32.5" "Pinion=48" "FrontCamber=-2" "TrackTemperature=11 °C" \
  "ResultsMain=" "ResultsQualifyingPos=" "ResultsFinishPos=" \
  "Notes=Day two: sunny, the track is quicker; rear oil down a half step for the bumps at the back straight."
batch --target "$sheets" "$next" >/dev/null

keys() { xdotool key --clearmodifiers --delay 40 "$@"; }
type_text() { xdotool type --clearmodifiers --delay 15 -- "$1"; }
# shown TITLE: the id of the program's window so titled, waited for.
shown() {
  local found=
  for _ in $(seq 200); do
    found="$(xdotool search --all --onlyvisible --pid "$pid" --name "$1" 2>/dev/null | tail -n 1)" && [ -n "$found" ] && break
    sleep 0.05
  done
  [ -n "$found" ] || { echo "racer-screenshots: no window \"$1\" showed" >&2; return 1; }
  echo "$found"
}
gone() {
  for _ in $(seq 200); do
    xdotool search --all --onlyvisible --pid "$pid" --name "$1" >/dev/null 2>&1 || return 0
    sleep 0.05
  done
  echo "racer-screenshots: the window \"$1\" stayed" >&2
  return 1
}
focus() {
  xdotool windowactivate --sync "$1" 2>/dev/null || xdotool windowfocus --sync "$1"
  sleep 0.4
}
# shoot NAME: the whole screen, frames and all, once the window has painted.
shoot() {
  sleep "${2:-1}"
  import -window root "$out/$1.png"
  echo "$out/$1.png"
}
# start [FILE]: the program as the racer starts it, from its folder; waits for the main window.
start() {
  (cd "$program" && exec ./vantrel "$@" >>"$home/vantrel.out" 2>&1) &
  pid=$!
  window="$(shown '^Vantrel$')"
}
stop() {
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  pid=
  rm -f "$program/Data/Window.json"
}
file_tab() { keys ctrl+Tab ctrl+Tab ctrl+Tab ctrl+Tab ctrl+Tab; }

# The first start of a release folder offers the application menu; the racer says No.
touch "$program/bin/Release.txt"
start
offer="$(shown '^Application Menu$')"
shoot application-menu-offer
focus "$offer"
keys Escape
gone '^Application Menu$'
rm -f "$program/bin/Release.txt"
# About, the last button of the File tab: twelve tabs from the setup type.
focus "$window"
file_tab
keys Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab Tab space
shown '^About Vantrel$' >/dev/null
shoot about
keys Return
gone '^About Vantrel$'
stop

# vantrel FILE: the setup loaded, the status line says from where.
start "$next"
shoot window-loaded-status 1.5
focus "$window"
# Log Run with the printout of the run pasted; its crash lap is left out.
laps 42 13.16 12 9 | xclip -selection clipboard >/dev/null 2>&1
keys ctrl+r
dialog="$(shown '^Log Run$')"
focus "$dialog"
keys Tab ctrl+v
keys alt+n
type_text "Day two: rear oil down a half step, better over the bumps."
shoot log-run
keys Return
gone '^Log Run$'
# The meeting's runs: Runs..., the ninth from the setup type.
focus "$window"
file_tab
keys Tab Tab Tab Tab Tab Tab Tab Tab space
meeting="$(shown '^Meeting: ')"
shoot meeting-runs
focus "$meeting"
keys Escape
xdotool windowclose "$meeting" 2>/dev/null || true
# The library beside the window, as it opens on the laptop.
focus "$window"
keys ctrl+l
library="$(shown 'Library')"
shoot laptop-library
# Which change paid off: the track's history of the first row.
focus "$library"
keys Tab Down ctrl+h
shown '^Track History$' >/dev/null
shoot paid-off
stop

# Last here and the closest conditions: the racer fills in the Track Temp,
# then leaves Track / City.
start
focus "$window"
type_text "$driver"
keys Tab Tab Tab Tab Tab Tab Tab
type_text "10"
keys shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab shift+Tab
type_text "$track"
keys Tab
shoot closest-conditions 1.5
stop

# A sheet opened in the window, and Create.
sheet="$(batch --target "$sheets" "$stage/Data/Sample_RDX.dat")"
start "$sheet"
focus "$window"
sleep 1
keys ctrl+Return
shoot window-opened-sheet 2
stop

# The sheets themselves: the sample on the RDX sheet and on the club's.
pdftoppm -r 100 -singlefile -png "$sheet" "$out/sheet_RDX"
echo "$out/sheet_RDX.png"

# The club's form as the README's setup type Riverside, by its own mapping.
club="$(cd "$(dirname "$0")/../.." && pwd)/tests/data/setuptype/ClubSetupSheet.pdf"
cp "$club" "$program/Templates/SetupSheet_Riverside.pdf"
printf '[Setup]\r\nSetupName=Riverside\r\nMappingFile=Riverside.map\r\nPDFTemplateSetupSheet=SetupSheet_Riverside.pdf\r\n' \
  >"$program/Config/Setup_Riverside.ini"
batch --suggest-mapping "$club" >"$program/Mapping/Riverside.map"
club_sheet="$(batch --setup Riverside --target "$sheets" "$stage/Data/Sample_RDX.dat")"
pdftoppm -r 60 -singlefile -png "$club_sheet" "$out/sheet_Riverside"
echo "$out/sheet_Riverside.png"
