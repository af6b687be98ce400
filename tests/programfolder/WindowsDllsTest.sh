#!/usr/bin/env bash
# Every program and library of the Windows program folder (its plugins in
# subfolders included) loads nothing from outside the folder but Windows'
# own libraries: each DLL it imports is beside the programs, or a system DLL.
#
#   WindowsDllsTest.sh FOLDER [OBJDUMP]
set -uo pipefail
folder="$1"
objdump="${2:-x86_64-w64-mingw32-objdump}"

# Windows' own: what every Windows 10 x86_64 installation has in System32.
system='^(kernel32|kernelbase|ntdll|user32|gdi32|gdiplus|advapi32|shell32|shlwapi|ole32|oleaut32|comdlg32|comctl32|msvcrt|ucrtbase|ws2_32|bcrypt|crypt32|secur32|rpcrt4|version|winmm|imm32|dwmapi|uxtheme|userenv|netapi32|wtsapi32|setupapi|shcore|authz|mpr|winspool\.drv|d3d9|d3d11|d3d12|dxgi|dwrite|d2d1|dcomp|iphlpapi|dnsapi|psapi|powrprof|api-ms-win-[a-z0-9-]+)\.dll$'

shopt -s nullglob nocaseglob
declare -A present=()
for f in "$folder"/*.dll; do present["$(basename "${f,,}")"]=1; done
mapfile -t binaries < <(find "$folder" -type f \( -iname '*.exe' -o -iname '*.dll' \) | sort)
[[ ${#binaries[@]} -gt 0 ]] || { echo "no programs in $folder"; exit 1; }

missing=0
for binary in "${binaries[@]}"; do
  imports="$("$objdump" -p "$binary" | sed -n 's/^[[:space:]]*DLL Name: //p')" ||
    { echo "$objdump cannot read $binary"; missing=1; continue; }
  while read -r dll; do
    [[ -z "$dll" ]] && continue
    lower="${dll,,}"
    [[ -n "${present[$lower]:-}" || "$lower" =~ $system ]] && continue
    echo "${binary#"$folder"/} needs $dll, which is neither in the folder nor Windows' own"
    missing=1
  done <<<"$imports"
done
[[ $missing -eq 0 ]] || exit 1
echo "${#binaries[@]} programs and libraries need nothing from outside the folder but Windows' own"
