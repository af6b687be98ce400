#!/usr/bin/env bash
# The application menu entry the real window writes, for program folders
# whose names a stranger chose, one case a name: the folder's first start
# (answered Yes) and its start after the folder was moved (an entry for the
# folder it left is there). Each written entry passes desktop-file-validate,
# and gio launch of it starts exactly the program of that folder (a stand-in
# that notes how it was started, put in place of the real one); where the
# path cannot be carried, the window says so and writes no entry. Nothing
# the name holds may run: an injected command would touch $work/PWNED.
# Runs on an X display (xvfb-run), answering the window with xdotool.
#
#   MenuEntryTest.sh BUILD_DIR
set -euo pipefail

stage="$(cd "$1" && pwd)/Vantrel"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
work="$(mktemp -d "${TMPDIR:-/tmp}/vantrel-menu-XXXXXX")"
pid=""
trap 'rm -rf "$work"' EXIT
# A command that ran from a name would touch PWNED here, or at the path it names.
cd "$work"

for tool in xdotool desktop-file-validate gio; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed (scripts/packages.txt)" >&2; exit 1; }
done
[[ -n "${DISPLAY:-}" ]] || { echo "FAIL: no X display: run under xvfb-run" >&2; exit 1; }
[[ -x "$stage/vantrel" ]] || { echo "FAIL: no staged window program in $stage" >&2; exit 1; }

# The hostile names: carried (the entry starts that folder's program) or
# refused (no entry). Several hold a slash and so make folders within.
declare -A names=(
  [blanks]="My  Vantrel 2 "
  [leading_blank]=" lead"
  [quotes]="it's \"V\""
  [backslash]='back\slash\\n'
  [dollar]='$HOME $(touch PWNED)'
  [backtick]='`touch PWNED`'
  [percent]='V 100%c %f %%u'
  [semicolon]='a;b; touch PWNED;'
  [leading_dash]='-V --help'
  [utf8]='Größe 速度 ‮evil'
  [newline]=$'d\nExec=touch '"$work"$'/PWNED\nX-J=x'
  [carriage_return]=$'V\rExec=touch PWNED'
  [tab]=$'a\tb'
  [escape]=$'V\e[31m'
  [not_utf8]=$'V\xff\xfeW'
)
declare -A refused=([percent]=1 [newline]=1 [carriage_return]=1 [tab]=1 [escape]=1 [not_utf8]=1 [backslash]=1)
# A folder whose path holds a backslash cannot hold the settings (their paths
# take it for a separator): the start says so first, then the menu refuses.
declare -A unsettled=([backslash]=1)

# Waits until a box of the program titled $1 (else "Application Menu")
# shows; answers it with Return (Yes, or OK). Fails when none shows in 30 s.
answer_box() {
  local title="${1:-Application Menu}" box=""
  for _ in $(seq 600); do
    kill -0 "$pid" 2>/dev/null || { echo "the program ended before it asked"; return 1; }
    box="$(xdotool search --all --onlyvisible --pid "$pid" --name "^$title\$" 2>/dev/null | head -n 1 || true)"
    [[ -n "$box" ]] && break
    sleep 0.05
  done
  [[ -n "$box" ]] || { echo "no $title box showed"; return 1; }
  sleep 0.3
  xdotool windowfocus --sync "$box" key --clearmodifiers Return
}

# Whether a box shows within a second and a half.
box_shows() {
  for _ in $(seq 30); do
    xdotool search --all --onlyvisible --pid "$pid" --name '^Application Menu$' >/dev/null 2>&1 && return 0
    sleep 0.05
  done
  return 1
}

# Waits until the program's main window shows (then its offer has been made).
wait_window() {
  for _ in $(seq 600); do
    kill -0 "$pid" 2>/dev/null || { echo "the window program ended: $(tail -n 5 "$work/out")"; return 1; }
    xdotool search --all --onlyvisible --pid "$pid" --name '^Vantrel$' >/dev/null 2>&1 && return 0
    sleep 0.05
  done
  echo "the window never showed"
  return 1
}

start() {
  "$1/vantrel" >"$work/out" 2>&1 &
  pid=$!
  # The box that says the settings cannot be read shows before the window.
  [[ -z "${unsettled[$key]:-}" ]] || answer_box Vantrel
}

stop() {
  [[ -n "$pid" ]] && kill "$pid" 2>/dev/null || true
  [[ -n "$pid" ]] && wait "$pid" 2>/dev/null || true
  pid=""
}

