#!/usr/bin/env bash
# Two installations of Vantrel and two Syncthing instances on the loopback,
# sharing one team folder: a sheet built in the first appears in the
# second's library. Each Syncthing gets its configuration before its first
# start and talks to 127.0.0.1 alone (no discovery, relays, NAT traversal,
# usage or crash reports, upgrades). Bounded in time; both instances are
# stopped on every way out.
#
#   two-instance-sync.sh STAGED_PROGRAM_FOLDER [SECONDS]
set -euo pipefail

stage="$1"
limit="${2:-90}"
work="$(mktemp -d /tmp/vantrel-sync-XXXXXX)"
pids=()
stop() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap stop EXIT
trap 'exit 1' INT TERM

export STNOUPGRADE=1 STNODEFAULTFOLDER=1 STNORESTART=1
start=$SECONDS

# A port nobody on the loopback answers on.
free_port() {
  local port
  while :; do
    port=$((20000 + RANDOM % 40000))
    (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null || { echo "$port"; return; }
  done
}

declare -A id listen gui key
for side in a b; do
  mkdir -p "$work/$side/team"
  id[$side]="$(syncthing generate --no-default-folder --skip-port-probing --home "$work/$side/home" 2>&1 |
    sed -n "s/.*Device ID: *//p")"
  [ -n "${id[$side]}" ] || { echo "FAIL: syncthing generate gave no device ID" >&2; exit 1; }
  listen[$side]="$(free_port)"
  gui[$side]="$(free_port)"
  key[$side]="vantrel-test-$side-$RANDOM$RANDOM"
done

configure() {
  local side="$1" peer="$2" config="$work/$1/home/config.xml"
  local folder="    <folder id=\"team\" label=\"Team\" path=\"$work/$side/team\" type=\"sendreceive\" rescanIntervalS=\"2\" fsWatcherEnabled=\"true\" fsWatcherDelayS=\"1\">\n        <device id=\"${id[a]}\"></device>\n        <device id=\"${id[b]}\"></device>\n    </folder>"
  local device="    <device id=\"${id[$peer]}\" name=\"$peer\" compression=\"metadata\">\n        <address>tcp://127.0.0.1:${listen[$peer]}</address>\n    </device>"
  sed -i \
    -e "s|<listenAddress>[^<]*</listenAddress>|<listenAddress>tcp://127.0.0.1:${listen[$side]}</listenAddress>|" \
    -e "s|<address>dynamic</address>|<address>tcp://127.0.0.1:${listen[$side]}</address>|" \
    -e "s|<globalAnnounceEnabled>[^<]*<|<globalAnnounceEnabled>false<|" \
    -e "s|<localAnnounceEnabled>[^<]*<|<localAnnounceEnabled>false<|" \
    -e "s|<relaysEnabled>[^<]*<|<relaysEnabled>false<|" \
    -e "s|<natEnabled>[^<]*<|<natEnabled>false<|" \
    -e "s|<urAccepted>[^<]*<|<urAccepted>-1<|" \
    -e "s|<crashReportingEnabled>[^<]*<|<crashReportingEnabled>false<|" \
    -e "s|<autoUpgradeIntervalH>[^<]*<|<autoUpgradeIntervalH>0<|" \
    -e "s|<startBrowser>[^<]*<|<startBrowser>false<|" \
    -e "s|<announceLANAddresses>[^<]*<|<announceLANAddresses>false<|" \
    -e "s|<stunKeepaliveStartS>[^<]*<|<stunKeepaliveStartS>0<|" \
    -e "s|<gui enabled=\"true\" tls=\"[a-z]*\"|<gui enabled=\"true\" tls=\"false\"|" \
    -e "/<gui /,/<\/gui>/s|<address>[^<]*</address>|<address>127.0.0.1:${gui[$side]}</address>|" \
    -e "/<gui /,/<\/gui>/s|<apikey>[^<]*</apikey>|<apikey>${key[$side]}</apikey>|" \
    -e "s|^\(    <gui \)|$folder\n$device\n\1|" \
    "$config"
  # Every address it may use is on the loopback.
  if grep -E '<(address|listenAddress)>' "$config" | grep -v -e '127\.0\.0\.1' -e '>dynamic<'; then
    echo "FAIL: $config names an address off the loopback" >&2
    exit 1
  fi
}
configure a b
configure b a

for side in a b; do
  syncthing serve --home "$work/$side/home" --no-browser --no-restart --logfile="$work/$side/syncthing.log" \
    >"$work/$side/stdout.log" 2>&1 &
  pids+=($!)
done

# Two installations, each a copy of the staged program folder with its own
# library and the team folder its Syncthing keeps.
for side in a b; do
  cp -a "$stage" "$work/$side/Vantrel"
  printf 'TeamFolder=%s\r\n' "$work/$side/team" >>"$work/$side/Vantrel/bin/Vantrel.ini"
  mkdir -p "$work/$side/sheets"
done

deadline=$((start + limit))
wait_for() {  # wait_for WHAT COMMAND...: polls once a second until COMMAND succeeds
  local what="$1"
  shift
  until "$@" >/dev/null 2>&1; do
    if ((SECONDS >= deadline)); then
      echo "FAIL: no $what within ${limit} s" >&2
      tail -n 20 "$work"/a/syncthing.log "$work"/b/syncthing.log >&2 || true
      exit 1
    fi
    sleep 1
  done
}
api() { syncthing cli --gui-address="127.0.0.1:${gui[$1]}" --gui-apikey="${key[$1]}" "${@:2}"; }
connected() { api a show connections | grep -A12 "\"${id[b]}\"" | grep -q '"connected": true'; }
wait_for "Syncthing GUI of the first instance" api a show system
wait_for "Syncthing GUI of the second instance" api b show system
wait_for "connection between the two instances" connected

# The first builds a sheet; the second takes it in through its own --sync.
"$work/a/Vantrel/vantrel-batch" --target "$work/a/sheets" "$work/a/Vantrel/Data/Sample_RDX.dat" >"$work/a/built.txt"
built=$SECONDS
taken() { "$work/b/Vantrel/vantrel-batch" --sync | grep -qx 'Added: 1'; }
wait_for "sheet in the second library" taken
arrived=$SECONDS

sheet="$(basename "$(cat "$work/a/built.txt")")"
driver="$(sed -n 's/^DriverName=//p' "$work/a/Vantrel/Data/Sample_RDX.dat" | tr -d '\r')"
"$work/b/Vantrel/vantrel-batch" --export-csv "$work/b/library.csv"
grep -q "\"$driver\"" "$work/b/library.csv" || { echo "FAIL: the second library lacks $driver's setup" >&2; exit 1; }
[ -f "$work/b/team/$driver/$sheet" ] || { echo "FAIL: $sheet is not in the second team folder" >&2; exit 1; }
again="$("$work/a/Vantrel/vantrel-batch" --sync)"
[ "$again" = $'Added: 0\nAlready there: 1' ] || { echo "FAIL: the first library took its own sheet again: $again" >&2; exit 1; }

echo "PASS: a sheet built in one installation was in the other's library $((arrived - built)) s later" \
  "(whole test $((SECONDS - start)) s)"
