#!/usr/bin/env bash
# Packages each Windows release build into build/packages (or the folder
# CORVANE_PACKAGES names): an installer made with NSIS and a portable zip (the
# two programs, GnuPG's gpgv.exe, which checks OpenPGP signatures, and a short
# README.txt), SHA256SUMS of them all, and in gnupg2-source/ the Debian
# source gpgv.exe was built from: it is GPL-3, so its source goes with it.
#   Corvane-<version>-setup.exe, Corvane-<version>-portable.zip       32-bit
#   Corvane-<version>-x64-setup.exe, Corvane-<version>-x64-portable.zip  64-bit
# Expects the builds in build/win32 and build/win64, and the native tool in
# build/native (scripts/build.sh). The same commit packages to the same bytes:
# every file's time is the commit's (SOURCE_DATE_EPOCH when given), in UTC.
# With CORVANE_SIGN_PFX and CORVANE_SIGN_PASSWORD_FILE (scripts/sign.sh), the
# programs, the uninstallers and the installers are signed. BUILDINFO.txt
# names what the release was built from (scripts/buildinfo.sh); with
# CORVANE_MINISIGN_KEY (a minisign secret key; its password, if it has one,
# in CORVANE_MINISIGN_PASSWORD_FILE), SHA256SUMS is signed in
# SHA256SUMS.minisig, which fsum -c checks beside it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
version=$(bash "$root/scripts/version.sh" SHORT)
numbers=$(bash "$root/scripts/version.sh" NUMBERS)
out=${CORVANE_PACKAGES:-$root/build/packages}
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct)}
export TZ=UTC
rm -rf "$out"
mkdir -p "$out"

sign=()
if [[ -n "${CORVANE_SIGN_PFX:-}" ]]; then
  sign=(bash "$root/scripts/sign.sh")
else
  echo "package: unsigned (CORVANE_SIGN_PFX names no certificate)"
fi

for bits in 32 64; do
  suffix=$([[ $bits == 64 ]] && echo -x64 || true)
  stage=$(mktemp -d)
  cp "$root/build/win$bits/bin/Corvane.exe" "$root/build/win$bits/bin/fsum.exe" "$stage/"
  cp "$(compgen -G "$root/build/deps/gpgv-win32-*/gpgv.exe" | sort -V | tail -n1)" "$stage/"
  sed 's/$/\r/' "$root/installer/README.txt" >"$stage/README.txt"
  bash "$root/scripts/notices.sh" "$stage/THIRD-PARTY-NOTICES.txt"
  ((${#sign[@]} == 0)) || "${sign[@]}" "$stage/Corvane.exe" "$stage/fsum.exe"
  touch -d "@$SOURCE_DATE_EPOCH" "$stage"/*
  makensis -V2 -DBIN="$stage" -DOUT="$out/Corvane-$version$suffix-setup.exe" -DVERSION="$version" \
    -DVERSION_NUMBERS="$numbers" $([[ $bits == 64 ]] && echo -DX64) \
    ${sign:+"-DSIGN=${sign[*]}"} "$root/installer/corvane.nsi"
  (cd "$stage" && zip -q -X "$out/Corvane-$version$suffix-portable.zip" Corvane.exe fsum.exe gpgv.exe \
    README.txt THIRD-PARTY-NOTICES.txt)
  rm -rf "$stage"
done
cp -r "$root/build/deps/gnupg2-source" "$out/"
bash "$root/scripts/buildinfo.sh" >"$out/BUILDINFO.txt"
(cd "$out" && touch -d "@$SOURCE_DATE_EPOCH" * gnupg2-source/* &&
  "$root/build/native/bin/fsum" -sha256 '*.exe' '*.zip' BUILDINFO.txt >SHA256SUMS)
if [[ -n "${CORVANE_MINISIGN_KEY:-}" ]]; then
  # Ed25519 signatures are deterministic: with this comment, one key signs
  # one SHA256SUMS to the same bytes.
  minisign -S -s "$CORVANE_MINISIGN_KEY" -m "$out/SHA256SUMS" -t "Corvane $version SHA256SUMS" \
    <"${CORVANE_MINISIGN_PASSWORD_FILE:-/dev/null}" >/dev/null
else
  echo "package: SHA256SUMS unsigned (CORVANE_MINISIGN_KEY names no minisign key)"
fi
echo "package: $(cd "$out" && echo *)"
