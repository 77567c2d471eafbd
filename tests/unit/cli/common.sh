# Sourced by the command-line suites (tests/unit/cli/*_test.sh, each run
# with the tool's path): a scratch folder removed on exit, no key the user
# trusts, the check counters of tests/summary.sh, and the helpers they share.
set -uo pipefail
fsum=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")  # the suites change folders
work=$(mktemp -d)
export XDG_CONFIG_HOME=$work/config  # no key the user trusts
trap 'rm -rf "$work"' EXIT
source "$(dirname "${BASH_SOURCE[0]}")/../../summary.sh"
source "$(dirname "${BASH_SOURCE[0]}")/../../damage.sh"
cd "$work" || exit

crc_of() {  # the CRC-32 of a file, by another implementation
  if command -v rhash >/dev/null; then
    rhash --crc32 --printf '%C' "$1"
  else
    python3 -c 'import sys, zlib
c = 0
with open(sys.argv[1], "rb") as f:
    for block in iter(lambda: f.read(1 << 22), b""):
        c = zlib.crc32(block, c)
print("%08X" % c, end="")' "$1"
  fi
}

# The checked files of the scripts' common set: three of random bytes and an
# empty one, in a folder with a space, and an .sfv list of their CRCs.
make_set() {
  mkdir -p "$work/set/sub dir"
  head -c 3000000 /dev/urandom >"$work/set/one.bin"
  head -c 1 /dev/urandom >"$work/set/sub dir/two bytes.bin"
  : >"$work/set/empty.bin"
  head -c 9000000 /dev/urandom >"$work/set/sub dir/three.bin"
  (
    cd "$work/set" || exit
    printf '; made for the test\r\n'
    for f in one.bin "sub dir/two bytes.bin" empty.bin "sub dir/three.bin"; do
      printf '%s %s\r\n' "${f//\//\\}" "$(crc_of "$f")"
    done
  ) >"$work/set/list.sfv"
}

# Lists that verify whole: each row "list|how many|what the summary ends with".
lists_verify() {  # the folder, then the rows
  local folder=$1 row list n says
  shift
  for row; do
    IFS='|' read -r list n says <<<"$row"
    "$fsum" -c "$folder/$list" >"$work/out" 2>&1
    check "$list verifies with status 0" test $? -eq 0
    check "$list: $n verified $says" grep -qF "$n verified, 0 mismatched, 0 missing, 0 unreadable $says" "$work/out"
  done
}

# Memory stays within 16 MB where it must.
# Under an emulator or a sanitizer, whose own memory would count, the caller
# says why in CORVANE_MEMORY_NOT_MEASURED, and memory is not measured.
under_16mb() {  # what, then the command
  if [[ -n "${CORVANE_MEMORY_NOT_MEASURED:-}" ]]; then
    echo "skip $1: $CORVANE_MEMORY_NOT_MEASURED"
    return
  fi
  local peak
  peak=$(/usr/bin/time -f %M "${@:2}" 2>&1 >/dev/null | tail -n1)
  check "$1" test "$peak" -lt 16384
}

# One reader per disk (-t1), as a spinning disk is read: the same report and
# status as reading side by side.
same_with_one_reader() {  # the arguments, as separate words
  local side one
  # shellcheck disable=SC2086 # separate words, and no shell expands the masks
  side=$(set -f && timeout 300 "$fsum" $1 2>&1; echo "status $?")
  # shellcheck disable=SC2086
  one=$(set -f && timeout 300 "$fsum" -t1 $1 2>&1; echo "status $?")
  check "-t1 $1: the same report and status" test "$one" = "$side"
}
