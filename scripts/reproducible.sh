#!/usr/bin/env bash
# Builds the Windows programs and their packages twice from one commit, in
# two folders, and compares every file byte for byte; exits 0 when all are
# the same. Signing is left out: a signature's time stamp differs by design.
#   scripts/reproducible.sh [commit, default HEAD]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
commit=${1:-HEAD}
bash "$root/scripts/setup.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export SOURCE_DATE_EPOCH
SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct "$commit")

build() {  # the folder to build in
  local tree=$1
  mkdir -p "$tree/build/deps"
  git -C "$root" archive "$commit" | tar -x -C "$tree"
  for library in libdeflate blake3 xxhash libb2 libsodium gpgv-win32 gnupg2-source; do  # what scripts/sources.sh fetched
    cp -r "$root"/build/deps/$library*/ "$tree/build/deps/"
  done
  for bits in 32 64; do
    toolchain=$([[ $bits == 32 ]] && echo mingw-i686 || echo mingw-x86_64)
    cmake -S "$tree" -B "$tree/build/win$bits" -DCMAKE_BUILD_TYPE=Release \
      -DCMAKE_TOOLCHAIN_FILE="$tree/cmake/$toolchain.cmake" >/dev/null
    cmake --build "$tree/build/win$bits" --target Corvane fsum -j"$(nproc)" >/dev/null
  done
  cmake -S "$tree" -B "$tree/build/native" -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$tree/build/native" --target fsum -j"$(nproc)" >/dev/null
  CORVANE_PACKAGES="$tree/build/packages" bash "$tree/scripts/package.sh" >/dev/null
}
build "$work/one"
build "$work/a second folder"

same=0 differ=0
for file in win32/bin/Corvane.exe win32/bin/fsum.exe win64/bin/Corvane.exe win64/bin/fsum.exe \
  $(cd "$work/one/build" && find packages -type f | sort); do
  if cmp -s "$work/one/build/$file" "$work/a second folder/build/$file"; then
    echo "PASS $file is the same in both builds"
    same=$((same + 1))
  else
    echo "FAIL $file differs between the builds"
    differ=$((differ + 1))
  fi
done
echo "$same passed, $differ failed"
((differ == 0))
