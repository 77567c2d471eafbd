#!/usr/bin/env bash
# Throughput of the native checksum tool against rhash -c, cksfv -f and plain
# cat (the read limit) on one set of files, side by side in one run, warm
# cache, best of several rounds. Prints the ratios; asserts nothing.
#   bench/bench.sh [MiB in large files, default 1024]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
mib=${1:-1024}
rounds=5

bash "$root/scripts/setup.sh"
for tool in rhash cksfv bc; do
  command -v "$tool" >/dev/null || DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$tool" >/dev/null
done
cmake -S "$root" -B "$root/build/native" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$root/build/native" --target fsum -j"$(nproc)" >/dev/null
fsum="$root/build/native/bin/fsum"

data=$(mktemp -d)
trap 'rm -rf "$data"' EXIT
cd "$data"
for i in $(seq 8); do head -c $((mib * 1024 * 1024 / 8)) /dev/urandom >"big$i.bin"; done
mkdir small
for i in $(seq 2000); do head -c $((4096 + i * 29)) /dev/urandom >"small/s$i.bin"; done
rhash --sfv --crc32 -r big*.bin small >list.sfv 2>/dev/null
sed -i 's#/#\\#g' list.sfv
files=(big*.bin small/*)
bytes=$(cat "${files[@]}" | wc -c)

best() {  # the best wall time of a command over the rounds, in seconds
  local t best=999999
  for _ in $(seq $rounds); do
    local start end
    start=$(date +%s.%N)
    "$@" >/dev/null 2>&1 || true
    end=$(date +%s.%N)
    t=$(echo "$end - $start" | bc -l)
    if (($(echo "$t < $best" | bc -l))); then best=$t; fi
  done
  echo "$best"
}

cat "${files[@]}" >/dev/null  # warm the cache
t_cat=$(best cat "${files[@]}")
t_fsum=$(best "$fsum" -c list.sfv)
t_rhash=$(best rhash -c list.sfv)
t_cksfv=$(best cksfv -q -f list.sfv)

rate() { echo "scale=2; $bytes / $1 / 1000000000" | bc -l; }
printf '%s bytes in %s files, %s cores, best of %s\n' "$bytes" "${#files[@]}" "$(nproc)" "$rounds"
printf '%-8s %8s s  %6s GB/s\n' cat "$t_cat" "$(rate "$t_cat")" fsum "$t_fsum" "$(rate "$t_fsum")" \
  "rhash" "$t_rhash" "$(rate "$t_rhash")" cksfv "$t_cksfv" "$(rate "$t_cksfv")"
printf 'fsum vs rhash -c: %.2fx   fsum vs cksfv -f: %.2fx   fsum vs cat: %.2f of the read rate\n' \
  "$(echo "$t_rhash / $t_fsum" | bc -l)" "$(echo "$t_cksfv / $t_fsum" | bc -l)" "$(echo "$t_cat / $t_fsum" | bc -l)"
