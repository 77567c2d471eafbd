# Sourced by the scripts: what this host can run. Some kernels run 64-bit
# user code only and refuse every 32-bit (i386) program with "Exec format
# error"; there neither 32-bit Wine nor the 32-bit build can run.
#
# Sets HOST_RUNS_I386 (1 or 0) and HOST_WHY_NOT_I386 (why not, when 0).
# CORVANE_64BIT_ONLY=1 takes the 64-bit-only path on any host.

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

if [[ "${CORVANE_64BIT_ONLY:-0}" == 1 ]]; then
  HOST_RUNS_I386=0
  HOST_WHY_NOT_I386="CORVANE_64BIT_ONLY=1 asks for the 64-bit-only path"
elif host_probe_i386; then
  HOST_RUNS_I386=1
  HOST_WHY_NOT_I386=
else
  HOST_RUNS_I386=0
  HOST_WHY_NOT_I386="this kernel runs 64-bit programs only (a 32-bit one fails with Exec format error)"
fi
