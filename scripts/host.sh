# Sourced by the scripts: how this host runs 32-bit (i386) programs. Some
# kernels run 64-bit user code only and refuse every 32-bit program with
# "Exec format error". There the 32-bit programs run under QEMU's user-mode
# emulator (scripts/qemu.sh fetches it), registered for i386 programs in a
# binfmt_misc of our own: inside a user namespace (kernel 6.7 and later give
# each one its own binfmt_misc), so nothing changes on the host outside.
#
# Sets HOST_I386: native, emulated or none; HOST_RUNS_I386 (1 or 0);
# HOST_WHY_NOT_I386 (why not, when 0); HOST_I386_NOTE (how, for the log).
# Running i386 code is not all: the 32-bit Wine and the -m32 libraries are
# Debian's i386 packages, which a mirror can fail to serve. HOST_WINE32 and
# HOST_M32 (1 or 0) say whether each is there, HOST_WHY_NO_WINE32 and
# HOST_WHY_NO_M32 why not, with the reason setup.sh was given.
# i386_run COMMAND... runs a command where 32-bit programs work.
# CORVANE_64BIT_ONLY=1 takes the 64-bit-only path on any host;
# CORVANE_I386_EMULATED=1 takes the emulator even where the kernel runs i386.

host_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
HOST_QEMU_I386="$host_root/build/deps/qemu/usr/bin/qemu-i386"

host_probe_i386() {
  # The smallest i386 program there is: a static ELF whose one instruction
  # sequence is exit(0). Tried, not guessed from uname: the kernel decides.
  local probe
  probe=$(mktemp)
  printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00'\
'\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00'\
'\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x5d\x00\x00\x00'\
'\x5d\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\xb8\x01\x00\x00\x00\x31\xdb\xcd\x80' >"$probe"
  chmod +x "$probe"
  local status=0
  "$probe" 2>/dev/null || status=$?
  rm -f "$probe"
  return $status
}

# i386_namespace COMMAND...: the command in a user and mount namespace of its
# own, where the kernel hands every i386 program to qemu-i386. The emulator
# is opened when it is registered (F) and programs keep their argv[0] (P).
i386_namespace() {
  unshare --user --map-root-user --mount bash -c '
    mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc || exit 125
    magic="\x7f\x45\x4c\x46\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00"
    mask="\xff\xff\xff\xff\xff\xfe\xfe\xfc\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff"
    printf "%s" ":qemu-i386:M::$magic:$mask:$CORVANE_QEMU_I386:FP" >/proc/sys/fs/binfmt_misc/register || exit 125
    exec "$@"' i386 "$@"
}
export CORVANE_QEMU_I386="$HOST_QEMU_I386"

i386_run() {
  if [[ $HOST_I386 == emulated && -z "${CORVANE_IN_I386_NAMESPACE:-}" ]]; then
    CORVANE_IN_I386_NAMESPACE=1 i386_namespace "$@"
  else
    "$@"
  fi
}

host_decide_i386() {
  if [[ "${CORVANE_64BIT_ONLY:-0}" == 1 ]]; then
    HOST_WHY_NOT_I386="CORVANE_64BIT_ONLY=1 asks for the 64-bit-only path"
    return
  fi
  local why="this kernel runs 64-bit programs only"
  if [[ "${CORVANE_I386_EMULATED:-0}" == 1 ]]; then
    why="CORVANE_I386_EMULATED=1 asks for the emulator"
  elif [[ -z "${CORVANE_IN_I386_NAMESPACE:-}" ]] && host_probe_i386; then
    HOST_I386=native
    return
  fi
  if [[ -z "${CORVANE_IN_I386_NAMESPACE:-}" && ! -x "$HOST_QEMU_I386" ]]; then
    HOST_WHY_NOT_I386="$why, and qemu-i386 is not in build/deps (scripts/setup.sh fetches it)"
  elif [[ -z "${CORVANE_IN_I386_NAMESPACE:-}" ]] &&
    ! i386_namespace bash -c "$(declare -f host_probe_i386); host_probe_i386" 2>/dev/null; then
    HOST_WHY_NOT_I386="$why, and it gives no user namespace with a binfmt_misc of its own (Linux 6.7 and later do) to run them under qemu-i386"
  else
    HOST_I386=emulated
    HOST_I386_NOTE="under qemu-i386 in a user namespace ($why)"
  fi
}

# The i386 packages, a group each; setup.sh installs a group whole or not at
# all, and writes "group: why" into HOST_NOT_INSTALLED for each it could not.
HOST_WINE32_PACKAGES=(wine32:i386)
HOST_M32_PACKAGES=(g++-multilib libgtest-dev:i386 zlib1g-dev:i386 libssl-dev:i386)
HOST_NOT_INSTALLED="$host_root/build/deps/not-installed"

host_installed() {  # PACKAGE...: every one is installed
  local package status
  for package; do
    # A package installed for two architectures says its status once for each.
    status=$(dpkg-query -W -f='${Status}\n' "$package" 2>/dev/null | sort -u || true)
    [[ "$status" == "install ok installed" ]] || return 1
  done
}
host_why_missing() {  # GROUP PACKAGE...: the packages and the reason setup.sh kept
  local group=$1 why
  shift
  why=$(sed -n "s/^$group: //p" "$HOST_NOT_INSTALLED" 2>/dev/null | tail -n1)
  echo "$* not installed: ${why:-scripts/setup.sh installs them}"
}

host_find_i386() {
  HOST_I386=none
  HOST_WHY_NOT_I386=
  HOST_I386_NOTE=
  host_decide_i386
  HOST_RUNS_I386=$([[ $HOST_I386 == none ]] && echo 0 || echo 1)
  HOST_WINE32=$HOST_RUNS_I386 HOST_WHY_NO_WINE32=$HOST_WHY_NOT_I386
  HOST_M32=$HOST_RUNS_I386 HOST_WHY_NO_M32=$HOST_WHY_NOT_I386
  [[ $HOST_RUNS_I386 == 1 ]] || return 0
  if ! host_installed "${HOST_WINE32_PACKAGES[@]}"; then
    HOST_WINE32=0 HOST_WHY_NO_WINE32=$(host_why_missing wine32 "${HOST_WINE32_PACKAGES[@]}")
  fi
  if ! host_installed "${HOST_M32_PACKAGES[@]}"; then
    HOST_M32=0 HOST_WHY_NO_M32=$(host_why_missing m32 "${HOST_M32_PACKAGES[@]}")
  fi
}
host_find_i386
