#!/usr/bin/env bash
# The manual pages as installed: man renders each without a warning, lexgrog
# reads its NAME line, its title carries the program's version, and its
# OPTIONS list exactly the options the program's --help lists, and the
# whole page names no option that --help lacks, nor the other way round.
#
#   ManualPagesTest.sh PROGRAM_FOLDER MAN_FOLDER
set -euo pipefail

programs="$1" pages="$2"
for tool in man lexgrog groff python3; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed (scripts/packages.txt: man-db)" >&2; exit 1; }
done

failures=0
passed=0
for program in vantrel vantrel-batch; do
  page="$pages/$program.1"
  problems=()
  [[ -f "$page" ]] || { echo "FAILED: $program: no manual page at $page"; failures=$((failures + 1)); continue; }
  warnings="$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)"
  [[ -z "$warnings" ]] || problems+=("man --warnings: $warnings")
  warnings="$(groff -ww -man -Tutf8 -z "$page" 2>&1)"
  [[ -z "$warnings" ]] || problems+=("groff -ww: $warnings")
  lexgrog "$page" | grep -qF "\"$program - " || problems+=("lexgrog finds no NAME line: $(lexgrog "$page" 2>&1)")

  version="$("$programs/$program" --version | head -n 1 | awk '{print $2}')"
  grep -qE "^\.TH [^ ]+ 1 \"[^\"]*\" \"Vantrel $version\"" "$page" || problems+=("the title does not say Vantrel $version")

  help="$("$programs/$program" --help)"
  # python3 compares the sets: the options --help lists on lines of their
  # own against the .TP entries of OPTIONS, and every option either names.
  if ! difference="$(HELP_TEXT="$help" python3 - "$page" 2>&1 <<'PY'
import os, re, sys
help_text = os.environ["HELP_TEXT"]
page = open(sys.argv[1], encoding="utf-8").read().replace("\\-", "-")
option = re.compile(r"(?<![\w-])--?[a-z][a-z-]*")

listed_in_help = {option.match(line.strip()).group(0) for line in help_text.splitlines()
                  if line.startswith("  -") and option.match(line.strip())}
section = page.split("\n.SH OPTIONS\n", 1)[1].split("\n.SH ", 1)[0] if "\n.SH OPTIONS\n" in page else ""
lines = section.splitlines()
listed_in_page = set()
for i, line in enumerate(lines):
    if line == ".TP" and i + 1 < len(lines):
        found = option.search(lines[i + 1])
        if found:
            listed_in_page.add(found.group(0))
named_in_help = set(option.findall(help_text))
named_in_page = set(option.findall(page))
problems = []
for what, a, b in (("listed by --help, not in OPTIONS", listed_in_help, listed_in_page),
                   ("in OPTIONS, not listed by --help", listed_in_page, listed_in_help),
                   ("named by --help, not by the page", named_in_help, named_in_page),
                   ("named by the page, not by --help", named_in_page, named_in_help)):
    if a - b:
        problems.append(what + ": " + " ".join(sorted(a - b)))
if not listed_in_help:
    problems.append("--help lists no option")
sys.exit("; ".join(problems) or None)
PY
  )"; then
    problems+=("$difference")
  fi

  if [[ ${#problems[@]} -eq 0 ]]; then
    echo "ok: $program(1)"
    passed=$((passed + 1))
  else
    echo "FAILED: $program(1): ${problems[*]}"
    failures=$((failures + 1))
  fi
done
echo "$passed passed, $failures failed"
[[ $failures -eq 0 ]]
