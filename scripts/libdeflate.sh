#!/usr/bin/env bash
# Every build compiles libdeflate's CRC from Debian's source into build/deps.
# Two releases are accepted, each pinned by the SHA-256 of its tarball:
# Debian 13's 1.23, whose CRC has a kernel for the wide carry-less multiply
# (VPCLMULQDQ), four times as fast where the processor has it, and Debian
# 12's 1.14 as the fallback, with the same results at a quarter of the speed.
# The tarball comes from the pool of the mirror this machine's apt sources
# name, through apt's own downloader (which checks the hash); no apt source
# is added and /etc/apt stays as it is.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
deps="$root/build/deps"

# version, then the SHA-256 of libdeflate_<version>.orig.tar.gz
pins=(
  "1.23 1ab18349b9fb0ce8a0ca4116bded725be7dcbfa709e19f6f983d99df1fb8b25f"
  "1.14 89e7df898c37c3427b0f39aadcf733731321a278771d20fc553f92da8d4808ac"
)

compgen -G "$deps/libdeflate-*/lib/crc32.c" >/dev/null && exit 0

source "$root/scripts/debian.sh"
mkdir -p "$deps"
first=1
for pin in "${pins[@]}"; do
  read -r version sha <<<"$pin"
  name="libdeflate_$version.orig.tar.gz"
  if ((!first)); then
    echo "setup: taking libdeflate $version instead, whose CRC is slower (a quarter of the speed on processors with VPCLMULQDQ)"
  fi
  first=0
  echo "setup: fetching libdeflate $version's source"
  if debian_fetch "main/libd/libdeflate/$name" "$deps/$name" "$sha" "$deps/fetch.log"; then
    tar -xzf "$deps/$name" -C "$deps"
    exit 0
  fi
  echo "setup: libdeflate $version's source could not be had: $(debian_fetch_error "$deps/fetch.log")"
done
echo "setup: no accepted libdeflate source could be fetched" >&2
exit 1
