#!/usr/bin/env bash
# Every test: the native unit tests and the checksum tool's command line
# (CTest), then the Wine end-to-end tests of the Windows build.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/build.sh"
ctest --test-dir "$root/build/native" --output-on-failure
bash "$root/tests/wine/e2e.sh"
