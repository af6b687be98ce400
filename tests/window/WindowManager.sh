# Sourced by the real-window tests: starts openbox on the X display and waits
# until it manages windows, as a racer's desktop would. Its process id is in
# $window_manager; it ends with the display.
start_window_manager() {
  command -v openbox >/dev/null || { echo "FAIL: openbox is not installed (scripts/packages.txt)" >&2; return 1; }
  command -v xprop >/dev/null || { echo "FAIL: xprop is not installed (scripts/packages.txt)" >&2; return 1; }
  openbox --sm-disable >"${1:-/dev/null}" 2>&1 &
  window_manager=$!
  for _ in $(seq 200); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
    sleep 0.05
  done
  echo "FAIL: openbox never managed the display" >&2
  return 1
}
