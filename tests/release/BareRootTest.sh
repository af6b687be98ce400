#!/usr/bin/env bash
# The release on a bare Debian 12: a minbase root from Debian's packages with
# only the X client libraries, GL and fonts a desktop has (no Qt, no qpdf, no
# SQLite, no build tools), the release unpacked into it and moved, and there
# every library resolves, vantrel-batch builds the sample sheet (its values
# read back), --extract gives the setup back, and vantrel shows its window on
# an X display, offers the application menu and ends on Close; moved once
# more, its next start puts the menu entry right. Prints the release's size, its unpacked size and the time from
# start to window. The root is kept in BUILD_DIR/bare-root and made again
# only when its package list changes; where it cannot be made (Debian's
# packages out of reach), the test fails and says why.
#
#   BareRootTest.sh BUILD_DIR RELEASE.tar.gz VERSION
set -euo pipefail

build="$1" release="$2" version="$3"
root="$build/bare-root"
# The X client libraries, keymaps, GL and fonts of any desktop; nothing else.
desktop_packages=(
  libx11-6 libx11-xcb1 libxcb1 libxcb-icccm4 libxcb-image0 libxcb-keysyms1 libxcb-randr0 libxcb-render0
  libxcb-render-util0 libxcb-shape0 libxcb-shm0 libxcb-sync1 libxcb-xfixes0 libxcb-xkb1 libxcb-util1
  libxkbcommon0 libxkbcommon-x11-0 xkb-data libsm6 libice6 libxext6 libxrender1
  libgl1 libegl1 libopengl0 libglx0 fontconfig libfreetype6 fonts-dejavu-core)

fail() {
  echo "FAIL: $*" >&2
  exit 1
}
for tool in debootstrap unshare chroot Xvfb xdotool qpdf python3; do
  command -v "$tool" >/dev/null || fail "$tool is not installed (scripts/packages.txt)"
done
[[ "$(id -u)" -eq 0 ]] || fail "making and entering a Debian root takes root (debootstrap, chroot); run the suite as root"
[[ -f "$release" ]] || fail "no release at $release (cmake --build build --target release)"

# The Debian mirror apt uses here, unless VANTREL_DEBIAN_MIRROR names one.
mirror="${VANTREL_DEBIAN_MIRROR:-}"
if [[ -z "$mirror" ]]; then
  mirror="$(grep -rhoE '^(URIs:|deb) +https?://[^ ]*/debian/?( |$)' /etc/apt/sources.list /etc/apt/sources.list.d/ 2>/dev/null |
    grep -oE 'https?://[^ ]*' | head -n 1 || true)"
fi
[[ -n "$mirror" ]] || mirror="http://deb.debian.org/debian"

wanted="bookworm minbase ${desktop_packages[*]}"
if [[ ! -f "$root/.vantrel-root" || "$(cat "$root/.vantrel-root")" != "$wanted" ]]; then
  echo "Making the bare Debian 12 root in $root from $mirror (a minute or two, once)"
  rm -rf "$root" "$root.partial"
  log="$build/bare-root.log"
  include="$(
    IFS=,
    echo "${desktop_packages[*]}"
  )"
  if ! debootstrap --variant=minbase --include="$include" bookworm "$root.partial" "$mirror" >"$log" 2>&1; then
    tail -n 5 "$log" >&2
    rm -rf "$root.partial"
    fail "could not make the bare Debian 12 root: debootstrap from $mirror failed (Debian's packages out of reach?); its log is $log"
  fi
  echo "$wanted" >"$root.partial/.vantrel-root"
  mv "$root.partial" "$root"
fi
for gone in libQt6Core.so.6 libqpdf.so.29 libsqlite3.so.0; do
  if compgen -G "$root/usr/lib/x86_64-linux-gnu/$gone*" >/dev/null; then fail "the bare root holds $gone"; fi
done

# The release, unpacked afresh, then moved under a name with a blank: a racer
# unpacks it anywhere and may move it afterwards.
place="$root/home/racer"
rm -rf "$place"
mkdir -p "$place/unpacked" "$place/sheets"
tar -xzf "$release" -C "$place/unpacked"
folder_name="$(ls "$place/unpacked")"
[[ "$folder_name" == "Vantrel-$version" ]] || fail "the release unpacks to '$folder_name', not Vantrel-$version"
mv "$place/unpacked/$folder_name" "$place/My Vantrel"
inside="/home/racer/My Vantrel"

