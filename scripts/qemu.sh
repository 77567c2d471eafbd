#!/usr/bin/env bash
# On a host whose kernel runs no 32-bit code, the 32-bit programs run under
# QEMU's user-mode emulator. Debian 13's qemu-i386 is the one that works
# here: statically linked (so it runs on Debian 12 unchanged), and QEMU 10
# starts a Wine process in about a second where Debian 12's 7.2 takes a
# minute. Its package is fetched from the pool of the mirror this machine's
# apt sources name, pinned by its SHA-256; when the pinned release has left
# the pool, the one that Debian 13's signed index names is taken through an
# apt state of our own (apt checks the signature and the hash). /etc/apt
# stays as it is. The emulator lands in build/deps/qemu.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
deps="$root/build/deps"
out="$deps/qemu"
[[ -x "$out/usr/bin/qemu-i386" ]] && exit 0


# version, then the SHA-256 of qemu-user_<version>_amd64.deb
pins=(
  "10.0.13+ds-0+deb13u1 ca6ede739327a20ae5a3498230c8a3a9a072c586e131bc6bcc1201eb1725e336"
)
source "$root/scripts/debian.sh"
mkdir -p "$deps"
deb=
for pin in "${pins[@]}"; do
  read -r version sha <<<"$pin"
  name="qemu-user_${version}_amd64.deb"
  echo "setup: fetching Debian 13's qemu-user $version for the 32-bit programs"
  if debian_fetch "main/q/qemu/$name" "$deps/$name" "$sha" "$deps/fetch.log"; then
    deb="$deps/$name"
    break
  fi
  echo "setup: qemu-user $version could not be had: $(debian_fetch_error "$deps/fetch.log")"
done

# The release Debian 13's signed index names now, through a private apt state.
from_signed_index() {
  local state="$deps/apt-trixie" mirror
  mirror=$(debian_mirror || true)
  [[ -n "$mirror" ]] || return 1
  mkdir -p "$state/lists/partial" "$state/archives/partial" "$state/etc"
  touch "$state/status"
  echo "deb [arch=amd64 signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $mirror trixie main" \
    >"$state/etc/sources.list"
  local apt=(-o Dir::State="$state" -o Dir::State::status="$state/status" -o Dir::Cache="$state"
    -o Dir::Etc::SourceList="$state/etc/sources.list" -o Dir::Etc::SourceParts=/nonexistent
    -o APT::Architecture=amd64 -o Debug::NoLocking=1)
  apt-get "${apt[@]}" update -qq >"$deps/fetch.log" 2>&1 &&
    (cd "$deps" && apt-get "${apt[@]}" download qemu-user >>"$deps/fetch.log" 2>&1) || return 1
  deb=$(compgen -G "$deps/qemu-user_*_amd64.deb" | head -n1)
}
if [[ -z "$deb" ]]; then
  echo "setup: taking the qemu-user that Debian 13's signed index names"
  from_signed_index || {
    echo "setup: qemu-user could not be had: $(tail -n1 "$deps/fetch.log")" >&2
    exit 1
  }
fi
# Only the i386 emulator is kept.
unpacked=$(mktemp -d)
dpkg-deb -x "$deb" "$unpacked"
mkdir -p "$out/usr/bin"
mv "$unpacked/usr/bin/qemu-i386" "$out/usr/bin/"
rm -rf "$unpacked" "$deb"
