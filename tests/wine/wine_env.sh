# Sourced by the demo and the Wine tests: a Wine prefix of the project's own,
# an Xvfb display when there is none (or when CORVANE_HEADLESS=1), and one
# persistent wineserver, all ended again on exit.
#
# The `wine` launcher on PATH picks the 32-bit loader whenever wine32 is
# installed, even where the kernel cannot run it, so the loaders are called
# by their own paths: `wine_use 32` or `wine_use 64` before running a build.
#
# Sets WINE (the loader of the chosen build), WINE_C (the prefix's C: drive
# on this side), HEADLESS (1 or 0), and HOST_WINE32 (see scripts/host.sh).

source "$root/scripts/host.sh"
# Where the 32-bit programs run under the emulator, the whole script runs in
# the namespace that hands them to it (both builds, so that one prefix serves).
if [[ $HOST_I386 == emulated && $HOST_WINE32 == 1 && -z "${CORVANE_IN_I386_NAMESPACE:-}" ]]; then
  i386_run bash "$0" "$@"
  exit
fi

wine_binary() {  # package, then the file name its loader or server has
  dpkg -L "$1" 2>/dev/null | grep -m1 "/wine/$2\$" || true
}
WINE64=$(wine_binary wine64 wine64)
WINE32=$(wine_binary wine32 wine)
export WINESERVER
WINESERVER=$(wine_binary wine64 wineserver64)
if [[ -z "$WINE64" || -z "$WINESERVER" ]]; then
  echo "wine: the wine64 package is missing; scripts/setup.sh installs it" >&2
  exit 1
fi

wine_use() {  # 32 or 64: the loader that runs that build
  if [[ $1 == 32 && ($HOST_WINE32 == 0 || -z "$WINE32") ]]; then
    echo "wine: the 32-bit loader cannot run here: ${HOST_WHY_NO_WINE32:-wine32 is not installed}" >&2
    exit 1
  fi
  WINE=$([[ $1 == 32 ]] && echo "$WINE32" || echo "$WINE64")
  export WINELOADER=$WINE
}

# Runs the test driver of a build with the demo lists in C:\Sample lists,
# shows the checks that did not pass and adds its summary (tests/summary.sh).
#   sample_driver WHAT BITS DRIVER-ARGUMENTS...
sample_driver() {
  local what=$1 bits=$2 log="$WINE_C/driver.log"
  shift 2
  mkdir -p "$WINE_C/Sample lists"
  cp "$root"/samples/demo/* "$WINE_C/Sample lists/"
  cp "$root/build/win$bits/bin/uidriver.exe" "$WINE_C/"
  "$WINE" "$WINE_C/uidriver.exe" "$@" </dev/null >"$log" 2>&1
  sed -i 's/\r$//' "$log"
  grep -v '^ok  ' "$log"
  add_summary "$what" "$log"
}

# A 64-bit prefix, which also runs 32-bit programs where wine32 is installed;
# named for what it can run, so one made on the other kind of host is not reused.
export WINEARCH=win64
export WINEPREFIX="${CORVANE_WINEPREFIX:-$root/build/wineprefix-$([[ $HOST_WINE32 == 1 ]] && echo wow64 || echo win64)}"
export WINEDEBUG=-all
# No Mono or Gecko install prompts: the programs here need neither.
export WINEDLLOVERRIDES="mscoree,mshtml="
# File names on the Unix side are UTF-8; Wine's ANSI and OEM code pages are
# then 1252 and 437.
export LANG=C.UTF-8
unset LC_ALL

# wait_until SECONDS COMMAND...: asks every tenth of a second until the
# command succeeds; fails once SECONDS have passed. For states that come
# as fast as this machine allows, so the bound is generous.
wait_until() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    ((SECONDS < deadline)) || return 1
    sleep 0.1
  done
}

xvfb_pid=
wine_cleanup() {
  "$WINESERVER" -k >/dev/null 2>&1 || true
  [[ -n "$xvfb_pid" ]] && kill "$xvfb_pid" 2>/dev/null || true
}
trap wine_cleanup EXIT

HEADLESS=0
if [[ -z "${DISPLAY:-}" || "${CORVANE_HEADLESS:-0}" == 1 ]]; then
  HEADLESS=1
  fd_file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fd_file" >/dev/null 2>&1 &
  xvfb_pid=$!
  wait_until 120 test -s "$fd_file" || echo "wine: Xvfb did not start" >&2
  export DISPLAY=":$(head -n1 "$fd_file")"
  rm -f "$fd_file"
fi

# The first wine call starts background processes that would hold any pipe
# a caller captures; a persistent wineserver with its output discarded
# keeps them away from ours.
mkdir -p "$WINEPREFIX"
"$WINESERVER" -p >/dev/null 2>&1 </dev/null
wine_use 64
if [[ ! -d "$WINEPREFIX/drive_c/windows" ]]; then
  echo "wine: creating the prefix $WINEPREFIX"
  "$WINE" wineboot.exe --init >/dev/null 2>&1 </dev/null
fi
WINE_C="$WINEPREFIX/drive_c"

# Wine calls itself Windows 7 unless a prefix says otherwise, and the
# programs need 8.1 or later (the setup refuses an older one).
wine_windows_version() {  # win7, win81, win10
  "$WINE" reg add 'HKCU\Software\Wine' /v Version /d "$1" /f >/dev/null 2>&1 </dev/null
}
wine_windows_version win10

# Wine draws "MS Sans Serif" (and Tahoma, the face of dialogs and message
# boxes) with DejaVu Sans, which is wider, unless its own fonts are in the
# prefix: Debian's fonts-wine puts them where this Wine does not look. The
# bitmap faces are the ones Windows uses at 96 and 120 DPI; Marlett draws
# the title bar's buttons.
for font in sserife.fon sseriff.fon ms_sans_serif.ttf tahoma.ttf tahomabd.ttf marlett.ttf; do
  [[ -f "$WINE_C/windows/Fonts/$font" ]] || cp "/usr/share/wine/fonts/$font" "$WINE_C/windows/Fonts/"
done

# Xvfb has no window manager to draw title bars and frames; Wine's virtual
# desktop draws them itself, as Windows does. It is taken when the
# wineserver starts, so the server is restarted, and it is taken away again
# on exit so that the tests never run in it.
wine_virtual_desktop() {
  local key='HKCU\Software\Wine\Explorer'
  "$WINE" reg add "$key" /v Desktop /d Corvane /f >/dev/null 2>&1 </dev/null
  "$WINE" reg add "$key\Desktops" /v Corvane /d 1024x768 /f >/dev/null 2>&1 </dev/null
  "$WINESERVER" -k
  "$WINESERVER" -p >/dev/null 2>&1 </dev/null
  trap 'no_virtual_desktop' EXIT
}
no_virtual_desktop() {
  local key='HKCU\Software\Wine\Explorer'
  "$WINE" reg delete "$key" /v Desktop /f >/dev/null 2>&1 </dev/null || true
  "$WINE" reg delete "$key\Desktops" /f >/dev/null 2>&1 </dev/null || true
  wine_cleanup
}
