#!/usr/bin/env bash
# Real vantrel-batch runs under faults, one case a row, each judged by what is
# on disk afterwards: no file at a sheet's name that is not a whole, filled
# sheet; nothing hidden left in the target or team folder; the library whole;
# a failure said with "Error: ", the file and the reason, never exit 0.
#
#   FaultRunTest.sh BUILD_DIR
set -euo pipefail

stage="$1/Vantrel"
work="$(mktemp -d "${TMPDIR:-/tmp}/vantrel-faults-XXXXXX")"
trap 'rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config"
unset DISPLAY WAYLAND_DISPLAY

for tool in sqlite3 faketime unshare cmp; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed (scripts/packages.txt)" >&2; exit 1; }
done

# A program folder of its own, with a team folder beside it.
program_folder() {
  mkdir -p "$(dirname "$1")"
  cp -a "$stage" "$1" || return 1
  rm -f "$1/Data/Vantrel.lock" "$1/Data/Library.sqlite"*
  mkdir -p "$1/../team" "$1/../sheets"
  printf 'TeamFolder=%s\r\n' "$(cd "$1/.." && pwd)/team" >>"$1/bin/Vantrel.ini"
}

# A raw data file of the sample's setup with another driver: $1 file, $2 driver.
raw_data() {
  sed "s/^DriverName=.*\r\$/DriverName=$2\r/" "$stage/Data/Sample_RDX.dat" >"$1"
}

# Every PDF in folder $1 is a whole sheet whose attached setup names a driver
# of the case, not the blank template; no hidden file is left there.
whole_sheets_only() {
  local folder="$1" template="$stage/Templates/SetupSheet_RDX.pdf" sheet
  for sheet in "$folder"/*.pdf; do
    [[ -e "$sheet" ]] || continue
    cmp -s "$sheet" "$template" && { echo "the blank template stands at $sheet"; return 1; }
    "$prog/vantrel-batch" --extract "$sheet" "$work/extracted.dat" >/dev/null 2>"$work/extract-err" ||
      { echo "$sheet is no whole sheet: $(cat "$work/extract-err")"; return 1; }
    grep -q '^DriverName=Driver' "$work/extracted.dat" || { echo "$sheet carries no driver of the case"; return 1; }
  done
  local hidden
  hidden="$(find "$folder" -name '.*' -not -name . | head -n 3)"
  [[ -z "$hidden" ]] || { echo "left behind: $hidden"; return 1; }
}

library_whole() {
  local library="$prog/Data/Library.sqlite"
  [[ -e "$library" ]] || return 0
  local check
  check="$(sqlite3 "$library" 'PRAGMA integrity_check')"
  [[ "$check" == ok ]] || { echo "integrity_check: $check"; return 1; }
}

sheets_in() { find "$1" -maxdepth 1 -name '*.pdf' | wc -l; }

# Killed at a random moment of a batch of sheets, again and again.
case_killed_runs_leave_whole_sheets_or_none() {
  prog="$work/killed/prog"
  program_folder "$prog" || return 1
  local i raws=()
  for i in 1 2 3 4 5; do
    raw_data "$work/killed/raw$i.dat" "Driver $i"
    raws+=("$work/killed/raw$i.dat")
  done
  for round in $(seq 12); do
    "$prog/vantrel-batch" --target "$work/killed/sheets" "${raws[@]}" >/dev/null 2>&1 &
    local pid=$!
    sleep "0.$((RANDOM % 40))"
    kill -9 "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    whole_sheets_only "$work/killed/sheets" || { echo "round $round: $(whole_sheets_only "$work/killed/sheets")"; return 1; }
    library_whole || return 1
  done
  for folder in "$work/killed/team"/*/; do
    whole_sheets_only "$folder" || return 1
  done
  # The next run clears what the killed ones left in the work folder.
  "$prog/vantrel-batch" --target "$work/killed/sheets" "${raws[0]}" >/dev/null || { echo "the last run failed"; return 1; }
  [[ "$(sheets_in "$work/killed/sheets")" -gt 1 ]] || { echo "no run got as far as a sheet"; return 1; }
  [[ -z "$(ls -A "$prog/Data/.unfinished")" ]] || { echo "the work folder keeps $(ls -A "$prog/Data/.unfinished")"; return 1; }
}

