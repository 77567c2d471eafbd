#!/usr/bin/env bash
# End-to-end tests of Corvane.exe under Wine: the real program, the real
# checksum tool and the real console, driven from outside by uidriver.exe.
#   tests/wine/e2e.sh 32|64   runs the suite against build/win32 or build/win64
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
bits=${1:?usage: e2e.sh 32|64}
source "$root/tests/wine/wine_env.sh"
wine_use "$bits"
bin="$root/build/win$bits/bin"

top="$WINE_C/Corvane Test"
# A program folder nobody can write, even root: a read-only bind mount.
readonly_dir="$top/Read Only"
unmount_readonly() { mountpoint -q "$readonly_dir" && umount "$readonly_dir"; }
trap 'unmount_readonly; wine_cleanup' EXIT
unmount_readonly
rm -rf "$top"
prog="$top/Program Files/Corvane"
mkdir -p "$prog" "$top/No Tool" "$readonly_dir" "$top/sfv data" "$top/second" "$top/100% café & co!" \
  "$top/日本 ü" "$top/expected"
cp "$bin/Corvane.exe" "$bin/fsum.exe" "$root"/build/deps/gpgv-win32-*/gpgv.exe "$prog/"
cp "$bin/Corvane.exe" "$top/No Tool/"
cp "$bin/Corvane.exe" "$bin/fsum.exe" "$readonly_dir/"
readonly_ok=0
# The remount keeps the flags the file system came with (nosuid, relatime,
# ...): in a user namespace (the emulated 32-bit run) those are locked.
flags=$(findmnt -no VFS-OPTIONS -T "$readonly_dir" | sed -E 's/(^|,)rw(,|$)/\1ro\2/')
mount --bind "$readonly_dir" "$readonly_dir" 2>/dev/null &&
  mount -o "remount,bind,$flags" "$readonly_dir" 2>/dev/null && readonly_ok=1
