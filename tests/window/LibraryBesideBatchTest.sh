#!/usr/bin/env bash
# The real window with its library and track history open while vantrel-batch
# builds sheets and takes a team mate's sheet beside it, then a delete in the
# window: every setup is there, the delete reached the disk, the library is
# whole, and the window never holds a journal that another program deleted.
# Runs on an X display (xvfb-run), driving the window with xdotool.
#
#   LibraryBesideBatchTest.sh BUILD_DIR
set -euo pipefail

stage="$1/Vantrel"
work="$(mktemp -d "${TMPDIR:-/tmp}/vantrel-beside-XXXXXX")"
pid=""
trap '[[ -n "$pid" ]] && kill "$pid" 2>/dev/null; rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config"

fail() { echo "FAIL: $*" >&2; exit 1; }
for tool in xdotool sqlite3; do
  command -v "$tool" >/dev/null || fail "$tool is not installed (scripts/packages.txt)"
done
[[ -n "${DISPLAY:-}" ]] || fail "no X display: run under xvfb-run"

prog="$work/prog"
cp -a "$stage" "$prog"
rm -f "$prog/Data/Vantrel.lock" "$prog/Data/Library.sqlite"*
mkdir -p "$work/sheets" "$work/team" "$work/mate/sheets"
printf 'TeamFolder=%s\r\n' "$work/team" >>"$prog/bin/Vantrel.ini"
library="$prog/Data/Library.sqlite"

raw_data() { sed "s/^DriverName=.*\r\$/DriverName=$2\r/" "$stage/Data/Sample_RDX.dat" >"$1"; }
batch() { env -u DISPLAY "$prog/vantrel-batch" "$@" >>"$work/batch.out" 2>>"$work/batch.err" || fail "vantrel-batch $*: $(cat "$work/batch.err")"; }
count() { sqlite3 "$library" 'SELECT count(*) FROM setup'; }

# A window of this title, once it shows (a first start under the sanitizers,
# beside the rest of the suite, may take a while).
window_named() {
  local found=""
  for _ in $(seq 2400); do
    found="$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1 || true)"
    [[ -n "$found" ]] && { echo "$found"; return 0; }
    sleep 0.05
  done
  return 1
}

# No descriptor of the window's points at a library file that is gone.
no_deleted_journal() {
  if ls -l "/proc/$pid/fd" 2>/dev/null | grep -q 'Library.sqlite.*(deleted)'; then
    fail "the window holds a deleted journal after $1: $(ls -l "/proc/$pid/fd" | grep Library)"
  fi
}

raw_data "$work/first.dat" "Driver First"
batch --target "$work/sheets" "$work/first.dat"
[[ "$(count)" -eq 1 ]] || fail "the first sheet was not recorded"

"$prog/vantrel" & pid=$!
main="$(window_named Vantrel)" || fail "the window never showed"
xdotool windowfocus --sync "$main" key --clearmodifiers ctrl+l
lib="$(window_named 'Vantrel Library')" || fail "Ctrl+L opened no library window"
xdotool windowfocus --sync "$lib" key --clearmodifiers ctrl+h
window_named 'Track History' >/dev/null || fail "Ctrl+H opened no track history"
no_deleted_journal "the history opened"

for n in 1 2 3; do
  raw_data "$work/run$n.dat" "Driver $n"
  batch --target "$work/sheets" "$work/run$n.dat"
  no_deleted_journal "vantrel-batch run $n"
done
# A team mate's sheet arrives in the team folder and is taken in.
mate="$work/mate/prog"
cp -a "$stage" "$mate" && rm -f "$mate/Data/Library.sqlite"*
raw_data "$work/mate.dat" "Driver Mate"
env -u DISPLAY "$mate/vantrel-batch" --target "$work/mate/sheets" "$work/mate.dat" >/dev/null 2>&1 || fail "the team mate's sheet"
mkdir -p "$work/team/Driver Mate" && cp "$work/mate/sheets"/*.pdf "$work/team/Driver Mate/"
batch --sync
no_deleted_journal "vantrel-batch --sync"
[[ "$(count)" -eq 5 ]] || fail "$(count) setups after the runs beside the window, not 5"

# The window shows what the others recorded, and a delete there reaches the disk.
sleep 1.5
xdotool windowfocus --sync "$lib" key --clearmodifiers Tab Tab Down Up Delete
confirm=""
for _ in $(seq 400); do
  confirm="$(xdotool search --onlyvisible --name '^Vantrel Library$' 2>/dev/null | grep -v "^$lib\$" | head -n 1 || true)"
  [[ -n "$confirm" ]] && break
  sleep 0.05
done
[[ -n "$confirm" ]] || fail "Delete asked nothing"
xdotool windowfocus --sync "$confirm" key --clearmodifiers alt+y
for _ in $(seq 400); do [[ "$(count)" -eq 4 ]] && break; sleep 0.05; done
[[ "$(count)" -eq 4 ]] || fail "the delete in the window did not reach the disk ($(count) setups)"
no_deleted_journal "the delete"

# Close: focus starts on the driver's name; two back-tabs reach Close.
xdotool windowfocus --sync "$main" key --clearmodifiers shift+Tab shift+Tab space
for _ in $(seq 600); do kill -0 "$pid" 2>/dev/null || break; sleep 0.05; done
kill -0 "$pid" 2>/dev/null && fail "the window still runs 30 s after Close"
status=0
wait "$pid" || status=$?
pid=""
[[ $status -eq 0 ]] || fail "the window ended with status $status"

[[ "$(count)" -eq 4 ]] || fail "$(count) setups after the window closed, not 4"
[[ "$(sqlite3 "$library" 'PRAGMA integrity_check')" == ok ]] || fail "integrity_check: $(sqlite3 "$library" 'PRAGMA integrity_check')"
for driver in "Driver 1" "Driver 2" "Driver 3" "Driver Mate" "Driver First"; do
  [[ "$(sqlite3 "$library" "SELECT count(*) FROM setup WHERE DriverName = '$driver'")" -le 1 ]] || fail "$driver twice"
done
echo "PASS: the window and vantrel-batch share the library"