# A full disk under the target, the data or the mapping folder: a real small
# file system in a mount namespace of the run's own.
case_full_disk_gives_an_error_and_no_sheet() {
  prog="$work/full/prog"
  program_folder "$prog" || return 1
  raw_data "$work/full/raw.dat" "Driver Full"
  local place size status judged_data=0
  for place in sheets Data Mapping; do
    for size in 4k 64k 200k; do
      local where="$work/full/sheets"
      [[ "$place" != sheets ]] && where="$prog/$place"
      local keep="$work/full/keep-$place"
      rm -rf "$keep" && cp -a "$where" "$keep"
      # No mapping file yet: one the full disk cuts short must stop the run.
      [[ "$place" == Mapping ]] && rm -f "$keep/Mapping_RDX.map"
      local after="$work/full/after-$place-$size"
      rm -rf "$after" && mkdir -p "$after"
      status=0
      # Filled up to its last kilobytes; the run's files must then fit or fail.
      # What the run left there is copied out before the namespace goes.
      unshare -rm bash -c '
        where="$1" keep="$2" after="$3"
        shift 3
        mount -t tmpfs -o size='"$size"' none "$where" || exit 99
        # What the folder holds already must fit whole, or there is nothing to judge.
        cp -a "$keep/." "$where/" 2>/dev/null || exit 98
        dd if=/dev/zero of="$where/.filler" bs=1k count=$(( $(df -k --output=avail "$where" | tail -n 1) - 2 )) 2>/dev/null
        "$@"
        status=$?
        rm -f "$where/.filler"
        cp -a "$where/." "$after/"
        exit $status' _ "$where" "$keep" "$after" "$prog/vantrel-batch" --target "$work/full/sheets" "$work/full/raw.dat" \
        >"$work/out" 2>"$work/err" || status=$?
      [[ $status -ne 99 ]] || { echo "no small file system could be mounted"; return 1; }
      [[ $status -ne 98 ]] || continue
      [[ "$place" != Data ]] || judged_data=$((judged_data + 1))
      if [[ $status -eq 0 ]]; then
        [[ "$place" != sheets || -e "$after/$(basename "$(tail -n 1 "$work/out")")" ]] ||
          { echo "$place $size: exit 0 without a sheet"; return 1; }
      else
        grep -q '^Error: ' "$work/err" || { echo "$place $size: exit $status without an error: $(cat "$work/err")"; return 1; }
        grep -q 'No space left on device' "$work/err" ||
          { echo "$place $size: the error gives no reason: $(cat "$work/err")"; return 1; }
      fi
      if [[ "$place" == sheets ]]; then
        whole_sheets_only "$after" || { echo "$place $size: $(whole_sheets_only "$after")"; return 1; }
      fi
      if [[ "$place" == Data && -e "$after/Library.sqlite" ]]; then
        [[ "$(sqlite3 "$after/Library.sqlite" 'PRAGMA integrity_check')" == ok ]] || { echo "$place $size: library damaged"; return 1; }
      fi
      if [[ "$place" == Mapping && -e "$after/Mapping_RDX.map" ]]; then
        [[ "$(grep -c fld "$after/Mapping_RDX.map")" -eq 112 ]] || { echo "$place $size: a partial mapping file"; return 1; }
      fi
    done
  done
  [[ $judged_data -gt 0 ]] || { echo "no size held the data folder's files: a full data folder was never tried"; return 1; }
  library_whole
}

