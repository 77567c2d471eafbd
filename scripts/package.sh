#!/usr/bin/env bash
# Packages each Windows release build into build/packages: an installer made
# with NSIS and a portable zip (the two programs and a short README.txt).
#   Corvane-<version>-setup.exe, Corvane-<version>-portable.zip       32-bit
#   Corvane-<version>-x64-setup.exe, Corvane-<version>-x64-portable.zip  64-bit
# Expects the builds in build/win32 and build/win64 (scripts/build.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
version=$(sed -n 's/^#define CORVANE_VERSION_SHORT "\(.*\)"$/\1/p' "$root/res/version.h")
out="$root/build/packages"
rm -rf "$out"
mkdir -p "$out"

for bits in 32 64; do
  suffix=$([[ $bits == 64 ]] && echo -x64 || true)
  bin="$root/build/win$bits/bin"
  makensis -V2 -DBIN="$bin" -DOUT="$out/Corvane-$version$suffix-setup.exe" $([[ $bits == 64 ]] && echo -DX64) \
    "$root/installer/corvane.nsi"
  portable=$(mktemp -d)
  cp "$bin/Corvane.exe" "$bin/fsum.exe" "$portable/"
  sed 's/$/\r/' "$root/installer/README.txt" >"$portable/README.txt"
  (cd "$portable" && zip -q -X "$out/Corvane-$version$suffix-portable.zip" Corvane.exe fsum.exe README.txt)
  rm -rf "$portable"
done
echo "package: $(cd "$out" && echo *)"
