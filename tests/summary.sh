# Sourced by the test scripts: counts their checks, and adds up the
# "N passed, M failed" closing lines of the parts they run, in $passed and
# $failed.
passed=0
failed=0

check() {  # what, then the command; passes when it succeeds
  local what=$1
  shift
  if "$@"; then passed=$((passed + 1)); else echo "FAIL $what"; failed=$((failed + 1)); fi
}

add_summary() {  # what ran, then the file that holds its output
  local line
  line=$(grep -E '(^|: )[0-9]+ passed, [0-9]+ failed$' "$2" | tail -n1)
  if [[ -z "$line" ]]; then
    echo "FAIL $1 ended without a summary"
    failed=$((failed + 1))
    return
  fi
  line=${line##*: }
  local rest=${line#* passed, }
  passed=$((passed + ${line%% passed*}))
  failed=$((failed + ${rest%% failed*}))
}
