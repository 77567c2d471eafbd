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
# - BLAKE2b from libb2 (0.98.1);
# - SHA-224 and SHA-3 from LibRHash, the library of Debian's rhash source
#   (Debian 14's 1.4.6, Debian 12's 1.4.3), where the system has none:
#   Windows' CNG never has SHA-224, and SHA-3 only from Windows 11 24H2 on;
# - libsodium (Debian 12's 1.0.18 with Debian's patches applied, which
#   include its Ed25519 point check), for minisign, signify and SSH
#   signatures;
# - GnuPG's gpgv for Windows, Debian 12's gpgv-win32 (2.2.40), which checks
#   OpenPGP signatures beside fsum.exe, and the Debian source it was built
#   from, which goes into every release with it (GPL-3).
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
  elif [[ $1 == win32 ]]; then
    dpkg-deb -x "$2" "$scratch/deb"
    mv "$scratch"/deb/usr/share/win32/gpgv.exe "$scratch"/deb/usr/share/doc/gpgv-win32/copyright "$scratch/"
    rm -rf "$scratch/deb"
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
fetch rhash tar librhash/sha3.c main/r/rhash/rhash_@.orig.tar.gz \
  "1.4.6 a72b92ef5b7941d96c7a2d66e6e3b618bfd8c452e20b0fdaaa6988defca7e9bf" \
  "1.4.3 1e40fa66966306920f043866cbe8612f4b939b033ba5e2708c3f41be257c8a3e"
fetch libsodium tar src/libsodium/crypto_sign/ed25519/ref10/open.c main/libs/libsodium/libsodium_@.orig.tar.gz \
  "1.0.18 d59323c6b712a1519a5daf710b68f5e7fde57040845ffec53850911f10a5d4f4"
fetch gpgv-win32 win32 gpgv.exe main/g/gnupg2/gpgv-win32_@_all.deb \
  "2.2.40-1.1+deb12u2 8bdca54419dd35f4bf99d09f7dbef8e44a695ae360e5ab7830d8ba5b3644ae52"

# Debian's patches to libsodium, applied once (the mark says they are).
sodium=$deps/libsodium-1.0.18
if [[ ! -e $sodium/.debian-patched ]]; then
  echo "setup: applying Debian's patches to libsodium"
  file=$deps/libsodium_1.0.18-1+deb12u1.debian.tar.xz
  debian_fetch main/libs/libsodium/libsodium_1.0.18-1+deb12u1.debian.tar.xz "$file" \
    f410474e46346b06b162defa05b1be26906aeed6cf309e3d4ebe30b4d1350733 "$deps/fetch.log" ||
    { echo "setup: libsodium's Debian patches could not be had: $(debian_fetch_error "$deps/fetch.log")" >&2; exit 1; }
  tar -xJf "$file" -C "$sodium"
  while read -r patch; do
    [[ -z $patch || $patch == \#* ]] || patch -s -p1 -d "$sodium" <"$sodium/debian/patches/$patch"
  done <"$sodium/debian/patches/series"
  rm -f "$file"
  touch "$sodium/.debian-patched"
fi

# The source gpgv.exe was built from, for the release folder.
gnupg_source=$deps/gnupg2-source
mkdir -p "$gnupg_source"
while read -r sha file; do
  [[ -e $gnupg_source/$file ]] && continue
  echo "setup: fetching $file"
  debian_fetch "main/g/gnupg2/$file" "$gnupg_source/$file" "$sha" "$deps/fetch.log" ||
    { echo "setup: $file could not be had: $(debian_fetch_error "$deps/fetch.log")" >&2; exit 1; }
done <<'SOURCES'
2424239219b00265dd99c5a2c5f9d50f9cafc15f0945946bb16ac1a50ec38310 gnupg2_2.2.40-1.1+deb12u2.dsc
1164b29a75e8ab93ea15033300149e1872a7ef6bdda3d7c78229a735f8204c28 gnupg2_2.2.40.orig.tar.bz2
3907dc165299cd53c0b4aec862323c3bce6037c411600ec87dc5eed7a55eba4a gnupg2_2.2.40.orig.tar.bz2.asc
398ad74f63d81edd9365df97129d05061829599bf50e72824576e1dda23fbe62 gnupg2_2.2.40-1.1+deb12u2.debian.tar.xz
SOURCES
