#!/usr/bin/env bash
# A text of the version as res/version.h makes it, for the scripts and the
# installer:  version.sh SHORT (1.41) | TEXT (1.04.0001) | NUMBERS (1.4.0.1)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
printf '#include "res/version.h"\nCORVANE_VERSION_%s\n' "$1" | cpp -P -I"$root" - | tr -d '" \n' | tr , .
