#!/usr/bin/env bash
# The real programs of the staged program folder as a racer meets them, one
# case a row: the window ends with Close, a program folder moved or copied
# elsewhere runs its own libraries, a registry naming a library elsewhere on
# purpose is kept to, a program folder the user may not write to still builds.
# Runs on an X display (xvfb-run), driving the window with xdotool.
#
#   RealProgramTest.sh BUILD_DIR
set -euo pipefail

stage="$1/Vantrel"
work="$(mktemp -d "${TMPDIR:-/tmp}/vantrel-real-XXXXXX")"
chmod 755 "$work"
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
export XDG_CONFIG_HOME="$work/config"

for tool in xdotool setpriv; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed (scripts/packages.txt)" >&2; exit 1; }
done
[[ -n "${DISPLAY:-}" ]] || { echo "FAIL: no X display: run under xvfb-run" >&2; exit 1; }
# Under a window manager, as on a racer's desktop.
window_manager=""
trap 'chmod -R u+w "$work"; rm -rf "$work"; [[ -n "$window_manager" ]] && kill "$window_manager" 2>/dev/null || true' EXIT
source "$(dirname "${BASH_SOURCE[0]}")/WindowManager.sh"
start_window_manager || exit 1

# A copy of the staged program folder, as a racer copies it to a stick.
copy_of_stage() {
  cp -a "$stage" "$1"
  rm -f "$1/Vantrel.lock" "$1/Data/Vantrel.lock" "$1/Data/Library.sqlite"*
}

# vantrel-batch of a folder builds the sample sheet into $work/<case>-sheets.
builds_a_sheet() {
  local folder="$1" sheets="$work/$2-sheets"
  shift 2
  mkdir -p "$sheets" && chmod 777 "$sheets"
  (cd "$work" && env -u DISPLAY "$@" "$folder/vantrel-batch" --target "$sheets" "$folder/Data/Sample_RDX.dat") \
    >"$work/out" 2>"$work/err" || { echo "vantrel-batch of $folder failed: $(cat "$work/err")"; return 1; }
  [[ "$(head -c 5 "$(tail -n 1 "$work/out")")" == "%PDF-" ]] || { echo "no sheet from $folder"; return 1; }
}

case_close_ends_the_program() {
  copy_of_stage "$work/close"
  "$work/close/vantrel" & local pid=$!
  local window=""
  for _ in $(seq 600); do
    window="$(xdotool search --onlyvisible --name '^Vantrel$' 2>/dev/null | head -n 1 || true)"
    [[ -n "$window" ]] && break
    sleep 0.05
  done
  [[ -n "$window" ]] || { kill "$pid"; echo "the window never showed"; return 1; }
  # Focus starts on the driver's name; two back-tabs reach Close (after Create).
  xdotool windowfocus --sync "$window" key --clearmodifiers shift+Tab shift+Tab space
  for _ in $(seq 200); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.05
  done
  if kill -0 "$pid" 2>/dev/null; then
    kill "$pid"
    echo "the program still runs 10 s after Close"
    return 1
  fi
  local status=0
  wait "$pid" || status=$?
  [[ $status -eq 0 ]] || { echo "the program ended with status $status"; return 1; }
}

case_moved_folder_builds_a_sheet() {
  copy_of_stage "$work/before"
  # Registered where it stands, as an install registers its folder.
  (cd "$work/before" && ./regsvr /s Logging.so Quorrel.so PdfAutomation.so) || { echo "regsvr failed"; return 1; }
  mv "$work/before" "$work/moved"
  builds_a_sheet "$work/moved" moved
}

case_copied_folder_runs_its_own_libraries() {
  copy_of_stage "$work/copied"
  # A library of the copy that cannot load shows that the copy's own is the one taken.
  echo "not a library" >"$work/copied/Quorrel.so"
  if builds_a_sheet "$work/copied" copied; then echo "the copy ran the staged folder's Quorrel"; return 1; fi
  grep -qF "$work/copied/Quorrel.so" "$work/err" || { echo "the failure names another library: $(cat "$work/err")"; return 1; }
}

case_library_elsewhere_on_purpose_is_kept() {
  copy_of_stage "$work/elsewhere"
  mkdir "$work/components"
  mv "$work/elsewhere/Quorrel.so" "$work/components/Quorrel.so"
  sed -i "s|^InprocServer32=Quorrel.so\r\$|InprocServer32=$work/components/Quorrel.so\r|" "$work/elsewhere/bin/Registry.ini"
  grep -qF "$work/components/Quorrel.so" "$work/elsewhere/bin/Registry.ini" || { echo "no registry entry to point elsewhere"; return 1; }
  builds_a_sheet "$work/elsewhere" elsewhere
}

case_read_only_program_folder_builds_a_sheet() {
  copy_of_stage "$work/readonly"
  chmod -R a+rX "$work/readonly"
  chmod -R a+w "$work/readonly/Data" "$work/readonly/Logs" "$work/readonly/Mapping"
  chmod a-w "$work/readonly" "$work/readonly/bin"
  # Root writes anywhere: the run is made as a user of no rights of its own.
  local as_user=()
  [[ "$(id -u)" -eq 0 ]] && as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
  builds_a_sheet "$work/readonly" readonly HOME="$work" "${as_user[@]}"
}

source "$(dirname "${BASH_SOURCE[0]}")/CaseTable.sh"
run_cases close_ends_the_program moved_folder_builds_a_sheet copied_folder_runs_its_own_libraries \
  library_elsewhere_on_purpose_is_kept read_only_program_folder_builds_a_sheet