# A raw data file that cannot be read stops the run before anything is written.
case_unreadable_raw_data_writes_nothing() {
  prog="$work/missing/prog"
  program_folder "$prog" || return 1
  local sheets="$work/missing/sheets" name
  ln -s "nowhere.dat" "$sheets/dangling.dat"
  ln -s "loop.dat" "$sheets/loop.dat"
  mkdir "$sheets/folder.dat"
  for name in typo.dat dangling.dat loop.dat folder.dat; do
    local status=0
    "$prog/vantrel-batch" --target "$sheets" "$sheets/$name" >"$work/out" 2>"$work/err" || status=$?
    [[ $status -eq 1 ]] || { echo "$name: exit $status"; return 1; }
    [[ ! -s "$work/out" ]] || { echo "$name: printed $(cat "$work/out")"; return 1; }
    grep -qF "Error: " "$work/err" && grep -qF "$sheets/$name" "$work/err" ||
      { echo "$name: the error does not name the file: $(cat "$work/err")"; return 1; }
  done
  [[ "$(sheets_in "$sheets")" -eq 0 ]] || { echo "a sheet was made"; return 1; }
  [[ -z "$(ls -A "$work/missing/team")" ]] || { echo "the team folder got $(ls -A "$work/missing/team")"; return 1; }
  [[ ! -e "$prog/Data/SheetData.txt" ]] || { echo "the sheet data file was written"; return 1; }
  [[ ! -e "$prog/Data/Library.sqlite" ]] || [[ "$(sqlite3 "$prog/Data/Library.sqlite" 'SELECT count(*) FROM setup')" -eq 0 ]] ||
    { echo "a setup was recorded"; return 1; }
}

# Two program folders write sheets for one driver into one folder at one
# frozen moment: every sheet gets a name of its own and keeps its own setup.
case_two_folders_share_a_target() {
  local sheets="$work/shared/sheets"
  mkdir -p "$sheets"
  local side pids=()
  for side in a b; do
    prog="$work/shared/$side/prog"
    program_folder "$prog" || return 1
    raw_data "$work/shared/$side.dat" "Driver Same"
    sed -i "s/^Notes=.*\r\$/Notes=from $side\r/" "$work/shared/$side.dat"
    grep -q "^Notes=from $side" "$work/shared/$side.dat" || printf 'Notes=from %s\r\n' "$side" >>"$work/shared/$side.dat"
  done
  for side in a b; do
    DONT_FAKE_MONOTONIC=1 faketime -f "2026-12-08 14:30:52" \
      "$work/shared/$side/prog/vantrel-batch" --target "$sheets" \
      $(for _ in 1 2 3 4 5; do echo "$work/shared/$side.dat"; done) >"$work/out-$side" 2>"$work/err-$side" &
    pids+=($!)
  done
  for pid in "${pids[@]}"; do wait "$pid" || { echo "a run failed: $(cat "$work"/err-*)"; return 1; }; done
  local printed
  printed="$(cat "$work/out-a" "$work/out-b" | sort -u | wc -l)"
  [[ "$printed" -eq 10 ]] || { echo "$printed names for 10 sheets: $(cat "$work/out-a" "$work/out-b")"; return 1; }
  [[ "$(sheets_in "$sheets")" -eq 10 ]] || { echo "$(sheets_in "$sheets") files for 10 sheets"; return 1; }
  prog="$work/shared/a/prog"
  for side in a b; do
    while read -r sheet; do
      "$prog/vantrel-batch" --extract "$sheet" "$work/x.dat" >/dev/null || { echo "$sheet cannot be read"; return 1; }
      grep -q "^Notes=from $side" "$work/x.dat" || { echo "$sheet holds another folder's setup"; return 1; }
    done <"$work/out-$side"
  done
}

failed=0
for case in killed_runs_leave_whole_sheets_or_none full_disk_gives_an_error_and_no_sheet \
  unreadable_raw_data_writes_nothing two_folders_share_a_target; do
  if message="$("case_$case" 2>&1)"; then
    echo "PASS: $case"
  else
    echo "FAIL: $case: $message" >&2
    failed=1
  fi
done
exit $failed
