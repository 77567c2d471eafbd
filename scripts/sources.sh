#!/usr/bin/env bash
# The libraries the checksum tool compiles from Debian's own files, into
# build/deps, each pinned by the SHA-256 of the file fetched (newest first,
# the next taken only when the one before cannot be had):
# - libdeflate's CRC: Debian 13's 1.23, whose CRC has a kernel for the wide
#   carry-less multiply (VPCLMULQDQ), four times as fast where the processor
#   has it; Debian 12's 1.14 gives the same results at a quarter of the speed;
# - BLAKE3's official C code, the c/ folder that Debian's rust-blake3 source
#   carries; its own orig tarballs are not on the mirror, so it is taken from
#   the source's librust-blake3-dev package (Debian 13's 1.8.1, Debian 12's
#   1.3.1), which ships the crate whole, c/ folder and all;
# - xxHash (Debian 13's 0.8.3), header-only;
# - BLAKE2b from libb2 (0.98.1).
# Files come from the pool of the mirror this machine's apt sources name,
# through apt's own downloader (which checks the hash); no apt source is
# added and /etc/apt stays as it is.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
deps="$root/build/deps"
source "$root/scripts/debian.sh"
mkdir -p "$deps"

# unpack KIND FILE FOLDER: an orig tarball whole, or a Rust crate's c/ folder
# from its -dev package.
unpack() {
  local scratch
  scratch=$(mktemp -d)
  if [[ $1 == tar ]]; then
    tar -xzf "$2" -C "$scratch" --strip-components=1
  else
    dpkg-deb -x "$2" "$scratch/deb"
    mv "$scratch"/deb/usr/share/cargo/registry/*/{c,LICENSE_*} "$scratch/"
    rm -rf "$scratch/deb"
  fi
  rm -rf "$3"
  mv "$scratch" "$3"
}

# fetch NAME KIND PROBE POOL-PATH PIN...: PROBE is a file a complete
# release has; POOL-PATH has @ for the version; each PIN is "version sha256".
fetch() {
  local name=$1 kind=$2 probe=$3 pattern=$4 pin version sha file
  shift 4
  compgen -G "$deps/$name-*/$probe" >/dev/null && return 0
  for pin in "$@"; do
    read -r version sha <<<"$pin"
    file="$deps/$(basename "${pattern//@/$version}")"
    echo "setup: fetching $name $version"
    if debian_fetch "${pattern//@/$version}" "$file" "$sha" "$deps/fetch.log"; then
      unpack "$kind" "$file" "$deps/$name-$version"
      rm -f "$file"
      return 0
    fi
    echo "setup: $name $version could not be had: $(debian_fetch_error "$deps/fetch.log")"
  done
  echo "setup: no accepted release of $name could be fetched" >&2
  return 1
}

fetch libdeflate tar lib/crc32.c main/libd/libdeflate/libdeflate_@.orig.tar.gz \
  "1.23 1ab18349b9fb0ce8a0ca4116bded725be7dcbfa709e19f6f983d99df1fb8b25f" \
  "1.14 89e7df898c37c3427b0f39aadcf733731321a278771d20fc553f92da8d4808ac"
fetch blake3 deb LICENSE_CC0 main/r/rust-blake3/librust-blake3-dev_@_amd64.deb \
  "1.8.1-1 d3337b6525a6544f401039784603c97aa4bf84aec262cdb6204f5d7ff0173d8f" \
  "1.3.1-1 48affb9072bf90eb2bd92f31c95d73d89117413112f367c2ab5c0425cbff2b76"
fetch xxhash tar LICENSE main/x/xxhash/xxhash_@.orig.tar.gz \
  "0.8.3 aae608dfe8213dfd05d909a57718ef82f30722c392344583d3f39050c7f29a80"
fetch libb2 tar COPYING main/libb/libb2/libb2_@.orig.tar.gz \
  "0.98.1 10053dbc2fa342516b780a6bbf6e7b2a2360b8d49c5ac426936bf3df82526732"