cp "$root"/samples/demo/* "$top/sfv data/"
# A second list, whose report names a file of its own.
cp "$root/samples/demo/intact.txt" "$top/second/second.txt"
sed -n 's/^intact\.txt /second.txt /p' "$root/samples/demo/demo.sfv" >"$top/second/other.sfv"
cp "$root"/samples/demo/* "$top/100% café & co!/"
cp "$root"/samples/demo/* "$top/日本 ü/"
cp "$bin/uidriver.exe" "$top/"

P='C:\Corvane Test\Program Files\Corvane'
D='C:\Corvane Test\sfv data'
tool="\"$P\\fsum.exe\""

# expect NAME LINE...: the bytes a script must hold, each line ended by CR LF.
expect() {
  local name=$1
  shift
  printf '%s\r\n' "$@" >"$top/expected/$name.bat"
  echo "C:\\Corvane Test\\expected\\$name.bat"
}

source "$root/tests/summary.sh"
source "$root/tests/damage.sh"
# scenario TITLE ARGS...: one run of the driver; its closing line is counted.
scenario() {
  local title=$1
  shift
  echo "== $title"
  # Into a file, not a pipe: Wine's background processes would hold a pipe open.
  local out="$top/driver.log"
  "$WINE" "$top/uidriver.exe" "$@" </dev/null >"$out" 2>&1
  sed -i 's/\r$//' "$out"
  # Wine now and then refuses to start a process with an internal error that
  # the next try does not repeat; cmd then says it cannot recognize the
  # command, or the driver ends before its closing line. Such a run is made
  # once more, and the second one counts: a fault that repeats still fails.
  if grep -q "^FAIL.*Can't recognize" "$out" || ! grep -qE '^[0-9]+ passed, [0-9]+ failed' "$out"; then
    echo "   (cmd could not start a command, or the driver ended early; the scenario runs once more)"
    "$WINE" "$top/uidriver.exe" "$@" </dev/null >"$out" 2>&1
    sed -i 's/\r$//' "$out"
  fi
  grep -v '^ok  ' "$out"
  add_summary "$title" "$out"
}

local_script() {  # options
  expect "local$1" '@echo off' 'C:' "cd \"$D\"" "$tool -c $1\"demo.sfv\"" 'echo .' 'pause'
}

scenario "the window" window "$P"
scenario "no tool, no argument" missing 'C:\Corvane Test\No Tool'
scenario "no tool, with an argument" missing 'C:\Corvane Test\No Tool' "\"$D\\demo.sfv\""

scenario "opened from the shell; Exit" cmdline "$P" "\"$D\\demo.sfv\"" "$(local_script '')" \
  'FAILED      damaged.txt  (expected A0632CF8, found 4836EC2B)'
scenario "opened from the shell; the close box" closebox "$P" "\"$D\\demo.sfv\"" "$(local_script '')" \
  'MISSING     missing.txt'
scenario "an argument without quotes keeps every character" cmdline "$P" "$D\\demo.sfv" "$(local_script '')" \
  'OK          intact.txt'

# cmd reads the script in the OEM code page (437: é is 0x82) and expands
# percent signs everywhere; the tool must still reach the folder.
odd=$(expect odd '@echo off' 'C:' $'cd "C:\\Corvane Test\\100%% caf\x82 & co!"' "$tool -c \"demo.sfv\"" 'echo .' 'pause')
# A user may turn on delayed expansion for every cmd, which would read the !.
"$WINE" reg add 'HKCU\Software\Microsoft\Command Processor' /v DelayedExpansion /t REG_DWORD /d 1 /f \
  </dev/null >/dev/null 2>&1
scenario "a folder with %, é, & and !" cmdline "$P" '"C:\Corvane Test\100% café & co!\demo.sfv"' "$odd" \
  'OK          intact.txt'
"$WINE" reg delete 'HKCU\Software\Microsoft\Command Processor' /v DelayedExpansion /f </dev/null >/dev/null 2>&1

# A folder the console's code page (437) cannot spell, on a volume without
# short names (forced: Wine makes one up for every long name), reaches the
# script through the console's environment.
unicode=$(expect unicode '@echo off' 'C:' 'cd "%CORVANE_FOLDER%"' "$tool -c \"demo.sfv\"" 'echo .' 'pause')
CORVANE_TEST_NO_SHORT_NAMES=1 scenario "a folder the console cannot spell, without short names" cmdline \
  "$P" '"C:\Corvane Test\日本 ü\demo.sfv"' "$unicode" 'FAILED      damaged.txt'

# The checksum tool as the user meets it in the console: names in any
# script shown as they are, device names refused, paths past MAX_PATH read,
# and a progress line while a large file is hashed.
crc_of() { rhash --crc32 --printf '%C' "$1"; }
mkdir -p "$top/names" "$top/devices" "$top/big"
printf 'café' >"$top/names/café.txt"
printf '日本語' >"$top/names/日本語.bin"
printf '%s %s\r\n' café.txt "$(crc_of "$top/names/café.txt")" 日本語.bin "$(crc_of "$top/names/日本語.bin")" \
  >"$top/names/names.sfv"
printf 'NUL 00000000\r\nCON 00000000\r\nCOM1 00000000\r\n' >"$top/devices/devices.sfv"
deep=$(printf 'd%059d\\' 1 2 3 4 5)
mkdir -p "$top/long/${deep//\\//}"
printf 'deep' >"$top/long/${deep//\\//}file.bin"
printf '%sfile.bin %s\r\n' "$deep" "$(crc_of "$top/long/${deep//\\//}file.bin")" >"$top/long/long.sfv"
truncate -s 32G "$top/big/big.bin"  # sparse: seconds to hash, no disk
printf 'big.bin 00000000\r\n' >"$top/big/big.sfv"
tool_script() {  # name, folder under "C:\Corvane Test", list
  expect "$1" '@echo off' 'C:' "cd \"C:\\Corvane Test\\$2\"" "$tool -c \"$3\"" 'echo .' 'pause'
}
scenario "names as they are, in the console" cmdline "$P" '"C:\Corvane Test\names\names.sfv"' \
  "$(tool_script names names names.sfv)" 'OK          café.txt|OK          日本語.bin'
scenario "device names are unreadable, and the check ends" cmdline "$P" '"C:\Corvane Test\devices\devices.sfv"' \
  "$(tool_script devices devices devices.sfv)" \
  'UNREADABLE  NUL  (It is the name of a device|UNREADABLE  CON  (|UNREADABLE  COM1  (|0 verified'
# Reserved names that a folder listing returns are files (git checkouts hold
# aux.c); typed, before Windows 11, they name devices.
mkdir -p "$top/reserved" && printf a >"$top/reserved/aux.c" && printf b >"$top/reserved/con.h"
"$WINE" "$prog/fsum.exe" -md5 '-dC:\Corvane Test\reserved' '*' </dev/null >"$top/reserved.md5" 2>"$top/fsum.log"
check "listed, aux.c and con.h are files, read as such" \
  sh -c "cd '$top/reserved' && md5sum -c --quiet '$top/reserved.md5' && test \$(wc -l <'$top/reserved.md5') -eq 2"
scenario "an entry past MAX_PATH verifies" cmdline "$P" '"C:\Corvane Test\long\long.sfv"' \
  "$(tool_script long long long.sfv)" '1 verified, 0 mismatched, 0 missing, 0 unreadable'
scenario "a large file shows its progress" progress "$P" '"C:\Corvane Test\big\big.sfv"' big.bin

# The lists users download, in GNU and BSD form, checked by the Windows
# build, whose MD5 and SHA digests come from the system's CNG, and SHA-224
# and SHA-3, which Wine's CNG lacks as Windows before 11 24H2 does, from
# LibRHash.
forms="$top/forms"
mkdir -p "$forms"
(
  cd "$forms" || exit
  for size in 0 1 64 65 3000000; do head -c $size /dev/urandom >"size $size.bin"; done
  printf 'café' >café.txt
  files=(*)
  md5sum -- "${files[@]}" >list.md5
  sha1sum -b -- "${files[@]}" >SHA1SUMS
  { echo '# made by sha256sum'; sha256sum -- "${files[@]}"; } >SHA256SUMS
  sha384sum -- "${files[@]}" >list.sha384
  sha512sum -- "${files[@]}" >list.sha512
  { md5sum --tag -- "${files[@]}"; sha256sum --tag -- "${files[@]}"; } >tags.txt
  iconv -f UTF-8 -t UTF-16 <SHA256SUMS >utf16.sha256
  b3sum --no-mmap -- "${files[@]}" >CHECKSUMS  # 64 digits of no said algorithm
  xxhsum -H128 -- "${files[@]}" >xxh128.txt 2>/dev/null
  b2sum -l 256 --tag -- "${files[@]}" >b2.txt
  openssl dgst -sha3-256 -- "${files[@]}" | sed 's/^SHA3-256(\(.*\))= /SHA3-256 (\1) = /' >sha3.txt
  sha224sum -- "${files[@]}" >sha224.txt
)
for row in "list.md5|6 verified, 0 mismatched, 0 missing, 0 unreadable (MD5)" "SHA1SUMS|6 verified, 0 mismatched, 0 missing, 0 unreadable (SHA-1)" \
  "SHA256SUMS|6 verified, 0 mismatched, 0 missing, 0 unreadable (SHA-256)" "list.sha384|6 verified, 0 mismatched, 0 missing, 0 unreadable (SHA-384)" \
  "list.sha512|6 verified, 0 mismatched, 0 missing, 0 unreadable (SHA-512)" "tags.txt|12 verified, 0 mismatched, 0 missing, 0 unreadable (MD5, SHA-256)" \
  "utf16.sha256|6 verified, 0 mismatched, 0 missing, 0 unreadable (SHA-256) (list read as UTF-16 LE)" \
  "CHECKSUMS|6 verified, 0 mismatched, 0 missing, 0 unreadable (BLAKE3)" \
  "xxh128.txt|6 verified, 0 mismatched, 0 missing, 0 unreadable (XXH128)" \
  "b2.txt|6 verified, 0 mismatched, 0 missing, 0 unreadable (BLAKE2b-256)" \
  "sha3.txt|6 verified, 0 mismatched, 0 missing, 0 unreadable (SHA3-256)" \
  "sha224.txt|6 verified, 0 mismatched, 0 missing, 0 unreadable (SHA-224)"; do
  IFS='|' read -r list summary <<<"$row"
  "$WINE" "$prog/fsum.exe" -c "C:\\Corvane Test\\forms\\$list" </dev/null >"$top/fsum.log" 2>&1
  check "fsum.exe checks $list with status 0" test $? -eq 0
  check "fsum.exe: $list: $summary" grep -qF "$summary" "$top/fsum.log"
done

# A damaged file fails a SHA-3 and a SHA-224 list, never OK.
cp "$forms/size 65.bin" "$top/size65.keep"
damage "$forms/size 65.bin" 7
for list in sha3.txt sha224.txt; do
  "$WINE" "$prog/fsum.exe" -c "C:\\Corvane Test\\forms\\$list" </dev/null >"$top/fsum.log" 2>&1
  check "fsum.exe: $list with a damaged file: status 1" test $? -eq 1
  check "fsum.exe: $list: the damaged file FAILED" grep -q '^FAILED      size 65.bin' "$top/fsum.log"
done
mv "$top/size65.keep" "$forms/size 65.bin"
# One reader per disk (-t1): the same report as side by side, for digests
# of CNG and of LibRHash.
for list in tags.txt CHECKSUMS sha3.txt; do
  side=$("$WINE" "$prog/fsum.exe" -c "C:\\Corvane Test\\forms\\$list" </dev/null 2>/dev/null; echo "status $?")
  one=$("$WINE" "$prog/fsum.exe" -c -t1 "C:\\Corvane Test\\forms\\$list" </dev/null 2>/dev/null; echo "status $?")
  check "fsum.exe -t1: $list gives the same report and status" test "$one" = "$side"
done

# A BLAKE3 file over 8 MiB is shared among the threads: Windows threads give
# b3sum's digest, and one byte changed in its middle fails it.
mkdir -p "$top/big"
head -c $((9 << 20 | 777)) /dev/urandom >"$top/big/big.bin"
(cd "$top/big" && b3sum --no-mmap big.bin >big.b3)
for row in "0|1 verified, 0 mismatched" "1|0 verified, 1 mismatched"; do
  IFS='|' read -r status summary <<<"$row"
  "$WINE" "$prog/fsum.exe" -c "C:\\Corvane Test\\big\\big.b3" </dev/null >"$top/fsum.log" 2>&1
  check "fsum.exe: a 9 MiB BLAKE3 file: status $status" test $? -eq "$status"
  check "fsum.exe: a 9 MiB BLAKE3 file: $summary" grep -qF "$summary" "$top/fsum.log"
  damage "$top/big/big.bin" $((5 << 20))
done

# Lists made by the Windows build: masks that ignore case, / between folders
# in GNU lines, and never the list being written; read back by the tool and
# by coreutils.
mkdir -p "$forms/sub" && printf 'deep' >"$forms/sub/Deep.BIN"
(cd "$forms" && "$WINE" "$prog/fsum.exe" -sha256 -r '*.bin' </dev/null >made.sha256 2>"$top/fsum.log")
check "fsum.exe -sha256 -r *.bin makes a list with status 0" test $? -eq 0
check "*.bin matches sub/Deep.BIN, / between folders" grep -qF '  sub/Deep.BIN' "$forms/made.sha256"
check "sha256sum verifies the list as it is" sh -c "cd '$forms' && sha256sum -c --quiet made.sha256"
"$WINE" "$prog/fsum.exe" -c "C:\\Corvane Test\\forms\\made.sha256" </dev/null >"$top/fsum.log" 2>&1
check "fsum.exe verifies the list it made" grep -qF '6 verified, 0 mismatched, 0 missing, 0 unreadable (SHA-256)' "$top/fsum.log"
"$WINE" "$prog/fsum.exe" -crc32 '-dC:\Corvane Test\forms' 'SIZE ?.BIN' </dev/null >"$top/made.sfv" 2>/dev/null
check "-d and ?: SIZE ?.BIN names the two files of one-character size" \
  test "$(grep -c '^size [01]\.bin [0-9A-F]\{8\}' "$top/made.sfv")" -eq 2
# Redirected by cmd, as a user would: Wine knows no volume for a handle a
# Unix shell passes in, so there the list could not know its own file.
(cd "$forms" && WINEPATH="$P" "$WINE" cmd /c 'fsum.exe -md5 * >made.md5' </dev/null >/dev/null 2>&1)
check "a list made into the folder does not name itself" \
  sh -c "grep -q 'size 0.bin' '$forms/made.md5' && ! grep -q made.md5 '$forms/made.md5'"
"$WINE" "$prog/fsum.exe" -sha256 -r '-oC:\Corvane Test\forms\o.sha256' '-dC:\Corvane Test\forms' '*' \
  </dev/null >/dev/null 2>&1
check "-o writes the list, which leaves itself out and sha256sum reads" \
  sh -c "cd '$forms' && grep -q 'sub/Deep.BIN' o.sha256 && ! grep -q o.sha256 o.sha256 && sha256sum -c --quiet o.sha256"

# Checks without a list in the Windows build: a digest copied from a page,
# checked from a console of the tool's own (as Explorer's verb starts it),
# which stays until a key; a digest given; CRCs in names; a tree of lists.
sha=$(sha256sum "$forms/size 1.bin" | cut -c1-64)
scenario "a copied digest, alone in a console" copied "$P" 'C:\Corvane Test\forms\size 1.bin' "SHA256:${sha^^}" \
  'OK          C:\Corvane Test\forms\size 1.bin  (SHA-256)'
# Alone on a terminal's console but with its output captured, the tool does
# not wait for a key: the report is read where it was captured.
timeout 120 script -qec "'$WINE' '$prog/fsum.exe' -c -e$sha 'C:\\Corvane Test\\forms\\size 1.bin' >'$top/captured.log'" \
  /dev/null </dev/null >/dev/null 2>&1
check "with its output captured, fsum.exe -e ends without waiting for a key" \
  sh -c "grep -q '^OK ' '$top/captured.log' && ! grep -q 'Press any key' '$top/captured.log'"
"$WINE" "$prog/fsum.exe" -c "-e$(md5sum "$forms/size 1.bin" | cut -c1-32 | sed 's/../& /g')" \
  "C:\\Corvane Test\\forms\\size 1.bin" </dev/null >"$top/fsum.log" 2>&1
check "fsum.exe -e with a digest given in byte pairs verifies" grep -q '^OK .*size 1.bin  (MD5)' "$top/fsum.log"
# Subresource Integrity: Base64 decoded by CryptoAPI.
"$WINE" "$prog/fsum.exe" -c "-esha256-$(openssl dgst -sha256 -binary "$forms/size 1.bin" | base64)" \
  "C:\\Corvane Test\\forms\\size 1.bin" </dev/null >"$top/fsum.log" 2>&1
check "fsum.exe -e with a digest in Subresource Integrity form verifies" grep -q '^OK .*size 1.bin  (SHA-256)' "$top/fsum.log"
cp "$forms/size 1.bin" "$forms/sub/Show [$(crc_of "$forms/size 1.bin")].bin"
"$WINE" "$prog/fsum.exe" -c -n -r "-dC:\\Corvane Test\\forms" '*' </dev/null >"$top/fsum.log" 2>&1
check "fsum.exe -c -n -r verifies the CRC in a name, \\ between folders" \
  grep -q '^OK          sub\\Show \[' "$top/fsum.log"
"$WINE" "$prog/fsum.exe" -c -r "-dC:\\Corvane Test" 'SHA256SUMS' 'made.sha256' </dev/null >"$top/fsum.log" 2>&1
check "fsum.exe -c -r totals the lists of a tree" grep -q '^2 lists, 2 all verified$' "$top/fsum.log"

# An audit with the Windows build: names compare as Windows compares them
# (a rename that changes case only is no change). Wine keeps no hidden mark
# it is given (attrib +h +s shows "AS"): that Thumbs.db, hidden and system,
# is left out is unit-tested on the attributes alone.
audit="$top/audit"
mkdir -p "$audit" && (cd "$audit" && echo a >a.txt && echo b >b.txt && sha256sum a.txt b.txt >SHA256SUMS &&
  mv a.txt A.TXT && mv b.txt moved.txt)
"$WINE" "$prog/fsum.exe" -c -a 'C:\Corvane Test\audit\SHA256SUMS' </dev/null >"$top/fsum.log" 2>&1
check "fsum.exe -c -a: a moved file fails the audit" test $? -eq 1
check "fsum.exe -c -a: a case-only rename is the same file" grep -q '^OK  *a.txt' "$top/fsum.log"
check "fsum.exe -c -a: the moved file is MOVED" grep -qF 'MOVED       b.txt -> moved.txt' "$top/fsum.log"
"$WINE" "$prog/fsum.exe" -u 'C:\Corvane Test\audit\SHA256SUMS' </dev/null >"$top/fsum.log" 2>&1
check "fsum.exe -u: the list up to date, status 0" sh -c "[ $? -eq 0 ] && grep -q '  moved.txt' '$audit/SHA256SUMS'"
check "fsum.exe -u: ReplaceFileW kept the old list" grep -q '  b.txt' "$audit/SHA256SUMS.bak"

# Signed lists as projects publish them, the keys made here: gpgv.exe beside
# fsum.exe checks the OpenPGP ones, libsodium the minisign and signify ones,
# against the keys fsum.exe -key add puts in %APPDATA%\Corvane\keys. A
# changed list is refused before any file is read: its copy in changed/
# names a file that is not there, which a check would call MISSING.
signed="$top/signed"
keys="$WINE_C/users/$(whoami)/AppData/Roaming/Corvane"
rm -rf "$keys"
mkdir -p "$signed/changed"
export GNUPGHOME="$top/gnupg"
mkdir -m700 "$GNUPGHOME"
gpg --batch --passphrase '' --quick-gen-key 'Publisher <release@example.org>' ed25519 sign 0 >/dev/null 2>&1
gpg --batch --armor --export release@example.org >"$signed/publisher.asc" 2>/dev/null
(
  cd "$signed" || exit
  cp "$root/samples/demo/intact.txt" .
  sha256sum intact.txt >SHA256SUMS && cp SHA256SUMS ubuntu.sums && cp SHA256SUMS zig.sums
  sha256sum --tag intact.txt >SHA256
  gpg --batch -b -o SHA256SUMS.sign SHA256SUMS 2>/dev/null
  gpg --batch -a -b -o ubuntu.sums.gpg ubuntu.sums 2>/dev/null
  gpg --batch --clearsign -o fedora-CHECKSUM SHA256SUMS 2>/dev/null
  minisign -G -W -p zig.pub -s zig.key >/dev/null 2>&1
  minisign -S -s zig.key -m zig.sums -t "timestamp:1 file:zig.sums" </dev/null >/dev/null 2>&1
  signify-openbsd -G -n -p openbsd.pub -s openbsd.sec -c "openbsd base" >/dev/null
  signify-openbsd -S -e -s openbsd.sec -m SHA256 -x SHA256.sig
  cp SHA256SUMS SHA256SUMS.sign ubuntu.sums ubuntu.sums.gpg fedora-CHECKSUM zig.sums zig.sums.minisig SHA256.sig changed/
  for list in SHA256SUMS ubuntu.sums zig.sums; do
    echo "0000000000000000000000000000000000000000000000000000000000000000  added.iso" >>"changed/$list"
  done
  sed -i 's/  intact.txt$/  other.txt/' changed/fedora-CHECKSUM  # a name changed in the signed text
  sed -i 's/^SHA256 (intact.txt)/SHA256 (other.txt)/' changed/SHA256.sig
  # Downloads signed on their own: a program with its .sig, an archive with
  # its prehashed .minisig; a changed copy of each beside the same signature.
  head -c 1048579 /dev/urandom >setup.exe && cp setup.exe zig.zip
  gpg --batch -b setup.exe 2>/dev/null
  minisign -S -s zig.key -m zig.zip </dev/null >/dev/null 2>&1
  for download in setup.exe zig.zip; do
    cp "$download" "$download".*sig changed/ && printf 'x' >>"changed/$download"
  done
)
gpgconf --kill all 2>/dev/null
for key in publisher.asc zig.pub openbsd.pub; do
  "$WINE" "$prog/fsum.exe" -key add "C:\\Corvane Test\\signed\\$key" </dev/null >"$top/fsum.log" 2>&1
  check "fsum.exe -key add $key ends with 0" test $? -eq 0
done
check "-key add keeps the key in %APPDATA%\\Corvane\\keys" test -f "$keys/keys/publisher.asc"
"$WINE" "$prog/fsum.exe" -key list </dev/null >"$top/fsum.log" 2>&1
check "-key list shows the OpenPGP key's user id" grep -qF 'user id: Publisher <release@example.org>' "$top/fsum.log"
check "-key list shows the signify key" grep -qF 'openbsd base' "$top/fsum.log"
rows=("zig.sums|Signature: good, by minisign key" "SHA256.sig|Signature: good, by signify key")
# gpgv.exe, in both packages, is a 32-bit program: without the 32-bit Wine
# the OpenPGP rows cannot run, and every other row still does.
openpgp_rows=("SHA256SUMS|Signature: good, by \"Publisher <release@example.org>\", OpenPGP key"
  "ubuntu.sums|Signature: good, by \"Publisher <release@example.org>\""
  "fedora-CHECKSUM|Signature: good, by \"Publisher <release@example.org>\"")
if [[ $HOST_WINE32 == 1 ]]; then
  rows+=("${openpgp_rows[@]}")
else
  echo "e2e ($bits-bit): the OpenPGP rows (${#openpgp_rows[@]} signed lists and an untrusted signer), not run: gpgv.exe is a 32-bit program, and $HOST_WHY_NO_WINE32"
fi
for row in "${rows[@]}"; do
  IFS='|' read -r list line <<<"$row"
  "$WINE" "$prog/fsum.exe" -c -s "C:\\Corvane Test\\signed\\$list" </dev/null >"$top/fsum.log" 2>&1
  check "fsum.exe -c -s $list: a trusted signature, status 0" test $? -eq 0
  check "fsum.exe -c -s $list: [$line]" grep -qF "$line" "$top/fsum.log"
  check "fsum.exe -c -s $list: its file verified" grep -qF '(signed by a trusted key)' "$top/fsum.log"
  "$WINE" "$prog/fsum.exe" -c "C:\\Corvane Test\\signed\\changed\\$list" </dev/null >"$top/fsum.log" 2>&1
  check "fsum.exe: $list changed after signing is status 2" test $? -eq 2
  check "fsum.exe: $list changed is BAD, and no file is read" \
    sh -c "grep -qF 'Signature: BAD' '$top/fsum.log' && ! grep -qE '^(OK|MISSING) ' '$top/fsum.log'"
done
scenario "the key verb asks before it trusts" trustkey "$P" 'C:\Corvane Test\signed\publisher.asc'
downloads=(zig.zip)
[[ $HOST_WINE32 == 1 ]] && downloads+=(setup.exe)
for download in "${downloads[@]}"; do
  "$WINE" "$prog/fsum.exe" -c -s "C:\\Corvane Test\\signed\\$download" </dev/null >"$top/fsum.log" 2>&1
  check "fsum.exe -c -s $download, signed on its own: OK, status 0" \
    sh -c "[ $? -eq 0 ] && grep -qE '^OK +$download  \(signed by ' '$top/fsum.log'"
  "$WINE" "$prog/fsum.exe" -c "C:\\Corvane Test\\signed\\changed\\$download" </dev/null >"$top/fsum.log" 2>&1
  check "fsum.exe: $download changed FAILS, status 1" sh -c "[ $? -eq 1 ] && grep -q '^FAILED ' '$top/fsum.log'"
done
rm -rf "$keys"
if [[ $HOST_WINE32 == 1 ]]; then
  "$WINE" "$prog/fsum.exe" -c "C:\\Corvane Test\\signed\\SHA256SUMS" </dev/null >"$top/fsum.log" 2>&1
  check "fsum.exe: with no key trusted, the signer is named and the files checked" \
    sh -c "grep -qF 'which is not among the trusted keys' '$top/fsum.log' && grep -q '^OK ' '$top/fsum.log'"
fi

# A bare name lies in the current folder, which the driver sets to the Windows folder.
bare=$(expect bare '@echo off' 'C:' 'cd "C:\windows"' "$tool -c \"nothere.sfv\"" 'echo .' 'pause')
scenario "a bare file name" cmdline "$P" 'nothere.sfv' "$bare" 'cannot read the checksum list'

# Network paths: Wine's net use maps nothing, so the script is checked by its
# bytes. E: and F: are taken, so G: is mapped.
rm -f "$WINEPREFIX"/dosdevices/[e-z]:  # left by a run that was stopped
ln -sfn "$top" "$WINEPREFIX/dosdevices/e:"
ln -sfn "$top" "$WINEPREFIX/dosdevices/f:"
rule="echo $(printf -- '-%.0s' $(seq 75))"
net=$(expect net '@echo off' 'echo Creating mapped network folder G: to \\nas\media' 'net use G: \\nas\media' \
  'G:' 'cd "music"' "$tool -c \"album.sfv\"" 'echo Mapped Drive G: was created to perform this operation.' \
  'echo Press any key to remove it.' "$rule" 'pause' 'net use G: /delete /yes')
scenario "a network folder maps the first free letter" cmdline "$P" '"\\nas\media\music\album.sfv"' "$net" \
  'Mapped Drive G: was created'
for letter in {g..z}; do ln -sfn "$top" "$WINEPREFIX/dosdevices/$letter:"; done
scenario "no free drive letter" message "$P" '"\\nas\media\music\album.sfv"' 'Every drive letter from E: to Z: is in use'
rm -f "$WINEPREFIX"/dosdevices/[e-z]:
ln -sfn / "$WINEPREFIX/dosdevices/z:"  # the prefix's own, as Wine made it

scenario "the console's code page decides what the script can spell" codepages -
scenario "an argument that names no file" message "$P" "\"$D\\\"" 'This does not name a .sfv file'

# Every console runs its own script to the end: a second check, from another
# window or the same one, writes ~temp2.bat while the first console waits.
S='C:\Corvane Test\second'
other=$(expect other '@echo off' 'C:' "cd \"$S\"" "$tool -c \"other.sfv\"" 'echo .' 'pause')
scenario "a second window checks while the first console waits" twowindows "$P" "\"$D\\demo.sfv\"" \
  "$(local_script '')" 'FAILED      damaged.txt' "$S\\other.sfv" "$other" 'OK          second.txt'
scenario "two consoles of one window" twochecks "$P" "$D\\demo.sfv" "$(local_script '')" \
  'MISSING     missing.txt' "$S\\other.sfv" "$other" 'OK          second.txt'
scenario "Exit while the console waits" exitfirst "$P" "\"$D\\demo.sfv\"" 'OK          intact.txt'
if [[ $readonly_ok == 1 ]]; then
  R='C:\Corvane Test\Read Only'
  readonly_script=$(expect readonly '@echo off' 'C:' "cd \"$D\"" "\"$R\\fsum.exe\" -c \"demo.sfv\"" 'echo .' 'pause')
  scenario "a program folder nobody can write: the script goes to the user's" cmdline "$R" "\"$D\\demo.sfv\"" \
    "$readonly_script" 'FAILED      damaged.txt' "C:\\users\\$(whoami)\\AppData\\Local\\Corvane"
else
  echo "== a program folder nobody can write: not run, a read-only bind mount needs root"
fi

scenario "the Open dialog: both options, one, then none" dialog "$P" \
  "$D\\demo.sfv" jfw "$(local_script '-jf -w ')" 'MISSING     missing.txt' \
  "$D\\demo.sfv" w "$(local_script '-w ')" 'OK          intact.txt' \
  "$D\\demo.sfv" jf "$(local_script '-jf ')" 'FAILED      damaged.txt'
typed=$(expect typed '@echo off' 'C:' "cd \"$D\"" "$tool -c \"typed.sfv\"" 'echo .' 'pause')
scenario "the Open dialog: a typed name of no file is accepted" dialog "$P" \
  "$D\\typed.sfv" - "$typed" 'cannot read the checksum list'
scenario "the Open dialog: only .sfv files, then Cancel" cancel "$P" "$D"

# At 120 DPI the layout keeps its proportions. The setting is read when the
# wineserver starts, so it is restarted around the run.
set_dpi() {
  "$WINE" reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1 </dev/null
  "$WINESERVER" -k
  "$WINESERVER" -p >/dev/null 2>&1 </dev/null
}
set_dpi 120
scenario "the window at 120 DPI" window "$P" 120
set_dpi 96

summary_line "e2e ($bits-bit): "
[[ $failed -eq 0 ]]
