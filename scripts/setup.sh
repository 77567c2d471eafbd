#!/usr/bin/env bash
# Brings a Debian 12 machine to everything the build, the demo and the tests need.
# Idempotent: installs only what is missing, so the README commands can call it every time.
# 64-bit Wine always; 32-bit Wine and the 32-bit native libraries (i386
# multiarch) wherever 32-bit programs can run: natively, or under qemu-i386
# where the kernel runs no 32-bit code (scripts/qemu.sh, scripts/host.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/host.sh"
[[ $EUID -eq 0 ]] || SUDO=sudo
if [[ $HOST_I386 == none && "${CORVANE_64BIT_ONLY:-0}" != 1 ]]; then
  bash "$root/scripts/qemu.sh"
  host_find_i386
  [[ $HOST_I386 == none ]] && echo "setup: the 32-bit programs cannot run here: $HOST_WHY_NOT_I386"
fi

packages=(
  cmake g++ clang libclang-rt-14-dev make pkg-config libgtest-dev zlib1g-dev libssl-dev dpkg-dev
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 libz-mingw-w64-dev
  wine64 fonts-wine xvfb xauth imagemagick rhash cksfv b3sum xxhash nsis zip unzip osslsigncode openssl
  patch xz-utils gpgv gnupg minisign signify-openbsd openssh-client
)
if [[ $HOST_RUNS_I386 == 1 ]]; then
  packages+=(wine32:i386 g++-multilib libgtest-dev:i386 zlib1g-dev:i386 libssl-dev:i386)
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    echo "setup: adding the i386 architecture for 32-bit Wine"
    ${SUDO:-} dpkg --add-architecture i386
    need_update=1
  fi
fi

missing=()
for p in "${packages[@]}"; do
  # dpkg-query names the i386 package with its architecture, the others
  # without: a package installed for both says its status once for each.
  status=$(dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | sort -u || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done

if ((${#missing[@]})) && [[ -n "${CORVANE_IN_I386_NAMESPACE:-}" ]]; then
  # The emulator's namespace maps root, but apt cannot drop to its own user there.
  echo "setup: ${missing[*]} missing; run scripts/setup.sh outside the emulator's namespace first" >&2
  exit 1
elif ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  ${SUDO:-} apt-get update -qq
  ${SUDO:-} apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
elif [[ -n "${need_update:-}" ]]; then
  ${SUDO:-} apt-get update -qq
fi

# Earlier versions of this script added deb-src entries to the machine's own
# sources; the source is now fetched without touching /etc/apt.
for old in /etc/apt/sources.list.d/corvane-deb-src.sources /etc/apt/sources.list.d/corvane-deb-src.list; do
  [[ -e $old ]] && ${SUDO:-} rm -f "$old"
done

bash "$root/scripts/sources.sh"
