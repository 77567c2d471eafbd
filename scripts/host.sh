# Sourced by the scripts: how this host runs 32-bit (i386) programs. Some
# kernels run 64-bit user code only and refuse every 32-bit program with
# "Exec format error". There the 32-bit programs run under QEMU's user-mode
# emulator (scripts/qemu.sh fetches it), registered for i386 programs in a
# binfmt_misc of our own: inside a user namespace (kernel 6.7 and later give
# each one its own binfmt_misc), so nothing changes on the host outside.
#
# Sets HOST_I386: native, emulated or none; HOST_RUNS_I386 (1 or 0);
# HOST_WHY_NOT_I386 (why not, when 0); HOST_I386_NOTE (how, for the log).
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
host_find_i386() {
  HOST_I386=none
  HOST_WHY_NOT_I386=
  HOST_I386_NOTE=
  host_decide_i386
  HOST_RUNS_I386=$([[ $HOST_I386 == none ]] && echo 0 || echo 1)
}
host_find_i386
