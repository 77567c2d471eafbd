#!/usr/bin/env bash
# Regenerates docs/window.png and docs/console.png, the README's pictures of
# the window and of the report in its console: the release build as it
# opens, with the title bar and the fonts a Windows user sees, then the
# bundled sample list checked (its damaged file in red), photographed under
# Wine's virtual desktop.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/build.sh" >/dev/null
CORVANE_HEADLESS=1
source "$root/tests/wine/wine_env.sh"
bits=$([[ $HOST_WINE32 == 1 ]] && echo 32 || echo 64)
wine_use $bits
bin="$root/build/win$bits/bin"

place="$WINE_C/Corvane Picture"
rm -rf "$place"
mkdir -p "$place"
cp "$bin/Corvane.exe" "$bin/fsum.exe" "$bin/uidriver.exe" "$place/"
wine_virtual_desktop
"$WINE" "$place/uidriver.exe" picture 'C:\Corvane Picture' 'C:\Corvane Picture\window.bmp' </dev/null
convert "$place/window.bmp" "$root/docs/window.png"
mkdir -p "$place/Sample files"
cp "$root"/samples/demo/* "$place/Sample files/"
"$WINE" "$place/uidriver.exe" demo 'C:\Corvane Picture' '"C:\Corvane Picture\Sample files\demo.sfv"' \
  'C:\Corvane Picture' </dev/null
convert "$place/console.bmp" "$root/docs/console.png"
echo "readme-picture: docs/window.png and docs/console.png taken from the $bits-bit build"
