#!/usr/bin/env bash
# Brings a Debian 12 machine to everything the build, the demo and the tests need.
# Idempotent: installs only what is missing, so the README commands can call it every time.
# 64-bit Wine always; 32-bit Wine (i386 multiarch) only where the kernel runs i386 code.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/host.sh"
[[ $EUID -eq 0 ]] || SUDO=sudo

packages=(
  cmake g++ make pkg-config libgtest-dev zlib1g-dev dpkg-dev
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 libz-mingw-w64-dev
  wine64 fonts-wine xvfb xauth imagemagick rhash nsis zip
)
if [[ $HOST_RUNS_I386 == 1 ]]; then
  packages+=(wine32:i386)
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    echo "setup: adding the i386 architecture for 32-bit Wine"
    ${SUDO:-} dpkg --add-architecture i386
    need_update=1
  fi
fi

missing=()
for p in "${packages[@]}"; do
  # dpkg-query names the i386 package with its architecture, the others without.
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done

if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  ${SUDO:-} apt-get update -qq
  ${SUDO:-} apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
elif [[ -n "${need_update:-}" ]]; then
  ${SUDO:-} apt-get update -qq
fi

# Every build compiles libdeflate (the checksum tool's CRC) from Debian's
# source into build/deps. Debian 13's release has a CRC kernel for the wide
# carry-less multiply (VPCLMULQDQ) that Debian 12's lacks: four times the
# speed where the processor has it, the same results everywhere. Its source
# is found through an apt state of our own, so the machine's sources stay as
# they are: apt checks the index's signature, apt-helper the tarball's hash.
deps="$root/build/deps"
fetch_debian13() {
  local state="$deps/apt-debian13"
  mkdir -p "$state/lists/partial" "$state/cache"
  echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian trixie main" \
    >"$state/sources.list"
  local apt=(-o Dir::Etc::SourceList="$state/sources.list" -o Dir::Etc::SourceParts=/dev/null
    -o Dir::State::Lists="$state/lists" -o Dir::Cache="$state/cache")
  apt-get "${apt[@]}" update -qq >/dev/null 2>&1 || return 1
  local uri name size hash
  read -r uri name size hash < <(apt-get "${apt[@]}" source --print-uris -qq libdeflate | grep '\.orig\.tar\.gz') ||
    return 1
  /usr/lib/apt/apt-helper download-file "${uri//\'/}" "$deps/$name" "$hash" >/dev/null 2>&1 &&
    tar -xzf "$deps/$name" -C "$deps"
}
# Debian 12's source, through deb-src entries made from the machine's own deb ones.
fetch_debian12() {
  local sources=/etc/apt/sources.list.d/corvane-deb-src.sources
  if [[ ! -f $sources ]]; then
    echo "setup: adding deb-src entries for Debian's source packages"
    {
      [[ -f /etc/apt/sources.list.d/debian.sources ]] &&
        sed -n '/^Types: deb$/,/^$/p' /etc/apt/sources.list.d/debian.sources | sed 's/^Types: deb$/Types: deb-src/'
      [[ -f /etc/apt/sources.list ]] && grep -E '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' || true
    } | ${SUDO:-} tee /tmp/corvane-deb-src >/dev/null
    # Classic one-line entries and deb822 stanzas go to files of their own kind.
    if grep -q '^Types:' /tmp/corvane-deb-src; then
      grep -v '^deb-src ' /tmp/corvane-deb-src | ${SUDO:-} tee "$sources" >/dev/null
    fi
    if grep -q '^deb-src ' /tmp/corvane-deb-src; then
      grep '^deb-src ' /tmp/corvane-deb-src | ${SUDO:-} tee /etc/apt/sources.list.d/corvane-deb-src.list >/dev/null
    fi
    ${SUDO:-} touch "$sources"
    ${SUDO:-} apt-get update -qq
  fi
  (cd "$deps" && apt-get source -qq libdeflate >/dev/null 2>&1)
}
if ! compgen -G "$deps/libdeflate-*/lib/crc32.c" >/dev/null; then
  mkdir -p "$deps"
  echo "setup: fetching Debian 13's source of libdeflate"
  if ! fetch_debian13; then
    echo "setup: Debian 13's source was not to be had; fetching Debian 12's (its CRC is slower)"
    fetch_debian12 || {
      echo "setup: apt-get source libdeflate failed" >&2
      exit 1
    }
  fi
fi
