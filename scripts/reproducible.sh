#!/usr/bin/env bash
# Builds the Windows programs and their packages again, from the sources
# alone in a folder of their own, and compares every file byte for byte with
# the build already made in build/ (scripts/build.sh and scripts/package.sh,
# as the test command runs them); exits 0 when all are the same. One fresh
# build in another path proves what two would: nothing of the machine's
# state or of the folder's path gets into the bytes. Signing is left out: a
# signature's time stamp differs by design.
#   scripts/reproducible.sh
# The sources are the commit checked out plus what is changed but not yet
# committed in the files git tracks, which is what build/ was built from.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
for made in win32/bin/fsum.exe win64/bin/fsum.exe native/bin/fsum packages/SHA256SUMS; do
  [[ -e "$root/build/$made" ]] || { echo "reproducible: build/$made is missing: run scripts/build.sh and scripts/package.sh first" >&2; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The package times are the checked-out commit's, as package.sh takes them.
export SOURCE_DATE_EPOCH
SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct HEAD)
export CORVANE_COMMIT  # BUILDINFO.txt names it; the second folder is no repository
CORVANE_COMMIT=$(git -C "$root" rev-parse HEAD)
sources=$(git -C "$root" stash create)  # empty when nothing is changed
tree="$work/a second folder"

mkdir -p "$tree/build/deps" "$tree/build/native/bin"
git -C "$root" archive "${sources:-HEAD}" | tar -x -C "$tree"
for library in libdeflate blake3 xxhash libb2 rhash libsodium gpgv-win32 gnupg2-source; do  # what scripts/sources.sh fetched
  cp -r "$root"/build/deps/$library*/ "$tree/build/deps/"
done
# The native tool only writes SHA256SUMS into the packages folder; it ships in no package.
cp "$root/build/native/bin/fsum" "$tree/build/native/bin/"
for bits in 32 64; do
  toolchain=$([[ $bits == 32 ]] && echo mingw-i686 || echo mingw-x86_64)
  cmake -S "$tree" -B "$tree/build/win$bits" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$tree/cmake/$toolchain.cmake" >/dev/null
  cmake --build "$tree/build/win$bits" --target Corvane fsum -j"$(nproc)" >/dev/null
done
CORVANE_PACKAGES="$tree/build/packages" bash "$tree/scripts/package.sh" >/dev/null

same=0 differ=0
for file in win32/bin/Corvane.exe win32/bin/fsum.exe win64/bin/Corvane.exe win64/bin/fsum.exe \
  $(cd "$tree/build" && find packages -type f | sort); do
  if cmp -s "$root/build/$file" "$tree/build/$file"; then
    echo "PASS $file is the same in both builds"
    same=$((same + 1))
  else
    echo "FAIL $file differs between the builds"
    differ=$((differ + 1))
  fi
done
# A file only the first build made is a difference too.
while read -r file; do
  [[ -e "$tree/build/$file" ]] && continue
  echo "FAIL $file is only in build/"
  differ=$((differ + 1))
done < <(cd "$root/build" && find packages -type f | sort)
echo "$same passed, $differ failed"
((differ == 0))