entry_of() { printf '%s\n' "$HOME/share/applications/vantrel.desktop"; }

# The entry is valid, and launching it starts exactly $1/vantrel.
launches() {
  local folder="$1" entry
  entry="$(entry_of)"
  [[ -f "$entry" ]] || { echo "no entry was written"; return 1; }
  desktop-file-validate "$entry" >"$work/valid" 2>&1 || { echo "invalid entry: $(cat "$work/valid"): $(cat "$entry")"; return 1; }
  [[ ! -s "$work/valid" ]] || { echo "the validator warns: $(cat "$work/valid")"; return 1; }
  grep -c '^Exec=' "$entry" | grep -qx 1 || { echo "not one Exec line: $(cat "$entry")"; return 1; }
  mv "$folder/vantrel" "$folder/vantrel.real"
  printf '#!/bin/sh\nprintf "%%s\\n" "$0" >"%s/launched"\n' "$work" >"$folder/vantrel"
  chmod +x "$folder/vantrel"
  rm -f "$work/launched"
  gio launch "$entry" >"$work/gio" 2>&1 || { echo "gio launch failed: $(cat "$work/gio")"; return 1; }
  for _ in $(seq 100); do [[ -s "$work/launched" ]] && break; sleep 0.05; done
  rm "$folder/vantrel" && mv "$folder/vantrel.real" "$folder/vantrel"
  [[ -s "$work/launched" ]] || { echo "the launch started nothing: $(grep '^Exec=' "$entry")"; return 1; }
  [[ "$(cat "$work/launched")" == "$folder/vantrel" ]] || { echo "the launch started $(cat -A "$work/launched"): $(grep '^Exec=' "$entry")"; return 1; }
}

menu_case() {
  local key="$1" name="${names[$1]}"
  export HOME="$work/home-$key" XDG_DATA_HOME="$work/home-$key/share" XDG_CONFIG_HOME="$work/home-$key/config"
  mkdir -p "$HOME"
  local first="$work/first-$key/$name/Vantrel" moved="$work/moved-$key/$name/Vantrel"
  mkdir -p "$(dirname "$first")"
  cp -a "$stage" "$first"
  rm -f "$first/Data/Vantrel.lock" "$first/Data/Library.sqlite"*
  touch "$first/bin/Release.txt"

  # The first start asks (or, where the name cannot be carried, says why).
  start "$first"
  answer_box || return 1
  wait_window || return 1
  if [[ -n "${refused[$key]:-}" ]]; then
    sleep 0.5
    [[ ! -e "$(entry_of)" ]] || { echo "an entry was written: $(cat "$(entry_of)")"; return 1; }
  else
    for _ in $(seq 100); do [[ -f "$(entry_of)" ]] && break; sleep 0.05; done
    launches "$first" || return 1
  fi
  stop

  # Moved: the entry names a folder that is gone.
  mkdir -p "$(dirname "$moved")"
  mv "$first" "$moved"
  if [[ -n "${refused[$key]:-}" ]]; then
    mkdir -p "$HOME/share/applications"
    printf '[Desktop Entry]\nType=Application\nName=Vantrel\nExec="%s/gone/vantrel" %%f\nX-Vantrel-Folder=%s/gone\n' \
      "$work" "$work" >"$(entry_of)"
  fi
  local before
  before="$(cat "$(entry_of)")"
  start "$moved"
  if [[ -n "${refused[$key]:-}" ]]; then
    answer_box || return 1
    wait_window || return 1
    sleep 0.5
    [[ "$(cat "$(entry_of)")" == "$before" ]] || { echo "the entry was changed: $(cat "$(entry_of)")"; return 1; }
  else
    wait_window || return 1
    for _ in $(seq 100); do [[ "$(cat "$(entry_of)")" != "$before" ]] && break; sleep 0.05; done
    ! box_shows || { echo "the moved folder asked"; return 1; }
    launches "$moved" || return 1
  fi
  stop
  [[ ! -e "$work/PWNED" && ! -e "$moved/PWNED" && ! -e "$HOME/PWNED" ]] || { echo "a command in the name ran"; return 1; }
  rm -rf "$work/moved-$key"
}

for key in "${!names[@]}"; do
  eval "case_$key() { menu_case $key; }"
done

case_cleanup() { stop; }
source "$here/CaseTable.sh"
# shellcheck disable=SC2046
run_cases $(printf '%s\n' "${!names[@]}" | sort)
