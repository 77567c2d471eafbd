#!/usr/bin/env bash
# The native checksum tool against the tools a user would pick instead and
# against the read and hash limits, in three cases: one 2 GiB file, 2,000
# files of 512 KiB and 50,000 files of 4 KiB; .sfv lists (CRC-32), SHA-256
# and MD5 lists, and for the first two cases BLAKE3, XXH128, BLAKE2b and
# SHA3-256 lists (b3sum both ways: reading with one thread, and its threaded
# memory-mapped mode). Two more cases read through a simulated spinning disk
# (bench/slowdisk.c, which states its model): one 1 GiB file and 200 files
# of 5 MiB, each .sfv list checked with one reader (-t1, as for a disk that
# seeks), read side by side (the tool's way on a disk that does not), and
# by cat in list order (the one-reader limit). A last case measures what a
# signature adds: 20 files of 4 KiB, the list unsigned, signed with OpenPGP
# (one gpgv start) and with minisign, each key trusted with -k. The audit
# case: 100,000 files of 512 bytes, nothing changed, audited with -c -a
# against a plain -c of the same SHA-256 list and hashdeep -a -k on the same
# tree, with each one's peak memory. Every round
# runs every command once, side by side; the ratios are of the median
# times. Asserts nothing.
#   bench/bench.sh [--cold] [rounds, default 5] [case...: big medium small hdd-big hdd-many signed audit]
# Warm cache unless --cold, which empties the page cache before every command
# (root only). BASELINE=/path/to/another/fsum adds that build as a column (an
# older one, to measure a change).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cold=0
[[ ${1:-} == --cold ]] && cold=1 && shift
rounds=${1:-5}
cases=("${@:2}")
((${#cases[@]})) || cases=(big medium small hdd-big hdd-many signed)
if ((cold)) && [[ $EUID -ne 0 ]]; then
  echo "bench: --cold empties the page cache, which only root may do; skipped"
  exit 0
fi

bash "$root/scripts/setup.sh"
for tool in rhash cksfv bc b3sum xxhsum minisign gpg hashdeep; do
  package=${tool/xxhsum/xxhash}
  command -v "$tool" >/dev/null || DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${package/gpg/gnupg}" >/dev/null
done
[[ -x /usr/bin/time ]] || DEBIAN_FRONTEND=noninteractive apt-get install -y -qq time >/dev/null
dpkg -s libfuse3-dev fuse3 >/dev/null 2>&1 ||
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends libfuse3-dev fuse3 >/dev/null
cmake -S "$root" -B "$root/build/native" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$root/build/native" --target fsum -j"$(nproc)" >/dev/null
fsum="$root/build/native/bin/fsum"
data=$(mktemp -d)
trap 'for m in "$data"/*.disk; do fusermount3 -u "$m" 2>/dev/null; done; rm -rf "$data"' EXIT
reader="$data/reader"
g++ -O2 -pthread -o "$reader" "$root/bench/reader.cpp"
# shellcheck disable=SC2046 # the compiler's flags are separate words
gcc -O2 -o "$data/slowdisk" "$root/bench/slowdisk.c" $(pkg-config --cflags --libs fuse3)

make_case() {  # name, count, bytes per file
  mkdir -p "$data/$1"
  (
    cd "$data/$1"
    head -c $(($2 * $3)) /dev/urandom | split -a 5 -d -b "$3" - f
    ls f* >files.txt
    rhash --sfv --crc32 $(cat files.txt) >list.sfv 2>/dev/null
    sha256sum $(cat files.txt) >list.sha256
    md5sum $(cat files.txt) >list.md5
    if (($2 < 10000)) && [[ $1 != hdd-* ]]; then
      b3sum --no-mmap $(cat files.txt) >list.b3
      xxhsum -H128 $(cat files.txt) >list.xxh128 2>/dev/null
      b2sum $(cat files.txt) >list.b2
      openssl dgst -sha3-256 $(cat files.txt) | sed 's/^SHA3-256(\(.*\))= /SHA3-256 (\1) = /' >list.sha3-256
    fi
    [[ $1 != signed ]] || sign_lists
    [[ $1 != audit ]] || hashdeep -c sha256 -l -r . >"$data/audit.known"
  )
}

# The case's SHA-256 list signed: OpenPGP (a key made here) and minisign.
sign_lists() {
  export GNUPGHOME=$data/gnupg
  mkdir -p -m700 "$GNUPGHOME"
  gpg --batch --passphrase '' --quick-gen-key 'Bench <bench@example.org>' ed25519 sign 0 >/dev/null 2>&1
  gpg --batch --armor --export bench@example.org >key.asc 2>/dev/null
  cp list.sha256 openpgp.sha256 && gpg --batch -b -o openpgp.sha256.sig openpgp.sha256 2>/dev/null
  gpgconf --kill all
  minisign -G -W -p mini.pub -s mini.key >/dev/null 2>&1
  cp list.sha256 mini.sha256 && minisign -S -s mini.key -m mini.sha256 </dev/null >/dev/null 2>&1
}
declare -A shapes=([big]="1 $((2 << 30))" [medium]="2000 $((512 << 10))" [small]="50000 4096"
  [hdd-big]="1 $((1 << 30))" [hdd-many]="200 $((5 << 20))" [signed]="20 4096" [audit]="100000 512")
for case in "${cases[@]}"; do
  # shellcheck disable=SC2086 # the count and the size are two words
  make_case "$case" ${shapes[$case]}
done

seconds() {  # the wall time of one run of a command, in the case's folder
  if ((cold)); then sync && echo 3 >/proc/sys/vm/drop_caches; fi
  local start=$EPOCHREALTIME
  "$@" >/dev/null 2>&1 || true
  echo "$EPOCHREALTIME - $start" | bc -l
}
median() { sort -g | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

# The commands of each kind of list, by the name the table gives them; the
# first is fsum, the ratios are of the others' times to its time.
declare -A commands=(
  [sfv:fsum]='$fsum $one -c list.sfv'
  [sfv:parallel]='$fsum -c list.sfv'
  [sfv:baseline]='$BASELINE -c list.sfv'
  [sfv:rhash]='rhash -c list.sfv'
  [sfv:cksfv]='cksfv -q -f list.sfv'
  [sfv:cat]='sh -c "cat \$(cat files.txt)"'
  [sfv:reader]='sh -c "$reader <files.txt"'
  [sha256:fsum]='$fsum -c list.sha256'
  [sha256:baseline]='$BASELINE -c list.sha256'
  [sha256:sha256sum]='sha256sum -c list.sha256'
  [sha256:rhash]='rhash -c list.sha256'
  [sha256:openssl]='sh -c "openssl dgst -sha256 \$(cat files.txt)"'
  [md5:fsum]='$fsum -c list.md5'
  [md5:baseline]='$BASELINE -c list.md5'
  [md5:md5sum]='md5sum -c list.md5'
  [md5:rhash]='rhash -c list.md5'
  [b3:fsum]='$fsum -c list.b3'
  [b3:baseline]='$BASELINE -c list.b3'
  [b3:b3sum]='b3sum --no-mmap -c list.b3'
  [b3:b3sum-mmap]='b3sum -c list.b3'
  [b3:reader]='sh -c "$reader <files.txt"'
  [xxh128:fsum]='$fsum -c list.xxh128'
  [xxh128:baseline]='$BASELINE -c list.xxh128'
  [xxh128:xxhsum]='xxhsum -c list.xxh128'
  [xxh128:reader]='sh -c "$reader <files.txt"'
  [b2:fsum]='$fsum -c list.b2'
  [b2:baseline]='$BASELINE -c list.b2'
  [b2:b2sum]='b2sum -c list.b2'
  [sha3:fsum]='$fsum -c list.sha3-256'
  [sha3:baseline]='$BASELINE -c list.sha3-256'
  [sha3:openssl]='sh -c "openssl dgst -sha3-256 \$(cat files.txt)"'
  [signed:fsum]='$fsum -c list.sha256'
  [signed:baseline]='$BASELINE -c list.sha256'
  [signed:openpgp]='$fsum -c -kkey.asc openpgp.sha256'
  [signed:minisign]='$fsum -c -kmini.pub mini.sha256'
  [audit:fsum]='$fsum -c -a list.sha256'
  [audit:plain]='$fsum -c list.sha256'
  [audit:hashdeep]='hashdeep -c sha256 -l -a -k "$data/audit.known" -r .'
)
order=(fsum baseline rhash cksfv sha256sum md5sum b3sum b3sum-mmap xxhsum b2sum openssl cat reader openpgp minisign plain
  hashdeep)
hdd_order=(fsum parallel cat)

# The case's files as a spinning disk holds them: the folder it is read in.
mount_disk() {  # case
  mkdir -p "$data/$1.disk"
  "$data/slowdisk" "$data/$1" "$data/$1.disk" -s || return 1
  echo "$data/$1.disk"
}

printf '%s, %s cores, median of %s rounds, %s cache; fsum built with libdeflate %s\n' \
  "$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs)" "$(nproc)" "$rounds" \
  "$( ((cold)) && echo cold || echo warm)" "$(cat "$root/build/native/libdeflate-version.txt")"
for case in "${cases[@]}"; do
  one="" tools=("${order[@]}") kinds=(sfv sha256 md5)
  if [[ $case == hdd-* ]]; then
    one=-t1 tools=("${hdd_order[@]}") kinds=(sfv)
    if ! folder=$(mount_disk "$case"); then
      echo "$case: the simulated disk could not be mounted (FUSE); skipped"
      continue
    fi
    cd "$folder"
  else
    cd "$data/$case"
    ((cold)) || cat $(cat files.txt) >/dev/null  # warm the cache
  fi
  bytes=$(du -cb $(cat files.txt) | tail -n1 | cut -f1)
  [[ -f list.b3 && $case != hdd-* ]] && kinds+=(b3 xxh128 b2 sha3)
  [[ $case == signed ]] && kinds=(signed)
  [[ $case == audit ]] && kinds=(audit)
  for kind in "${kinds[@]}"; do
    declare -A times=()
    for _ in $(seq "$rounds"); do
      for tool in "${tools[@]}"; do
        [[ -n "${commands[$kind:$tool]:-}" ]] || continue
        [[ $tool == baseline && -z "${BASELINE:-}" ]] && continue
        times[$tool]+="$(eval "seconds ${commands[$kind:$tool]}") "
      done
    done
    printf '\n%s, %s list: %s files, %s bytes\n' "$case" "$kind" "$(wc -l <files.txt)" "$bytes"
    ratios=""
    for tool in "${tools[@]}"; do
      [[ -n "${times[$tool]:-}" ]] || continue
      med=$(echo "${times[$tool]}" | tr ' ' '\n' | grep . | median)
      [[ $tool == fsum ]] && fsum_time=$med
      printf '  %-10s %7.3f s  %6.2f GB/s\n' "$tool" "$med" "$(echo "$bytes / $med / 1000000000" | bc -l)"
      [[ $tool == fsum ]] || ratios+=$(printf ', %s %.2f' "$tool" "$(echo "$med / $fsum_time" | bc -l)")
    done
    echo "  fsum's speed over each other's:${ratios#,}"
    [[ $kind != signed ]] || printf '  (there: the unsigned list; the others: the same list signed and its signature checked)\n'
    if [[ $kind == audit ]]; then
      for tool in fsum plain hashdeep; do  # peak memory, once each
        printf '  %-10s %7s KB peak\n' "$tool" "$(eval "/usr/bin/time -f %M ${commands[$kind:$tool]}" 2>&1 >/dev/null | tail -n1)"
      done
    fi
    unset times
  done
done
