#!/usr/bin/env bash
# Pictures of the team folder for the README, from the real program under
# Xvfb at 1366x768: the File tab with its team folder, and the library window
# with the team's setups beside the racer's own. The team mates' sheets are
# built by a second installation into the same team folder.
#
#   tools/screenshots/team-screenshots.sh STAGED_PROGRAM_FOLDER OUTPUT_FOLDER
# (run by make-screenshots, under Xvfb and openbox at 1366x768)
set -euo pipefail

stage="$(cd "$1" && pwd)"
out="$(cd "$2" && pwd)"
work="$(mktemp -d "${TMPDIR:-/tmp}/vantrel-team-shots-XXXXXX")"
pid=
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$work"' EXIT

# The racer's own folder and the team's where a racer keeps them, in the
# scratch home make-screenshots gives; the mate's and the sheets aside.
home="${HOME:?}"
[ -f "$home/.screenshots-home" ] || { echo "team-screenshots: $home is not a scratch home of make-screenshots" >&2; exit 1; }
mine="$home/Vantrel"
team="$home/Sync/Team"
rm -rf "$mine" "$team"
mkdir -p "$team" "$work/sheets"
for folder in "$mine" "$work/mate"; do
  cp -a "$stage" "$folder"
  rm -f "$folder"/Data/Library.sqlite* "$folder/Data/Window.json"
  printf 'TeamFolder=%s\r\n' "$team" >>"$folder/bin/Vantrel.ini"
done

# setup DRIVER TRACK EVENT MAIN QUALIFYING FINISH: the sample with those values.
setup() {
  # Each meeting on its own day, as the racers date them.
  local day
  case "$3" in "Club Race 3") day=2026-03-07 ;; "Winter Series 1") day=2026-01-10 ;; *) day=2026-04-18 ;; esac
  sed -e "s/^EventDate=.*/EventDate=$day\r/" -e "s/^DriverName=.*/DriverName=$1\r/" -e "s/^TrackCity=.*/TrackCity=$2\r/" -e "s/^EventName=.*/EventName=$3\r/" \
    -e "s/^ResultsMain=.*/ResultsMain=$4\r/" -e "s/^ResultsQualifyingPos=.*/ResultsQualifyingPos=$5\r/" \
    -e "s/^ResultsFinishPos=.*/ResultsFinishPos=$6\r/" "$stage/Data/Sample_RDX.dat" >"$work/setup.dat"
  echo "$work/setup.dat"
}
build() { "$(folder_of "$1")/vantrel-batch" --target "$work/sheets" "$(setup "${@:2}")" >/dev/null; }
folder_of() { if [ "$1" = mine ]; then echo "$mine"; else echo "$work/$1"; fi; }
build mine "Alex Brennan" Northtown "Club Race 3" A 3 2
build mine "Alex Brennan" Riverside "Winter Series 1" B 7 4
build mate "Sam Okafor" Northtown "Club Race 3" A 1 1
build mate "Sam Okafor" Riverside "Winter Series 1" A 2 3
build mate "Mia Laine" Northtown "Club Race 3" A 5 6
build mate "Mia Laine" Lakeside "Spring Open" B 2 1

cd "$mine"
./vantrel >"$work/vantrel.log" 2>&1 &
pid=$!
window=
for _ in $(seq 100); do
  window="$(xdotool search --onlyvisible --name '^Vantrel' 2>/dev/null | head -n 1)" && [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || { echo "the main window did not show" >&2; exit 1; }
xdotool windowactivate --sync "$window" 2>/dev/null || xdotool windowfocus --sync "$window"
# The File tab: the sixth.
xdotool key ctrl+Tab ctrl+Tab ctrl+Tab ctrl+Tab ctrl+Tab
sleep 1
import -window root "$out/team-folder-file-tab.png"
xdotool key ctrl+l
library=
for _ in $(seq 100); do
  library="$(xdotool search --onlyvisible --name 'Library' 2>/dev/null | head -n 1)" && [ -n "$library" ] && break
  sleep 0.1
done
[ -n "$library" ] || { echo "the library window did not show" >&2; exit 1; }
# Wide enough for every column, "From" the last.
xdotool windowmove "$library" 0 0 windowsize "$library" 1366 560
sleep 1
import -window root "$out/library-team.png"
echo "$out/team-folder-file-tab.png"
echo "$out/library-team.png"
