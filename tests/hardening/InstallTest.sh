#!/usr/bin/env bash
# Installs the build into a fresh prefix as a new user would, builds a sheet
# with the installed vantrel-batch, then edits the user's files, installs
# again over the first install, and checks the edits were kept.
#
#   InstallTest.sh BUILD_DIR SOURCE_DIR
set -euo pipefail

build="$1"
source="$2"
work="$(mktemp -d "${TMPDIR:-/tmp}/vantrel-install-XXXXXX")"
trap 'rm -rf "$work"' EXIT

prefix="$work/opt/Vantrel Racing"  # a blank in the path, as a home folder may have
home="$work/newuser"
mkdir -p "$home"

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

install_vantrel() {
  env -u XDG_DATA_HOME -u DISPLAY -u WAYLAND_DISPLAY HOME="$home" \
    cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 || {
    cat "$work/install.log" >&2
    fail "cmake --install failed"
  }
}

build_sheet() {
  mkdir -p "$work/sheets"
  (cd "$home" && env -u DISPLAY -u WAYLAND_DISPLAY HOME="$home" \
    "$prefix/vantrel-batch" --target "$work/sheets" "$1") >"$work/batch.out" 2>"$work/batch.err" || {
    cat "$work/batch.err" >&2
    fail "vantrel-batch failed on $1"
  }
  local sheet
  sheet="$(tail -n 1 "$work/batch.out")"
  [[ -f "$sheet" ]] || fail "no sheet at '$sheet'"
  [[ "$(head -c 5 "$sheet")" == "%PDF-" ]] || fail "$sheet is not a PDF"
}

# --- a fresh install, for a user whose PDF files open in a viewer of their own
mkdir -p "$home/.local/share/applications"
printf '[Desktop Entry]\nType=Application\nName=Viewer\nExec=true %%f\nMimeType=application/pdf;\n' \
  >"$home/.local/share/applications/zz-viewer.desktop"
install_vantrel
for file in vantrel vantrel-batch regsvr Logging.so Quorrel.so PdfAutomation.so \
  bin/Vantrel.ini bin/Registry.ini Config/Setup_RDX.ini Templates/SetupSheet_RDX.pdf; do
  [[ -f "$prefix/$file" ]] || fail "$file was not installed"
done
for folder in Data Logs Mapping Templates Config; do
  [[ -d "$prefix/$folder" && -w "$prefix/$folder" ]] || fail "no writable $folder folder"
done
if ldd "$prefix/vantrel-batch" "$prefix/Quorrel.so" "$prefix/PdfAutomation.so" | grep -q "not found"; then
  fail "a library the installed programs need is not found"
fi
# The programs take their libraries from beside themselves, never from the
# folder they are started in (a decoy there would be loaded, or stop them).
decoy="$work/decoy"
mkdir -p "$decoy"
for lib in libsqlite3.so.0 libqpdf.so.29 libVantrelCom.so libVantrelPlatform.so libstdc++.so.6; do
  printf 'not a library' >"$decoy/$lib"
done
for program in "$build/Vantrel/vantrel-batch" "$prefix/vantrel-batch" "$prefix/regsvr"; do
  (cd "$decoy" && "$program" --help) >/dev/null 2>"$work/decoy.err" ||
    { cat "$work/decoy.err" >&2; fail "$program takes libraries from the folder it is started in"; }
done
# Registered relative to the program folder, so that a moved or copied folder runs its own.
grep -qx "InprocServer32=Quorrel.so"$'\r' "$prefix/bin/Registry.ini" || fail "Quorrel is not registered in the program folder"
grep -qx "InprocServer32=PdfAutomation.so"$'\r' "$prefix/bin/Registry.ini" || fail "PdfAutomation is not registered"
if grep -qF "$build" "$prefix/bin/Registry.ini"; then fail "the registry names the build folder"; fi

desktop="$home/.local/share/applications/vantrel.desktop"
[[ -f "$desktop" ]] || fail "no desktop entry"
grep -qxF "Exec=\"$prefix/vantrel\" %f" "$desktop" || fail "the desktop entry does not start the installed program"
grep -qx "MimeType=application/pdf;" "$desktop" || fail "the desktop entry does not offer to open PDF files"
command -v xdg-mime >/dev/null || fail "xdg-mime (package xdg-utils) is not installed: the default viewer of PDF files cannot be checked"
if [[ "$(env -u XDG_DATA_HOME -u XDG_CONFIG_HOME HOME="$home" xdg-mime query default application/pdf)" != zz-viewer.desktop ]]; then
  fail "the desktop entry made itself the default application of PDF files"
fi
grep -qx "Icon=vantrel" "$desktop" || fail "the desktop entry has no icon"
[[ -f "$home/.local/share/icons/hicolor/scalable/apps/vantrel.svg" ]] || fail "no icon installed"

sample="$(find "$prefix/Data" -maxdepth 1 -name '*.dat' | head -n 1)"
if [[ -z "$sample" ]]; then
  sample="$home/RawData_DriverA.dat"
  cp "$source/tests/data/shell/RawData_DriverA.dat" "$sample"
fi
build_sheet "$sample"
[[ -s "$prefix/Logs/Vantrel.log" ]] || fail "the run wrote no log"

# --- the racer makes the installation their own
sed -i 's/^LogFile=Vantrel.log\r$/LogFile=Mine.log\r/' "$prefix/bin/Vantrel.ini"
grep -q "^LogFile=Mine.log" "$prefix/bin/Vantrel.ini" || fail "could not edit the settings"
printf '; my own comment\r\n' >>"$prefix/Config/Setup_RDX.ini"
printf '[SetupData]\r\nDriverName=Mine\r\n' >"$prefix/Data/Mine.dat"
printf '\n%% my own template\n' >>"$prefix/Templates/SetupSheet_RDX.pdf"
cp "$prefix/bin/Vantrel.ini" "$work/Vantrel.ini.mine"
cp "$prefix/Config/Setup_RDX.ini" "$work/Setup_RDX.ini.mine"
cp "$prefix/Templates/SetupSheet_RDX.pdf" "$work/SetupSheet_RDX.pdf.mine"
cp "$prefix/Logs/Vantrel.log" "$work/Vantrel.log.mine"

# --- a second install over the first
install_vantrel
cmp -s "$prefix/bin/Vantrel.ini" "$work/Vantrel.ini.mine" || fail "the settings were replaced"
cmp -s "$prefix/Config/Setup_RDX.ini" "$work/Setup_RDX.ini.mine" || fail "the per-setup file was replaced"
cmp -s "$prefix/Templates/SetupSheet_RDX.pdf" "$work/SetupSheet_RDX.pdf.mine" || fail "the racer's template was replaced"
cmp -s "$prefix/Logs/Vantrel.log" "$work/Vantrel.log.mine" || fail "the log was touched"
[[ -f "$prefix/Data/Mine.dat" ]] || fail "the racer's data file is gone"
[[ -f "$prefix/Templates/SetupSheet_RDX.shipped.pdf" ]] || fail "the shipped template was not put beside the racer's"
grep -q "Kept" "$work/install.log" || fail "the install did not say what it kept"

build_sheet "$sample"
[[ -s "$prefix/Logs/Mine.log" ]] || fail "the edited settings were not used after the reinstall"
echo "install, run, reinstall: ok"
