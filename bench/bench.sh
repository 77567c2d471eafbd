#!/usr/bin/env bash
# The native checksum tool against the tools a user would pick instead and
# against the read limit, in three cases: one 2 GiB file, 2,000 files of
# 512 KiB and 50,000 files of 4 KiB. Every round runs every command once, side
# by side, warm cache; the ratios are of the median times. Asserts nothing.
#   bench/bench.sh [rounds, default 5]
# BASELINE=/path/to/another/fsum adds that build as a column (an older one,
# to measure a change).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
rounds=${1:-5}

bash "$root/scripts/setup.sh"
for tool in rhash cksfv; do
  command -v "$tool" >/dev/null || DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$tool" >/dev/null
done
cmake -S "$root" -B "$root/build/native" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$root/build/native" --target fsum -j"$(nproc)" >/dev/null
fsum="$root/build/native/bin/fsum"
data=$(mktemp -d)
trap 'rm -rf "$data"' EXIT
reader="$data/reader"
g++ -O2 -pthread -o "$reader" "$root/bench/reader.cpp"

make_case() {  # name, count, bytes per file
  mkdir -p "$data/$1"
  (
    cd "$data/$1"
    head -c $(($2 * $3)) /dev/urandom | split -a 5 -d -b "$3" - f
    ls f* >files.txt
    rhash --sfv --crc32 $(cat files.txt) >list.sfv 2>/dev/null
  )
}
make_case big 1 $((2 << 30))
make_case medium 2000 $((512 << 10))
make_case small 50000 4096

seconds() {  # the wall time of one run of a command, in the case's folder
  local start=$EPOCHREALTIME
  "$@" >/dev/null 2>&1 || true
  echo "$EPOCHREALTIME - $start" | bc -l
}
median() { sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

printf '%s, %s cores, median of %s rounds; fsum built with libdeflate %s\n' \
  "$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs)" "$(nproc)" "$rounds" \
  "$(cat "$root/build/native/libdeflate-version.txt")"
for case in big medium small; do
  cd "$data/$case"
  cat $(cat files.txt) >/dev/null  # warm the cache
  declare -A times=()
  for _ in $(seq "$rounds"); do
    times[fsum]+="$(seconds "$fsum" -c list.sfv) "
    [[ -n "${BASELINE:-}" ]] && times[baseline]+="$(seconds "$BASELINE" -c list.sfv) "
    times[rhash]+="$(seconds rhash -c list.sfv) "
    times[cksfv]+="$(seconds cksfv -q -f list.sfv) "
    times[cat]+="$(seconds sh -c 'cat $(cat files.txt)') "
    times[reader]+="$(seconds sh -c "$reader <files.txt") "
  done
  declare -A med=()
  for tool in "${!times[@]}"; do med[$tool]=$(echo "${times[$tool]}" | tr ' ' '\n' | grep . | median); done
  bytes=$(du -cb $(cat files.txt) | tail -n1 | cut -f1)
  printf '\n%s: %s files, %s bytes\n' "$case" "$(wc -l <files.txt)" "$bytes"
  for tool in fsum baseline rhash cksfv cat reader; do
    [[ -n "${med[$tool]:-}" ]] || continue
    printf '  %-8s %7.3f s  %6.2f GB/s\n' "$tool" "${med[$tool]}" "$(echo "$bytes / ${med[$tool]} / 1000000000" | bc -l)"
  done
  ratio() { echo "${med[$1]} / ${med[$2]}" | bc -l; }
  printf '  fsum vs rhash -c %.2fx, vs cksfv -f %.2fx; fsum reads at %.2f of cat, %.2f of the 2-thread reader' \
    "$(ratio rhash fsum)" "$(ratio cksfv fsum)" "$(ratio cat fsum)" "$(ratio reader fsum)"
  [[ -n "${med[baseline]:-}" ]] && printf '; %.2fx the baseline' "$(ratio baseline fsum)"
  echo
  unset times med
done
