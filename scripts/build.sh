#!/usr/bin/env bash
# Builds the trees: build/native (the portable core, the tool and the unit
# tests, with g++), build/native-tsan and build/native-asan (the same with
# clang under ThreadSanitizer, and under AddressSanitizer and
# UndefinedBehaviorSanitizer with the fuzz targets: the clang build, so no
# plain clang tree compiles the same code a third time),
# build/native32 (the same with g++ -m32, where 32-bit programs can run and
# Debian's i386 libraries could be installed),
# build/win32 (the 32-bit product: Corvane.exe, fsum.exe and the test driver)
# and build/win64 (the same sources for 64-bit Windows).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"

configure_and_build() {  # tree, then extra cmake arguments
  local tree=$1 start=$SECONDS
  shift
  cmake -S "$root" -B "$root/build/$tree" -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
  cmake --build "$root/build/$tree" -j"$(nproc)"
  echo "build: $tree took $((SECONDS - start)) s"
}
configure_and_build native
clang=(-DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++)
configure_and_build native-tsan "${clang[@]}" -DCORVANE_SANITIZE=thread
configure_and_build native-asan "${clang[@]}" -DCORVANE_SANITIZE=address,undefined -DCORVANE_FUZZ=ON
source "$root/scripts/host.sh"
if [[ $HOST_M32 == 1 ]]; then
  configure_and_build native32 -DCMAKE_TOOLCHAIN_FILE="$root/cmake/native-i686.cmake"
fi
for bits in 32 64; do
  toolchain=$([[ $bits == 32 ]] && echo mingw-i686 || echo mingw-x86_64)
  configure_and_build win$bits -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$toolchain.cmake"
done
