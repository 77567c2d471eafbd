#!/usr/bin/env bash
# Writes THIRD-PARTY-NOTICES.txt: Corvane's own licence, then every library
# the Windows programs link, each with the release built and its licence
# text, taken from the sources in build/deps and from Debian's copyright
# files of the mingw-w64 packages. Run by scripts/package.sh.
#   scripts/notices.sh FILE
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
deps="$root/build/deps"
out=${1:?usage: notices.sh FILE}

newest() { compgen -G "$deps/$1-*/" | sort -V | tail -n1; }  # a fetched library's folder
release() { basename "$(newest "$1")" | sed "s/^$1-//"; }
package() { dpkg-query -W -f='${Version}' "$1"; }

# section NAME RELEASE LICENCE FILE...: a library, its licence's name, and the texts.
section() {
  local name=$1 version=$2 licence=$3
  shift 3
  printf '\n%s\n%s %s, %s\n%s\n\n' "$(printf '=%.0s' {1..76})" "$name" "$version" "$licence" \
    "$(printf '=%.0s' {1..76})"
  cat "$@"
}

{
  echo "Corvane, the libraries its programs (Corvane.exe, fsum.exe) are built with, and gpgv.exe."
  section "Corvane" "$(bash "$root/scripts/version.sh" SHORT)" "MIT" "$root/LICENSE"
  section "libdeflate (its CRC-32)" "$(release libdeflate)" "MIT" "$(newest libdeflate)COPYING"
  section "BLAKE3 (its C code)" "$(release blake3)" "CC0 1.0, or Apache 2.0" \
    "$(newest blake3)LICENSE_CC0" "$(newest blake3)LICENSE_A2"
  section "libb2 (BLAKE2b)" "$(release libb2)" "CC0 1.0" "$(newest libb2)COPYING"
  section "LibRHash (SHA-224 and SHA-3)" "$(release rhash)" "0BSD" "$(newest rhash)COPYING"
  section "xxHash" "$(release xxhash)" "BSD 2-Clause (the library)" "$(newest xxhash)LICENSE"
  section "libsodium (Ed25519 signatures, base64)" "$(release libsodium)" "ISC" "$(newest libsodium)LICENSE"
  section "zlib" "$(package libz-mingw-w64)" "zlib" /usr/share/doc/libz-mingw-w64/copyright
  section "mingw-w64 runtime and winpthreads" "$(package mingw-w64-common)" \
    "ZPL 2.1, MIT and public domain" /usr/share/doc/mingw-w64-common/copyright
  section "GCC runtime (libgcc, libstdc++)" "$(package gcc-mingw-w64-base)" \
    "GPL 3 with the GCC Runtime Library Exception" /usr/share/doc/gcc-mingw-w64-base/copyright
  # A separate program fsum.exe runs, not linked into it.
  section "GnuPG's gpgv (gpgv.exe, from Debian's gpgv-win32)" "$(release gpgv-win32)" \
    "GPL 3 or later; its source is in the release's gnupg2-source folder" "$(newest gpgv-win32)copyright"
} | sed 's/$/\r/' >"$out"