# Runs a command inside the root, with a /proc of its own (the programs find
# their folder through it) that goes away with the command. It takes the
# place of its shell: called in $(...) or in the background only, where the
# background job's pid is then unshare's, whose end ends the program too.
in_root() {
  # The X server's sockets by their path too, beside its abstract socket: a
  # client inside falls back on the path when the abstract name is not there.
  exec unshare --mount --pid --fork --kill-child -- sh -c 'mount -t proc proc "$0/proc" &&
    { [ ! -d /tmp/.X11-unix ] || { mkdir -p "$0/tmp/.X11-unix" && mount --bind /tmp/.X11-unix "$0/tmp/.X11-unix"; }; } &&
    exec chroot "$0" "$@"' "$root" \
    env -i HOME=/home/racer PATH=/usr/bin:/bin LANG=C.UTF-8 "$@"
}

# Each case runs in this shell (what it finds, later cases use), its words
# kept for its line; figures go straight out on descriptor 3.
exec 3>&1
failures=0
check() {
  local name="$1"
  shift
  if "$@" >"$build/bare-root-case.log" 2>&1; then
    echo "ok: $name"
  else
    echo "FAILED: $name: $(cat "$build/bare-root-case.log")"
    failures=$((failures + 1))
  fi
}

case_version() {
  local out
  out="$(in_root "$inside/vantrel-batch" --version)" || { echo "vantrel-batch --version failed: $out"; return 1; }
  [[ "$(head -n 1 <<<"$out")" == "vantrel-batch $version" ]] || { echo "says: $out"; return 1; }
  grep -qE '^qpdf [0-9.]+$' <<<"$out" && grep -qE '^SQLite [0-9.]+$' <<<"$out" || { echo "says: $out"; return 1; }
  out="$(in_root "$inside/vantrel" --version)" || { echo "vantrel --version failed: $out"; return 1; }
  [[ "$(head -n 1 <<<"$out")" == "Vantrel $version" ]] && grep -qE '^Qt 6\.[0-9.]+$' <<<"$out" || { echo "says: $out"; return 1; }
}

# Every program, component library, library and plugin of the release finds
# all it links against in the bare root, the plugins no test starts included.
case_every_library_resolves() {
  local missing
  missing="$(in_root sh -c 'cd "$0" && for f in vantrel vantrel-batch regsvr *.so lib/*.so* plugins/*/*.so; do
      ldd "$f" 2>&1 | sed -n "s|^[[:space:]]*\(.*not found\)|$f: \1|p"; done' "$inside")"
  [[ -z "$missing" ]] || { echo "$missing"; return 1; }
}

# The sample sheet's fields as the sample setup and the RDX rules fill them.
case_sample_sheet() {
  local out
  out="$(in_root "$inside/vantrel-batch" --target /home/racer/sheets "$inside/Data/Sample_RDX.dat" 2>&1)" ||
    { echo "vantrel-batch failed: $out"; return 1; }
  sheet="$root$(tail -n 1 <<<"$out")"
  [[ -f "$sheet" ]] || { echo "no sheet at $sheet: $out"; return 1; }
  qpdf --json=2 --json-key=acroform "$sheet" | python3 -c '
import json, sys
fields = {f["fullname"]: f.get("value") for f in json.load(sys.stdin)["acroform"]["fields"]}
expected = {
    "fldDriverName": "u:Alex Brennan",
    "fldTrackCity": "u:Northfield Raceway, Leeds",
    "fldRaceDate": "u:14 February 2026",
    "fldFrontToeOut": "u:1 deg",
    "fldFrontRideHeight": "u:5.5 mm",
    "fldResultsFinishPos": "u:3rd",
}
wrong = [f"{k}={fields.get(k)!r} (not {v!r})" for k, v in expected.items() if fields.get(k) != v]
sys.exit("; ".join(wrong) or None)'
}

