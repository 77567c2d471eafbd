# Sourced by the demo and the Wine tests: a Wine prefix of the project's own,
# an Xvfb display when there is none (or when CORVANE_HEADLESS=1), and one
# persistent wineserver, all ended again on exit.
#
# Sets WINE_C (the prefix's C: drive on this side) and HEADLESS (1 or 0).

export WINEPREFIX="${CORVANE_WINEPREFIX:-$root/build/wineprefix}"
export WINEDEBUG=-all
# No Mono or Gecko install prompts: the programs here need neither.
export WINEDLLOVERRIDES="mscoree,mshtml="
# File names on the Unix side are UTF-8; Wine's ANSI and OEM code pages are
# then 1252 and 437.
export LANG=C.UTF-8
unset LC_ALL

xvfb_pid=
wine_cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  [[ -n "$xvfb_pid" ]] && kill "$xvfb_pid" 2>/dev/null || true
}
trap wine_cleanup EXIT

HEADLESS=0
if [[ -z "${DISPLAY:-}" || "${CORVANE_HEADLESS:-0}" == 1 ]]; then
  HEADLESS=1
  fd_file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fd_file" >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do [[ -s "$fd_file" ]] && break; sleep 0.1; done
  export DISPLAY=":$(head -n1 "$fd_file")"
  rm -f "$fd_file"
fi

# The first wine call starts background processes that would hold any pipe
# a caller captures; a persistent wineserver with its output discarded
# keeps them away from ours.
mkdir -p "$WINEPREFIX"
wineserver -p >/dev/null 2>&1 </dev/null
if [[ ! -d "$WINEPREFIX/drive_c/windows" ]]; then
  echo "wine: creating the prefix $WINEPREFIX"
  wineboot -i >/dev/null 2>&1 </dev/null
fi
WINE_C="$WINEPREFIX/drive_c"
