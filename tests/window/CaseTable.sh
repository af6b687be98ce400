# The table of cases of the real-program tests, sourced by them: runs each
# function case_<name> named, in a shell of its own, and prints one line a
# case. Where the script defines case_cleanup, it runs as each case's shell
# ends, however the case ends. Returns 1 when a case failed.
run_cases() {
  local failed=0 message case
  for case in "$@"; do
    if message="$(trap 'declare -F case_cleanup >/dev/null && case_cleanup' EXIT; "case_$case" 2>&1)"; then
      echo "PASS: $case"
    else
      echo "FAIL: $case: $message" >&2
      failed=1
    fi
  done
  return $failed
}
