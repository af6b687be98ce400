#!/usr/bin/env bash
# The staged program folder, copied whole, builds the sample setup's sheet as
# a racer would: the sheet's fields (read back with qpdf) hold the values the
# table names, its name carries the run's date and time in their form, the
# folder's library records it, and --extract gives the sample setup back.
#
#   SampleSheetTest.sh STAGE FIELDS.tsv [RUNNER...]
#
# With a RUNNER (cmake/wine-run BUILD), the folder's programs are Windows
# programs run through it, and they are handed native Windows paths.
set -uo pipefail
stage="$1" expected="$2"
shift 2
runner=("$@")
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp -a "$stage" "$work/Vantrel"
rm -f "$work/Vantrel/Data/Library.sqlite"* "$work/Vantrel/Data/SheetData.txt" "$work/Vantrel/Data/Vantrel.lock"
mkdir "$work/sheets"

batch="$work/Vantrel/vantrel-batch"
native() { printf '%s' "$1"; }
if [[ ${#runner[@]} -gt 0 ]]; then
  batch="$batch.exe"
  # Wine's Z: drive is the Unix root.
  native() { local p="$1"; printf 'Z:%s' "${p//\//\\}"; }
fi
run_batch() { (cd "$work" && "${runner[@]}" "$batch" "$@"); }

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

out="$(run_batch --target "$(native "$work/sheets")" "$(native "$work/Vantrel/Data/Sample_RDX.dat")" 2>"$work/err.txt")" ||
  { echo "vantrel-batch failed: $out $(cat "$work/err.txt")"; exit 1; }
printed="$(tail -n 1 <<<"$out" | tr -d '\r')"
sheets=("$work"/sheets/*.pdf)
[[ ${#sheets[@]} -eq 1 && -f "${sheets[0]}" ]] || { echo "not one sheet in $work/sheets: $out"; exit 1; }
sheet="${sheets[0]}"
[[ "$printed" == "$(native "$sheet")" ]] || fail "printed '$printed', not the sheet's path $(native "$sheet")"

name="$(basename "$sheet")"
[[ "$name" =~ ^Alex\ Brennan_SetupSheet_RDX_[0-9]{4}-(0[1-9]|1[0-2])-(0[1-9]|[12][0-9]|3[01])_([01][0-9]|2[0-3])[0-5][0-9][0-5][0-9]\.[0-9]{2}\.pdf$ ]] ||
  fail "the sheet's name '$name' is not driver, setup type, date and time"

wrong="$(qpdf --json=2 --json-key=acroform "$sheet" | python3 -c '
import json, sys
fields = {}
for f in json.load(sys.stdin)["acroform"]["fields"]:
    value = f.get("value") or ""
    fields[f["fullname"]] = value[2:] if value.startswith("u:") else value
expected = {}
with open(sys.argv[1], encoding="utf-8") as table:
    for line in table:
        if line.startswith("#"):
            continue
        field, value = line.rstrip("\n").split("\t", 1)
        expected[field] = value
wrong = [f"{k}={fields.get(k)!r} (not {v!r})" for k, v in expected.items() if fields.get(k) != v]
wrong += [f"{k} is not in the table" for k in fields if k not in expected]
print("; ".join(wrong))' "$expected")" || fail "qpdf could not read $sheet"
[[ -z "$wrong" ]] || fail "fields: $wrong"

recorded="$(sqlite3 -separator $'\t' "$work/Vantrel/Data/Library.sqlite" "SELECT DriverName, TrackCity, sheet FROM setup")" ||
  fail "the folder's library cannot be read"
[[ "$recorded" == "Alex Brennan"$'\t'"Northfield Raceway, Leeds"$'\t'"$(native "$sheet")" ]] ||
  fail "the library holds '$recorded', not the one sheet"

back="$work/Back.dat"
run_batch --extract "$(native "$sheet")" "$(native "$back")" >"$work/extract.txt" 2>&1 ||
  fail "--extract failed: $(cat "$work/extract.txt")"
if [[ -f "$back" ]]; then
  diff <(tr -d '\r' <"$stage/Data/Sample_RDX.dat" | sort) <(tr -d '\r' <"$back" | sort) ||
    fail "the extracted setup differs from the sample"
  bare="$(grep -c -v $'\r$' "$back")"
  [[ "$bare" -eq 0 ]] || fail "$bare lines of the extracted setup do not end in CR LF"
fi

[[ $failures -eq 0 ]] || exit 1
echo "sample sheet: $(grep -c -v '^#' "$expected") fields, library and --extract as expected"
