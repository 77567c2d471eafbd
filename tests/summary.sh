# Sourced by the test scripts: counts their checks, and adds up the
# "N passed, M failed" closing lines of the parts they run, in $passed and
# $failed; what failed is kept in $failures, for the closing line to name.
passed=0
failed=0
failures=()

check() {  # what, then the command; passes when it succeeds
  local what=$1
  shift
  if "$@"; then passed=$((passed + 1)); else echo "FAIL $what"; failed=$((failed + 1)) failures+=("$what"); fi
}

add_summary() {  # what ran, then the file that holds its output
  local line counts
  line=$(grep -E '(^|: )[0-9]+ passed, [0-9]+ failed(: .*)?$' "$2" | tail -n1)
  counts=$(sed -nE 's/^(.*: )?([0-9]+) passed, ([0-9]+) failed(: .*)?$/\2 \3/p' <<<"$line")
  if [[ -z "$counts" ]]; then
    echo "FAIL $1 ended without a summary"
    failed=$((failed + 1)) failures+=("$1 ended without a summary")
    return
  fi
  passed=$((passed + ${counts% *}))
  failed=$((failed + ${counts#* }))
  ((${counts#* } > 0)) || return 0
  # A part that names what failed in it is named with those.
  local named=${line#*[0-9] failed: }
  [[ "$named" != "$line" ]] || named=""
  failures+=("$1${named:+ ($named)}")
}

# The closing line: "<what>N passed, M failed", then ": " and what failed.
summary_line() {
  local names=""
  ((${#failures[@]})) && names=$(printf ', %s' "${failures[@]}") && names=": ${names:2}"
  echo "$1$passed passed, $failed failed$names"
}
