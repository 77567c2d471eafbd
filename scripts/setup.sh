#!/usr/bin/env bash
# Brings a Debian 12 machine to everything the build, the demo and the tests need.
# Idempotent: installs only what is missing, so the README commands can call it every time.
# A mirror that serves a stale index is tried again for about two minutes;
# the tools must then install, while the i386 groups (32-bit Wine, the -m32
# libraries) may fail: each is named once with apt's reason, and the 32-bit
# parts that need it are said not run (scripts/host.sh).
# 64-bit Wine always; 32-bit Wine and the 32-bit native libraries (i386
# multiarch) wherever 32-bit programs can run: natively, or under qemu-i386
# where the kernel runs no 32-bit code (scripts/qemu.sh, scripts/host.sh).
set -euo pipefail
# The test command sets up once and says so to the scripts it runs.
[[ -z "${CORVANE_SETUP_DONE:-}" ]] || exit 0
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/host.sh"
[[ $EUID -eq 0 ]] || SUDO=sudo
if [[ $HOST_I386 == none && "${CORVANE_64BIT_ONLY:-0}" != 1 ]]; then
  bash "$root/scripts/qemu.sh"
  host_find_i386
  [[ $HOST_I386 == none ]] && echo "setup: the 32-bit programs cannot run here: $HOST_WHY_NOT_I386"
fi

tools=(
  cmake g++ clang libclang-rt-14-dev make pkg-config libgtest-dev zlib1g-dev libssl-dev dpkg-dev
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 libz-mingw-w64-dev
  wine64 fonts-wine xvfb xauth imagemagick rhash cksfv b3sum xxhash nsis zip unzip osslsigncode openssl
  patch xz-utils gpgv gnupg minisign signify-openbsd openssh-client hashdeep
)
if [[ $HOST_RUNS_I386 == 1 ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  echo "setup: adding the i386 architecture for 32-bit Wine"
  ${SUDO:-} dpkg --add-architecture i386
  need_update=1
fi

missing_of() {  # PACKAGE...: those not installed
  local package
  for package; do host_installed "$package" || echo "$package"; done
}
mapfile -t missing < <(missing_of "${tools[@]}")
groups=()  # the i386 groups to install: "name|packages"
if [[ $HOST_RUNS_I386 == 1 ]]; then
  [[ -z $(missing_of "${HOST_WINE32_PACKAGES[@]}") ]] || groups+=("wine32|${HOST_WINE32_PACKAGES[*]}")
  [[ -z $(missing_of "${HOST_M32_PACKAGES[@]}") ]] || groups+=("m32|${HOST_M32_PACKAGES[*]}")
fi

if [[ -n "${CORVANE_IN_I386_NAMESPACE:-}" ]]; then
  # The emulator's namespace maps root, but apt cannot drop to its own user there.
  if ((${#missing[@]})); then
    echo "setup: ${missing[*]} missing; run scripts/setup.sh outside the emulator's namespace first" >&2
    exit 1
  fi
  groups=()
fi

# A mirror in the middle of a sync serves an index that does not match its
# Release file; apt refuses it, rightly. Tried again with a growing pause
# (about two minutes in all); then setup goes on with the indexes apt has,
# and what they cannot give is named below with apt's own reason.
apt_log=$(mktemp)
trap 'rm -f "$apt_log"' EXIT
index_failed=
apt_update() {
  local pause
  for pause in 5 10 20 35 50 -; do
    ${SUDO:-} apt-get update -qq >"$apt_log" 2>&1 && return 0
    [[ $pause == - ]] && break
    echo "setup: apt-get update failed; trying again in $pause s"
    sleep "$pause"
  done
  index_failed=$(apt_failed_index)
  echo "setup: an index still fails, going on with the indexes apt has: $index_failed"
}
apt_failed_index() {  # the first index apt could not fetch, and why, without the mirror's name
  sed -nE 's#^[EW]: Failed to fetch [a-z]+://[^/]*(/[^ ]*) +(.*)$#...\1 (\2)#p' "$apt_log" |
    sed -E 's/ \[IP: [^]]*\]//; s/  +/ /g' | head -n1 | grep . || grep -m1 '^[EW]: ' "$apt_log" || echo "apt-get update failed"
}

apt_install() {  # PACKAGE...: installs them; apt's reason is left in $apt_log
  ${SUDO:-} env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "$@" >"$apt_log" 2>&1
}
apt_reason() {  # why the last apt_install failed, in one line: the first unmet dependency and apt's error
  local unmet error
  unmet=$(grep -m1 -E '^ [^ ].* : (Pre)?Depends: ' "$apt_log" | sed -E 's/^ +//; s/  +/ /g' || true)
  error=$(grep -E '^E: ' "$apt_log" | tail -n1 | sed 's/^E: //; s/\.$//')
  echo "${unmet:+$unmet; }apt: ${error:-apt-get install failed}${index_failed:+; the index that failed: $index_failed}"
}

if ((${#missing[@]} + ${#groups[@]})) || [[ -n "${need_update:-}" ]]; then
  apt_update
fi
if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  apt_install "${missing[@]}" || {
    echo "setup: ${missing[*]} could not be installed: $(apt_reason)" >&2
    exit 1
  }
fi
# The i386 groups: each whole or not at all; one that cannot be had leaves the
# 32-bit parts it serves unrun, and the test command says so with this reason.
mkdir -p "$(dirname "$HOST_NOT_INSTALLED")"
# Inside the emulator's namespace nothing is installed: the reasons stay.
[[ -n "${CORVANE_IN_I386_NAMESPACE:-}" ]] || : >"$HOST_NOT_INSTALLED"
for group in "${groups[@]}"; do
  IFS='|' read -r name packages <<<"$group"
  read -ra packages <<<"$packages"
  echo "setup: installing ${packages[*]}"
  apt_install "${packages[@]}" && continue
  echo "$name: $(apt_reason)" >>"$HOST_NOT_INSTALLED"
  echo "setup: not installed, so the 32-bit parts that need them will not run: ${packages[*]}: $(apt_reason)"
done

# Earlier versions of this script added deb-src entries to the machine's own
# sources; the source is now fetched without touching /etc/apt.
for old in /etc/apt/sources.list.d/corvane-deb-src.sources /etc/apt/sources.list.d/corvane-deb-src.list; do
  [[ -e $old ]] && ${SUDO:-} rm -f "$old"
done

bash "$root/scripts/sources.sh"