case_extract_gives_the_setup_back() {
  local out
  out="$(in_root "$inside/vantrel-batch" --extract "${sheet#"$root"}" /home/racer/Back.dat 2>&1)" ||
    { echo "--extract failed: $out"; return 1; }
  diff <(tr -d '\r' <"$place/My Vantrel/Data/Sample_RDX.dat" | sort) <(tr -d '\r' <"$place/Back.dat" | sort) ||
    { echo "the extracted setup differs from the sample"; return 1; }
}

# The X server's abstract socket needs no file inside the root.
start_display() {
  # Xvfb chooses a free display itself and names it on its standard output;
  # -noreset: a reset as the last xdotool poll leaves would close the window's
  # connection as it is being made.
  Xvfb -displayfd 1 -screen 0 1366x768x24 -nolisten tcp -noreset >"$build/bare-root-display" 2>"$build/bare-root-xvfb.log" &
  xvfb=$!
  trap stop_display EXIT
  for _ in $(seq 200); do
    if [[ -s "$build/bare-root-display" ]]; then
      display=":$(head -n 1 "$build/bare-root-display")"
      DISPLAY="$display" xdotool getmouselocation >/dev/null 2>&1 && return 0
    fi
    sleep 0.05
  done
  echo "Xvfb did not start: $(cat "$build/bare-root-xvfb.log")"
  return 1
}

stop_display() {
  kill "$xvfb" 2>/dev/null || true
  wait "$xvfb" 2>/dev/null || true
}

# The first visible X window whose name is $1, within 30 s while $2 runs.
find_window() {
  local found=""
  for _ in $(seq 600); do
    found="$(DISPLAY="$display" xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1 || true)"
    [[ -n "$found" ]] && break
    kill -0 "$2" 2>/dev/null || break
    sleep 0.05
  done
  echo "$found"
}

# Starts vantrel of the folder inside the root; sets program and window, and
# shown (milliseconds from start to window).
start_window() {
  local started
  started="$(date +%s%N)"
  in_root DISPLAY="$display" "$1/vantrel" >"$build/bare-root-window.log" 2>&1 &
  program=$!
  window="$(find_window '^Vantrel$' "$program")"
  shown=$((($(date +%s%N) - started) / 1000000))
  [[ -n "$window" ]] || { kill "$program" 2>/dev/null; echo "the window never showed: $(cat "$build/bare-root-window.log")"; return 1; }
}

close_window() {
  # Focus is on the driver's name; two back-tabs reach Close (after Create).
  DISPLAY="$display" xdotool windowfocus --sync "$window" key --clearmodifiers shift+Tab shift+Tab space
  for _ in $(seq 200); do
    kill -0 "$program" 2>/dev/null || break
    sleep 0.05
  done
  local status=0
  if kill -0 "$program" 2>/dev/null; then
    kill "$program"
    status=124
  fi
  wait "$program" || status=$?
  [[ $status -eq 0 ]] || { echo "the program did not end with Close (status $status): $(cat "$build/bare-root-window.log")"; return 1; }
}

entry="$root/home/racer/.local/share/applications/vantrel.desktop"

# First start: the window shows, offers the application menu (Yes, the
# default answer), and ends on Close.
case_window_shows_offers_the_menu_and_closes() {
  rm -rf "$root/home/racer/.local" "$root/home/racer/.config"
  start_window "$inside" || return 1
  echo "Figure: start to window on the bare root: $shown ms" >&3
  local box
  box="$(find_window '^Application Menu$' "$program")"
  [[ -n "$box" ]] || { kill "$program"; echo "no offer of the application menu"; return 1; }
  sleep 0.5
  if command -v import >/dev/null; then
    DISPLAY="$display" import -window root "$build/bare-root-window.png" 2>/dev/null || true
  fi
  DISPLAY="$display" xdotool windowfocus --sync "$box" key --clearmodifiers Return
  for _ in $(seq 100); do
    [[ -f "$entry" ]] && break
    sleep 0.05
  done
  grep -qxF "X-Vantrel-Folder=$inside" "$entry" 2>/dev/null || { kill "$program"; echo "no entry for $inside"; return 1; }
  grep -qxF "Exec=\"$inside/vantrel\" %f" "$entry" || { kill "$program"; echo "the entry starts: $(grep Exec "$entry")"; return 1; }
  [[ -f "$root/home/racer/.local/share/icons/hicolor/scalable/apps/vantrel.svg" ]] || { kill "$program"; echo "no icon"; return 1; }
  close_window
}

# The folder moved: the next start puts the entry right without asking.
case_moved_folder_updates_the_menu() {
  local moved="/home/racer/Moved Vantrel"
  mv "$root$inside" "$root$moved"
  inside="$moved"
  start_window "$inside" || return 1
  for _ in $(seq 100); do
    grep -sqxF "X-Vantrel-Folder=$inside" "$entry" && break
    sleep 0.05
  done
  grep -qxF "Exec=\"$inside/vantrel\" %f" "$entry" || { kill "$program"; echo "the entry still starts: $(grep -s Exec "$entry")"; return 1; }
  sleep 1
  if DISPLAY="$display" xdotool search --onlyvisible --name '^Application Menu$' >/dev/null 2>&1; then
    kill "$program"
    echo "the moved folder asked again"
    return 1
  fi
  close_window
}

sheet=""
check "versions from the bare root" case_version
check "every library of the release resolves there" case_every_library_resolves
check "the sample sheet, its values read back" case_sample_sheet
check "--extract gives the setup back" case_extract_gives_the_setup_back
start_display || fail "no X display"
check "the window shows, offers the application menu, ends on Close" case_window_shows_offers_the_menu_and_closes
check "a moved folder puts its menu entry right" case_moved_folder_updates_the_menu
stop_display

echo "Figure: release $(basename "$release"): $(($(stat -c %s "$release") / 1024 / 1024)) MiB;" \
  "unpacked $(du -sm "$root$inside" | cut -f1) MiB"
echo "$((6 - failures)) passed, $failures failed"
[[ $failures -eq 0 ]]
