# shellcheck shell=bash
# Sourced by the suites that change a file's bytes on purpose.

# Damage one byte: a byte different from the one there (writing a fixed one
# leaves the file intact once in 256 runs).
damage() {  # file, offset
  local byte
  byte=$(od -An -tu1 -j"$2" -N1 "$1" | tr -d ' ')
  printf "\\x$(printf %02x $(((byte + 1) % 256)))" | dd of="$1" bs=1 seek="$2" conv=notrunc status=none
}
