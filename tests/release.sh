#!/usr/bin/env bash
# What a release promises: one commit builds twice to the same bytes; with a
# certificate every program, uninstaller and installer is signed and still
# runs (a throwaway self-signed certificate made here); SHA256SUMS checks out.
#   tests/release.sh 32|64   (after scripts/build.sh and scripts/package.sh;
#                             the Wine build to run the signed programs with)
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bits=${1:?usage: release.sh 32|64}
# The Wine prefix the signed programs run in (and, where the 32-bit build
# runs under the emulator, the namespace the whole script runs in).
export CORVANE_WINEPREFIX="$root/build/wineprefix-release$bits"
rm -rf "$CORVANE_WINEPREFIX"
source "$root/tests/wine/wine_env.sh"
wine_use "$bits"
source "$root/tests/summary.sh"
work=$(mktemp -d)
trap 'rm -rf "$work" "$CORVANE_WINEPREFIX"; wine_cleanup' EXIT

echo "== one commit, two builds"
bash "$root/scripts/reproducible.sh" >"$work/reproducible.log" 2>&1
grep -v '^PASS' "$work/reproducible.log"
add_summary "the two builds" "$work/reproducible.log"

echo "== signed with a throwaway certificate"
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$work/key.pem" -out "$work/cert.pem" -days 2 \
  -subj "/CN=Corvane test signing" -addext extendedKeyUsage=codeSigning 2>/dev/null
echo "a throwaway password" >"$work/password"
openssl pkcs12 -export -inkey "$work/key.pem" -in "$work/cert.pem" -out "$work/cert.pfx" \
  -passout "file:$work/password"
signed="$work/signed"
minisign -G -W -p "$work/release.pub" -s "$work/release.key" >/dev/null 2>&1
CORVANE_SIGN_PFX="$work/cert.pfx" CORVANE_SIGN_PASSWORD_FILE="$work/password" CORVANE_PACKAGES="$signed" \
  CORVANE_MINISIGN_KEY="$work/release.key" bash "$root/scripts/package.sh" >/dev/null
check "SHA256SUMS is signed: minisign -V takes it" minisign -Vq -p "$work/release.pub" -m "$signed/SHA256SUMS"
check "and fsum -c -s with the key checks the packages" \
  sh -c "cd '$signed' && '$root/build/native/bin/fsum' -c -s -k'$work/release.pub' SHA256SUMS >/dev/null"
check "BUILDINFO.txt names the pinned sources and the compilers" \
  sh -c "grep -q '^  libdeflate ' '$signed/BUILDINFO.txt' && grep -q '^  g++-mingw-w64-i686 ' '$signed/BUILDINFO.txt'"
verifies() { osslsigncode verify -CAfile "$work/cert.pem" -in "$1" >/dev/null 2>&1; }
for zip in "$signed"/*.zip; do
  unzip -q -o "$zip" -d "$work/${zip##*/}.d"
  for program in Corvane.exe fsum.exe; do
    check "${zip##*/}: $program is signed" verifies "$work/${zip##*/}.d/$program"
  done
done
for setup in "$signed"/*.exe; do check "${setup##*/} is signed" verifies "$setup"; done

echo "== the licences travel with the programs"
# Every library the programs link is named in the notices of each package.
libraries=("Corvane" "libdeflate" "BLAKE3" "libb2" "LibRHash" "xxHash" "libsodium" "zlib" "mingw-w64 runtime" "GCC runtime"
  "GnuPG's gpgv")
for zip in "$signed"/*.zip; do
  notices="$work/${zip##*/}.d/THIRD-PARTY-NOTICES.txt"
  for library in "${libraries[@]}"; do
    check "${zip##*/}: the notices name $library" grep -q "^$library.*, " "$notices"
  done
done

echo "== gpgv.exe and the source it was built from"
pinned=$(sha256sum "$root"/build/deps/gpgv-win32-*/gpgv.exe | cut -c1-64)
for zip in "$signed"/*.zip; do
  check "${zip##*/}: gpgv.exe is Debian's, as fetched" \
    test "$(sha256sum "$work/${zip##*/}.d/gpgv.exe" | cut -c1-64)" = "$pinned"
done
# The .dsc names each file of the source with its SHA-256.
dsc_files() { sed -n '/^Checksums-Sha256:/,/^[^ ]/{s/^ \([0-9a-f]\{64\}\) [0-9]* \(.*\)$/\1  \2/p}' "$1"; }
check "the release folder carries gpgv's Debian source, whole" \
  sh -c "cd '$signed/gnupg2-source' && ls *.dsc >/dev/null && sha256sum --quiet -c" < <(dsc_files "$signed"/gnupg2-source/*.dsc)

# The uninstaller is only seen once installed; the signed programs still run.
setup="$signed/Corvane-$(bash "$root/scripts/version.sh" SHORT)$([[ $bits == 64 ]] && echo -x64)-setup.exe"
"$WINE" "$setup" /S '/D=C:\Signed' </dev/null >/dev/null 2>&1
check "the signed installer installs" test -f "$WINE_C/Signed/Corvane.exe"
check "the uninstaller it wrote is signed" verifies "$WINE_C/Signed/uninstall.exe"
check "the notices are installed beside the programs" test -s "$WINE_C/Signed/THIRD-PARTY-NOTICES.txt"
sample_driver "the signed Corvane.exe and fsum.exe under Wine" "$bits" \
  exitfirst 'C:\Signed' '"C:\Sample lists\demo.sfv"' 'FAILED      damaged.txt'

echo "== SHA256SUMS"
cd "$root/build/packages" || exit
check "SHA256SUMS names every package and BUILDINFO.txt" test "$(wc -l <SHA256SUMS)" -eq "$(ls ./*.exe ./*.zip BUILDINFO.txt | wc -l)"
check "sha256sum -c SHA256SUMS" sha256sum --quiet -c SHA256SUMS
check "fsum -c SHA256SUMS" "$root/build/native/bin/fsum" -c SHA256SUMS >/dev/null

summary_line "release: "
[[ $failed -eq 0 ]]
