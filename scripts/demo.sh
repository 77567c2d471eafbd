#!/usr/bin/env bash
# The demo: Corvane.exe opens the bundled sample list (an intact, a damaged
# and a missing file) exactly as the shell opens an .sfv file, with the real
# checksum tool beside it. It runs the 32-bit build wherever this host can run
# 32-bit programs (natively or under qemu-i386) and the 32-bit Wine could be
# installed, else the 64-bit build under wine64, and says which first. With a display you
# see the window and the console (press a key in the console, then Exit).
# Without one it runs under Xvfb, saves screenshots of both and ends by itself.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
if [[ -z "${CORVANE_IN_I386_NAMESPACE:-}" ]]; then
  bash "$root/scripts/setup.sh"
  export CORVANE_SETUP_DONE=1
  source "$root/scripts/host.sh"
  if [[ $HOST_WINE32 == 1 ]]; then
    echo "demo: the 32-bit build (build/win32)${HOST_I386_NOTE:+, $HOST_I386_NOTE}"
  else
    echo "demo: the 64-bit build (build/win64) under wine64, since the 32-bit Wine cannot run here: $HOST_WHY_NO_WINE32"
  fi
  echo "demo: building"
  bash "$root/scripts/build.sh" >/dev/null
fi
source "$root/tests/wine/wine_env.sh"
bits=$([[ $HOST_WINE32 == 1 ]] && echo 32 || echo 64)
wine_use $bits
bin="$root/build/win$bits/bin"

demo="$WINE_C/Corvane Demo"
rm -rf "$demo"
mkdir -p "$demo/Program" "$demo/Sample files"
cp "$bin/Corvane.exe" "$bin/fsum.exe" "$demo/Program/"
cp "$root"/samples/demo/* "$demo/Sample files/"
argument='"C:\Corvane Demo\Sample files\demo.sfv"'

if [[ "$HEADLESS" == 0 ]]; then
  echo "demo: Corvane.exe $argument"
  "$WINE" "$demo/Program/Corvane.exe" 'C:\Corvane Demo\Sample files\demo.sfv'
  exit 0
fi

shots="$root/build/demo-screenshots"
rm -rf "$shots" && mkdir -p "$shots"
cp "$bin/uidriver.exe" "$demo/"
wine_virtual_desktop
"$WINE" "$demo/uidriver.exe" demo 'C:\Corvane Demo\Program' "$argument" 'C:\Corvane Demo' </dev/null
convert "$demo/window.bmp" "$shots/window.png"
convert "$demo/console.bmp" "$shots/console.png"
echo "demo: screenshots of the window and the console are in $shots"
